#ifndef QUARNEL_APP_PAGE_WRITER_H_
#define QUARNEL_APP_PAGE_WRITER_H_

#include <string>
#include <string_view>

#include "input/file_error.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace quarnel {

/// The page's path: `stage_path` with the extension of its file name
/// replaced by ".html", or ".html" appended when the file name has none.
/// A "." in a directory name is not an extension.
std::u16string OutputPath(std::u16string_view stage_path, PathStyle style);

/// Writes `page` (followed by CR LF) in the code page to the output path of
/// `stage_path`, replacing an earlier page. Refuses to replace the stage file
/// itself. On failure nothing was written and `error` says why.
bool WriteDocument(FileSystem& files, CodePage& code_page,
                   const std::u16string& stage_path, std::u16string_view page,
                   FileError* error);

}  // namespace quarnel

#endif  // QUARNEL_APP_PAGE_WRITER_H_
