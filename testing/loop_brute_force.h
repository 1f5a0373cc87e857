#ifndef QUARNEL_TESTING_LOOP_BRUTE_FORCE_H_
#define QUARNEL_TESTING_LOOP_BRUTE_FORCE_H_

#include <vector>

#include "puzzle/board.h"

namespace quarnel {

/// One loop of a small board, found by trying every set of cells.
struct Loop {
  std::vector<int> counts;  // per cell: its sides on the loop
  std::vector<bool> edges;  // numbered as in Board
};

/// Every loop of a board of that size (at most 20 cells; kept once made):
/// each set of cells is the inside of a loop when it and the rest (with the
/// frame's outside) are each one piece and no two of its cells meet only at
/// a corner.
const std::vector<Loop>& AllLoops(int width, int height);

/// Whether `loop` keeps every clue of `board`.
bool Keeps(const Loop& loop, const Board& board);

}  // namespace quarnel

#endif  // QUARNEL_TESTING_LOOP_BRUTE_FORCE_H_
