#include "text/gtstr.h"

namespace quarnel {

std::u16string ReplaceAll(std::u16string text, std::u16string_view find,
                          std::u16string_view replacement) {
  if (find.empty()) return text;
  size_t match = text.find(find);
  if (match == std::u16string::npos) return text;
  // Build the result once, from the pieces between matches: rebuilding the
  // whole text per match would be quadratic in the number of matches.
  std::u16string result;
  size_t start = 0;
  while (match != std::u16string::npos) {
    result.append(text, start, match - start);
    result.append(replacement);
    start = match + find.size();
    match = text.find(find, start);
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
  for (size_t match = text.find(delimiter); match != std::u16string_view::npos;
       match = text.find(delimiter, start)) {
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
