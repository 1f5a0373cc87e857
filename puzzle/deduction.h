#ifndef QUARNEL_PUZZLE_DEDUCTION_H_
#define QUARNEL_PUZZLE_DEDUCTION_H_

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "puzzle/board.h"

namespace quarnel {

/// The ways a person fixes a side of a loop puzzle, easiest first. Each
/// belongs to a level (★1-★4); the deduction solver tries the techniques of
/// a level only when those of every lower level give nothing more.
enum class Technique {
  // ★1: one cell or one dot at a time.
  ClueCount,     // a clue met: its other sides are off; a clue that needs all its open sides: on
  DotRule,       // a dot has no line or two: one line leaves by its last way out, a third never comes
  LoopComplete,  // the one loop is closed and keeps every clue: every side left is off
  // ★2: a few cells together.
  CornerClue,    // a 1 or 3 at a corner the line cannot pass, or that a line comes into
  ThreePair,     // two 3s side by side or corner to corner
  NoSmallLoop,   // a side that would close a loop while clues are unmet or lines are left over
  // ★3: the cells as inside and outside.
  Colouring,     // a line separates colours, the frame is outside, a clue counts its neighbours
                 // of the other colour
  // ★4: a side assumed both ways, followed with the ★1 rules and the loop's closing for a
  // bounded number of sides, one way contradicts.
  Trial,
};
inline constexpr size_t kTechniqueCount = 8;

/// The level (1-4) of a technique.
int LevelOf(Technique technique);
/// A technique's name as quarnel-check shows it.
std::u16string_view TechniqueName(Technique technique);

/// What deduction alone made of a board.
struct Deduction {
  enum class Outcome {
    Solved,         // every side fixed: the board has exactly this one loop
    Stuck,          // nothing more follows from techniques up to ★4
    Contradiction,  // the board has no loop
    OverBudget,     // the work bound ran out first
  };
  Outcome outcome = Outcome::Stuck;
  /// Per edge (numbered as in Board): 1 on, 0 off, -1 not fixed.
  std::vector<signed char> edges;
  /// How many sides each technique fixed, by Technique.
  std::array<long long, kTechniqueCount> uses{};
  /// The work spent: sides set (in trials too) and cells, dots and sides
  /// looked at in whole-board passes.
  long long work = 0;
};

/// The bound on a board's work that every rating uses, the checker's and
/// the page's alike: 2,000 per side (the stages of the benchmark corpus
/// need 250-1,000), at most 50 million in all (about a second), so a stage
/// of any size is rated in bounded time, and the same way everywhere.
inline constexpr long long kWorkPerEdge = 2'000;
inline constexpr long long kMaxWork = 50'000'000;
long long DefaultWorkBound(const Board& board);

/// Fixes the sides of `board` as a person would: the ★1 rules until nothing
/// more follows, then one pass of the ★2 techniques, and so on up to ★4,
/// back to ★1 after each level that fixes something. Every deduction is
/// sound: a side fixed is the same in every loop of the board. Stops when
/// the work passes `max_work` (negative: DefaultWorkBound). `max_level`
/// below 4 leaves the higher levels out (for the tests of each level).
Deduction Deduce(const Board& board, long long max_work = -1, int max_level = 4);

/// A board's difficulty: the highest level its deduction needed, and how
/// many sides that level fixed (the tie-break). Level 5: deduction up to ★4
/// does not solve it, or the work bound ran out (count 0). Level 0: no
/// rating (no loop, found by deduction).
struct Rating {
  int level = 0;
  long long count = 0;
  bool operator==(const Rating&) const = default;
};
Rating RatingOf(const Deduction& deduction);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_DEDUCTION_H_
