#include "text/code_points.h"

namespace quarnel {

char32_t CodePointAt(std::u16string_view text, size_t* i) {
  char32_t c = text[*i];
  if (c >= 0xD800 && c <= 0xDBFF && *i + 1 < text.size() && text[*i + 1] >= 0xDC00 &&
      text[*i + 1] <= 0xDFFF) {
    ++*i;
    return 0x10000 + ((c - 0xD800) << 10) + (text[*i] - 0xDC00);
  }
  return c;
}

void AppendCharacterReference(char32_t code_point, std::string* bytes) {
  char digits[10];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + code_point % 10);
    code_point /= 10;
  } while (code_point != 0);
  *bytes += "&#";
  while (count > 0) *bytes += digits[--count];
  *bytes += ';';
}

void AppendCharacterReferenceAt(std::u16string_view text, size_t* i, std::string* bytes) {
  char32_t c = CodePointAt(text, i);
  AppendCharacterReference(IsSurrogate(c) ? 0xFFFD : c, bytes);
}

}  // namespace quarnel
