#ifndef QUARNEL_PUZZLE_FLIPPED_LOOP_H_
#define QUARNEL_PUZZLE_FLIPPED_LOOP_H_

#include <vector>

#include "puzzle/board.h"
#include "puzzle/loop_solver.h"

namespace quarnel {

/// Given `loop`, one loop that keeps every rule of `board`, looks for a
/// second one at once: a cell whose colour (inside or outside the loop)
/// can be turned. That cell and its four neighbours hold no clue, so every
/// clue keeps its count; the cell touches a cell of its new colour; the
/// cells of its old colour around it stay in one piece without it; and no
/// dot gets four lines. Then the loop round the new inside is a second
/// solution. Fills `verdict` (Several, `loop` and the second loop, and the
/// first edge where they differ) when such a cell exists, keeping its
/// nodes. Linear in the board: it adds its passes over the board (a unit
/// per cell each, two and one per second loop checked) to `verdict->work`
/// whether it finds one or not.
bool FindFlippedLoop(const Board& board, const std::vector<bool>& loop, Verdict* verdict);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_FLIPPED_LOOP_H_
