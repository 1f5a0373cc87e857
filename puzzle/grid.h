#ifndef QUARNEL_PUZZLE_GRID_H_
#define QUARNEL_PUZZLE_GRID_H_

#include <utility>
#include <vector>

#include "puzzle/board.h"

namespace quarnel {

/// The eight cells round a cell, in turn, each beside the one before, as
/// (row, column) steps: above, above right, right, below right, below,
/// below left, left, above left. The four beside it are at the even places.
inline constexpr int kCellsRound[8][2] = {{-1, 0}, {-1, 1}, {0, 1},  {1, 1},
                                          {1, 0},  {1, -1}, {0, -1}, {-1, -1}};

/// The geometry of a board, shared by every search, the check of a solution
/// and the tests: its dots (the corners of cells, row by row, (width + 1)
/// per row), its edges (numbered as in Board: the horizontal sides row by
/// row, then the vertical ones) and its cells (row by row), and which
/// touches which. What the searches ask at every step (an edge's two dots
/// and two cells, a cell's four neighbours) is looked up; the rest is
/// computed.
class Grid {
 public:
  explicit Grid(const Board& board) : Grid(board.width, board.height) {}
  Grid(int width, int height);

  int width() const { return w_; }
  int height() const { return h_; }
  int edges() const { return edges_; }
  int dots() const { return dots_; }
  int cells() const { return cells_; }
  /// The frame's outside, counted as one more cell: the number after the
  /// last cell.
  int outside() const { return cells_; }

  /// The top side of cell (r, c), and its left side; r and c may be one past
  /// the last row and column for the frame.
  int Horizontal(int r, int c) const { return r * w_ + c; }
  int Vertical(int r, int c) const { return horizontal_ + r * (w_ + 1) + c; }
  /// The two dots at an edge's ends: left before right, top before bottom.
  void EdgeDots(int e, int* a, int* b) const {
    *a = ends_[2 * e];
    *b = ends_[2 * e + 1];
  }
  /// The two cells an edge separates, above before below and left before
  /// right; outside() beyond the frame.
  void EdgeCells(int e, int* p, int* q) const {
    *p = sides_[2 * e];
    *q = sides_[2 * e + 1];
  }
  bool OnFrame(int e) const { return sides_[2 * e] == cells_ || sides_[2 * e + 1] == cells_; }
  /// The edges at a dot: left, right, up, down, those that exist; returns
  /// how many (2 to 4).
  int DotEdges(int v, int out[4]) const {
    const int r = v / (w_ + 1), c = v % (w_ + 1);
    int n = 0;
    if (c > 0) out[n++] = r * w_ + c - 1;
    if (c < w_) out[n++] = r * w_ + c;
    if (r > 0) out[n++] = horizontal_ + (r - 1) * (w_ + 1) + c;
    if (r < h_) out[n++] = horizontal_ + r * (w_ + 1) + c;
    return n;
  }
  /// The four sides of a cell: top, bottom, left, right.
  void CellEdges(int cell, int out[4]) const {
    const int r = cell / w_, c = cell % w_;
    out[0] = r * w_ + c;
    out[1] = (r + 1) * w_ + c;
    out[2] = horizontal_ + r * (w_ + 1) + c;
    out[3] = out[2] + 1;
  }
  /// The four cells beside a cell: above, below, left, right; -1 past the
  /// frame.
  const int* CellNeighbours(int cell) const { return &next_[4 * static_cast<size_t>(cell)]; }
  /// Calls `f` with each side of a cell, the whole frame for outside(),
  /// until it returns false; returns whether it never did.
  template <class F>
  bool EverySide(int cell, F f) const {
    if (cell == cells_) {
      for (int c = 0; c < w_; ++c) {
        if (!f(c) || !f(h_ * w_ + c)) return false;
      }
      for (int r = 0; r < h_; ++r) {
        if (!f(horizontal_ + r * (w_ + 1)) || !f(horizontal_ + r * (w_ + 1) + w_)) return false;
      }
      return true;
    }
    int sides[4];
    CellEdges(cell, sides);
    for (int side : sides) {
      if (!f(side)) return false;
    }
    return true;
  }
  /// The edge between two dots, or -1 if they are not neighbours.
  int EdgeBetween(int a, int b) const {
    if (a > b) std::swap(a, b);
    if (b - a == 1 && a % (w_ + 1) != w_) return (a / (w_ + 1)) * w_ + a % (w_ + 1);
    if (b - a == w_ + 1) return horizontal_ + a;
    return -1;
  }

 private:
  int w_, h_, horizontal_, edges_, dots_, cells_;
  std::vector<int> ends_, sides_;  // per edge, two each
  std::vector<int> next_;          // per cell, four
};

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_GRID_H_
