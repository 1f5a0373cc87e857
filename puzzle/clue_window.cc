#include "puzzle/clue_window.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "puzzle/clause_search.h"
#include "puzzle/flipped_loop.h"

namespace quarnel {
namespace {

// The margin round the clues above 0: room for the loop to pass outside
// them.
constexpr int kMargin = 2;

}  // namespace

Verdict SolveClueWindow(const Board& board, const SolveBudget& budget) {
  // Each look over the board (for the clues, and to count them) is a unit
  // of work per cell.
  const long long pass = static_cast<long long>(board.width) * board.height;
  Verdict verdict;
  verdict.work = pass;
  int top = board.height, bottom = -1, left = board.width, right = -1;
  for (int r = 0; r < board.height; ++r) {
    for (int c = 0; c < board.width; ++c) {
      if (board.Clue(r, c) <= 0) continue;
      top = std::min(top, r);
      bottom = std::max(bottom, r);
      left = std::min(left, c);
      right = std::max(right, c);
    }
  }
  if (bottom < 0) return verdict;
  top = std::max(0, top - kMargin);
  left = std::max(0, left - kMargin);
  bottom = std::min(board.height - 1, bottom + kMargin);
  right = std::min(board.width - 1, right + kMargin);
  // The clues in each rectangle from the corner, to count those in a row or
  // column beside the window at once.
  const int width = board.width, height = board.height;
  std::vector<int> sums(static_cast<size_t>(width + 1) * (height + 1), 0);
  const auto sum = [&](int r, int c) -> int& { return sums[static_cast<size_t>(r) * (width + 1) + c]; };
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      sum(r + 1, c + 1) = sum(r, c + 1) + sum(r + 1, c) - sum(r, c) +
                          (board.Clue(r, c) != Board::kNoClue);
    }
  }
  const auto clues_in = [&](int r0, int c0, int r1, int c1) {  // rows r0..r1, columns c0..c1
    if (r0 < 0 || c0 < 0 || r1 >= height || c1 >= width) return 0;
    return sum(r1 + 1, c1 + 1) - sum(r0, c1 + 1) - sum(r1 + 1, c0) + sum(r0, c0);
  };
  verdict.work = 2 * pass;
  // The window grows until no clue lies beside it: then no loop in it can
  // break a clue beyond it.
  const long long half = static_cast<long long>(width) * height / 2;
  for (bool grown = true; grown;) {
    if (static_cast<long long>(right - left + 1) * (bottom - top + 1) > half) return verdict;
    grown = false;
    if (clues_in(top - 1, left, top - 1, right) > 0) --top, grown = true;
    if (clues_in(bottom + 1, left, bottom + 1, right) > 0) ++bottom, grown = true;
    if (clues_in(top, left - 1, bottom, left - 1) > 0) --left, grown = true;
    if (clues_in(top, right + 1, bottom, right + 1) > 0) ++right, grown = true;
  }
  Board window = Board::Empty(right - left + 1, bottom - top + 1);
  for (int r = 0; r < window.height; ++r) {
    for (int c = 0; c < window.width; ++c) {
      window.clues[static_cast<size_t>(r) * window.width + c] =
          static_cast<signed char>(board.Clue(r + top, c + left));
    }
  }
  // The window's loops on the whole board: the same edges, moved.
  const auto whole = [&](const std::vector<bool>& loop) {
    std::vector<bool> edges(static_cast<size_t>(board.EdgeCount()), false);
    for (int r = 0; r <= window.height; ++r) {
      for (int c = 0; c <= window.width; ++c) {
        if (c < window.width && loop[window.HorizontalEdge(r, c)])
          edges[board.HorizontalEdge(r + top, c + left)] = true;
        if (r < window.height && loop[window.VerticalEdge(r, c)])
          edges[board.VerticalEdge(r + top, c + left)] = true;
      }
    }
    return edges;
  };
  SolveBudget rest = budget;
  rest.work = std::max<long long>(0, budget.work - verdict.work);
  ClauseSearch search(window, rest, nullptr);
  bool turned = false;
  while (!search.Advance(1 << 10)) {
    if (turned || search.first_loop().empty()) continue;
    // The first loop, and a cell of it turned, settle the board.
    turned = true;
    verdict.nodes = search.nodes();
    verdict.work = 2 * pass + search.work();
    if (FindFlippedLoop(board, whole(search.first_loop()), &verdict)) return verdict;
  }
  const Verdict found = search.Result(0);
  verdict.nodes = found.nodes;
  verdict.work = 2 * pass + found.work;
  for (const std::vector<bool>* loop : {&found.solution, &found.other}) {
    if (loop->empty()) continue;
    std::vector<bool> edges = whole(*loop);
    if (IsSolution(board, edges)) AddLoopFound(board, std::move(edges), &verdict);
  }
  if (verdict.outcome != Verdict::Outcome::Several) verdict.outcome = Verdict::Outcome::Undetermined;
  return verdict;
}

}  // namespace quarnel
