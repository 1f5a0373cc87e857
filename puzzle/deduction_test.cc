#include "puzzle/deduction.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "puzzle/loop_generator.h"
#include "puzzle/loop_solver.h"
#include "testing/loop_brute_force.h"

namespace quarnel {
namespace {

Board FromRows(const std::vector<std::u16string>& rows) {
  std::vector<std::u16string_view> views(rows.begin(), rows.end());
  return BoardFromLines(views);
}

// The edge at a side of cell (row, column): 't', 'b', 'l' or 'r'.
int EdgeAt(const Board& board, int row, int column, char side) {
  switch (side) {
    case 't': return board.HorizontalEdge(row, column);
    case 'b': return board.HorizontalEdge(row + 1, column);
    case 'l': return board.VerticalEdge(row, column);
    default: return board.VerticalEdge(row, column + 1);
  }
}

Deduction DeduceUpTo(const Board& board, int level) { return Deduce(board, -1, level); }

// Each technique on a board that needs exactly it: the side it fixes, the
// side's value, and that with a bound just below that technique's level
// (no trial, or one level less) the side stays open.
struct TechniqueCase {
  const char* name;
  std::vector<std::u16string> rows;
  Technique technique;
  int row, column;
  char side;
  signed char value;
};

const TechniqueCase kTechniqueCases[] = {
    {"a 0's sides", {u"0.", u".."}, Technique::ClueCount, 0, 0, 'r', 0},
    {"a corner dot's one way out", {u"0.", u".."}, Technique::DotRule, 0, 1, 't', 0},
    {"a 3 beside a 0", {u"...", u"30.", u"..."}, Technique::ClueCount, 1, 0, 'l', 1},
    {"a 1 in the corner", {u"1..", u"...", u"..."}, Technique::CornerClue, 0, 0, 't', 0},
    {"a 3 in the corner", {u"3..", u"...", u"..."}, Technique::CornerClue, 0, 0, 'l', 1},
    {"two 3s side by side", {u"....", u".33.", u"...."}, Technique::ThreePair, 1, 1, 'l', 1},
    {"two 3s corner to corner", {u"....", u".3..", u"..3.", u"...."}, Technique::ThreePair, 1, 1, 't', 1},
    {"a 2 in the corner: its neighbours inside", {u"2.", u"..", u".."}, Technique::Colouring, 0, 1, 't', 1},
    {"a trial", {u".0.", u".2.", u"3.."}, Technique::Trial, 2, 1, 't', 1},
};

// The lowest level at which a technique first fixes the case's side: the
// rating levels below it never give it.
TEST(Deduction, EachTechniqueOnABoardThatNeedsIt) {
  for (const TechniqueCase& c : kTechniqueCases) {
    SCOPED_TRACE(c.name);
    const Board board = FromRows(c.rows);
    const int edge = EdgeAt(board, c.row, c.column, c.side);
    const Deduction full = Deduce(board);
    ASSERT_NE(full.outcome, Deduction::Outcome::Contradiction);
    EXPECT_EQ(full.edges[edge], c.value);
    EXPECT_GT(full.uses[static_cast<size_t>(c.technique)], 0);
    // Sound on its own: every loop of the board agrees.
    for (const Loop& loop : AllLoops(board.width, board.height)) {
      if (Keeps(loop, board)) {
        EXPECT_EQ(loop.edges[edge], c.value == 1);
      }
    }
    EXPECT_EQ(DeduceUpTo(board, LevelOf(c.technique) - 1).edges[edge], -1);
    EXPECT_EQ(DeduceUpTo(board, LevelOf(c.technique)).edges[edge], c.value);
  }
}

TEST(Deduction, RatesByTheHighestLevelAndItsCount) {
  // ★1 alone: every one of the 17 sides.
  Deduction easy = Deduce(FromRows({u"..0", u"331"}));
  ASSERT_EQ(easy.outcome, Deduction::Outcome::Solved);
  EXPECT_EQ(RatingOf(easy), (Rating{1, 17}));
  // A corner 2 needs the colours.
  EXPECT_EQ(RatingOf(Deduce(FromRows({u"22", u"22"}))).level, 3);
  // No loop: no rating; an open board: ★5.
  EXPECT_EQ(RatingOf(Deduce(FromRows({u"0", u"3"}))), (Rating{0, 0}));
  EXPECT_EQ(RatingOf(Deduce(Board::Empty(3, 3))), (Rating{5, 0}));
  EXPECT_EQ(RatingOf(Deduce(Board::Empty(0, 0))), (Rating{0, 0}));
  // Out of work: ★5 however easy.
  Deduction cut = Deduce(FromRows({u"22", u"22"}), 3);
  EXPECT_EQ(cut.outcome, Deduction::Outcome::OverBudget);
  EXPECT_EQ(RatingOf(cut), (Rating{5, 0}));
}

// Every side fixed is the same in every loop, on seeded boards up to 4 × 5;
// a board solved has exactly that loop, one with a contradiction none.
TEST(Deduction, AgreesWithEveryLoopOfSmallBoards) {
  std::mt19937_64 random(35);
  std::uniform_int_distribution<int> any_width(1, 4), any_height(1, 5), percent(0, 99);
  int outcomes[4] = {};
  for (int round = 0; round < 6000; ++round) {
    const int width = any_width(random), height = any_height(random);
    const std::vector<Loop>& loops = AllLoops(width, height);
    Board board = Board::Empty(width, height);
    const int keep = 20 + percent(random) * 7 / 10;
    const Loop& source = loops[std::uniform_int_distribution<size_t>(0, loops.size() - 1)(random)];
    for (int c = 0; c < width * height; ++c) {
      if (percent(random) < keep) board.clues[c] = static_cast<signed char>(source.counts[c]);
    }
    // A quarter get a clue changed, which often leaves no loop.
    if (percent(random) < 25) {
      board.clues[std::uniform_int_distribution<int>(0, width * height - 1)(random)] =
          static_cast<signed char>(percent(random) % 4);
    }
    const Deduction d = Deduce(board);
    ++outcomes[static_cast<int>(d.outcome)];
    int keeping = 0;
    for (const Loop& loop : loops) {
      if (!Keeps(loop, board)) continue;
      ++keeping;
      for (size_t e = 0; e < d.edges.size(); ++e) {
        if (d.edges[e] != -1) {
          ASSERT_EQ(d.edges[e] == 1, loop.edges[e]) << BoardText(board) << e;
        }
      }
    }
    if (d.outcome == Deduction::Outcome::Solved) {
      ASSERT_EQ(keeping, 1) << BoardText(board);
    }
    if (d.outcome == Deduction::Outcome::Contradiction) {
      ASSERT_EQ(keeping, 0) << BoardText(board);
    }
  }
  // Every outcome but the bound's is reached often.
  EXPECT_GT(outcomes[0], 500);
  EXPECT_GT(outcomes[1], 100);
  EXPECT_GT(outcomes[2], 500);
}

// Generated unique puzzles: deduction never rates them differently between
// runs, a clue more from the solution never raises the level, and when
// deduction solves one it finds the solver's loop.
TEST(Deduction, AClueMoreNeverRaisesTheLevel) {
  std::mt19937_64 random(3535);
  int levels[6] = {};
  for (int round = 0; round < 200; ++round) {
    const int width = 5 + round % 3, height = 5 + round % 4;
    const std::vector<bool> loop = RandomLoop(width, height, random);
    const Board full = CluesOf(width, height, loop);
    const Board puzzle = MinimiseClues(full, random, SolveBudget{});
    const Deduction d = Deduce(puzzle);
    const Rating rating = RatingOf(d);
    ASSERT_GE(rating.level, 1);
    ++levels[rating.level];
    EXPECT_EQ(RatingOf(Deduce(puzzle)), rating);
    if (d.outcome == Deduction::Outcome::Solved) {
      for (size_t e = 0; e < loop.size(); ++e) ASSERT_EQ(d.edges[e] == 1, loop[e]);
    }
    for (size_t c = 0; c < puzzle.clues.size(); c += 3) {
      if (puzzle.clues[c] != Board::kNoClue) continue;
      Board more = puzzle;
      more.clues[c] = full.clues[c];
      ASSERT_LE(RatingOf(Deduce(more)).level, rating.level) << BoardText(more);
    }
  }
  // The generated puzzles spread over the levels.
  EXPECT_GT(levels[2] + levels[3], 10);
  EXPECT_GT(levels[4] + levels[5], 10);
}

}  // namespace
}  // namespace quarnel
