#ifndef QUARNEL_INPUT_FILE_ERROR_H_
#define QUARNEL_INPUT_FILE_ERROR_H_

#include <cstddef>
#include <string>

namespace quarnel {

/// Why a file could not be used, with enough detail for a message that names
/// the file, what is wrong and, where it applies, the line.
struct FileError {
  enum class Kind {
    None,
    CannotRead,        // exists but cannot be opened or read; `detail` says why
    InvalidText,       // `line` is not valid text in the code page
    NulCharacter,      // `line` holds a NUL character
    DuplicateSection,  // the header on `line` repeats section `detail`
    CannotWrite,       // the page cannot be written; `detail` says why
    OutputIsInput,     // the page would replace the stage file itself
    MayNotWrite,       // the system refuses to write the page where it stands
  };
  Kind kind = Kind::None;
  std::u16string path;
  size_t line = 0;  // from 1; 0 where no line applies
  std::u16string detail;
};

/// The one message of a fatal error: the file, what is wrong with it and,
/// where it applies, the line. Both programs show it as it stands.
std::u16string FatalErrorText(const FileError& error);

/// What is wrong on the line of an error that names one (bad text, a NUL, a
/// repeated section), without the file and the line; for other errors the
/// whole message.
std::u16string LineProblemText(const FileError& error);

/// `text`, then `reason` in full-width parentheses where there is one.
std::u16string WithReason(std::u16string text, const std::u16string& reason);

}  // namespace quarnel

#endif  // QUARNEL_INPUT_FILE_ERROR_H_
