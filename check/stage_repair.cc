#include "check/stage_repair.h"

#include <algorithm>

namespace quarnel {
namespace {

using Clock = std::chrono::steady_clock;

// The board's loops as far as the clues of `cells` go: whether one exists,
// and one of them in `loop`; nullopt when the deadline came first.
std::optional<bool> HasLoop(const Board& board, const std::vector<int>& cells,
                            Clock::time_point deadline, std::vector<bool>* loop) {
  Board part = Board::Empty(board.width, board.height);
  for (int cell : cells) part.clues[cell] = board.clues[cell];
  const Clock::time_point now = Clock::now();
  if (now >= deadline) return std::nullopt;
  const Verdict verdict = Solve(part, SolveBudget{deadline - now});
  if (verdict.outcome == Verdict::Outcome::Undetermined) return std::nullopt;
  if (verdict.outcome == Verdict::Outcome::None) return false;
  *loop = verdict.solution;
  return true;
}

}  // namespace

int SidesOn(const Board& board, const std::vector<bool>& edges, int cell) {
  const int row = cell / board.width, column = cell % board.width;
  return edges[board.HorizontalEdge(row, column)] + edges[board.HorizontalEdge(row + 1, column)] +
         edges[board.VerticalEdge(row, column)] + edges[board.VerticalEdge(row, column + 1)];
}

std::optional<std::vector<int>> ConflictingClues(const Board& board, Clock::time_point deadline) {
  // Without cells there is no loop, whatever the clues; with cells, a loop
  // around any one of them keeps a board without clues.
  if (board.width == 0 || board.height == 0) return std::vector<int>();
  std::vector<int> candidates, necessary;
  for (int cell = 0; cell < static_cast<int>(board.clues.size()); ++cell) {
    if (board.clues[cell] != Board::kNoClue) candidates.push_back(cell);
  }
  // Deletion in chunks: a chunk whose clues the rest can do without is
  // dropped whole; one that cannot is halved. A loop that keeps all but one
  // clue of the chunk shows that clue is needed by every subset of what is
  // left, so it is kept at once.
  size_t chunk = std::max<size_t>(1, candidates.size() / 2);
  std::vector<int> rest;
  std::vector<bool> loop;
  while (!candidates.empty()) {
    chunk = std::min(chunk, candidates.size());
    rest = necessary;
    rest.insert(rest.end(), candidates.begin() + static_cast<long>(chunk), candidates.end());
    std::optional<bool> has = HasLoop(board, rest, deadline, &loop);
    if (!has) return std::nullopt;
    if (!*has) {
      candidates.erase(candidates.begin(), candidates.begin() + static_cast<long>(chunk));
      continue;
    }
    std::vector<int> broken;
    for (size_t i = 0; i < chunk; ++i) {
      if (SidesOn(board, loop, candidates[i]) != board.clues[candidates[i]]) {
        broken.push_back(static_cast<int>(i));
      }
    }
    if (broken.size() == 1) {
      necessary.push_back(candidates[broken[0]]);
      candidates.erase(candidates.begin() + broken[0]);
      chunk = std::max<size_t>(1, candidates.size() / 2);
    } else {
      chunk = std::max<size_t>(1, chunk / 2);
    }
  }
  std::sort(necessary.begin(), necessary.end());
  return necessary;
}

Repair UniqueRepair(const Board& board, const Verdict& several, Clock::time_point deadline) {
  // Cells without a clue that tell the two loops apart, with the digit of
  // each loop: every one rules the other loop out.
  std::vector<std::pair<int, int>> tries[2];
  for (int cell = 0; cell < static_cast<int>(board.clues.size()); ++cell) {
    if (board.clues[cell] != Board::kNoClue) continue;
    const int first = SidesOn(board, several.solution, cell);
    const int second = SidesOn(board, several.other, cell);
    if (first == second) continue;
    tries[0].emplace_back(cell, first);
    tries[1].emplace_back(cell, second);
  }
  Repair repair;
  if (tries[0].empty()) return repair;
  repair.cell = tries[0].front().first;
  repair.clue = tries[0].front().second;
  Board tried = board;
  for (int side = 0; side < 2; ++side) {
    const std::vector<bool>& known = side == 0 ? several.solution : several.other;
    for (const auto& [cell, clue] : tries[side]) {
      const Clock::time_point now = Clock::now();
      if (now >= deadline) return repair;
      tried.clues[cell] = static_cast<signed char>(clue);
      const Verdict verdict = Solve(tried, SolveBudget{deadline - now}, &known);
      tried.clues[cell] = Board::kNoClue;
      if (verdict.outcome == Verdict::Outcome::Unique) return {cell, clue, true};
    }
  }
  return repair;
}

EdgePlace DifferenceBesideOpenCell(const Board& board, const Verdict& several) {
  for (size_t edge = 0; edge < several.solution.size(); ++edge) {
    if (several.solution[edge] == several.other[edge]) continue;
    const EdgePlace place = PlaceOfEdge(board, static_cast<int>(edge));
    // The cells on either side of it, those that are on the board.
    const int row = place.row, column = place.column;
    const int before_row = place.horizontal ? row - 1 : row;
    const int before_column = place.horizontal ? column : column - 1;
    auto open = [&](int r, int c) {
      return r >= 0 && c >= 0 && r < board.height && c < board.width &&
             board.Clue(r, c) == Board::kNoClue;
    };
    if (open(row, column) || open(before_row, before_column)) return place;
  }
  return several.difference;
}

}  // namespace quarnel
