#include "check/stage_repair.h"

#include <gtest/gtest.h>

#include <random>

#include "testing/loop_brute_force.h"

namespace quarnel {
namespace {


// The loops of `board` that keep its clues, by trying every loop.
std::vector<const Loop*> Keeping(const Board& board) {
  std::vector<const Loop*> keeping;
  for (const Loop& loop : AllLoops(board.width, board.height)) {
    if (Keeps(loop, board)) keeping.push_back(&loop);
  }
  return keeping;
}

// Whether some loop keeps the clues of `board`.
bool HasLoop(const Board& board) {
  for (const Loop& loop : AllLoops(board.width, board.height)) {
    if (Keeps(loop, board)) return true;
  }
  return false;
}

// How many of `loops` keep the clue `clue` at `cell` too.
size_t KeepingToo(const std::vector<const Loop*>& loops, int cell, int clue) {
  size_t count = 0;
  for (const Loop* loop : loops) count += loop->counts[cell] == clue ? 1 : 0;
  return count;
}

Board OnlyClues(const Board& board, const std::vector<int>& cells) {
  Board part = Board::Empty(board.width, board.height);
  for (int cell : cells) part.clues[cell] = board.clues[cell];
  return part;
}

// Random boards up to 4 x 5, with clues at random, with a loop's clues, or
// with a loop's clues one of which is changed: every core the check names
// has no loop and each subset one clue smaller has one; every repair leaves
// exactly one loop, and where none is claimed, no clue from the cells the
// two loops differ on would give one.
TEST(StageRepair, AgreesWithEveryLoopOfSmallBoards) {
  std::mt19937_64 random(33);
  const long long far = 1'000'000'000'000;
  size_t cores = 0, repairs = 0, unique_repairs = 0;
  for (int n = 0; n < 5000; ++n) {
    const int width = 1 + static_cast<int>(random() % 4), height = 1 + static_cast<int>(random() % 5);
    Board board = Board::Empty(width, height);
    const std::vector<Loop>& loops = AllLoops(width, height);
    const Loop& loop = loops[random() % loops.size()];
    const int kind = static_cast<int>(random() % 3);
    for (size_t cell = 0; cell < board.clues.size(); ++cell) {
      if (random() % 3 == 0) continue;
      board.clues[cell] = static_cast<signed char>(kind == 0 ? random() % 4 : loop.counts[cell]);
    }
    if (kind == 2) {
      const size_t cell = random() % board.clues.size();
      board.clues[cell] = static_cast<signed char>((loop.counts[cell] + 1 + random() % 3) % 4);
    }
    SCOPED_TRACE(BoardText(board));
    const std::vector<const Loop*> keeping = Keeping(board);
    const size_t count = keeping.size();
    const Verdict verdict = Solve(board, SolveBudgetOfSeconds(std::chrono::seconds(60)));
    if (count == 0) {
      ASSERT_EQ(verdict.outcome, Verdict::Outcome::None);
      std::optional<std::vector<int>> core = ConflictingClues(board, far);
      ASSERT_TRUE(core.has_value());
      ASSERT_FALSE(core->empty());
      EXPECT_FALSE(HasLoop(OnlyClues(board, *core)));
      for (size_t drop = 0; drop < core->size(); ++drop) {
        std::vector<int> smaller = *core;
        smaller.erase(smaller.begin() + static_cast<long>(drop));
        EXPECT_TRUE(HasLoop(OnlyClues(board, smaller))) << "not minimal without " << (*core)[drop];
      }
      ++cores;
    } else if (count >= 2) {
      ASSERT_EQ(verdict.outcome, Verdict::Outcome::Several);
      const Repair repair = UniqueRepair(board, verdict, far);
      if (repair.cell < 0) {
        // No cell without a clue tells the two loops apart by its count.
        for (size_t cell = 0; cell < board.clues.size(); ++cell) {
          if (board.clues[cell] != Board::kNoClue) continue;
          EXPECT_EQ(SidesOn(board, verdict.solution, static_cast<int>(cell)),
                    SidesOn(board, verdict.other, static_cast<int>(cell)));
        }
      } else if (repair.unique) {
        // A digit a stage can hold, even where a loop uses all four sides.
        EXPECT_LT(repair.clue, 4);
        EXPECT_EQ(board.clues[repair.cell], Board::kNoClue);
        EXPECT_EQ(KeepingToo(keeping, repair.cell, repair.clue), 1u);
        ++unique_repairs;
      } else {
        for (int cell = 0; cell < static_cast<int>(board.clues.size()); ++cell) {
          const int a = SidesOn(board, verdict.solution, cell);
          const int b = SidesOn(board, verdict.other, cell);
          if (board.clues[cell] != Board::kNoClue || a == b) continue;
          for (int clue : {a, b}) {
            if (clue == 4) continue;  // no stage holds a 4
            EXPECT_NE(KeepingToo(keeping, cell, clue), 1u) << "missed " << cell << " = " << clue;
          }
        }
      }
      // The side named is one the two loops differ on, beside a cell
      // without a clue where there is one.
      const EdgePlace side = DifferenceBesideOpenCell(board, verdict);
      const int edge = side.horizontal ? board.HorizontalEdge(side.row, side.column)
                                       : board.VerticalEdge(side.row, side.column);
      EXPECT_NE(verdict.solution[edge], verdict.other[edge]);
      ++repairs;
    }
  }
  // Each kind of answer was met often.
  EXPECT_GT(cores, 500u);
  EXPECT_GT(repairs, 500u);
  EXPECT_GT(unique_repairs, 100u);
}

TEST(StageRepair, BlamesNoClueOfABoardWithoutCellsAndStopsAtItsDeadline) {
  EXPECT_EQ(ConflictingClues(Board::Empty(0, 0), 0), std::vector<int>());
  Board board = Board::Empty(2, 2);
  board.clues = {0, 3, 3, 0};
  EXPECT_EQ(ConflictingClues(board, 0), std::nullopt);
  Verdict several = Solve(Board::Empty(2, 2));
  ASSERT_EQ(several.outcome, Verdict::Outcome::Several);
  const Repair late = UniqueRepair(Board::Empty(2, 2), several, 0);
  EXPECT_GE(late.cell, 0);
  EXPECT_FALSE(late.unique);
}

}  // namespace
}  // namespace quarnel
