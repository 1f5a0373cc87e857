#include "text/text_sink.h"

#include <algorithm>

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
    : find_(find), replacement_(replacement), next_(next) {}

void ReplaceAllSink::Write(std::u16string_view text) {
  if (find_.empty()) {
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
    const size_t joined = std::min(text.size(), find_.size() - 1);
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

void ReplaceAllSink::Finish() {
  if (!held_.empty()) Pass(held_, true);
  held_.clear();
  PassOn();
}

size_t ReplaceAllSink::Pass(std::u16string_view text, bool last) {
  // Matches are searched from the left as in ReplaceAll. A match needs all
  // of its characters, so only the last find_.size() - 1 characters, which
  // more text may still complete, are held back, and of those only from
  // the first one a match can start with.
  size_t start = 0;
  for (size_t match = FindText(text, find_); match != std::u16string_view::npos;
       match = FindText(text, find_, start)) {
    Emit(text.substr(start, match - start));
    out_ += replacement_;
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

}  // namespace quarnel
