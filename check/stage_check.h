#ifndef QUARNEL_CHECK_STAGE_CHECK_H_
#define QUARNEL_CHECK_STAGE_CHECK_H_

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <span>
#include <string_view>
#include <vector>

#include "check/finding.h"
#include "puzzle/board.h"
#include "puzzle/deduction.h"
#include "puzzle/loop_solver.h"

namespace quarnel {

/// How hard a solved stage is: its rating (level 0 when it has no single
/// solution) and the sides each technique fixed.
struct StageLevel {
  size_t stage = 0;  // from 1
  std::u16string title;
  Rating rating;
  std::array<long long, kTechniqueCount> uses{};
};

/// A stage to be solved, as the page draws it, and once solved, what is
/// found about it.
struct StageSolve {
  size_t stage = 0;       // its place on the page, from 1
  size_t title_line = 0;  // from 1
  std::u16string title;
  Board board;
  bool decided = false;
  bool unique = false;
  std::optional<Finding> finding;  // for several solutions, none, or undetermined
  StageLevel level;  // its rating, once decided
  /// Once decided, what "--show" draws: the two loops found of a stage with
  /// several solutions (per edge, as in Verdict), or the clues of one with
  /// none that cannot hold together (indexes into Board::clues).
  std::vector<bool> solution, other;
  std::vector<int> core;
};

/// What the check of a stage file's lines found.
struct StageFileCheck {
  size_t stage_count = 0;  // the stages Quarnel puts on the page, empty ones included
  size_t unique_count = 0;  // when solved: the stages with exactly one solution
  std::vector<Finding> findings;  // by line
  /// Of CheckStageLinesUnsolved: the stages to solve, whose verdicts the
  /// findings hold as pending ones, in stage order.
  std::vector<StageSolve> solves;
  std::vector<StageLevel> levels;  // when solved: each stage solved, in order
};

/// The most cells a stage may have for the checker to solve it: the search
/// holds a few dozen bytes per cell, so this bounds its memory, however
/// long the lines of a ragged grid.
inline constexpr unsigned long long kMaxSolvedCells = 250'000;

/// A side of a cell, as a finding names it: the cell's row and column, from 1.
struct CellSide {
  enum class Side { Top, Bottom, Left, Right };
  size_t row = 0;
  size_t column = 0;
  Side side = Side::Top;
  bool operator==(const CellSide&) const = default;
};
/// The edge at `place` of `board` as a side of a cell on the board: the
/// top or left side of its cell, or the bottom or right side of the frame's
/// last row or column.
CellSide SideOfEdge(const Board& board, EdgePlace place);

/// Checks the lines of a stage file against the rules Quarnel reads them
/// by: titles that look like grid lines, empty and dropped stages, cells
/// that come out blank, empty rows at a grid's end, rows of different
/// lengths, separators that are not, text a separator ignores, and titles
/// whose text can break the markup. Every finding is a warning: Quarnel
/// converts any stage file it can read.
///
/// With `solve`, each stage that has a grid is also solved as a loop puzzle
/// within that budget, as the page draws it: a stage with several
/// solutions, none, one the budget could not settle, or more than
/// kMaxSolvedCells cells has a finding on its title line. Each is first
/// deduced as a person would (Deduce): a stage deduction solves has exactly
/// that solution, one where it finds a contradiction none, and only the
/// rest are searched. Each stage solved gets its StageLevel.
StageFileCheck CheckStageLines(std::span<const std::u16string_view> lines,
                               const SolveBudget* solve = nullptr);

/// The findings of CheckStageLines but for the stages' verdicts: with
/// `solve`, each stage that has a grid and is not too large is in `solves`,
/// and a finding with `pending` set stands where its verdict goes.
StageFileCheck CheckStageLinesUnsolved(std::span<const std::u16string_view> lines, bool solve);

/// Solves `solves` on `threads` threads (0: one per core) within `budget`
/// each. The calling thread waits; after each stage is decided it calls
/// `decided` with the count decided so far, and each stage's verdict is
/// in place before `decided` counts it, and the calling thread marks it
/// decided, so that it may read each stage marked so while the workers go
/// on. The verdicts are those of one thread: each stage is solved alone.
void SolveStages(std::vector<StageSolve>& solves, const SolveBudget& budget, unsigned threads,
                 const std::function<void(size_t decided)>& decided);

/// Puts the decided verdict of the pending finding `finding` in its place:
/// false when the stage has exactly one solution, which is no finding.
bool ResolvePending(const std::vector<StageSolve>& solves, Finding* finding);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_STAGE_CHECK_H_
