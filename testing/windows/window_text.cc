// Prints the texts a top-level window shows, so a test can read a message
// box that it found by its title.
//
// usage: quarnel_window_text.exe TITLE
// Writes, in UTF-8, one line "<class>: <text>" per visible control of the
// first visible top-level window titled TITLE, in their order; a control that
// shows an icon or a picture reads "Static: [picture]", and one that could
// but shows none is left out. Exits with 1 if there is no such window.
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

BOOL CALLBACK PrintControl(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  std::wstring text = std::wstring(class_name) + L": ";
  LONG style = GetWindowLongW(window, GWL_STYLE);
  bool picture = lstrcmpiW(class_name, L"Static") == 0 &&
                 ((style & SS_TYPEMASK) == SS_ICON || (style & SS_TYPEMASK) == SS_BITMAP);
  if (picture) {
    bool icon = (style & SS_TYPEMASK) == SS_ICON;
    LRESULT image = SendMessageW(window, STM_GETIMAGE, icon ? IMAGE_ICON : IMAGE_BITMAP, 0);
    if (icon && image == 0) image = SendMessageW(window, STM_GETICON, 0, 0);
    if (image == 0) return TRUE;
  }
  std::wstring shown = TextOf(window);
  // A drop-down list has no text of its own: it shows its chosen item.
  if (lstrcmpiW(class_name, L"ComboBox") == 0 && shown.empty()) {
    LRESULT item = SendMessageW(window, CB_GETCURSEL, 0, 0);
    LRESULT length = item == CB_ERR ? CB_ERR : SendMessageW(window, CB_GETLBTEXTLEN, item, 0);
    if (length != CB_ERR) {
      shown.assign(static_cast<size_t>(length) + 1, L'\0');
      SendMessageW(window, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(shown.data()));
      shown.resize(static_cast<size_t>(length));
    }
  }
  text += picture ? L"[picture]" : shown;
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
  EnumChildWindows(search.found, PrintControl, 0);
  return 0;
}
