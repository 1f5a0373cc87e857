#ifndef QUARNEL_PUZZLE_SOLVE_BUDGET_H_
#define QUARNEL_PUZZLE_SOLVE_BUDGET_H_

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace quarnel {

/// The work a search may do, counted so that the same board gets the same
/// verdict on every machine, build and load. One unit of work is one step
/// whose cost does not grow with the board: in the learning search, a
/// variable assigned (by a decision or by propagation) or a cell visited by
/// a check of the inside and the outside; in the depth-first searches, an
/// edge settled or an edge or cell passed over when choosing and when
/// checking the whole board. The searches stop at the first step that
/// ends at or past the budget (a pass over the board is one step of many
/// units), so what they spend, and so the verdict, is the same wherever
/// they run, whatever the clock says.
///
/// Seconds, as "--solve-seconds" gives them, are converted at the fixed
/// rate kSolveWorkPerSecond: roughly what one core of an ordinary 2020s x86
/// machine does in a second (measured on the development machine, see
/// docs/BENCHMARKS.md), and the same rate everywhere. The learning search
/// mostly does more: the passes over the board it finds it need not make
/// are counted all the same.
inline constexpr long long kSolveWorkPerSecond = 100'000'000;

/// One budget type for every search over a board: the solver's verdict,
/// and whatever else searches loops (repairs, ratings) shares it.
struct SolveBudget {
  /// The work the search may do; at 0 it stops before its first step.
  long long work = 10 * kSolveWorkPerSecond;
  /// A last resort in wall-clock time, far above what `work` takes, so that
  /// a machine much slower than expected still ends. It never decides a
  /// verdict on any machine the suite runs on.
  std::chrono::steady_clock::duration guard = std::chrono::seconds(200);
};

/// The budget of `seconds` (at least one unit of work): the work at the
/// fixed rate, and a guard of ten times the time plus 100 seconds.
inline SolveBudget SolveBudgetOfSeconds(std::chrono::nanoseconds seconds) {
  constexpr long long kNanosecondsPerWork = 1'000'000'000 / kSolveWorkPerSecond;
  SolveBudget budget;
  budget.work = std::max<long long>(1, seconds.count() / kNanosecondsPerWork);
  budget.guard = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      10 * seconds + std::chrono::seconds(100));
  return budget;
}

/// A budget of exactly `work` units, with the default guard: for tests and
/// benchmarks that want a verdict near the budget's edge.
inline SolveBudget SolveBudgetOfWork(long long work) {
  SolveBudget budget;
  budget.work = work;
  return budget;
}

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_SOLVE_BUDGET_H_
