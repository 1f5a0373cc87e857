#ifndef QUARNEL_IMPORT_STAGE_IMPORT_H_
#define QUARNEL_IMPORT_STAGE_IMPORT_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace quarnel {

/// Why a text of addresses made no stage file: the line and column (from
/// 1; 0 where none applies) and what is wrong there.
struct ImportError {
  std::u16string path;  // as the user named it; "-" for standard input
  size_t line = 0;
  size_t column = 0;
  std::u16string reason;
};

/// The stage file of a text of addresses: each non-empty line that
/// LooksLikeAddress is a stage, titled by the line just before it when
/// that is no address, else 「ステージ N」 (N its place in the file); a
/// pzprv3 file is one stage. The stage file's text: each title, then the
/// board's rows (a clue's digit, a blank cell's " ", every row as wide as
/// the board), stages separated by "*", every line ending at CR LF. False,
/// with `error` (its line, column and reason) on the first line that cannot
/// be read, a title without an address after it, or a text without any.
bool StageTextOfLines(std::span<const std::u16string_view> lines, std::u16string* stage_text,
                      size_t* stage_count, ImportError* error);

/// The stage file's bytes of a text file's bytes (any encoding Quarnel
/// reads): UTF-8 after a byte order mark, CR LF.
bool StageFileOfBytes(CodePage& code_page, std::string_view input_bytes,
                      const std::u16string& input_name, std::string* stage_bytes,
                      size_t* stage_count, ImportError* error);

/// The stage file's path of a text file's: its extension replaced by
/// ".dat" ("urls.txt" -> "urls.dat").
std::u16string ImportedPath(std::u16string_view input_path, PathStyle style);

/// Reads the text file at `input_path` and writes its stage file beside it
/// (ImportedPath), as the page is written: whole or not at all, never over
/// the input. False, with `error` (its reason says all for a file that
/// cannot be read or written), when nothing was written.
bool ImportFile(FileSystem& files, CodePage& code_page, const std::u16string& input_path,
                std::u16string* output_path, size_t* stage_count, ImportError* error);

/// The error as a terminal line: "PATH:LINE:COLUMN: エラー: REASON".
std::u16string ImportErrorLine(const ImportError& error);
/// The error as a message box's text: "PATH の LINE 行目 COLUMN 文字目: REASON".
std::u16string ImportErrorBoxText(const ImportError& error);

}  // namespace quarnel

#endif  // QUARNEL_IMPORT_STAGE_IMPORT_H_
