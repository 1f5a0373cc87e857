#include "platform/code_page.h"

namespace quarnel {

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

}  // namespace quarnel
