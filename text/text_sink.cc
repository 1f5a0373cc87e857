#include "text/text_sink.h"

#include <algorithm>

#include "text/gtstr.h"

namespace quarnel {
namespace {

// How much text a ReplaceAllSink gathers before it searches: enough to pass
// text on in large pieces, little enough to stay in the cache.
constexpr size_t kPassSize = 1 << 15;

}  // namespace

ReplaceAllSink::ReplaceAllSink(std::u16string_view find,
                               std::u16string_view replacement, TextSink& next)
    : find_(find), replacement_(replacement), next_(next) {}

void ReplaceAllSink::Write(std::u16string_view text) {
  if (find_.empty()) {
    next_.Write(text);
    return;
  }
  held_ += text;
  if (held_.size() >= kPassSize) Pass(false);
}

void ReplaceAllSink::Finish() {
  if (!held_.empty()) Pass(true);
}

void ReplaceAllSink::Pass(bool last) {
  // Matches are searched from the left as in ReplaceAll. A match needs all
  // of its characters, so only the last find_.size() - 1 characters, which
  // more text may still complete, are held back for the next pass.
  size_t start = 0;
  for (size_t match = FindText(held_, find_); match != std::u16string::npos;
       match = FindText(held_, find_, start)) {
    out_.append(held_, start, match - start);
    out_ += replacement_;
    start = match + find_.size();
  }
  size_t keep = last ? 0 : std::min(held_.size() - start, find_.size() - 1);
  size_t end = held_.size() - keep;
  if (start == 0) {  // no match: pass the text on as it stands
    next_.Write(std::u16string_view(held_).substr(start, end - start));
  } else {
    out_.append(held_, start, end - start);
    next_.Write(out_);
    out_.clear();
  }
  held_.erase(0, end);
}

}  // namespace quarnel
