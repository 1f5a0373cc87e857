#ifndef QUARNEL_PLATFORM_CODE_PAGE_H_
#define QUARNEL_PLATFORM_CODE_PAGE_H_

#include <memory>
#include <string>
#include <string_view>

namespace quarnel {

/// Conversion between the files' code page (932, Shift_JIS) and UTF-16.
class CodePage {
 public:
  virtual ~CodePage() = default;
  /// Decodes `bytes`. Returns false, leaving `text` unspecified, when the
  /// bytes are not valid text in the code page (including a double-byte
  /// character cut off at the end).
  virtual bool Decode(std::string_view bytes, std::u16string* text) = 0;
  /// Encodes `text` as page text: each character the code page cannot hold
  /// becomes its decimal character reference ("&#128512;"), and each
  /// unpaired surrogate that of U+FFFD, so no character is lost to a "?".
  virtual std::string Encode(std::u16string_view text) = 0;
};

/// POSIX: code page 932, whatever the locale. Windows: the system's ANSI
/// code page, which is 932 on the Japanese systems the program is made for,
/// and 932 too where the system's is UTF-8 (65001), which has no ANSI code
/// page for Shift_JIS files.
std::unique_ptr<CodePage> MakeSystemCodePage();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_CODE_PAGE_H_
