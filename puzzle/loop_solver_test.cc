#include "puzzle/loop_solver.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "puzzle/clause_search.h"
#include "puzzle/loop_generator.h"
#include "puzzle/obvious_loops.h"
#include "testing/loop_brute_force.h"

namespace quarnel {
namespace {

const Loop* Find(const std::vector<Loop>& loops, const std::vector<bool>& edges) {
  for (const Loop& loop : loops) {
    if (loop.edges == edges) return &loop;
  }
  return nullptr;
}

using Solver = Verdict (*)(const Board&, const SolveBudget&, const std::vector<bool>*);

// Both searches: the learning one, and the depth-first one that takes the
// boards too large for it.
class EverySolver : public testing::TestWithParam<Solver> {};
INSTANTIATE_TEST_SUITE_P(Solve, EverySolver, testing::Values(&Solve, &SolveDepthFirst));

TEST_P(EverySolver, AgreesWithEveryLoopOfSmallBoards) {
  const Solver solve = GetParam();
  std::mt19937_64 random(20240601);
  std::uniform_int_distribution<int> any_width(1, 4), any_height(1, 5), percent(0, 99);
  int verdicts[4] = {};
  for (int round = 0; round < 10000; ++round) {
    const int width = any_width(random), height = any_height(random);
    const std::vector<Loop>& loops = AllLoops(width, height);
    Board board = Board::Empty(width, height);
    // Half the clue sets come from a loop, some with a clue changed; the
    // rest are random, which rarely has a loop.
    const int kind = percent(random) % 4;
    const int keep = 10 + percent(random) * 7 / 10;
    if (kind < 3) {
      const Loop& source =
          loops[std::uniform_int_distribution<size_t>(0, loops.size() - 1)(random)];
      for (int c = 0; c < width * height; ++c) {
        if (percent(random) < keep) board.clues[c] = static_cast<signed char>(source.counts[c]);
      }
      if (kind == 2) {
        const int c = std::uniform_int_distribution<int>(0, width * height - 1)(random);
        board.clues[c] = static_cast<signed char>(percent(random) % 4);
      }
    } else {
      for (auto& clue : board.clues) {
        if (percent(random) < keep / 2) clue = static_cast<signed char>(percent(random) % 4);
      }
    }
    std::vector<const Loop*> matching;
    for (const Loop& loop : loops) {
      if (Keeps(loop, board)) matching.push_back(&loop);
    }
    const Verdict verdict = solve(board, {}, nullptr);
    SCOPED_TRACE("round " + std::to_string(round) + "\n" + BoardText(board));
    ++verdicts[static_cast<int>(verdict.outcome)];
    switch (matching.size()) {
      case 0:
        EXPECT_EQ(verdict.outcome, Verdict::Outcome::None);
        break;
      case 1:
        ASSERT_EQ(verdict.outcome, Verdict::Outcome::Unique);
        EXPECT_EQ(verdict.solution, matching[0]->edges);
        break;
      default: {
        ASSERT_EQ(verdict.outcome, Verdict::Outcome::Several);
        const Loop* first = Find(loops, verdict.solution);
        const Loop* second = Find(loops, verdict.other);
        ASSERT_TRUE(first && second && first != second);
        EXPECT_TRUE(Keeps(*first, board) && Keeps(*second, board));
        const EdgePlace& d = verdict.difference;
        const int edge = d.horizontal ? board.HorizontalEdge(d.row, d.column)
                                      : board.VerticalEdge(d.row, d.column);
        EXPECT_NE(verdict.solution[edge], verdict.other[edge]);
        EXPECT_TRUE(IsSolution(board, verdict.solution) && IsSolution(board, verdict.other));
      }
    }
    // Following a known loop first changes the order, never the verdict.
    if (!matching.empty()) {
      const std::vector<bool>& known = matching.back()->edges;
      EXPECT_EQ(solve(board, {}, &known).outcome, verdict.outcome);
    }
    if (HasFatalFailure() || HasFailure()) return;
  }
  // The mix holds every verdict in numbers.
  EXPECT_GT(verdicts[0], 1000);
  EXPECT_GT(verdicts[1], 1000);
  EXPECT_GT(verdicts[2], 1000);
  EXPECT_EQ(verdicts[3], 0);
}

TEST_P(EverySolver, GivesEachVerdict) {
  struct Case {
    const char* name;
    std::vector<std::u16string_view> lines;
    Verdict::Outcome outcome;
  };
  const Case cases[] = {
      {"one cell, its one loop", {u" "}, Verdict::Outcome::Unique},
      {"two cells: either or both", {u"  "}, Verdict::Outcome::Several},
      {"a zero leaves no loop", {u"0"}, Verdict::Outcome::None},
      {"a 3 beside a 0 ends in a dead end", {u"30"}, Verdict::Outcome::None},
      {"a 2 by 2 square", {u"22", u"22"}, Verdict::Outcome::Unique},
      {"no cells", {}, Verdict::Outcome::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Board board = BoardFromLines(c.lines);
    const Verdict verdict = GetParam()(board, {}, nullptr);
    EXPECT_EQ(verdict.outcome, c.outcome);
    if (c.outcome == Verdict::Outcome::Unique) {
      EXPECT_TRUE(IsSolution(board, verdict.solution));
    }
  }
}

TEST_P(EverySolver, UndeterminedWhenTheBudgetIsSpent) {
  const Verdict verdict =
      GetParam()(Board::Empty(100, 100), SolveBudgetOfWork(0), nullptr);
  EXPECT_EQ(verdict.outcome, Verdict::Outcome::Undetermined);
  EXPECT_TRUE(verdict.solution.empty());
}

TEST(Solve, ReturnsOnALongSingleRow) {
  // 200,000 cells in one row: the learning search on the whole board
  // (under a kilobyte per cell) gives some verdict within its budget.
  Board board = Board::Empty(200000, 1);
  for (int c = 0; c < board.width; c += 3) board.clues[c] = 2;
  const Verdict verdict = Solve(board, SolveBudgetOfSeconds(std::chrono::milliseconds(300)));
  EXPECT_NE(verdict.outcome, Verdict::Outcome::Unique);
}

TEST(Solve, ReturnsOnTheLargestBoardThatGetsClauses) {
  // 100 x 100 cells, two fifths of a random loop's clues: some verdict, a
  // sound one, within a short budget.
  std::mt19937_64 random(3);
  Board board = CluesOf(100, 100, RandomLoop(100, 100, random));
  for (auto& clue : board.clues) {
    if (random() % 5 >= 2) clue = Board::kNoClue;
  }
  const Verdict verdict = Solve(board, SolveBudgetOfSeconds(std::chrono::milliseconds(300)));
  EXPECT_NE(verdict.outcome, Verdict::Outcome::None);
  if (verdict.outcome != Verdict::Outcome::Undetermined) {
    EXPECT_TRUE(IsSolution(board, verdict.solution));
  }
}

TEST_P(EverySolver, FindsTheGeneratedLoopAmongTheFullClues) {
  std::mt19937_64 random(7);
  for (int round = 0; round < 20; ++round) {
    const std::vector<bool> loop = RandomLoop(12, 9, random);
    const Board board = CluesOf(12, 9, loop);
    EXPECT_TRUE(IsSolution(board, loop));
    const Verdict verdict = GetParam()(board, {}, nullptr);
    ASSERT_EQ(verdict.outcome, Verdict::Outcome::Unique);
    EXPECT_EQ(verdict.solution, loop);
  }
}

TEST(Solve, AgreesWithTheDepthFirstSearchOnLargerBoards) {
  std::mt19937_64 random(99);
  std::uniform_int_distribution<int> side(6, 12), percent(0, 99);
  for (int round = 0; round < 150; ++round) {
    const int width = side(random), height = side(random);
    Board board = CluesOf(width, height, RandomLoop(width, height, random));
    const int keep = 25 + percent(random) / 2;
    for (auto& clue : board.clues) {
      if (percent(random) >= keep) clue = Board::kNoClue;
    }
    if (round % 3 == 0)
      board.clues[percent(random) % board.clues.size()] = static_cast<signed char>(round % 4);
    SCOPED_TRACE(BoardText(board));
    const Verdict learnt = Solve(board), depth_first = SolveDepthFirst(board);
    ASSERT_EQ(learnt.outcome, depth_first.outcome);
    if (learnt.outcome == Verdict::Outcome::Unique) {
      EXPECT_EQ(learnt.solution, depth_first.solution);
    } else if (learnt.outcome == Verdict::Outcome::Several) {
      EXPECT_TRUE(IsSolution(board, learnt.solution) && IsSolution(board, learnt.other));
      EXPECT_NE(learnt.solution, learnt.other);
    }
    // Following a loop found first (the generator's way) changes no verdict.
    if (learnt.outcome != Verdict::Outcome::None) {
      const std::vector<bool>& known = learnt.other.empty() ? learnt.solution : learnt.other;
      const Verdict followed = Solve(board, {}, &known);
      EXPECT_EQ(followed.outcome, learnt.outcome);
      if (followed.outcome == Verdict::Outcome::Unique) {
        EXPECT_EQ(followed.solution, learnt.solution);
      }
    }
  }
}

// A minimal 20 x 20 puzzle of the benchmark's corpus (seed 28): thousands
// of conflicts, so the learnt clauses are pruned and moved on the way.
std::vector<std::u16string_view> Seed28() {
  return {
      u".1.2....1.1.3.31..13",
      u"3.1...2.22......3...",
      u"....1122...23.2.2..2",
      u"1212.0.1......1...2.",
      u"...1.....1102....1..",
      u".1..31.1.2....12..11",
      u".1322223.2.1.3.1.1..",
      u".0...3...3.3..2.2.00",
      u"..2..112...3..2.2...",
      u"1.22.....3..12....33",
      u"2.212.101...1..31...",
      u"..2231..3.1...2..3.2",
      u".....2.....11.221.21",
      u"1213....11.2..2..1..",
      u".1.....2..2.3.1..222",
      u"..22.1.2..21.....21.",
      u"1.....1.1.1231.3..22",
      u"2.31......1..0..32..",
      u"222..1.32.10..3.....",
      u"3..1.0....0.3...222.",
  };
}

TEST(Solve, AMinimalPuzzleAndItsCopyWithOneClueLess) {
  std::vector<std::u16string_view> lines = Seed28();
  const Board board = BoardFromLines(lines);
  const Verdict unique = Solve(board);
  ASSERT_EQ(unique.outcome, Verdict::Outcome::Unique);
  EXPECT_TRUE(IsSolution(board, unique.solution));
  EXPECT_GT(unique.nodes, 4000);
  // Without the 3 of row 3, column 13, a second loop appears.
  lines[2] = u"....1122...2..2.2..2";
  const Board fewer = BoardFromLines(lines);
  const Verdict several = Solve(fewer);
  ASSERT_EQ(several.outcome, Verdict::Outcome::Several);
  EXPECT_TRUE(IsSolution(fewer, several.solution) && IsSolution(fewer, several.other));
  EXPECT_NE(several.solution, several.other);
}

TEST(FindTwoSmallLoops, NamesOnlyRealSecondLoops) {
  // Against every loop of small boards with few clues: each claim of two
  // loops holds, and a blank board of more than one cell always gets one.
  std::mt19937_64 random(34);
  int claimed = 0;
  for (int round = 0; round < 3000; ++round) {
    const int width = 1 + static_cast<int>(random() % 4), height = 1 + static_cast<int>(random() % 5);
    Board board = Board::Empty(width, height);
    const int clues = static_cast<int>(random() % 4);
    for (int k = 0; k < clues; ++k) board.clues[random() % board.clues.size()] = static_cast<signed char>(random() % 4);
    Verdict verdict;
    const bool found = FindTwoSmallLoops(board, &verdict);
    int loops = 0;
    for (const Loop& loop : AllLoops(width, height)) loops += Keeps(loop, board);
    if (clues == 0) {
      EXPECT_EQ(found, width * height > 1);
    }
    if (!found) continue;
    ++claimed;
    ASSERT_GE(loops, 2) << BoardText(board);
    EXPECT_EQ(verdict.outcome, Verdict::Outcome::Several);
    EXPECT_TRUE(IsSolution(board, verdict.solution) && IsSolution(board, verdict.other)) << BoardText(board);
    const int e = verdict.difference.horizontal
                      ? board.HorizontalEdge(verdict.difference.row, verdict.difference.column)
                      : board.VerticalEdge(verdict.difference.row, verdict.difference.column);
    EXPECT_NE(verdict.solution[e], verdict.other[e]);
  }
  EXPECT_GT(claimed, 1000);
  // Blank boards of every shape the checker takes, at once.
  for (const auto& [width, height] : {std::pair{100000, 1}, {1, 100000}, {5001, 2}, {500, 500}}) {
    Verdict verdict;
    EXPECT_TRUE(FindTwoSmallLoops(Board::Empty(width, height), &verdict));
  }
}

TEST(ClauseSearch, ResumesWhereItStopped) {
  // Slices of one node at a time take the search exactly where one call does.
  std::vector<std::u16string_view> lines = Seed28();
  for (int copy = 0; copy < 2; ++copy) {
    if (copy == 1) lines[2] = u"....1122...2..2.2..2";
    const Board board = BoardFromLines(lines);
    const SolveBudget budget;
    ClauseSearch whole(board, budget, nullptr), sliced(board, budget, nullptr);
    ASSERT_TRUE(whole.Advance(1LL << 40));
    while (!sliced.Advance(1)) {
    }
    const Verdict a = whole.Result(0), b = sliced.Result(0);
    EXPECT_EQ(a.outcome, copy == 0 ? Verdict::Outcome::Unique : Verdict::Outcome::Several);
    EXPECT_EQ(a.outcome, b.outcome);
    EXPECT_EQ(a.nodes, b.nodes);
    EXPECT_EQ(a.work, b.work);
    EXPECT_EQ(a.solution, b.solution);
    EXPECT_EQ(a.other, b.other);
  }
}

TEST(Solve, ALoopWalledOffFromHalfTheBoard) {
  // A column of 0s from frame to frame keeps the loop out of the right
  // part: too large a part to settle cell by cell, so the search has to
  // find that out as it goes.
  std::mt19937_64 random(11);
  const int left = 19, width = 40, height = 40;
  const std::vector<bool> small = RandomLoop(left, height, random);
  const Board clues = CluesOf(left, height, small);
  Board board = Board::Empty(width, height);
  std::vector<bool> loop(board.EdgeCount());
  for (int r = 0; r <= height; ++r) {
    for (int c = 0; c <= left; ++c) {
      if (r < height && c < left) board.clues[r * width + c] = clues.clues[r * left + c];
      if (c < left) loop[board.HorizontalEdge(r, c)] = small[clues.HorizontalEdge(r, c)];
      if (r < height) loop[board.VerticalEdge(r, c)] = small[clues.VerticalEdge(r, c)];
    }
  }
  for (int r = 0; r < height; ++r) board.clues[r * width + left + 1] = 0;
  const Verdict verdict = Solve(board);
  ASSERT_EQ(verdict.outcome, Verdict::Outcome::Unique);
  EXPECT_EQ(verdict.solution, loop);
}

}  // namespace
}  // namespace quarnel
