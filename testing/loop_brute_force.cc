#include "testing/loop_brute_force.h"

#include <map>
#include <utility>

namespace quarnel {
namespace {

// side: per cell 0 or 1, then the outside (index width * height) as 0.
bool OnePiece(const std::vector<int>& side, int width, int height, int which) {
  // side: per cell 0 or 1, plus the outside (index width * height) as 0.
  const int cells = width * height;
  std::vector<bool> seen(cells + 1, false);
  std::vector<int> stack;
  int total = 0;
  for (int c = 0; c <= cells; ++c) {
    if (side[c] != which) continue;
    ++total;
    if (stack.empty() && !seen[c]) {
      stack.push_back(c);
      seen[c] = true;
    }
  }
  if (total == 0) return false;
  int reached = 0;
  while (!stack.empty()) {
    const int c = stack.back();
    stack.pop_back();
    ++reached;
    std::vector<int> next;
    if (c == cells) {
      for (int i = 0; i < cells; ++i) {
        const int r = i / width, col = i % width;
        if (r == 0 || r == height - 1 || col == 0 || col == width - 1) next.push_back(i);
      }
    } else {
      const int r = c / width, col = c % width;
      next.push_back(r > 0 ? c - width : cells);
      next.push_back(r < height - 1 ? c + width : cells);
      next.push_back(col > 0 ? c - 1 : cells);
      next.push_back(col < width - 1 ? c + 1 : cells);
    }
    for (int n : next) {
      if (side[n] == which && !seen[n]) {
        seen[n] = true;
        stack.push_back(n);
      }
    }
  }
  return reached == total;
}

}  // namespace

const std::vector<Loop>& AllLoops(int width, int height) {
  static std::map<std::pair<int, int>, std::vector<Loop>> cache;
  auto [it, fresh] = cache.try_emplace({width, height});
  if (!fresh) return it->second;
  const int cells = width * height;
  const Board empty = Board::Empty(width, height);
  std::vector<int> side(cells + 1, 0);
  for (long mask = 1; mask < (1L << cells); ++mask) {
    for (int c = 0; c < cells; ++c) side[c] = (mask >> c) & 1;
    const auto in = [&](int r, int c) {
      return r >= 0 && r < height && c >= 0 && c < width && side[r * width + c] == 1;
    };
    bool pinch = false;
    for (int r = 0; r <= height && !pinch; ++r) {
      for (int c = 0; c <= width && !pinch; ++c) {
        pinch = in(r - 1, c - 1) == in(r, c) && in(r - 1, c) == in(r, c - 1) &&
                in(r - 1, c - 1) != in(r - 1, c);
      }
    }
    if (pinch || !OnePiece(side, width, height, 1) || !OnePiece(side, width, height, 0)) continue;
    Loop loop;
    loop.edges.assign(static_cast<size_t>(empty.EdgeCount()), false);
    for (int r = 0; r <= height; ++r) {
      for (int c = 0; c < width; ++c) loop.edges[empty.HorizontalEdge(r, c)] = in(r - 1, c) != in(r, c);
    }
    for (int r = 0; r < height; ++r) {
      for (int c = 0; c <= width; ++c) loop.edges[empty.VerticalEdge(r, c)] = in(r, c - 1) != in(r, c);
    }
    for (int r = 0; r < height; ++r) {
      for (int c = 0; c < width; ++c) {
        loop.counts.push_back((in(r, c) != in(r - 1, c)) + (in(r, c) != in(r + 1, c)) +
                              (in(r, c) != in(r, c - 1)) + (in(r, c) != in(r, c + 1)));
      }
    }
    it->second.push_back(std::move(loop));
  }
  return it->second;
}

bool Keeps(const Loop& loop, const Board& board) {
  for (size_t c = 0; c < board.clues.size(); ++c) {
    if (board.clues[c] != Board::kNoClue && board.clues[c] != loop.counts[c]) return false;
  }
  return true;
}

}  // namespace quarnel
