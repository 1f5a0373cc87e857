#ifndef QUARNEL_CHECK_STAGE_REPAIR_H_
#define QUARNEL_CHECK_STAGE_REPAIR_H_

#include <optional>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/loop_solver.h"

namespace quarnel {

/// The clues of a board that has no loop which cannot hold together: a
/// smallest set in the sense that drop any one of them and the clues left
/// allow a loop (the board's other clues dropped as well). Cells as indexes
/// into Board::clues, in board order. Empty for a board without cells,
/// where no clue is to blame; nullopt when the searches would spend more
/// than `work` (SolveBudget's units) in all.
std::optional<std::vector<int>> ConflictingClues(const Board& board, long long work);

/// A clue to add to a board with several loops.
struct Repair {
  int cell = -1;  // an index into Board::clues; -1: none found
  int clue = 0;  // 0-3, a digit a stage can hold
  bool unique = false;  // whether the board then has exactly one loop
};

/// A cell without clue and a digit whose clue leaves the board exactly one
/// loop, taken from one of `several`'s two loops where they differ, or from
/// the loops found while trying, at a cell where that loop differs from
/// every other found. Failing that within `work` (SolveBudget's units, for
/// all the searches together): the first clue tried,
/// which tells `several`'s two loops apart, with `unique` false; none when
/// no cell without a clue does.
Repair UniqueRepair(const Board& board, const Verdict& several, long long work);

/// The edges `several`'s two loops differ on, the first one a cell without
/// a clue lies beside, where there is one; else `several.difference`.
EdgePlace DifferenceBesideOpenCell(const Board& board, const Verdict& several);

/// How many sides of cell `cell` the loop `edges` uses.
int SidesOn(const Board& board, const std::vector<bool>& edges, int cell);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_STAGE_REPAIR_H_
