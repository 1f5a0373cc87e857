#ifndef QUARNEL_TEXT_GTSTR_H_
#define QUARNEL_TEXT_GTSTR_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

/// The first position at or after `from` where `find` starts in `text`, or
/// npos. Like std::u16string_view::find, made quick for long texts in which
/// the first character of `find` is rare.
size_t FindText(std::u16string_view text, std::u16string_view find, size_t from = 0);

/// Returns `text` with every occurrence of `find` replaced by `replacement`.
/// Occurrences are found left to right and never overlap; the inserted
/// replacement is not searched again. An empty `find` leaves the text as it is.
/// One pass over the text: linear in the sizes of the input and the result;
/// a text without any occurrence is handed back as it came, without a copy.
std::u16string ReplaceAll(std::u16string text, std::u16string_view find,
                          std::u16string_view replacement);

/// The pieces of `text` between occurrences of `delimiter`, from index 0.
/// There is always one piece more than there are occurrences; a text without
/// the delimiter is one piece, the whole text. An empty delimiter gives the
/// whole text as one piece.
std::vector<std::u16string> SplitText(std::u16string_view text,
                                      std::u16string_view delimiter);

/// The plain decimal digits of `number`: no sign for positive values, no
/// leading zeros, no leading blank.
std::u16string DecimalText(long long number);

}  // namespace quarnel

#endif  // QUARNEL_TEXT_GTSTR_H_
