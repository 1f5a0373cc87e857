#ifndef QUARNEL_TEXT_LINES_H_
#define QUARNEL_TEXT_LINES_H_

#include <string_view>
#include <vector>

namespace quarnel {

/// Cuts `text` into lines as a text file is read: CR LF or a lone CR ends a
/// line and is not part of it; a lone LF stays in the line; the end of the
/// text ends the last line, and a final terminator adds no empty line. The
/// lines are views into `text`.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

/// The grid lines of a stage's grid text (CR LF between lines), as views
/// into it; an empty text is one empty line. The page draws these lines and
/// the loop solver reads them as its board.
std::vector<std::u16string_view> GridLines(std::u16string_view body);

}  // namespace quarnel

#endif  // QUARNEL_TEXT_LINES_H_
