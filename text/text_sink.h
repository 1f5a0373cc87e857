#ifndef QUARNEL_TEXT_TEXT_SINK_H_
#define QUARNEL_TEXT_TEXT_SINK_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

/// Receives a long text piece by piece, so that it never has to exist whole.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Write(std::u16string_view text) = 0;
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
  void Finish();

 private:
  // Searches `text`, passing on its matches replaced, and returns how much
  // of it was settled: the rest may start a match that more text completes.
  size_t Pass(std::u16string_view text, bool last);
  // Passes `text` on after what is gathered in out_, copied into it if short.
  void Emit(std::u16string_view text);
  // Passes on what is gathered in out_.
  void PassOn();

  std::u16string find_;
  std::u16string replacement_;
  TextSink& next_;
  std::u16string held_;  // text not yet searched, or a possible match's start
  std::u16string out_;   // settled text not yet passed on
};

}  // namespace quarnel

#endif  // QUARNEL_TEXT_TEXT_SINK_H_
