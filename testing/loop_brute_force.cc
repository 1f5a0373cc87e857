#include "testing/loop_brute_force.h"

#include <map>
#include <utility>

#include "puzzle/grid.h"
#include "puzzle/loop_generator.h"

namespace quarnel {
namespace {

// Whether the cells of `side` equal to `which` (per cell, then the
// outside as 0) form one piece.
bool OnePiece(const std::vector<int>& side, const Grid& grid, int which) {
  const int cells = grid.cells();
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
    // Across each side: the cell beyond, the outside past the frame.
    grid.EverySide(c, [&](int e) {
      int p, q;
      grid.EdgeCells(e, &p, &q);
      const int n = p == c ? q : p;
      if (side[n] == which && !seen[n]) {
        seen[n] = true;
        stack.push_back(n);
      }
      return true;
    });
  }
  return reached == total;
}

}  // namespace

const std::vector<Loop>& AllLoops(int width, int height) {
  static std::map<std::pair<int, int>, std::vector<Loop>> cache;
  auto [it, fresh] = cache.try_emplace({width, height});
  if (!fresh) return it->second;
  const int cells = width * height;
  const Grid grid(width, height);
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
    if (pinch || !OnePiece(side, grid, 1) || !OnePiece(side, grid, 0)) continue;
    Loop loop;
    loop.edges = LoopAround(grid, std::vector<uint8_t>(side.begin(), side.begin() + cells));
    const Board full = CluesOf(width, height, loop.edges);
    loop.counts.assign(full.clues.begin(), full.clues.end());
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
