#ifndef QUARNEL_CHECK_STAGE_CHECK_H_
#define QUARNEL_CHECK_STAGE_CHECK_H_

#include <array>
#include <cstddef>
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

/// What the check of a stage file's lines found.
struct StageFileCheck {
  size_t stage_count = 0;  // the stages Quarnel puts on the page, empty ones included
  size_t unique_count = 0;  // when solved: the stages with exactly one solution
  std::vector<Finding> findings;  // by line
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

}  // namespace quarnel

#endif  // QUARNEL_CHECK_STAGE_CHECK_H_
