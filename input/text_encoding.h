#ifndef QUARNEL_INPUT_TEXT_ENCODING_H_
#define QUARNEL_INPUT_TEXT_ENCODING_H_

#include <string_view>

#include "text/lines.h"

namespace quarnel {

/// How the bytes of an input file are read, decided per file: the code page
/// (Shift_JIS), UTF-8, or UTF-8 behind a byte order mark (EF BB BF), which
/// is not part of the text. A page is written in its template's encoding.
enum class TextEncoding { CodePage, Utf8, Utf8WithBom };

/// The UTF-8 byte order mark.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

/// The encoding of a file's bytes: UTF-8 with a byte order mark at the
/// start; else UTF-8 when the bytes are strictly valid UTF-8 and hold at
/// least one sequence of three or four bytes (Japanese text in UTF-8 does,
/// while half-width katakana in Shift_JIS can pass as two-byte UTF-8); else
/// the code page. Linear in the bytes.
TextEncoding DecideTextEncoding(std::string_view bytes);

/// Whether `bytes` are UTF-8 without overlong forms, surrogates or code
/// points above U+10FFFF, and with no sequence cut off at the end.
bool IsStrictUtf8(std::string_view bytes);

/// The bytes of the text after a byte order mark, if `encoding` has one.
std::string_view TextBytes(std::string_view bytes, TextEncoding encoding);

/// How the lines of `text_bytes` (the text after any byte order mark) end:
/// at LF when they hold no CR at all, else at CR LF or a lone CR.
LineEnds DecideLineEnds(std::string_view text_bytes);

}  // namespace quarnel

#endif  // QUARNEL_INPUT_TEXT_ENCODING_H_
