#include "platform/file_chooser_win32.h"

#include <cstddef>
#include <cstring>

#include "platform/file_chooser.h"

namespace quarnel {

// The record as the dialog reads it in a 32-bit program.
#if !defined(_WIN64)
static_assert(sizeof(OpenFileRecord) == 76);
static_assert(offsetof(OpenFileRecord, lStructSize) == 0);
static_assert(offsetof(OpenFileRecord, hwndOwner) == 4);
static_assert(offsetof(OpenFileRecord, hInstance) == 8);
static_assert(offsetof(OpenFileRecord, lpstrFilter) == 12);
static_assert(offsetof(OpenFileRecord, lpstrCustomFilter) == 16);
static_assert(offsetof(OpenFileRecord, nMaxCustFilter) == 20);
static_assert(offsetof(OpenFileRecord, nFilterIndex) == 24);
static_assert(offsetof(OpenFileRecord, lpstrFile) == 28);
static_assert(offsetof(OpenFileRecord, nMaxFile) == 32);
static_assert(offsetof(OpenFileRecord, lpstrFileTitle) == 36);
static_assert(offsetof(OpenFileRecord, nMaxFileTitle) == 40);
static_assert(offsetof(OpenFileRecord, lpstrInitialDir) == 44);
static_assert(offsetof(OpenFileRecord, lpstrTitle) == 48);
static_assert(offsetof(OpenFileRecord, Flags) == 52);
static_assert(offsetof(OpenFileRecord, nFileOffset) == 56);
static_assert(offsetof(OpenFileRecord, nFileExtension) == 58);
static_assert(offsetof(OpenFileRecord, lpstrDefExt) == 60);
static_assert(offsetof(OpenFileRecord, lCustData) == 64);
static_assert(offsetof(OpenFileRecord, lpfnHook) == 68);
static_assert(offsetof(OpenFileRecord, lpTemplateName) == 72);
#endif
static_assert(kOpenFileFlags == 0x281004);

namespace {

// The default extension, handed to the dialog as it stands.
constexpr char kDefaultExtension[] = "*.*";

std::u16string Hex(DWORD value) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  std::u16string text = u"0x";
  for (int shift = 12; shift >= 0; shift -= 4) text.push_back(digits[(value >> shift) & 0xF]);
  return text;
}

// The dialog's texts and the path it returns are in the code page of the
// ANSI functions, the system's ANSI code page, whatever the files' code page
// is: UTF-8 where Windows' "Unicode UTF-8 for worldwide language support"
// option is on.
std::string ToAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  int size = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return bytes;
}

bool FromAnsi(std::string_view bytes, std::u16string* text) {
  text->clear();
  if (bytes.empty()) return true;
  // No character takes fewer bytes than code units.
  text->resize(bytes.size());
  int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(),
                                   static_cast<int>(bytes.size()),
                                   reinterpret_cast<wchar_t*>(text->data()),
                                   static_cast<int>(text->size()));
  text->resize(length > 0 ? static_cast<size_t>(length) : 0);
  return length > 0;
}

class Win32FileChooser final : public FileChooser {
 public:
  FileChoice Choose(const FileChooserRequest& request) override {
    AnsiDialogTexts texts;
    texts.title = ToAnsi(request.title);
    texts.filter = ToAnsi(request.filter_name);
    texts.filter.push_back('\0');
    texts.filter += ToAnsi(request.filter_pattern);
    texts.filter.append(2, '\0');

    char buffer[kFileBufferSize] = {};
    OpenFileRecord record;
    FillOpenFileRecord(GetModuleHandleW(nullptr), texts, buffer, &record);
    if (!GetOpenFileNameA(reinterpret_cast<OPENFILENAMEA*>(&record))) {
      // Cancelling leaves no error; anything else, such as a path too long
      // for the buffer (whose first bytes then hold a length, not a name),
      // must not be taken for a file name.
      DWORD error = CommDlgExtendedError();
      if (error == 0) return {FileChoice::Status::Cancelled, {}, {}};
      return {FileChoice::Status::Failed, {},
              error == FNERR_BUFFERTOOSMALL ? u"パスが長すぎます"
                                            : u"CommDlgExtendedError " + Hex(error)};
    }
    std::string path;
    if (!PathInFileBuffer(buffer, sizeof buffer, &path)) {
      return {FileChoice::Status::Failed, {}, u"パスが長すぎます"};
    }
    FileChoice choice{FileChoice::Status::Chosen, {}, {}};
    if (!FromAnsi(path, &choice.path)) {
      return {FileChoice::Status::Failed, {}, u"パスを読みとれません"};
    }
    if (choice.path.empty()) choice.status = FileChoice::Status::Cancelled;
    return choice;
  }
};

}  // namespace

void FillOpenFileRecord(HINSTANCE instance, const AnsiDialogTexts& texts, char* buffer,
                        OpenFileRecord* record) {
  std::memset(record, 0, sizeof *record);
  record->lStructSize = sizeof *record;
  record->hwndOwner = nullptr;
  record->hInstance = instance;
  record->lpstrFilter = texts.filter.c_str();
  record->nFilterIndex = 1;
  record->lpstrFile = buffer;
  record->nMaxFile = kFileBufferSize;
  record->lpstrTitle = texts.title.c_str();
  record->Flags = kOpenFileFlags;
  record->lpstrDefExt = kDefaultExtension;
}

bool PathInFileBuffer(const char* buffer, size_t size, std::string* path) {
  for (size_t i = 0; i + 1 < size; ++i) {
    if (buffer[i] == '\0' && buffer[i + 1] == '\0') {
      path->assign(buffer, i);
      return true;
    }
  }
  // No pair: a path that fills the buffer, ended by its last byte.
  const void* nul = std::memchr(buffer, '\0', size);
  if (nul == nullptr) return false;
  path->assign(buffer, static_cast<const char*>(nul) - buffer);
  return true;
}

std::unique_ptr<FileChooser> MakeDialogFileChooser() {
  return std::make_unique<Win32FileChooser>();
}

}  // namespace quarnel
