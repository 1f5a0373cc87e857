// The solver's path for boards over 10,000 cells: a second loop by turning
// one cell, the clues' window, and the learning search on the whole board.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "puzzle/clause_search.h"
#include "puzzle/clue_window.h"
#include "puzzle/flipped_loop.h"
#include "puzzle/loop_generator.h"
#include "puzzle/loop_solver.h"
#include "testing/loop_brute_force.h"

namespace quarnel {
namespace {

// Two real loops of `board`, which differ at the edge the verdict names.
void ExpectTwoLoops(const Board& board, const Verdict& verdict) {
  ASSERT_EQ(verdict.outcome, Verdict::Outcome::Several);
  EXPECT_TRUE(IsSolution(board, verdict.solution));
  EXPECT_TRUE(IsSolution(board, verdict.other));
  const int e = verdict.difference.horizontal
                    ? board.HorizontalEdge(verdict.difference.row, verdict.difference.column)
                    : board.VerticalEdge(verdict.difference.row, verdict.difference.column);
  EXPECT_NE(verdict.solution[e], verdict.other[e]);
}

TEST(FindFlippedLoop, TurnsOnlyCellsThatLeaveALoop) {
  // Loops of every board up to 4 x 5 (a hundred of each size), with some
  // of their clues: a turned cell is claimed only where brute force counts
  // two loops, and then the second is a real loop that differs from the
  // first.
  std::mt19937_64 random(34);
  int claimed = 0, loops_seen = 0;
  for (int width = 1; width <= 4; ++width) {
    for (int height = 1; height <= 5; ++height) {
      const std::vector<Loop>& loops = AllLoops(width, height);
      for (int round = 0; round < 100; ++round) {
        const Loop& loop = loops[random() % loops.size()];
        Board board = Board::Empty(width, height);
        for (int c = 0; c < width * height; ++c) {
          if (random() % 4 == 0) board.clues[c] = static_cast<signed char>(loop.counts[c]);
        }
        ++loops_seen;
        Verdict verdict;
        if (!FindFlippedLoop(board, loop.edges, &verdict)) continue;
        ++claimed;
        int keeping = 0;
        for (const Loop& other : loops) keeping += Keeps(other, board);
        ASSERT_GE(keeping, 2) << BoardText(board);
        ExpectTwoLoops(board, verdict);
        EXPECT_EQ(verdict.solution, loop.edges);
      }
    }
  }
  EXPECT_GT(claimed, loops_seen / 4);
  // No loop to turn: a broken one is refused.
  Verdict verdict;
  EXPECT_FALSE(FindFlippedLoop(Board::Empty(3, 3), std::vector<bool>(24, false), &verdict));
}

// A small board's clues in the corner of a board of 101 x 100 cells, the
// rest 0s: its loops are those of the small board with a row and a column
// of 0s added, which brute force counts, and the large board's path has to
// find each verdict on its own.
TEST(Solve, JustAboveTheOpenBoardsAgreesWithBruteForce) {
  std::mt19937_64 random(10100);
  const int width = 101, height = 100;
  ASSERT_GT(width * height, ClauseSearch::kLeanCells);
  int verdicts[4] = {};
  for (int round = 0; round < 16; ++round) {
    const int w = 3 + static_cast<int>(random() % 2), h = w == 4 ? 3 : 3 + static_cast<int>(random() % 2);
    // A loop clear of the row and column of 0s.
    const std::vector<Loop>& loops = AllLoops(w + 1, h + 1);
    const auto clear = [&](const Loop& loop) {
      for (int r = 0; r <= h; ++r) {
        for (int c = 0; c <= w; ++c) {
          if ((r == h || c == w) && loop.counts[r * (w + 1) + c] != 0) return false;
        }
      }
      return true;
    };
    const Loop* source;
    do {
      source = &loops[random() % loops.size()];
    } while (!clear(*source));
    Board probe = Board::Empty(w + 1, h + 1), board = Board::Empty(width, height);
    for (auto& clue : probe.clues) clue = 0;
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) {
        // Every clue in even rounds, a third in odd ones.
        const bool kept = round % 2 == 0 || random() % 3 == 0;
        probe.clues[r * (w + 1) + c] =
            kept ? static_cast<signed char>(source->counts[r * (w + 1) + c]) : Board::kNoClue;
      }
    }
    if (round % 4 == 3) probe.clues[random() % w] = static_cast<signed char>(random() % 4);
    for (auto& clue : board.clues) clue = 0;
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) board.clues[r * width + c] = probe.clues[r * (w + 1) + c];
    }
    int keeping = 0;
    for (const Loop& loop : loops) keeping += Keeps(loop, probe);
    const Verdict verdict = Solve(board);
    SCOPED_TRACE(BoardText(probe));
    ++verdicts[static_cast<int>(verdict.outcome)];
    if (keeping >= 2) {
      ExpectTwoLoops(board, verdict);
    } else {
      EXPECT_EQ(verdict.outcome, keeping == 1 ? Verdict::Outcome::Unique : Verdict::Outcome::None);
      if (keeping == 1) {
        EXPECT_TRUE(IsSolution(board, verdict.solution));
      }
    }
  }
  for (int kind = 0; kind < 3; ++kind) EXPECT_GT(verdicts[kind], 0) << kind;
}

TEST(Solve, AFourOnALargeBoardLeavesOnlyTheLoopRoundIt) {
  // The repairs try 4s: the loop round the cell is the only one, kept or
  // broken by the other clues.
  Board board = Board::Empty(101, 100);
  board.clues[5 * 101 + 7] = 4;
  const Verdict unique = Solve(board);
  ASSERT_EQ(unique.outcome, Verdict::Outcome::Unique);
  EXPECT_TRUE(IsSolution(board, unique.solution));
  EXPECT_TRUE(unique.solution[board.VerticalEdge(5, 8)]);
  board.clues[5 * 101 + 8] = 0;
  EXPECT_EQ(Solve(board).outcome, Verdict::Outcome::None);
}

TEST(SolveClueWindow, FindsTheLoopNearSparseClues) {
  // A tenth of a 30 x 20 loop's clues in the corner of a blank 150 x 100
  // board: the window round them finds a loop that keeps every clue of the
  // whole board, and turning a cell of it gives the second.
  std::mt19937_64 random(5);
  const std::vector<bool> loop = RandomLoop(30, 20, random);
  const Board clues = CluesOf(30, 20, loop);
  Board board = Board::Empty(150, 100);
  for (int r = 0; r < 20; ++r) {
    for (int c = 0; c < 30; ++c) {
      if (random() % 10 == 0) board.clues[r * 150 + c + 5] = clues.clues[r * 30 + c];
    }
  }
  const SolveBudget budget = SolveBudgetOfWork(200'000'000);
  const Verdict window = SolveClueWindow(board, budget);
  ExpectTwoLoops(board, window);
  EXPECT_GT(window.work, 0);
  EXPECT_LE(window.work, budget.work);
  const Verdict verdict = Solve(board, budget);
  ExpectTwoLoops(board, verdict);
  EXPECT_EQ(verdict.solution, window.solution);
  // A window over half the board is not searched: only the two looks at
  // the clues are paid for.
  Board spread = board;
  spread.clues[99 * 150 + 149] = 1;
  EXPECT_EQ(SolveClueWindow(spread, budget).work, 2 * 150 * 100);
}

}  // namespace
}  // namespace quarnel
