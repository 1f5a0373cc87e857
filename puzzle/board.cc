#include "puzzle/board.h"

#include <algorithm>

namespace quarnel {

Board Board::Empty(int width, int height) {
  Board board;
  board.width = width;
  board.height = height;
  board.clues.assign(static_cast<size_t>(width) * height, kNoClue);
  return board;
}

long long Board::EdgeCount() const {
  return static_cast<long long>(height + 1) * width + static_cast<long long>(height) * (width + 1);
}

EdgePlace PlaceOfEdge(const Board& board, int edge) {
  const int horizontal_count = (board.height + 1) * board.width;
  if (edge < horizontal_count) return {true, edge / board.width, edge % board.width};
  const int k = edge - horizontal_count;
  return {false, k / (board.width + 1), k % (board.width + 1)};
}

Board BoardFromLines(const std::vector<std::u16string_view>& lines) {
  size_t width = 0;
  for (std::u16string_view line : lines) width = std::max(width, line.size());
  Board board = Board::Empty(static_cast<int>(width), width == 0 ? 0 : static_cast<int>(lines.size()));
  for (int row = 0; row < board.height; ++row) {
    std::u16string_view line = lines[row];
    for (size_t column = 0; column < line.size(); ++column) {
      char16_t c = line[column];
      // The full-width digits are U+FF10 onwards.
      if (c >= u'\xFF10' && c <= u'\xFF13') c = static_cast<char16_t>(c - u'\xFF10' + u'0');
      if (c >= u'0' && c <= u'3') {
        board.clues[static_cast<size_t>(row) * width + column] = static_cast<signed char>(c - u'0');
      }
    }
  }
  return board;
}

std::string BoardText(const Board& board) {
  std::string text;
  for (int row = 0; row < board.height; ++row) {
    for (int column = 0; column < board.width; ++column) {
      int clue = board.Clue(row, column);
      text += clue == Board::kNoClue ? '.' : static_cast<char>('0' + clue);
    }
    text += '\n';
  }
  return text;
}

}  // namespace quarnel
