#include "text/gtstr.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quarnel {

size_t FindText(std::u16string_view text, std::u16string_view find, size_t from) {
  if (find.empty()) return from <= text.size() ? from : std::u16string_view::npos;
  if (text.size() < find.size()) return std::u16string_view::npos;
  constexpr size_t kBlock = 16;
  constexpr uint64_t kLanes = 0x0001000100010001;
  const char16_t first = find[0];
  const char16_t* data = text.data();
  const size_t end = text.size() - find.size() + 1;  // where no match can start
  for (size_t i = from; i < end;) {
    if (i + kBlock <= end) {
      // Whole blocks without the first character are passed over, four
      // characters to a 64-bit word: a word holds the character where the
      // word XOR the character repeated has a zero 16-bit lane.
      uint64_t zero_lanes = 0;
      for (size_t k = 0; k < kBlock; k += 4) {
        uint64_t word;
        std::memcpy(&word, data + i + k, sizeof word);
        word ^= kLanes * first;
        zero_lanes |= (word - kLanes) & ~word & (kLanes << 15);
      }
      if (zero_lanes == 0) {
        i += kBlock;
        continue;
      }
    }
    for (size_t stop = std::min(i + kBlock, end); i < stop; ++i) {
      if (data[i] == first && text.substr(i + 1, find.size() - 1) == find.substr(1)) {
        return i;
      }
    }
  }
  return std::u16string_view::npos;
}

std::u16string ReplaceAll(std::u16string text, std::u16string_view find,
                          std::u16string_view replacement) {
  if (find.empty()) return text;
  size_t match = FindText(text, find);
  if (match == std::u16string::npos) return text;
  // Build the result once, from the pieces between matches: rebuilding the
  // whole text per match would be quadratic in the number of matches.
  std::u16string result;
  size_t start = 0;
  while (match != std::u16string::npos) {
    result.append(text, start, match - start);
    result.append(replacement);
    start = match + find.size();
    match = FindText(text, find, start);
  }
  result.append(text, start, std::u16string::npos);
  return result;
}

std::vector<std::u16string> SplitText(std::u16string_view text,
                                      std::u16string_view delimiter) {
  std::vector<std::u16string> pieces;
  if (delimiter.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t start = 0;
  for (size_t match = FindText(text, delimiter); match != std::u16string_view::npos;
       match = FindText(text, delimiter, start)) {
    pieces.emplace_back(text.substr(start, match - start));
    start = match + delimiter.size();
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

std::u16string DecimalText(long long number) {
  // Work on the magnitude as unsigned so that the most negative value works.
  unsigned long long magnitude =
      number < 0 ? 0ULL - static_cast<unsigned long long>(number)
                 : static_cast<unsigned long long>(number);
  char16_t digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::u16string result;
  if (number < 0) result.push_back(u'-');
  while (count > 0) result.push_back(digits[--count]);
  return result;
}

}  // namespace quarnel
