#ifndef QUARNEL_TEXT_LINES_H_
#define QUARNEL_TEXT_LINES_H_

#include <string_view>
#include <vector>

namespace quarnel {

/// How a file's lines end. CrLf: the file holds a CR, and CR LF or a lone CR
/// ends a line while a lone LF stays in the text. Lf: the file holds no CR
/// at all, and LF ends a line.
enum class LineEnds { CrLf, Lf };

/// Cuts `text` into lines as a text file is read: each line end of
/// `line_ends` ends a line and is not part of it; the end of the text ends
/// the last line, and a final line end adds no empty line. The lines are
/// views into `text`.
std::vector<std::u16string_view> SplitLines(std::u16string_view text,
                                            LineEnds line_ends = LineEnds::CrLf);

/// The grid lines of a stage's grid text (CR LF between lines), as views
/// into it; an empty text is one empty line. The page draws these lines and
/// the loop solver reads them as its board.
std::vector<std::u16string_view> GridLines(std::u16string_view body);

}  // namespace quarnel

#endif  // QUARNEL_TEXT_LINES_H_
