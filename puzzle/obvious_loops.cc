#include "puzzle/obvious_loops.h"

#include <vector>

namespace quarnel {
namespace {

struct Rect {
  int row, column, height, width;
  bool Holds(int r, int c) const {
    return r >= row && r < row + height && c >= column && c < column + width;
  }
  bool operator==(const Rect&) const = default;
};

// How many sides of cell (r, c) the loop round `rect` uses.
int SidesUsed(const Rect& rect, int r, int c) {
  if (rect.Holds(r, c)) {
    return (r == rect.row) + (r == rect.row + rect.height - 1) + (c == rect.column) +
           (c == rect.column + rect.width - 1);
  }
  return rect.Holds(r + 1, c) + rect.Holds(r - 1, c) + rect.Holds(r, c + 1) + rect.Holds(r, c - 1);
}

bool Fits(const Board& board, const Rect& rect) {
  return rect.row >= 0 && rect.column >= 0 && rect.row + rect.height <= board.height &&
         rect.column + rect.width <= board.width;
}

// Whether the loop round `rect` keeps the clues of the cells in it and
// beside it (the rest of the board's clues are checked by the caller).
bool KeepsNearbyClues(const Board& board, const Rect& rect) {
  for (int r = rect.row - 1; r <= rect.row + rect.height; ++r) {
    for (int c = rect.column - 1; c <= rect.column + rect.width; ++c) {
      if (r < 0 || c < 0 || r >= board.height || c >= board.width) continue;
      const int clue = board.Clue(r, c);
      if (clue != Board::kNoClue && clue != SidesUsed(rect, r, c)) return false;
    }
  }
  return true;
}

std::vector<bool> LoopRound(const Board& board, const Rect& rect) {
  std::vector<bool> edges(static_cast<size_t>(board.EdgeCount()), false);
  for (int c = rect.column; c < rect.column + rect.width; ++c) {
    edges[board.HorizontalEdge(rect.row, c)] = true;
    edges[board.HorizontalEdge(rect.row + rect.height, c)] = true;
  }
  for (int r = rect.row; r < rect.row + rect.height; ++r) {
    edges[board.VerticalEdge(r, rect.column)] = true;
    edges[board.VerticalEdge(r, rect.column + rect.width)] = true;
  }
  return edges;
}

}  // namespace

bool FindTwoSmallLoops(const Board& board, Verdict* verdict) {
  if (board.width <= 0 || board.height <= 0) return false;
  // The clues a loop round a small rectangle leaves at 0 are those away
  // from it: so either every clue is 0 (then any place without clues in
  // and beside it fits), or every clue above 0 lies in or beside it.
  std::vector<int> raised;  // cells with a clue above 0
  for (size_t i = 0; i < board.clues.size(); ++i) {
    if (board.clues[i] > 0) raised.push_back(static_cast<int>(i));
  }
  std::vector<Rect> found;
  auto consider = [&](const Rect& rect) {
    if (!Fits(board, rect) || !KeepsNearbyClues(board, rect)) return;
    for (const int cell : raised) {
      const int r = cell / board.width, c = cell % board.width;
      if (SidesUsed(rect, r, c) != board.clues[cell]) return;
    }
    for (const Rect& other : found) {
      if (other == rect) return;
    }
    found.push_back(rect);
  };
  constexpr int kSizes[4][2] = {{1, 1}, {1, 2}, {2, 1}, {2, 2}};
  if (raised.empty()) {
    for (int r = 0; r < board.height && found.size() < 2; ++r) {
      for (int c = 0; c < board.width && found.size() < 2; ++c) {
        for (const auto& size : kSizes) consider({r, c, size[0], size[1]});
      }
    }
  } else {
    // Rectangles in or beside which the first raised clue lies.
    const int r0 = raised[0] / board.width, c0 = raised[0] % board.width;
    for (const auto& size : kSizes) {
      for (int r = r0 - size[0]; r <= r0 + 1; ++r) {
        for (int c = c0 - size[1]; c <= c0 + 1; ++c) consider({r, c, size[0], size[1]});
      }
    }
  }
  if (found.size() < 2) return false;
  verdict->outcome = Verdict::Outcome::Several;
  verdict->solution = LoopRound(board, found[0]);
  verdict->other = LoopRound(board, found[1]);
  for (size_t e = 0; e < verdict->solution.size(); ++e) {
    if (verdict->solution[e] != verdict->other[e]) {
      verdict->difference = PlaceOfEdge(board, static_cast<int>(e));
      break;
    }
  }
  return true;
}

}  // namespace quarnel
