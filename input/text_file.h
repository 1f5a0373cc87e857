#ifndef QUARNEL_INPUT_TEXT_FILE_H_
#define QUARNEL_INPUT_TEXT_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "input/file_error.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace quarnel {

/// A text file read whole and cut into lines. `lines` point into `text`, so
/// the object is neither copied nor moved.
struct TextFile {
  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  std::u16string text;
  std::vector<std::u16string_view> lines;
};

/// Reads the text file at `path` in the code page into `file`. Fails with
/// CannotRead, InvalidText or NulCharacter (naming the first bad line).
bool ReadTextFile(FileSystem& files, CodePage& code_page,
                  const std::u16string& path, TextFile* file, FileError* error);

/// The line (from 1) that holds byte `offset` of `bytes`, lines ending at
/// CR LF or a lone CR.
size_t LineNumberAt(std::string_view bytes, size_t offset);

}  // namespace quarnel

#endif  // QUARNEL_INPUT_TEXT_FILE_H_
