#ifndef QUARNEL_PUZZLE_OBVIOUS_LOOPS_H_
#define QUARNEL_PUZZLE_OBVIOUS_LOOPS_H_

#include "puzzle/board.h"
#include "puzzle/loop_solver.h"

namespace quarnel {

/// Whether two loops round rectangles of at most 2 × 2 cells keep every
/// clue of `board`: then it has several solutions, at once, whatever its
/// size (a blank board of more than one cell, or two places where a small
/// loop fits with no clue against it). Fills `verdict` (Several, both
/// loops and the first edge where they differ) when so. Linear in the
/// board and the number of clues.
bool FindTwoSmallLoops(const Board& board, Verdict* verdict);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_OBVIOUS_LOOPS_H_
