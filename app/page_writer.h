#ifndef QUARNEL_APP_PAGE_WRITER_H_
#define QUARNEL_APP_PAGE_WRITER_H_

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "input/file_error.h"
#include "input/text_encoding.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "text/text_sink.h"

namespace quarnel {

/// The page's path: `stage_path` with the extension of its file name
/// replaced by ".html" (or `extension`), or that appended when the file
/// name has none. A "." in a directory name is not an extension.
std::u16string OutputPath(std::u16string_view stage_path, PathStyle style,
                          std::u16string_view extension = u".html");

/// Starts writing `out`, a file made from `input_path`, as a page is
/// started: into a temporary file that Commit puts in place, refusing to
/// replace the input itself or a file the system refuses to write there.
/// Null, with `error` naming `out` and saying why, on failure.
std::unique_ptr<FileWriter> StartOutputFile(FileSystem& files, const std::u16string& out,
                                            const std::u16string& input_path, FileError* error);

/// Writes the page to the output path of a stage file as its text is
/// produced: encoded in pieces, into a temporary file that Finish puts in
/// place. The page is in `encoding` (its template's): in the code page,
/// where a character it lacks becomes a character reference, or in UTF-8,
/// after a byte order mark for Utf8WithBom. Refuses to replace the stage
/// file itself. Memory stays bounded however long the page is.
///
/// A long page is encoded and written on a second thread while the caller
/// goes on producing text: a few pieces wait between the two at most. The
/// file system and the code page are used from that thread until Finish
/// returns, and from no other meanwhile.
class PageWriter final : public TextSink {
 public:
  PageWriter(FileSystem& files, CodePage& code_page, std::u16string stage_path,
             TextEncoding encoding = TextEncoding::CodePage);
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;
  /// A page not finished is not written; nothing of it is left behind.
  ~PageWriter() override;
  /// Appends page text; after a failure the rest is ignored and Finish
  /// reports the failure.
  void Write(std::u16string_view text) override;
  /// Ends the page with CR LF and puts it in place. A page that received no
  /// text is not written at all, and that is a success. On failure nothing
  /// was replaced and `error` says why. An exception the writing thread met
  /// (no memory left) is thrown here, nothing written.
  bool Finish(FileError* error);

 private:
  struct Piece {
    std::u16string text;
    bool last = false;
  };
  // The producing side.
  void Hand(bool last);
  std::u16string SpareText();
  void StopWriting();
  // The writing side: the second thread, or the caller's for a short page.
  void WriteOut();
  void Put(const Piece& piece);
  void Flush(std::string_view bytes);

  FileSystem& files_;
  CodePage& code_page_;
  std::u16string stage_path_;
  TextEncoding encoding_;
  std::u16string text_;  // not yet handed on
  bool empty_ = true;

  // Between the two sides.
  std::thread writer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Piece> pieces_;  // handed on, not yet taken
  // Buffers of pieces written, for the text to come: a fresh block for
  // each piece would be fresh pages from the system each time.
  std::vector<std::u16string> spare_;
  bool closing_ = false;
  std::atomic<bool> failed_{false};

  // The writing side's own; the producing side reads them after joining.
  std::unique_ptr<FileWriter> file_;
  FileError error_;
  std::exception_ptr exception_;
};

}  // namespace quarnel

#endif  // QUARNEL_APP_PAGE_WRITER_H_
