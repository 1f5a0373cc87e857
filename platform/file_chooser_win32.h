#ifndef QUARNEL_PLATFORM_FILE_CHOOSER_WIN32_H_
#define QUARNEL_PLATFORM_FILE_CHOOSER_WIN32_H_

// The parts of the Win32 open-file dialog that can be checked without
// showing it; only the backend and its tests include this header.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

/// The dialog's record in its oldest form, the one every version of the
/// common dialogs accepts: 76 bytes in a 32-bit program, the same fields in
/// the native layout in a 64-bit one.
using OpenFileRecord = OPENFILENAME_NT4A;

/// The file buffer: 512 bytes, so the longest path it holds has 511.
inline constexpr size_t kFileBufferSize = 512;

/// The open-file flags: hide the read-only box, accept only an existing
/// file, the Explorer style, long names.
inline constexpr DWORD kOpenFileFlags =
    OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;

/// The title and the filter list in the ANSI code page, kept alive for the
/// dialog; `filter` is "<name>\0<pattern>\0\0".
struct AnsiDialogTexts {
  std::string title;
  std::string filter;
};

/// Fills `record` for one dialog: no owner, the filter and title of `texts`,
/// `buffer` (kFileBufferSize bytes, all NUL) for the chosen path, every
/// other field zero.
void FillOpenFileRecord(HINSTANCE instance, const AnsiDialogTexts& texts, char* buffer,
                        OpenFileRecord* record);

/// The text of the file buffer before its first pair of NULs; a path that
/// fills the buffer ends at its first NUL, and one with no NUL at all is
/// refused (returns false): the buffer is never read past its end.
bool PathInFileBuffer(const char* buffer, size_t size, std::string* path);

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_FILE_CHOOSER_WIN32_H_
