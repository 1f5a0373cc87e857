#ifndef QUARNEL_TEXT_TEXT_SINK_H_
#define QUARNEL_TEXT_TEXT_SINK_H_

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

/// Receives a long text piece by piece, so that it never has to exist whole.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Write(std::u16string_view text) = 0;
  /// Writes `text`, which does not hold the character `absent`: a sink that
  /// searches for texts that start with it may pass such text on unsearched.
  virtual void WriteWithout(char16_t absent, std::u16string_view text) {
    static_cast<void>(absent);
    Write(text);
  }
};

/// Collects everything written into one string.
class StringSink final : public TextSink {
 public:
  void Write(std::u16string_view text) override { text_ += text; }
  std::u16string& text() { return text_; }

 private:
  std::u16string text_;
};

/// Passes the text written through it on to `next` with every occurrence of
/// `find` replaced by `replacement`, exactly as ReplaceAll would on the whole
/// text at once: occurrences may straddle the pieces, the inserted text is
/// not searched again. Holds back at most a buffer's worth of text; Finish
/// passes on the rest and must be called once, after the last Write.
class ReplaceAllSink final : public TextSink {
 public:
  ReplaceAllSink(std::u16string_view find, std::u16string_view replacement,
                 TextSink& next);
  ReplaceAllSink(const ReplaceAllSink&) = delete;
  ReplaceAllSink& operator=(const ReplaceAllSink&) = delete;

  void Write(std::u16string_view text) override;
  void WriteWithout(char16_t absent, std::u16string_view text) override;
  void Finish();

 private:
  friend class ReplaceChainSink;
  // Several replacements at once, for ReplaceChainSink: each find starts with
  // the same character and holds it nowhere else, so that no two matches can
  // overlap, and no replacement can make or break a later find's match.
  ReplaceAllSink(std::vector<std::u16string> finds, std::vector<std::u16string> replacements,
                 TextSink& next);
  // The match of the finds at `at`, in their order: its index, -1 for none,
  // or -2 when `text` ends before that can be told.
  int MatchAt(std::u16string_view text, size_t at, bool last) const;
  // Searches `text`, passing on its matches replaced, and returns how much
  // of it was settled: the rest may start a match that more text completes.
  size_t Pass(std::u16string_view text, bool last);
  // Passes `text` on after what is gathered in out_, copied into it if short.
  void Emit(std::u16string_view text);
  // Passes on what is gathered in out_.
  void PassOn();

  std::vector<std::u16string> finds_;  // one, or several as above
  std::vector<std::u16string> replacements_;
  size_t longest_ = 0;  // of the finds
  TextSink& next_;
  std::u16string held_;  // text not yet searched, or a possible match's start
  std::u16string out_;   // settled text not yet passed on
};

/// Passes the text written through it on to `next` with each of several
/// replacements applied in turn, exactly as ReplaceAll with the first, then
/// ReplaceAll with the second on the result, and so on. The text is searched
/// once for them all when no replacement text can make or break a later
/// find's match (placeholders replaced by numbers, for example), else once
/// for each. Finish must be called once, after the last Write.
class ReplaceChainSink final : public TextSink {
 public:
  struct Replacement {
    std::u16string_view find, replacement;
  };
  ReplaceChainSink(std::initializer_list<Replacement> replacements, TextSink& next);
  ReplaceChainSink(const ReplaceChainSink&) = delete;
  ReplaceChainSink& operator=(const ReplaceChainSink&) = delete;

  void Write(std::u16string_view text) override { sinks_.front()->Write(text); }
  void WriteWithout(char16_t absent, std::u16string_view text) override {
    sinks_.front()->WriteWithout(absent, text);
  }
  void Finish();

 private:
  std::vector<std::unique_ptr<ReplaceAllSink>> sinks_;  // the first one written first
};

}  // namespace quarnel

#endif  // QUARNEL_TEXT_TEXT_SINK_H_
