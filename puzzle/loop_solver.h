#ifndef QUARNEL_PUZZLE_LOOP_SOLVER_H_
#define QUARNEL_PUZZLE_LOOP_SOLVER_H_

#include <chrono>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/solve_budget.h"

namespace quarnel {

// Memory is bounded by the board itself, whatever the budget: under a
// kilobyte per cell for the clauses of boards up to 250,000 cells and what
// is learnt (pruned as it grows; see ClauseSearch::kMostCells), a few dozen
// bytes per edge beyond.

/// A board's verdict. The rules: draw one closed loop along the cells'
/// sides, without branches or crossings; a clue says how many of its cell's
/// four sides the loop uses.
///  - Unique: exactly one loop keeps the rules; `solution` is it.
///  - Several: at least two do; `solution` and `other` are two of them and
///    `difference` an edge that one uses and the other does not.
///  - None: no loop keeps the rules (a board without cells included).
///  - Undetermined: the budget ran out before the search could tell.
struct Verdict {
  enum class Outcome { Unique, Several, None, Undetermined };
  Outcome outcome = Outcome::Undetermined;
  /// Per edge (numbered as in Board), whether the loop uses it.
  std::vector<bool> solution;
  std::vector<bool> other;
  EdgePlace difference;
  /// Search nodes visited (decisions and conflicts), for the benchmark.
  long long nodes = 0;
  /// The work spent (SolveBudget's units): the budget's when undetermined,
  /// unless the wall-clock guard stopped the search first.
  long long work = 0;
};

/// Searches `board` for its loops, up to two. `known`, if given, is a loop
/// that keeps the rules (per edge, as in Verdict): the search follows it
/// first at each choice, so it reaches it at once and then tries the loops
/// nearest to it, where a second loop of a board stripped of clues lies.
/// Boards up to 250,000 cells get a search that learns from each dead end;
/// larger ones, SolveDepthFirst. Boards over 10,000 cells first get what
/// settles "several" at once: two small loops that keep every clue, or one
/// loop (the known one, one found near the clues above 0, or the search's
/// first) and a cell of it turned (flipped_loop.h, clue_window.h).
Verdict Solve(const Board& board, const SolveBudget& budget = {},
              const std::vector<bool>* known = nullptr);

/// The same verdicts by searches that only go depth first, with rules over
/// the whole board at each step: they keep no more than the board, and find
/// some loop of a large open board soonest.
Verdict SolveDepthFirst(const Board& board, const SolveBudget& budget = {},
                        const std::vector<bool>* known = nullptr);

/// Whether `edges` is one closed loop that keeps every clue of `board`.
bool IsSolution(const Board& board, const std::vector<bool>& edges);

/// For the searches: keeps a loop found in `verdict`. The first becomes its
/// solution (and the verdict Unique until another turns up); the second its
/// other, with the first edge in the board's numbering where the two differ
/// named, and the verdict Several. Returns whether it was the second.
bool AddLoopFound(const Board& board, std::vector<bool> loop, Verdict* verdict);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_LOOP_SOLVER_H_
