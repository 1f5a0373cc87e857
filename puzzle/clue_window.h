#ifndef QUARNEL_PUZZLE_CLUE_WINDOW_H_
#define QUARNEL_PUZZLE_CLUE_WINDOW_H_

#include "puzzle/board.h"
#include "puzzle/loop_solver.h"
#include "puzzle/solve_budget.h"

namespace quarnel {

/// For a large board whose clues above 0 lie in a small part of it: the
/// learning search on the rectangle round them (with a margin of two
/// cells), where a loop is found far sooner than on the whole board. Each
/// loop it finds is taken onto the whole board and kept if it keeps every
/// clue there (one that runs along the rectangle's edge may break a 0
/// beyond it). Returns Several with both loops when two are kept;
/// otherwise Undetermined, with `solution` the loop kept if any. The
/// window says nothing about loops beyond it, so it never answers Unique
/// or None. `nodes` and `work` are what it spent (a unit per cell for each
/// look over the board, and its search's); nothing is searched when the
/// rectangle is not at most half the board.
Verdict SolveClueWindow(const Board& board, const SolveBudget& budget);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_CLUE_WINDOW_H_
