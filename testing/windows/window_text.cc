// Prints the texts a top-level window shows, so a test can read a message
// box that it found by its title.
//
// usage: quarnel_window_text.exe TITLE
// Writes, in UTF-8, one line per visible text control ("Static") of the first
// visible top-level window titled TITLE; exits with 1 if there is none.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
  std::wstring title;
  HWND found = nullptr;
};

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

BOOL CALLBACK FindTitled(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (IsWindowVisible(window) && TextOf(window) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK PrintStatic(HWND window, LPARAM) {
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  std::wstring text = TextOf(window);
  if (lstrcmpiW(class_name, L"Static") != 0 || text.empty()) return TRUE;
  std::string bytes(text.size() * 4 + 1, '\0');
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(length > 0 ? static_cast<size_t>(length) : 0);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fputc('\n', stdout);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: quarnel_window_text.exe TITLE\n", stderr);
    return 2;
  }
  Search search{argv[1]};
  EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return 1;
  EnumChildWindows(search.found, PrintStatic, 0);
  return 0;
}
