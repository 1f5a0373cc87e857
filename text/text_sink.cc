#include "text/text_sink.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "text/gtstr.h"

namespace quarnel {
namespace {

// How much text a ReplaceAllSink gathers before it searches: enough to pass
// text on in large pieces, little enough to stay in the cache.
constexpr size_t kPassSize = 1 << 15;
// Text between matches at least this long is passed on without a copy.
constexpr size_t kDirectSize = 1 << 10;

}  // namespace

ReplaceAllSink::ReplaceAllSink(std::u16string_view find,
                               std::u16string_view replacement, TextSink& next)
    : finds_{std::u16string(find)}, replacements_{std::u16string(replacement)}, longest_(find.size()),
      next_(next) {}

ReplaceAllSink::ReplaceAllSink(std::vector<std::u16string> finds,
                               std::vector<std::u16string> replacements, TextSink& next)
    : finds_(std::move(finds)), replacements_(std::move(replacements)), next_(next) {
  for (const std::u16string& find : finds_) longest_ = std::max(longest_, find.size());
}

void ReplaceAllSink::Write(std::u16string_view text) {
  if (longest_ == 0) {
    next_.Write(text);
    return;
  }
  // Small pieces are gathered, so that the text is searched and passed on in
  // large pieces; a large one is searched where it lies, without a copy.
  if (held_.size() + text.size() < kPassSize) {
    held_ += text;
    return;
  }
  if (!held_.empty()) {
    // A match that starts in the held text ends within the next
    // find_.size() - 1 characters: with those, every such match is settled.
    const size_t held = held_.size();
    const size_t joined = std::min(text.size(), longest_ - 1);
    held_.append(text.substr(0, joined));
    size_t searched = Pass(held_, false);
    if (searched < held) {  // all of `text` went into held_
      held_.erase(0, searched);
      PassOn();
      return;
    }
    text.remove_prefix(searched - held);
  }
  held_.assign(text.substr(Pass(text, false)));
  PassOn();
}

void ReplaceAllSink::WriteWithout(char16_t absent, std::u16string_view text) {
  for (const std::u16string& find : finds_) {
    if (find.empty() || find[0] != absent) {
      Write(text);
      return;
    }
  }
  // No match starts in `text`; one that starts in the held text ends within
  // its first characters, which settle it. The rest goes on as it is.
  if (!held_.empty()) {
    const size_t settle = longest_ - 1;
    if (text.size() < settle) {
      Write(text);
      return;
    }
    held_.append(text.substr(0, settle));
    Pass(held_, true);
    held_.clear();
    text.remove_prefix(settle);
  }
  PassOn();
  next_.WriteWithout(absent, text);
}

void ReplaceAllSink::Finish() {
  if (!held_.empty()) Pass(held_, true);
  held_.clear();
  PassOn();
}

int ReplaceAllSink::MatchAt(std::u16string_view text, size_t at, bool last) const {
  const std::u16string_view rest = text.substr(at);
  for (size_t i = 0; i < finds_.size(); ++i) {
    if (rest.starts_with(finds_[i])) return static_cast<int>(i);
    // An earlier find comes first, so one that more text may still
    // complete settles nothing yet.
    if (!last && rest.size() < finds_[i].size() && std::u16string_view(finds_[i]).starts_with(rest)) return -2;
  }
  return -1;
}

size_t ReplaceAllSink::Pass(std::u16string_view text, bool last) {
  if (finds_.size() > 1) {
    const char16_t lead = finds_[0][0];
    size_t start = 0;
    for (size_t at = FindText(text, {&lead, 1}); at != std::u16string_view::npos;
         at = FindText(text, {&lead, 1}, at)) {
      const int match = MatchAt(text, at, last);
      if (match == -2) {
        Emit(text.substr(start, at - start));
        return at;
      }
      if (match < 0) {
        ++at;
        continue;
      }
      Emit(text.substr(start, at - start));
      out_ += replacements_[match];
      at += finds_[match].size();
      start = at;
    }
    Emit(text.substr(start));
    return text.size();
  }
  const std::u16string& find_ = finds_[0];
  // Matches are searched from the left as in ReplaceAll. A match needs all
  // of its characters, so only the last find_.size() - 1 characters, which
  // more text may still complete, are held back, and of those only from
  // the first one a match can start with.
  size_t start = 0;
  for (size_t match = FindText(text, find_); match != std::u16string_view::npos;
       match = FindText(text, find_, start)) {
    Emit(text.substr(start, match - start));
    out_ += replacements_[0];
    start = match + find_.size();
  }
  size_t end = text.size();
  if (!last) {
    size_t tail = std::max(start, end - std::min(end, find_.size() - 1));
    end = std::min(end, text.find(find_[0], tail));
  }
  Emit(text.substr(start, end - start));
  return end;
}

void ReplaceAllSink::Emit(std::u16string_view text) {
  // Short pieces and replacements go out together; a long piece goes out
  // as it is, after what came before it.
  if (text.size() < kDirectSize) {
    out_ += text;
    return;
  }
  PassOn();
  next_.Write(text);
}

void ReplaceAllSink::PassOn() {
  if (out_.empty()) return;
  next_.Write(out_);
  out_.clear();
}

namespace {

// Whether the replacements can all be made in one search of the text, with
// the same result as making them one after another. They can when:
//  - every find starts with the same character and holds it nowhere else:
//    two matches then never overlap, and where several finds match at one
//    place the earliest of them is taken, as one after another would;
//  - no replacement text that comes before a find holds that character or
//    starts with one of the find's other characters: a later find's match
//    cannot then take in any of it, nor two texts that it brought together.
bool InOnePass(std::initializer_list<ReplaceChainSink::Replacement> replacements) {
  if (replacements.size() < 2) return false;
  const char16_t lead = replacements.begin()->find.empty() ? 0 : replacements.begin()->find[0];
  for (const auto& [find, replacement] : replacements) {
    if (find.empty() || find[0] != lead || find.find(lead, 1) != std::u16string_view::npos) return false;
  }
  for (auto earlier = replacements.begin(); earlier != replacements.end(); ++earlier) {
    const std::u16string_view text = earlier->replacement;
    for (auto later = earlier + 1; later != replacements.end(); ++later) {
      if (text.empty() || text.find(lead) != std::u16string_view::npos ||
          later->find.find(text[0], 1) != std::u16string_view::npos) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

ReplaceChainSink::ReplaceChainSink(std::initializer_list<Replacement> replacements, TextSink& next) {
  if (InOnePass(replacements)) {
    std::vector<std::u16string> finds, texts;
    for (const auto& [find, replacement] : replacements) {
      finds.emplace_back(find);
      texts.emplace_back(replacement);
    }
    sinks_.push_back(std::unique_ptr<ReplaceAllSink>(new ReplaceAllSink(std::move(finds), std::move(texts), next)));
    return;
  }
  // One after another: the last one's sink is made first, as it is written
  // to by the one before it.
  TextSink* to = &next;
  if (replacements.size() == 0) sinks_.push_back(std::make_unique<ReplaceAllSink>(u"", u"", next));
  for (auto it = std::rbegin(replacements); it != std::rend(replacements); ++it) {
    sinks_.insert(sinks_.begin(), std::make_unique<ReplaceAllSink>(it->find, it->replacement, *to));
    to = sinks_.front().get();
  }
}

void ReplaceChainSink::Finish() {
  for (const auto& sink : sinks_) sink->Finish();
}

}  // namespace quarnel
