#ifndef QUARNEL_PUZZLE_BOARD_H_
#define QUARNEL_PUZZLE_BOARD_H_

#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

/// A loop puzzle: `width` × `height` cells, each holding a clue 0-3 or none.
/// The loop runs along the cells' sides; its edges are numbered as below,
/// the horizontal sides first, row by row, then the vertical ones.
struct Board {
  static constexpr signed char kNoClue = -1;
  int width = 0;
  int height = 0;
  std::vector<signed char> clues;  // row by row, kNoClue for none

  /// A board of the given size without clues.
  static Board Empty(int width, int height);
  int Clue(int row, int column) const { return clues[static_cast<size_t>(row) * width + column]; }

  /// The number of cell sides: (height + 1) × width horizontal ones, then
  /// height × (width + 1) vertical ones.
  long long EdgeCount() const;
  /// The top side of cell (row, column); row may be `height`, the bottom frame.
  int HorizontalEdge(int row, int column) const { return row * width + column; }
  /// The left side of cell (row, column); column may be `width`.
  int VerticalEdge(int row, int column) const {
    return (height + 1) * width + row * (width + 1) + column;
  }
};

/// Where one edge lies: the top side (horizontal) or left side of the cell at
/// `row`, `column`, counted from 0; the frame's bottom and right sides have
/// row = height or column = width.
struct EdgePlace {
  bool horizontal = true;
  int row = 0;
  int column = 0;
  bool operator==(const EdgePlace&) const = default;
};
EdgePlace PlaceOfEdge(const Board& board, int edge);

/// A board from grid lines of '0'-'3' (half- or full-width) and anything
/// else for a cell without clue; a shorter line has no clues past its end.
Board BoardFromLines(const std::vector<std::u16string_view>& lines);

/// The board as ASCII lines, '.' for a cell without clue: the text the
/// test tools and the benchmark corpus use.
std::string BoardText(const Board& board);

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_BOARD_H_
