#include "puzzle/loop_solver.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "puzzle/clause_search.h"
#include "puzzle/clue_window.h"
#include "puzzle/depth_first.h"
#include "puzzle/flipped_loop.h"
#include "puzzle/grid.h"
#include "puzzle/obvious_loops.h"

namespace quarnel {
namespace {

// Larger boards first get what settles "several" at once: two small loops,
// or one loop and a cell of it turned. The loop comes from the caller, from
// the clues' window (half the budget at most) or from the learning search.
// Then the depth-first searches, for a quarter of what is left: they settle
// the boards whose clues leave little choice soonest and keep no more than
// the board, so the learning search's clauses are made only when they fail.
// Every look over the board is paid for in work, so that a caller that
// solves many boards (the repairs) runs out of budget as the searches do.
Verdict SolveLarge(const Board& board, const SolveBudget& budget, const std::vector<bool>* known) {
  const long long pass = static_cast<long long>(board.width) * board.height;
  const auto left = [&](long long spent) { return std::max<long long>(0, budget.work - spent); };
  Verdict verdict;
  const bool two_small = FindTwoSmallLoops(board, &verdict);
  verdict.work = pass;
  if (two_small) return verdict;
  // A 4 (as the repairs try): the loop round its cell is the only one that
  // can keep it.
  for (size_t cell = 0; cell < board.clues.size(); ++cell) {
    if (board.clues[cell] != 4) continue;
    const int r = static_cast<int>(cell) / board.width, c = static_cast<int>(cell) % board.width;
    std::vector<bool> round(static_cast<size_t>(board.EdgeCount()), false);
    for (const int e : {board.HorizontalEdge(r, c), board.HorizontalEdge(r + 1, c),
                        board.VerticalEdge(r, c), board.VerticalEdge(r, c + 1)}) {
      round[e] = true;
    }
    verdict.work += pass;
    if (IsSolution(board, round)) {
      verdict.outcome = Verdict::Outcome::Unique;
      verdict.solution = std::move(round);
    } else {
      verdict.outcome = Verdict::Outcome::None;
    }
    return verdict;
  }
  std::vector<bool> first;
  if (known != nullptr) {
    verdict.work += pass;
    if (IsSolution(board, *known)) first = *known;
  }
  if (first.empty()) {
    SolveBudget half = budget;
    half.work = left(verdict.work) / 2;
    Verdict window = SolveClueWindow(board, half);
    window.work += verdict.work;
    verdict = std::move(window);
    if (verdict.outcome == Verdict::Outcome::Several) return verdict;
    first = verdict.solution;
  }
  if (!first.empty() && FindFlippedLoop(board, first, &verdict)) return verdict;
  const std::vector<bool>* follow = first.empty() ? known : &first;
  SolveBudget share = budget;
  share.work = left(verdict.work) / 4;
  Verdict quick = SolveDepthFirst(board, share, follow);
  quick.nodes += verdict.nodes;
  quick.work += verdict.work;
  if (quick.outcome != Verdict::Outcome::Undetermined || left(quick.work) == 0) return quick;
  SolveBudget rest = budget;
  rest.work = left(quick.work);
  ClauseSearch search(board, rest, follow);
  bool turned = !first.empty();
  while (!search.Advance(1 << 10)) {
    if (turned || search.first_loop().empty()) continue;
    turned = true;
    Verdict flipped;
    flipped.nodes = quick.nodes + search.nodes();
    flipped.work = quick.work + search.work();
    if (FindFlippedLoop(board, search.first_loop(), &flipped)) return flipped;
  }
  Verdict result = search.Result(quick.nodes);
  result.work += quick.work;
  return result;
}

}  // namespace

Verdict Solve(const Board& board, const SolveBudget& budget, const std::vector<bool>* known) {
  if (static_cast<long long>(board.width) * board.height > ClauseSearch::kMostCells) {
    // Large open boards first get the look for two small loops, which the
    // depth-first searches can take long to find; smaller ones are quick
    // for the learning search anyway.
    Verdict verdict;
    if (FindTwoSmallLoops(board, &verdict)) return verdict;
    return SolveDepthFirst(board, budget, known);
  }
  if (known != nullptr && static_cast<long long>(known->size()) != board.EdgeCount()) known = nullptr;
  // Boards up to kLeanCells get the learning search alone: it settles them
  // soon enough.
  if (static_cast<long long>(board.width) * board.height > ClauseSearch::kLeanCells)
    return SolveLarge(board, budget, known);
  ClauseSearch search(board, budget, known);
  while (!search.Advance(1 << 16)) {
  }
  return search.Result(0);
}

Verdict SolveDepthFirst(const Board& board, const SolveBudget& budget, const std::vector<bool>* known) {
  // Edges are numbered in an int.
  if (board.EdgeCount() > INT_MAX / 2) return Verdict{};
  if (known != nullptr && static_cast<long long>(known->size()) != board.EdgeCount()) known = nullptr;
  // Two searches that differ in their choices take turns, a slice of work
  // each, and the first to finish answers: which order of choices suits a
  // board varies, and a bad one can cost a hundred times a good one.
  const Grid grid(board);
  DepthFirstSearch by_weight(board, grid, budget, known, DepthFirstSearch::Choice::ByWeight);
  DepthFirstSearch along_paths(board, grid, budget, known,
                               DepthFirstSearch::Choice::AlongPaths);
  by_weight.Start();
  along_paths.Start();
  // The slices start at one node and grow to their full size, so that
  // either search may answer a small board (about one in fifty of the
  // brute-force tests' boards is answered by the second).
  // They share the budget's work.
  for (long long slice = 1;; slice = std::min<long long>(2 * slice, 1 << 16)) {
    if (by_weight.Advance(slice, budget.work - along_paths.work())) {
      Verdict verdict = by_weight.Result(along_paths.nodes());
      verdict.work += along_paths.work();
      return verdict;
    }
    if (along_paths.Advance(slice, budget.work - by_weight.work())) {
      Verdict verdict = along_paths.Result(by_weight.nodes());
      verdict.work += by_weight.work();
      return verdict;
    }
    if (by_weight.work() + along_paths.work() >= budget.work) {
      Verdict verdict;
      verdict.nodes = by_weight.nodes() + along_paths.nodes();
      verdict.work = by_weight.work() + along_paths.work();
      return verdict;
    }
  }
}

bool IsSolution(const Board& board, const std::vector<bool>& edges) {
  if (board.width == 0 || board.height == 0 ||
      static_cast<long long>(edges.size()) != board.EdgeCount()) {
    return false;
  }
  const Grid grid(board);
  int edges_of[4];
  for (int c = 0; c < grid.cells(); ++c) {
    if (board.clues[c] == Board::kNoClue) continue;
    grid.CellEdges(c, edges_of);
    int on = 0;
    for (int e : edges_of) on += edges[e];
    if (on != board.clues[c]) return false;
  }
  int start = -1, on_dots = 0;
  for (int v = 0; v < grid.dots(); ++v) {
    const int n = grid.DotEdges(v, edges_of);
    int on = 0;
    for (int i = 0; i < n; ++i) on += edges[edges_of[i]];
    if (on != 0 && on != 2) return false;
    if (on == 2) {
      ++on_dots;
      start = v;
    }
  }
  if (start < 0) return false;
  // Walk the loop from one dot: it has to pass every dot in use.
  int previous = -1, v = start, walked = 0;
  do {
    const int n = grid.DotEdges(v, edges_of);
    for (int i = 0; i < n; ++i) {
      if (!edges[edges_of[i]] || edges_of[i] == previous) continue;
      int a, b;
      grid.EdgeDots(edges_of[i], &a, &b);
      previous = edges_of[i];
      v = a == v ? b : a;
      break;
    }
    ++walked;
  } while (v != start);
  return walked == on_dots;
}

bool AddLoopFound(const Board& board, std::vector<bool> loop, Verdict* verdict) {
  if (verdict->solution.empty()) {
    verdict->solution = std::move(loop);
    verdict->outcome = Verdict::Outcome::Unique;
    return false;
  }
  verdict->other = std::move(loop);
  for (size_t e = 0; e < verdict->solution.size(); ++e) {
    if (verdict->solution[e] != verdict->other[e]) {
      verdict->difference = PlaceOfEdge(board, static_cast<int>(e));
      break;
    }
  }
  verdict->outcome = Verdict::Outcome::Several;
  return true;
}

}  // namespace quarnel
