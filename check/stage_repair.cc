#include "check/stage_repair.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "puzzle/clause_search.h"
#include "puzzle/grid.h"

namespace quarnel {
namespace {

// The board's loops as far as the clues of `cells` go: whether one exists,
// and one of them in `loop`; nullopt when the work `*left` ran out first.
// What the search spends is taken from `*left`.
std::optional<bool> HasLoop(const Board& board, const std::vector<int>& cells, long long* left,
                            std::vector<bool>* loop) {
  Board part = Board::Empty(board.width, board.height);
  for (int cell : cells) part.clues[cell] = board.clues[cell];
  if (*left <= 0) return std::nullopt;
  const Verdict verdict = Solve(part, SolveBudgetOfWork(*left));
  *left -= verdict.work;
  if (verdict.outcome == Verdict::Outcome::Undetermined) return std::nullopt;
  if (verdict.outcome == Verdict::Outcome::None) return false;
  *loop = verdict.solution;
  return true;
}

// For boards too large for the learning search: a whole search for each
// step.
std::optional<std::vector<int>> CoreByDeletion(const Board& board, long long work) {
  long long left = work;
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
    std::optional<bool> has = HasLoop(board, rest, &left, &loop);
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

// Loops near `loop` that break just one clue of `kept` (per cell, whether
// its clue is among those checked): each such clue is needed by every set
// of them that leaves no loop. `loop` keeps every clue of `kept` but
// `broken`'s. A loop near it inverts the colour (inside or outside) of one
// cell or of two side by side, which changes the counts of those cells and
// their neighbours only, that of `broken` among them; from each loop found
// so, the search goes on around the clue it breaks. The clues found are
// given to `needed`, once each; what the look costs goes to `spend`.
template <typename Needed, typename Spend>
void NeededNearby(const Board& board, const Grid& grid, const std::vector<uint8_t>& kept,
                  std::vector<bool> loop, int broken, Needed needed, Spend spend) {
  const Board plain = Board::Empty(board.width, board.height);
  std::vector<uint8_t> seen(board.clues.size(), 0);
  std::vector<std::pair<std::vector<bool>, int>> pending{{std::move(loop), broken}};
  seen[static_cast<size_t>(broken)] = 1;
  auto flip = [&](std::vector<bool>* edges, int cell) {
    int sides[4];
    grid.CellEdges(cell, sides);
    for (int e : sides) (*edges)[static_cast<size_t>(e)] = !(*edges)[static_cast<size_t>(e)];
  };
  // The cells beside `cell` (-1 off the board): up, down, left, right.
  auto beside = [&](int cell, int k) { return grid.CellNeighbours(cell)[k]; };
  std::vector<int> flipped, touched;
  while (!pending.empty()) {
    std::vector<bool> edges = std::move(pending.back().first);
    const int at = pending.back().second;
    pending.pop_back();
    // The cells whose inversion changes `at`'s count: it and those beside
    // it; with each, alone or with a cell beside it.
    for (int k = -1; k < 4; ++k) {
      const int first = k < 0 ? at : beside(at, k);
      if (first < 0) continue;
      for (int j = -1; j < 4; ++j) {
        const int second = j < 0 ? -1 : beside(first, j);
        if (j >= 0 && (second < 0 || second < first)) continue;
        flipped.assign(1, first);
        if (second >= 0) flipped.push_back(second);
        touched = flipped;
        for (int cell : flipped) {
          for (int n = 0; n < 4; ++n) {
            const int b = beside(cell, n);
            if (b >= 0 && std::find(touched.begin(), touched.end(), b) == touched.end()) {
              touched.push_back(b);
            }
          }
        }
        spend(static_cast<long long>(touched.size()));
        for (int cell : flipped) flip(&edges, cell);
        // The clue broken now: one of `kept`, and not `at`'s.
        int breaks = 0, only = -1;
        for (int cell : touched) {
          if (kept[static_cast<size_t>(cell)] && SidesOn(board, edges, cell) != board.clues[cell]) {
            ++breaks;
            only = cell;
          }
        }
        if (breaks == 1 && only != at && !seen[static_cast<size_t>(only)]) {
          spend(static_cast<long long>(edges.size()));
          if (IsSolution(plain, edges)) {
            seen[static_cast<size_t>(only)] = 1;
            needed(only);
            pending.emplace_back(edges, only);
          }
        }
        for (int cell : flipped) flip(&edges, cell);
      }
    }
  }
}

}  // namespace

int SidesOn(const Board& board, const std::vector<bool>& edges, int cell) {
  const int row = cell / board.width, column = cell % board.width;
  return edges[board.HorizontalEdge(row, column)] + edges[board.HorizontalEdge(row + 1, column)] +
         edges[board.VerticalEdge(row, column)] + edges[board.VerticalEdge(row, column + 1)];
}

std::optional<std::vector<int>> ConflictingClues(const Board& board, long long work) {
  // Without cells there is no loop, whatever the clues; with cells, a loop
  // around any one of them keeps a board without clues.
  if (board.width == 0 || board.height == 0) return std::vector<int>();
  if (static_cast<long long>(board.width) * board.height > ClauseSearch::kLeanCells) {
    return CoreByDeletion(board, work);
  }
  // One search for every check: each clue in force under its selector.
  ClauseSearch search(board, SolveBudgetOfWork(work), nullptr, ClauseSearch::Selectors::Clues);
  std::vector<int> candidates, necessary;
  for (int cell = 0; cell < static_cast<int>(board.clues.size()); ++cell) {
    if (board.clues[cell] != Board::kNoClue) candidates.push_back(cell);
  }
  // Whether the clues of `necessary` and `candidates` leave no loop; if so,
  // `candidates` keeps only those the conflict found names.
  auto no_loop = [&]() -> std::optional<bool> {
    std::vector<Lit> assumed;
    for (const std::vector<int>* cells : {&necessary, &candidates}) {
      for (int cell : *cells) assumed.push_back(search.Selector(cell, board.clues[cell]));
    }
    switch (search.SolveUnder(std::move(assumed))) {
      case SatCore::Status::Stopped:
        return false;
      case SatCore::Status::Unsatisfiable:
        break;
      default:
        return std::nullopt;
    }
    std::vector<uint8_t> blamed(board.clues.size(), 0);
    for (Lit selector : search.Conflict()) blamed[search.SelectorCell(selector)] = 1;
    std::erase_if(candidates, [&](int cell) { return !blamed[cell]; });
    return true;
  };
  std::optional<bool> none = no_loop();
  if (!none) return std::nullopt;
  if (!*none) return std::vector<int>();  // a loop keeps every clue
  // Each clue of the conflict left is dropped in turn: when the others
  // still leave no loop, the new conflict replaces them; when they leave
  // one, the clue is needed.
  const Grid grid(board);
  while (!candidates.empty()) {
    const int dropped = candidates.back();
    candidates.pop_back();
    none = no_loop();
    if (!none) return std::nullopt;
    if (*none) continue;
    necessary.push_back(dropped);
    // The loop found breaks only the clue dropped: loops near it may show
    // more clues needed, at a fraction of a search's cost.
    std::vector<uint8_t> kept(board.clues.size(), 0), needed(board.clues.size(), 0);
    for (const std::vector<int>* cells : {&necessary, &candidates}) {
      for (int cell : *cells) kept[static_cast<size_t>(cell)] = 1;
    }
    bool found = false;
    NeededNearby(
        board, grid, kept, search.loop(), dropped,
        [&](int cell) {
          needed[static_cast<size_t>(cell)] = 1;
          found = true;
        },
        [&](long long units) { search.Spend(units); });
    if (!found) continue;
    for (int cell : candidates) {
      if (needed[static_cast<size_t>(cell)]) necessary.push_back(cell);
    }
    std::erase_if(candidates, [&](int cell) { return needed[static_cast<size_t>(cell)] != 0; });
  }
  std::sort(necessary.begin(), necessary.end());
  return necessary;
}

Repair UniqueRepair(const Board& board, const Verdict& several, long long work) {
  long long left = work;
  // The loops found so far, and per cell and count (0-4) how many of them
  // have that count there and the first that does. A clue (cell, digit) can
  // leave one loop only if at most one loop found has that count there: so
  // a clue is taken from a loop at a cell where it differs from every other
  // loop found, and each try that still leaves several brings more loops,
  // which rule more clues out.
  const size_t cells = board.clues.size();
  std::vector<std::vector<bool>> loops;
  std::vector<int> tally(cells * 5, 0), owner(cells * 5, -1);
  long long looked = 0;  // work spent outside the searches
  auto add_loop = [&](const std::vector<bool>& loop) {
    looked += static_cast<long long>(cells + loops.size() * loop.size());
    if (std::find(loops.begin(), loops.end(), loop) != loops.end()) return;
    for (size_t cell = 0; cell < cells; ++cell) {
      const size_t k = cell * 5 + static_cast<size_t>(SidesOn(board, loop, static_cast<int>(cell)));
      if (tally[k]++ == 0) owner[k] = static_cast<int>(loops.size());
    }
    loops.push_back(loop);
  };
  add_loop(several.solution);
  add_loop(several.other);
  // How many different counts the loops found have at a cell: where they
  // part most, one clue tells most of them apart.
  auto kinds = [&](size_t cell) {
    int n = 0;
    for (size_t d = 0; d < 5; ++d) n += tally[cell * 5 + d] > 0 ? 1 : 0;
    return n;
  };
  // Clues that leave no loop at all.
  std::vector<bool> no_loop(cells * 4);
  // Once no loop found has a count of its own anywhere, a clue that no loop
  // found has: the loop it leaves, if one, is not among them. Cells where
  // the loops found differ come first.
  auto unseen = [&](bool differing, size_t* cell, int* clue) {
    for (*cell = 0; *cell < cells; ++*cell) {
      if (board.clues[*cell] != Board::kNoClue || (kinds(*cell) > 1) != differing) continue;
      for (*clue = 0; *clue < 4; ++*clue) {
        if (!no_loop[*cell * 4 + *clue] && tally[*cell * 5 + *clue] == 0) return true;
      }
    }
    return false;
  };
  // Each clue tried: up to two loops that keep it. A board the learning
  // search takes gets one search for all the tries, the clue under its
  // selector and the loops found blocked under it; a larger one, a whole
  // search for each.
  std::optional<ClauseSearch> search;
  if (static_cast<long long>(board.width) * board.height <= ClauseSearch::kLeanCells) {
    search.emplace(board, SolveBudgetOfWork(work), nullptr, ClauseSearch::Selectors::Candidates);
  }
  Board tried = board;
  auto try_clue = [&](size_t cell, int clue, const std::vector<bool>* known) {
    Verdict verdict;
    if (!search) {
      tried.clues[cell] = static_cast<signed char>(clue);
      verdict = Solve(tried, SolveBudgetOfWork(left - looked), known);
      left -= verdict.work;
      tried.clues[cell] = Board::kNoClue;
      return verdict;
    }
    const Lit selector = search->Selector(static_cast<int>(cell), clue);
    if (known != nullptr) {
      search->Follow(*known);
      AddLoopFound(board, *known, &verdict);
      search->BlockUnder(selector, *known);
    }
    verdict.outcome = Verdict::Outcome::Undetermined;
    while (verdict.outcome != Verdict::Outcome::Several) {
      const SatCore::Status status = search->SolveUnder({selector});
      if (status == SatCore::Status::Unsatisfiable) {
        verdict.outcome = verdict.solution.empty() ? Verdict::Outcome::None : Verdict::Outcome::Unique;
        break;
      }
      if (status != SatCore::Status::Stopped) {
        verdict.outcome = Verdict::Outcome::Undetermined;
        break;
      }
      if (AddLoopFound(board, search->loop(), &verdict)) break;
      search->BlockUnder(selector, search->loop());
    }
    left = work - search->work();
    return verdict;
  };
  Repair repair;
  while (true) {
    // The clue not yet ruled out at a cell where the loops found part
    // most; of those, the one from the loop found first, then the first
    // cell.
    size_t cell = 0;
    int clue = 0, best_kinds = 0, best_owner = 0;
    // The look is paid for as the searches pay, a unit per cell: on a large
    // board whose searches find another loop at once, most of the time
    // goes here.
    looked += static_cast<long long>(cells);
    for (size_t c = 0; c < cells; ++c) {
      if (board.clues[c] != Board::kNoClue) continue;
      const int n = kinds(c);
      if (n < 2 || n < best_kinds) continue;
      for (int d = 0; d < 4; ++d) {
        const size_t k = c * 5 + static_cast<size_t>(d);
        if (tally[k] != 1 || (n == best_kinds && owner[k] >= best_owner)) continue;
        cell = c;
        clue = d;
        best_kinds = n;
        best_owner = owner[k];
      }
    }
    const std::vector<bool>* known = nullptr;
    if (best_kinds > 0) {
      known = &loops[static_cast<size_t>(best_owner)];
    } else if (!unseen(true, &cell, &clue) && !unseen(false, &cell, &clue)) {
      return repair;
    }
    // The first clue tried tells the two loops of `several` apart.
    if (repair.cell < 0) repair = {static_cast<int>(cell), clue, false};
    if (left - looked <= 0) return repair;
    const Verdict verdict = try_clue(cell, clue, known);
    if (verdict.outcome == Verdict::Outcome::Unique) return {static_cast<int>(cell), clue, true};
    if (verdict.outcome == Verdict::Outcome::None) {
      no_loop[cell * 4 + static_cast<size_t>(clue)] = true;
      continue;
    }
    if (verdict.outcome != Verdict::Outcome::Several) return repair;
    add_loop(verdict.solution);
    add_loop(verdict.other);
  }
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
