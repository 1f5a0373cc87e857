#ifndef QUARNEL_CHECK_STAGE_DRAWING_H_
#define QUARNEL_CHECK_STAGE_DRAWING_H_

#include <cstddef>
#include <string>
#include <vector>

#include "check/stage_check.h"
#include "puzzle/board.h"

namespace quarnel {

/// The widest a pair of drawings may be, with their indent, to stand side
/// by side; wider ones stand one above the other. A fixed width, so that
/// the output is the same on any terminal and through a pipe.
inline constexpr size_t kShowColumns = 80;

/// `board` in monospace ASCII text: a "+" at each dot, "---" and "|" for
/// the sides `loop` uses (per edge, as in Verdict; empty for none), each
/// clue in the middle of its three columns, the cells `marked` lists
/// (indexes into Board::clues, in any order) as "[3]". 4 × width + 1
/// columns, 2 × height + 1 lines, blanks at their ends kept.
std::vector<std::string> BoardDrawing(const Board& board, const std::vector<bool>& loop,
                                      const std::vector<int>& marked = {});

/// What "--show" draws under a stage's finding, each line indented by two
/// blanks: for several solutions, the two loops found, labelled, side by
/// side where both fit in kShowColumns and one above the other otherwise;
/// for none, the board with the clues that cannot hold together marked.
/// Nothing for a stage with one solution, or none without such clues.
/// Lines end without blanks, but for a line of blanks alone, which keeps
/// its indent.
std::vector<std::u16string> StageDrawingLines(const StageSolve& stage);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_STAGE_DRAWING_H_
