#ifndef QUARNEL_APP_PAGE_WRITER_H_
#define QUARNEL_APP_PAGE_WRITER_H_

#include <memory>
#include <string>
#include <string_view>

#include "input/file_error.h"
#include "input/text_encoding.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "text/text_sink.h"

namespace quarnel {

/// The page's path: `stage_path` with the extension of its file name
/// replaced by ".html", or ".html" appended when the file name has none.
/// A "." in a directory name is not an extension.
std::u16string OutputPath(std::u16string_view stage_path, PathStyle style);

/// Writes the page to the output path of a stage file as its text is
/// produced: encoded in pieces, into a temporary file that Finish puts in
/// place. The page is in `encoding` (its template's): in the code page,
/// where a character it lacks becomes a character reference, or in UTF-8,
/// after a byte order mark for Utf8WithBom. Refuses to replace the stage
/// file itself. Memory stays bounded however long the page is.
class PageWriter final : public TextSink {
 public:
  PageWriter(FileSystem& files, CodePage& code_page, std::u16string stage_path,
             TextEncoding encoding = TextEncoding::CodePage);
  /// Appends page text; after a failure the rest is ignored and Finish
  /// reports the failure.
  void Write(std::u16string_view text) override;
  /// Ends the page with CR LF and puts it in place. A page that received no
  /// text is not written at all, and that is a success. On failure nothing
  /// was replaced and `error` says why.
  bool Finish(FileError* error);

 private:
  void Encode(bool last);
  bool Flush(std::string_view bytes);

  FileSystem& files_;
  CodePage& code_page_;
  std::u16string stage_path_;
  TextEncoding encoding_;
  std::u16string text_;  // not yet encoded
  std::unique_ptr<FileWriter> file_;
  bool empty_ = true;
  bool bom_pending_ = false;  // the byte order mark goes before the first bytes
  bool failed_ = false;
  FileError error_;
};

/// Writes `page` (followed by CR LF) in `encoding` to the output path of
/// `stage_path`, replacing an earlier page. Refuses to replace the stage file
/// itself. On failure nothing was written and `error` says why.
bool WriteDocument(FileSystem& files, CodePage& code_page,
                   const std::u16string& stage_path, std::u16string_view page,
                   FileError* error, TextEncoding encoding = TextEncoding::CodePage);

}  // namespace quarnel

#endif  // QUARNEL_APP_PAGE_WRITER_H_
