#include <windows.h>

#include "platform/command_line.h"
#include "platform/process_info.h"
#include "platform/win32_util.h"

namespace quarnel {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

class Win32ProcessInfo final : public ProcessInfo {
 public:
  std::u16string ArgumentText() override {
    const wchar_t* line = GetCommandLineW();
    if (line == nullptr) return {};
    return ArgumentTextOf(FromWide(line, wcslen(line)));
  }

  std::vector<std::u16string> Arguments() override {
    return SplitArgumentText(ArgumentText());
  }

  std::u16string ExecutableDirectory() override {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length == 0) return u".";
      // A full buffer means the name was cut short: try a larger one.
      if (length < path.size()) {
        path.resize(length);
        break;
      }
      if (path.size() >= 1 << 16) return u".";
      path.resize(path.size() * 2);
    }
    std::u16string directory = FromWide(path.data(), path.size());
    size_t end = directory.size();
    while (end > 0 && !IsSeparator(directory[end - 1])) --end;
    if (end == 0) return u".";
    directory.resize(end);
    // "C:\" keeps the separator that makes it a root.
    bool root = directory.size() == 3 && directory[1] == u':';
    if (!root && directory.size() > 1) directory.pop_back();
    return directory;
  }
};

}  // namespace

std::unique_ptr<ProcessInfo> MakeSystemProcessInfo() {
  return std::make_unique<Win32ProcessInfo>();
}

}  // namespace quarnel
