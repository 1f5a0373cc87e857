#include "platform/win32_util.h"

#include <cstdio>

namespace quarnel {

std::u16string LongPathForm(const std::u16string& path) {
  if (path.starts_with(u"\\\\?\\") || path.starts_with(u"\\\\.\\")) return path;
  DWORD size = GetFullPathNameW(Wide(path), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(Wide(path), size, full.data(), nullptr);
  if (length == 0 || length >= size || length < MAX_PATH) return path;
  full.resize(length);
  std::u16string result = FromWide(full.data(), full.size());
  if (result.starts_with(u"\\\\?\\") || result.starts_with(u"\\\\.\\")) return result;
  // "\\server\share\..." becomes "\\?\UNC\server\share\...".
  if (result.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + result.substr(2);
  return u"\\\\?\\" + result;
}

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
