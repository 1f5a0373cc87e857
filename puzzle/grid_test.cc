#include "puzzle/grid.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace quarnel {
namespace {

// Every lookup of the grid against the board's numbering of edges and
// against each other, on boards of one row, one column, and more.
TEST(Grid, AgreesWithTheBoardsNumberingAndWithItself) {
  const std::pair<int, int> sizes[] = {{1, 1}, {3, 2}, {1, 5}, {5, 1}, {4, 4}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(testing::Message() << width << " x " << height);
    const Board board = Board::Empty(width, height);
    const Grid grid(board);
    ASSERT_EQ(grid.edges(), board.EdgeCount());
    ASSERT_EQ(grid.cells(), width * height);
    ASSERT_EQ(grid.dots(), (width + 1) * (height + 1));
    const auto cell_at = [&](int r, int c) {
      return r < 0 || r >= height || c < 0 || c >= width ? grid.outside() : r * width + c;
    };
    std::set<int> frame;
    for (int e = 0; e < grid.edges(); ++e) {
      const EdgePlace place = PlaceOfEdge(board, e);
      int a, b, p, q;
      grid.EdgeDots(e, &a, &b);
      grid.EdgeCells(e, &p, &q);
      const int dot = place.row * (width + 1) + place.column;
      EXPECT_EQ(a, dot);
      EXPECT_EQ(b, place.horizontal ? dot + 1 : dot + width + 1);
      EXPECT_EQ(grid.EdgeBetween(a, b), e);
      EXPECT_EQ(grid.EdgeBetween(b, a), e);
      if (place.horizontal) {
        EXPECT_EQ(e, grid.Horizontal(place.row, place.column));
        EXPECT_EQ(p, cell_at(place.row - 1, place.column));
      } else {
        EXPECT_EQ(e, grid.Vertical(place.row, place.column));
        EXPECT_EQ(p, cell_at(place.row, place.column - 1));
      }
      EXPECT_EQ(q, cell_at(place.row, place.column));
      EXPECT_EQ(grid.OnFrame(e), p == grid.outside() || q == grid.outside());
      if (grid.OnFrame(e)) frame.insert(e);
      // Each edge is at its two dots.
      for (int dot_at : {a, b}) {
        int at[4];
        const int n = grid.DotEdges(dot_at, at);
        EXPECT_EQ(std::count(at, at + n, e), 1);
      }
    }
    // A dot's edges are its neighbours'; a dot a row further on is none.
    int at[4];
    EXPECT_EQ(grid.DotEdges(0, at), 2);
    EXPECT_EQ(grid.EdgeBetween(width, width + 1), -1);
    EXPECT_EQ(grid.EdgeBetween(0, width + 2), -1);
    // A cell's sides and neighbours: across each side lies the neighbour.
    for (int cell = 0; cell < grid.cells(); ++cell) {
      int sides[4];
      grid.CellEdges(cell, sides);
      const int* next = grid.CellNeighbours(cell);
      for (int k = 0; k < 4; ++k) {
        int p, q;
        grid.EdgeCells(sides[k], &p, &q);
        const int across = p == cell ? q : p;
        EXPECT_TRUE(p == cell || q == cell);
        EXPECT_EQ(next[k] < 0 ? grid.outside() : next[k], across);
      }
    }
    // The outside's sides are the frame, each once.
    std::multiset<int> outside_sides;
    grid.EverySide(grid.outside(), [&](int e) {
      outside_sides.insert(e);
      return true;
    });
    EXPECT_EQ(outside_sides, std::multiset<int>(frame.begin(), frame.end()));
    EXPECT_EQ(static_cast<int>(frame.size()), 2 * (width + height));
  }
}

}  // namespace
}  // namespace quarnel
