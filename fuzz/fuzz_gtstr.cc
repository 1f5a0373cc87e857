// ReplaceAll and SplitText against plain transcriptions of their rules:
// rebuild the text after each match and search again from after the
// insertion; scan every position for the delimiter. Quadratic, and obviously
// right, which is all they are for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/gtstr.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// 1-based position of `find` in `s` at or after `from`, or 0.
size_t Position(const std::u16string& s, const std::u16string& find, size_t from) {
  if (from > s.size()) return 0;
  for (size_t i = from; i + find.size() <= s.size() + 1; ++i) {
    if (s.compare(i - 1, find.size(), find) == 0) return i;
  }
  return 0;
}

std::u16string ReferenceReplaceAll(const std::u16string& text, const std::u16string& find,
                                   const std::u16string& replacement) {
  std::u16string s = text;
  size_t pos = Position(s, find, 1);
  while (pos != 0) {
    s = s.substr(0, pos - 1) + replacement + s.substr(pos - 1 + find.size());
    pos = Position(s, find, pos + replacement.size());
  }
  return s;
}

std::vector<std::u16string> ReferenceSplitText(const std::u16string& text,
                                               const std::u16string& delimiter) {
  std::vector<std::u16string> result;
  size_t ld = delimiter.size();
  size_t start = 1;
  for (size_t i = 1; i + ld <= text.size() + 1; ++i) {
    if (text.compare(i - 1, ld, delimiter) == 0) {
      result.push_back(text.substr(start - 1, i - start));
      start = i + ld;
    }
  }
  result.push_back(text.substr(start - 1));
  return result;
}

// True if a proper prefix of `d` is also its suffix: such a delimiter could
// overlap itself, and the splitting rule is only stated for those that
// cannot.
bool CanOverlapItself(const std::u16string& d) {
  for (size_t n = 1; n < d.size(); ++n) {
    if (d.compare(0, n, d, d.size() - n, n) == 0) return true;
  }
  return false;
}

// A small alphabet makes matches likely: "a", "b", "[", "]", CR, LF, NUL and
// one character outside the single-byte range.
std::u16string Text(const uint8_t* data, size_t size) {
  static constexpr char16_t kAlphabet[] = {u'a', u'b', u'[', u']',
                                           u'\r', u'\n', u'\0', u'\u30B9'};
  std::u16string text;
  for (size_t i = 0; i < size; ++i) text.push_back(kAlphabet[data[i] % 8]);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Two length bytes, then the find text (or delimiter), the replacement and
  // the text.
  size_t find_size = data[0] % 5;
  size_t replacement_size = data[1] % 9;
  data += 2;
  size -= 2;
  if (size < find_size + replacement_size) return 0;
  std::u16string find = Text(data, find_size);
  std::u16string replacement = Text(data + find_size, replacement_size);
  std::u16string text = Text(data + find_size + replacement_size,
                             size - find_size - replacement_size);
  if (find.empty()) {
    // Left as it is, by contract.
    Check(quarnel::ReplaceAll(text, find, replacement) == text);
    Check(quarnel::SplitText(text, find) == std::vector<std::u16string>{text});
    return 0;
  }
  Check(quarnel::ReplaceAll(text, find, replacement) ==
        ReferenceReplaceAll(text, find, replacement));
  if (!CanOverlapItself(find)) {
    Check(quarnel::SplitText(text, find) == ReferenceSplitText(text, find));
  }
  return 0;
}
