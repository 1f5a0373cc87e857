#include "check/stage_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/utf8.h"

namespace quarnel {
namespace {

// The loop round the rectangle of cells from (top, left) to (bottom, right).
std::vector<bool> LoopRound(const Board& board, int top, int left, int bottom, int right) {
  std::vector<bool> edges(static_cast<size_t>(board.EdgeCount()));
  for (int column = left; column <= right; ++column) {
    edges[board.HorizontalEdge(top, column)] = true;
    edges[board.HorizontalEdge(bottom + 1, column)] = true;
  }
  for (int row = top; row <= bottom; ++row) {
    edges[board.VerticalEdge(row, left)] = true;
    edges[board.VerticalEdge(row, right + 1)] = true;
  }
  return edges;
}

std::vector<std::string> Utf8Lines(const std::vector<std::u16string>& lines) {
  std::vector<std::string> out;
  for (const std::u16string& line : lines) out.push_back(EncodeUtf8(line));
  return out;
}

TEST(StageDrawing, DrawsDotsSidesCluesAndMarkedCells) {
  const Board board = BoardFromLines({u"3 ", u" 0"});
  const std::vector<std::string> want = {
      "+---+   +",
      "| 3 |    ",
      "+---+   +",
      "      0  ",
      "+   +   +",
  };
  EXPECT_EQ(BoardDrawing(board, LoopRound(board, 0, 0, 0, 0)), want);
  const std::vector<std::string> marked = {
      "+   +   +",
      " [3]     ",
      "+   +   +",
      "     [0] ",
      "+   +   +",
  };
  EXPECT_EQ(BoardDrawing(board, {}, {3, 0}), marked);
}

// Two loops stand side by side while both fit in 80 columns with their
// indent, whatever the terminal; one above the other beyond.
TEST(StageDrawing, PutsTheTwoLoopsSideBySideOnlyWhereBothFit) {
  for (int width : {1, 9, 10}) {
    SCOPED_TRACE(testing::Message() << width << " cells wide");
    StageSolve stage;
    stage.board = Board::Empty(width, 2);
    stage.solution = LoopRound(stage.board, 0, 0, 0, 0);
    stage.other = LoopRound(stage.board, 1, width - 1, 1, width - 1);
    const std::vector<std::string> lines = Utf8Lines(StageDrawingLines(stage));
    const std::vector<std::string> first = BoardDrawing(stage.board, stage.solution);
    const std::vector<std::string> second = BoardDrawing(stage.board, stage.other);
    const size_t columns = 4 * static_cast<size_t>(width) + 1;
    for (const std::string& line : lines) EXPECT_EQ(line.substr(0, 2), "  ") << "never empty";
    auto trimmed = [](std::string s) { return s.erase(std::max<size_t>(2, s.find_last_not_of(' ') + 1)); };
    if (width < 10) {
      ASSERT_EQ(lines.size(), 6u);
      // "解" is two columns wide: the second label starts over the second drawing.
      EXPECT_EQ(lines[0], "  解 1" + std::string(columns, ' ') + "解 2");
      for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(lines[i + 1], trimmed("  " + first[i] + "    " + second[i]));
        EXPECT_LE(lines[i + 1].size(), 80u);
      }
      EXPECT_EQ(lines[3].size(), 2 + 2 * columns + 4);  // the middle dots reach the end
    } else {
      ASSERT_EQ(lines.size(), 12u);
      EXPECT_EQ(lines[0], "  解 1");
      EXPECT_EQ(lines[6], "  解 2");
      for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(lines[i + 1], trimmed("  " + first[i]));
        EXPECT_EQ(lines[i + 7], trimmed("  " + second[i]));
      }
    }
  }
}

TEST(StageDrawing, DrawsTheBoardWithTheCoreOnlyForNone) {
  StageSolve stage;
  stage.board = BoardFromLines({u"0 1", u"2 3"});
  EXPECT_TRUE(StageDrawingLines(stage).empty());  // one solution, or none without a core
  stage.core = {0, 3};
  const std::vector<std::string> want = {
      "  盤面（[ ] の数字は同時には成り立ちません）",
      "  +   +   +   +",
      "   [0]      1",
      "  +   +   +   +",
      "   [2]      3",
      "  +   +   +   +",
  };
  EXPECT_EQ(Utf8Lines(StageDrawingLines(stage)), want);
}

}  // namespace
}  // namespace quarnel
