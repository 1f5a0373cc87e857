#ifndef QUARNEL_INPUT_TEXT_FILE_H_
#define QUARNEL_INPUT_TEXT_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "input/file_error.h"
#include "input/text_encoding.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace quarnel {

/// A text file read whole and cut into lines, with the encoding and the line
/// ends it was read in. `lines` point into `text`, so the object is neither
/// copied nor moved.
struct TextFile {
  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  std::u16string text;
  std::vector<std::u16string_view> lines;
  TextEncoding encoding = TextEncoding::CodePage;
  LineEnds line_ends = LineEnds::CrLf;
};

/// Reads the text file at `path` into `file`, in the encoding and with the
/// line ends that DecideTextEncoding and DecideLineEnds find in its bytes.
/// Fails with CannotRead, InvalidText (bytes not valid in that encoding) or
/// NulCharacter, naming the first bad line. With `bytes_read`, the bytes the
/// file was decoded from go there too, for a caller that looks at them
/// again, so that it sees what was decoded.
bool ReadTextFile(FileSystem& files, CodePage& code_page, const std::u16string& path,
                  TextFile* file, FileError* error, std::string* bytes_read = nullptr);

/// Decodes the bytes of a text file as ReadTextFile does; `path` is only
/// named in `error`.
bool DecodeTextFile(CodePage& code_page, std::string_view file_bytes,
                    const std::u16string& path, TextFile* file, FileError* error);

/// The line (from 1) that holds byte `offset` of `bytes`, the text of a file
/// after any byte order mark, whose lines end as `line_ends` says.
size_t LineNumberAt(std::string_view bytes, size_t offset, LineEnds line_ends);

}  // namespace quarnel

#endif  // QUARNEL_INPUT_TEXT_FILE_H_
