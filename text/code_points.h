#ifndef QUARNEL_TEXT_CODE_POINTS_H_
#define QUARNEL_TEXT_CODE_POINTS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

inline bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

/// The character at `text[*i]`: a surrogate pair is one, and `*i` is moved
/// onto its second half; any other code unit, an unpaired surrogate too, is
/// itself.
char32_t CodePointAt(std::u16string_view text, size_t* i);

/// Appends the decimal character reference of `code_point` ("&#233;").
void AppendCharacterReference(char32_t code_point, std::string* bytes);

/// Appends the character reference of the character at `text[*i]`, taking
/// a surrogate pair as one character (`*i` moved onto its second half) and
/// an unpaired surrogate as U+FFFD: how a page in a code page keeps a
/// character the code page lacks.
void AppendCharacterReferenceAt(std::u16string_view text, size_t* i, std::string* bytes);

}  // namespace quarnel

#endif  // QUARNEL_TEXT_CODE_POINTS_H_
