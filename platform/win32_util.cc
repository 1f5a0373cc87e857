#include "platform/win32_util.h"

#include <cstdio>

namespace quarnel {

std::u16string Win32ErrorText(const char* call, DWORD error) {
  std::u16string text;
  for (const char* c = call; *c; ++c) text.push_back(static_cast<char16_t>(*c));
  text += u": ";
  wchar_t* message = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  if (length != 0 && message != nullptr) {
    // The system's texts end in a line break, sometimes after a blank.
    while (length > 0 && (message[length - 1] == L'\r' || message[length - 1] == L'\n' ||
                          message[length - 1] == L' ')) {
      --length;
    }
    text += FromWide(message, length);
  } else {
    char number[32];
    std::snprintf(number, sizeof number, "error %lu", static_cast<unsigned long>(error));
    for (const char* c = number; *c; ++c) text.push_back(static_cast<char16_t>(*c));
  }
  if (message != nullptr) LocalFree(message);
  return text;
}

}  // namespace quarnel
