#include "input/text_file.h"

#include "text/lines.h"

namespace quarnel {
namespace {

// Line ends are found in the bytes themselves: in code page 932 the bytes
// CR, LF and NUL never occur inside a double-byte character.
size_t LineEnd(std::string_view bytes, size_t start) {
  size_t end = bytes.find('\r', start);
  return end == std::string_view::npos ? bytes.size() : end;
}

size_t NextLineStart(std::string_view bytes, size_t end) {
  if (end >= bytes.size()) return bytes.size();
  return end + ((end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
}

// The first line that does not decode; only called once the whole file has
// failed to, so the normal path decodes the file in one call.
size_t FirstUndecodableLine(CodePage& code_page, std::string_view bytes) {
  std::u16string scratch;
  size_t line = 1;
  for (size_t start = 0; start < bytes.size(); ++line) {
    size_t end = LineEnd(bytes, start);
    if (!code_page.Decode(bytes.substr(start, end - start), &scratch)) return line;
    start = NextLineStart(bytes, end);
  }
  // Every line decodes on its own: the fault lies at a line end.
  return line > 1 ? line - 1 : 1;
}

}  // namespace

size_t LineNumberAt(std::string_view bytes, size_t offset) {
  size_t line = 1;
  for (size_t start = 0; start < bytes.size(); ++line) {
    size_t end = LineEnd(bytes, start);
    if (offset <= end) return line;
    start = NextLineStart(bytes, end);
    if (offset < start) return line;
  }
  return line;
}

bool ReadTextFile(FileSystem& files, CodePage& code_page,
                  const std::u16string& path, TextFile* file, FileError* error) {
  std::string bytes;
  std::u16string reason;
  if (files.ReadFile(path, &bytes, &reason) != FileSystem::ReadStatus::Ok) {
    *error = {FileError::Kind::CannotRead, path, 0, reason};
    return false;
  }
  // A NUL would cut a stage record apart, so it is refused, not read. Of
  // several faults the one on the earliest line is named.
  size_t nul = bytes.find('\0');
  size_t nul_line = nul == std::string::npos ? 0 : LineNumberAt(bytes, nul);
  if (!code_page.Decode(bytes, &file->text)) {
    size_t bad_line = FirstUndecodableLine(code_page, bytes);
    if (nul_line == 0 || bad_line <= nul_line) {
      *error = {FileError::Kind::InvalidText, path, bad_line, {}};
      return false;
    }
  }
  if (nul_line != 0) {
    *error = {FileError::Kind::NulCharacter, path, nul_line, {}};
    return false;
  }
  file->lines = SplitLines(file->text);
  return true;
}

}  // namespace quarnel
