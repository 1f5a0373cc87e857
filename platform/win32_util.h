#ifndef QUARNEL_PLATFORM_WIN32_UTIL_H_
#define QUARNEL_PLATFORM_WIN32_UTIL_H_

// Helpers shared by the Win32 backends only; nothing outside platform/
// includes this header.
#include <windows.h>

#include <string>
#include <string_view>

namespace quarnel {

/// UTF-16 is wchar_t on Windows: the same code units under another type.
inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::u16string FromWide(const wchar_t* text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

/// `path` as the wide file functions take it at any length. A path whose
/// full form has MAX_PATH (260) characters or more becomes that full form
/// with the "\\?\" prefix, which lifts the limit (the full form is
/// normalized first, as the functions would do it: "/" to "\", "." and
/// ".." resolved). Shorter paths, and paths already in a "\\?\" or
/// "\\.\" form, are returned as they are.
std::u16string LongPathForm(const std::u16string& path);

/// "<call>: <the system's text for `error`>", e.g. "CreateFileW: ...".
std::u16string Win32ErrorText(const char* call, DWORD error);

/// Closes a kernel handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    if (!ok()) return true;
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_WIN32_UTIL_H_
