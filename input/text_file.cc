#include "input/text_file.h"

#include "platform/utf8.h"
#include "text/lines.h"

namespace quarnel {
namespace {

// Line ends are found in the bytes themselves: in code page 932 and in UTF-8
// the bytes CR, LF and NUL never occur inside a multi-byte character.
size_t LineEnd(std::string_view bytes, size_t start, LineEnds line_ends) {
  size_t end = bytes.find(line_ends == LineEnds::Lf ? '\n' : '\r', start);
  return end == std::string_view::npos ? bytes.size() : end;
}

size_t NextLineStart(std::string_view bytes, size_t end, LineEnds line_ends) {
  if (end >= bytes.size()) return bytes.size();
  bool cr_lf = line_ends == LineEnds::CrLf && end + 1 < bytes.size() && bytes[end + 1] == '\n';
  return end + (cr_lf ? 2 : 1);
}

// Decodes the text bytes of a file (after any byte order mark); false when
// they are not valid in `encoding`.
bool Decode(CodePage& code_page, TextEncoding encoding, std::string_view bytes,
            std::u16string* text) {
  if (encoding == TextEncoding::CodePage) return code_page.Decode(bytes, text);
  if (!IsStrictUtf8(bytes)) return false;
  *text = DecodeUtf8(bytes);
  return true;
}

// The first line that does not decode; only called once the whole file has
// failed to, so the normal path decodes the file in one call.
size_t FirstUndecodableLine(CodePage& code_page, TextEncoding encoding,
                            std::string_view bytes, LineEnds line_ends) {
  std::u16string scratch;
  size_t line = 1;
  for (size_t start = 0; start < bytes.size(); ++line) {
    size_t end = LineEnd(bytes, start, line_ends);
    if (!Decode(code_page, encoding, bytes.substr(start, end - start), &scratch)) {
      return line;
    }
    start = NextLineStart(bytes, end, line_ends);
  }
  // Every line decodes on its own: the fault lies at a line end.
  return line > 1 ? line - 1 : 1;
}

}  // namespace

size_t LineNumberAt(std::string_view bytes, size_t offset, LineEnds line_ends) {
  size_t line = 1;
  for (size_t start = 0; start < bytes.size(); ++line) {
    size_t end = LineEnd(bytes, start, line_ends);
    if (offset <= end) return line;
    start = NextLineStart(bytes, end, line_ends);
    if (offset < start) return line;
  }
  return line;
}

bool ReadTextFile(FileSystem& files, CodePage& code_page, const std::u16string& path,
                  TextFile* file, FileError* error, std::string* bytes_read) {
  std::string own_bytes;
  std::string& file_bytes = bytes_read != nullptr ? *bytes_read : own_bytes;
  std::u16string reason;
  if (files.ReadFile(path, &file_bytes, &reason) != FileSystem::ReadStatus::Ok) {
    *error = {FileError::Kind::CannotRead, path, 0, reason};
    return false;
  }
  return DecodeTextFile(code_page, file_bytes, path, file, error);
}

bool DecodeTextFile(CodePage& code_page, std::string_view file_bytes,
                    const std::u16string& path, TextFile* file, FileError* error) {
  file->encoding = DecideTextEncoding(file_bytes);
  std::string_view bytes = TextBytes(file_bytes, file->encoding);
  file->line_ends = DecideLineEnds(bytes);
  // A NUL would cut a stage record apart, so it is refused, not read. Of
  // several faults the one on the earliest line is named.
  size_t nul = bytes.find('\0');
  size_t nul_line =
      nul == std::string_view::npos ? 0 : LineNumberAt(bytes, nul, file->line_ends);
  if (!Decode(code_page, file->encoding, bytes, &file->text)) {
    size_t bad_line = FirstUndecodableLine(code_page, file->encoding, bytes, file->line_ends);
    if (nul_line == 0 || bad_line <= nul_line) {
      *error = {FileError::Kind::InvalidText, path, bad_line, {}};
      return false;
    }
  }
  if (nul_line != 0) {
    *error = {FileError::Kind::NulCharacter, path, nul_line, {}};
    return false;
  }
  file->lines = SplitLines(file->text, file->line_ends);
  return true;
}

}  // namespace quarnel
