#include "puzzle/loop_generator.h"

#include <algorithm>
#include <array>

#include "puzzle/grid.h"

namespace quarnel {
namespace {

// Whether cell (r, c) may change sides: the cells around it that are on the
// side it joins form one unbroken arc that holds a side neighbour. Then both
// regions stay in one piece and no two cells meet only at a corner.
bool MayFlip(const std::vector<uint8_t>& inside, int width, int height, int r, int c) {
  const bool joining = !inside[r * width + c];
  std::array<bool, 8> side{};
  for (int i = 0; i < 8; ++i) {
    const int rr = r + kCellsRound[i][0], cc = c + kCellsRound[i][1];
    const bool in = rr >= 0 && rr < height && cc >= 0 && cc < width && inside[rr * width + cc];
    side[i] = in == joining;
  }
  int starts = 0, count = 0;
  bool side_neighbour = false;
  for (int i = 0; i < 8; ++i) {
    if (!side[i]) continue;
    ++count;
    if (i % 2 == 0) side_neighbour = true;
    if (!side[(i + 7) % 8]) ++starts;
  }
  return starts == 1 && count < 8 && side_neighbour;
}

}  // namespace

std::vector<bool> RandomLoop(int width, int height, std::mt19937_64& random) {
  std::vector<uint8_t> inside(static_cast<size_t>(width) * height, 0);
  std::uniform_int_distribution<int> any_row(0, height - 1), any_column(0, width - 1);
  inside[any_row(random) * width + any_column(random)] = 1;
  int count = 1;
  const int cells = width * height;
  std::uniform_int_distribution<int> share(35, 65);
  const int target = std::max(1, cells * share(random) / 100);
  // Grow towards the target, then keep reshaping around it.
  for (long long step = 0; step < 30LL * cells; ++step) {
    const int r = any_row(random), c = any_column(random);
    const bool in = inside[r * width + c];
    if (in && (count == 1 || (step < 10LL * cells && count <= target))) continue;
    if (!in && count >= target + cells / 20 + 1) continue;
    if (!MayFlip(inside, width, height, r, c)) continue;
    inside[r * width + c] = !in;
    count += in ? -1 : 1;
  }
  return LoopAround(Grid(width, height), inside);
}

std::vector<bool> LoopAround(const Grid& grid, const std::vector<uint8_t>& inside) {
  std::vector<bool> loop(grid.edges(), false);
  const auto in = [&](int cell) { return cell != grid.outside() && inside[cell] != 0; };
  for (int e = 0; e < grid.edges(); ++e) {
    int p, q;
    grid.EdgeCells(e, &p, &q);
    loop[e] = in(p) != in(q);
  }
  return loop;
}

Board CluesOf(int width, int height, const std::vector<bool>& loop) {
  Board board = Board::Empty(width, height);
  const Grid grid(board);
  for (int cell = 0; cell < grid.cells(); ++cell) {
    int sides[4];
    grid.CellEdges(cell, sides);
    board.clues[cell] =
        static_cast<signed char>(loop[sides[0]] + loop[sides[1]] + loop[sides[2]] + loop[sides[3]]);
  }
  return board;
}

Board MinimiseClues(Board board, std::mt19937_64& random, const SolveBudget& budget) {
  std::vector<int> order;
  for (int i = 0; i < static_cast<int>(board.clues.size()); ++i) {
    if (board.clues[i] != Board::kNoClue) order.push_back(i);
  }
  std::shuffle(order.begin(), order.end(), random);
  const Verdict start = Solve(board, budget);
  if (start.outcome != Verdict::Outcome::Unique) return board;
  // Clues go in runs: a run that leaves one solution goes at once and the
  // next run is longer; one that does not is halved. A clue kept was tried
  // alone on a board holding every clue the result holds, so taking it off
  // the result would leave more than one solution too.
  size_t next = 0, run = 1;
  while (next < order.size()) {
    const size_t count = std::min(run, order.size() - next);
    std::vector<signed char> saved;
    for (size_t k = next; k < next + count; ++k) {
      saved.push_back(board.clues[order[k]]);
      board.clues[order[k]] = Board::kNoClue;
    }
    if (Solve(board, budget, &start.solution).outcome == Verdict::Outcome::Unique) {
      next += count;
      run *= 2;
      continue;
    }
    for (size_t k = 0; k < count; ++k) board.clues[order[next + k]] = saved[k];
    if (count == 1) ++next;
    run = std::max<size_t>(1, count / 2);
  }
  return board;
}

}  // namespace quarnel
