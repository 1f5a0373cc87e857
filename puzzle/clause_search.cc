#include "puzzle/clause_search.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <utility>

#include "puzzle/stamps.h"

namespace quarnel {
namespace {

// The most literals the colour rules add for one cut-off component.
constexpr size_t kMostImpliedLits = 1 << 14;

}  // namespace

ClauseSearch::ClauseSearch(const Board& board, const SolveBudget& budget,
                           const std::vector<bool>* known, Selectors selectors)
    : board_(board),
      cells_(board.width * board.height),
      edges_(static_cast<int>(board.EdgeCount())),
      core_(cells_ + edges_ + (selectors == Selectors::None ? 0 : kDigits * cells_), budget),
      grid_(board),
      visit_(cells_, 0),
      stamp_(cells_, 0),
      pieces_(board.width, board.height),
      selectors_(selectors),
      encoded_(selectors == Selectors::None ? 0 : kDigits * static_cast<size_t>(cells_), 0) {
  verdict_.outcome = Verdict::Outcome::None;
  if (cells_ == 0) {
    done_ = true;
    return;
  }
  if (known != nullptr) Follow(*known);
  Build();
}

void ClauseSearch::Follow(const std::vector<bool>& loop) {
  // The loop's colours: a cell is inside when an odd number of the loop's
  // vertical edges lie to its left.
  for (int r = 0; r < grid_.height(); ++r) {
    bool inside = false;
    for (int c = 0; c < grid_.width(); ++c) {
      inside ^= loop[grid_.Vertical(r, c)];
      core_.SetPhase(CellVar(r * grid_.width() + c), inside);
    }
  }
  for (int e = 0; e < edges_; ++e) core_.SetPhase(EdgeVar(e), loop[e]);
}

// The loop puzzle's clauses.
void ClauseSearch::Build() {
  const auto searching = [&] { return core_.status() == SatCore::Status::Searching; };
  if (cells_ > kLeanCells) {
    // Four clauses of five words per edge, one of six per dot, at most
    // eight of six per clue and one for the whole board; half as much again
    // for what is learnt.
    size_t clues = 0;
    for (const signed char k : board_.clues) clues += k != Board::kNoClue;
    core_.Spend(cells_ + edges_);  // a unit per variable made
    core_.Reserve((20 * static_cast<size_t>(edges_) + 6 * static_cast<size_t>(grid_.dots()) +
                   48 * clues + cells_ + 2) * 3 / 2);
  }
  // An edge is on exactly where the colours on its two sides differ; the
  // frame's outside is outside.
  for (int e = 0; e < edges_ && searching(); ++e) {
    int p, q;
    grid_.EdgeCells(e, &p, &q);
    const Lit on = Lit::Of(EdgeVar(e), true), off = ~on;
    if (p == grid_.outside() || q == grid_.outside()) {
      const int c = CellVar(p == grid_.outside() ? q : p);
      core_.AddOriginal({off, Lit::Of(c, true)});
      core_.AddOriginal({on, Lit::Of(c, false)});
    } else {
      const Lit p_in = Lit::Of(CellVar(p), true), q_in = Lit::Of(CellVar(q), true);
      core_.AddOriginal({off, p_in, q_in});
      core_.AddOriginal({off, ~p_in, ~q_in});
      core_.AddOriginal({on, ~p_in, q_in});
      core_.AddOriginal({on, p_in, ~q_in});
    }
  }
  // At each dot the loop passes (two edges) or not (none).
  for (int v = 0; v < grid_.dots(); ++v) {
    int at[4];
    const int n = grid_.DotEdges(v, at);
    const auto off = [&](int i) { return Lit::Of(EdgeVar(at[i]), false); };
    if (cells_ > kLeanCells) {
      if (n == 4) core_.AddOriginal({off(0), off(1), off(2), off(3)});
      continue;
    }
    for (int i = 0; i < n; ++i) {  // never three on
      for (int j = i + 1; j < n; ++j) {
        for (int k = j + 1; k < n; ++k) core_.AddOriginal({off(i), off(j), off(k)});
      }
    }
    for (int i = 0; i < n; ++i) {  // never one alone
      std::vector<Lit> not_alone{off(i)};
      for (int j = 0; j < n; ++j) {
        if (j != i) not_alone.push_back(~off(j));
      }
      core_.AddOriginal(std::move(not_alone));
    }
  }
  for (int cell = 0; cell < cells_; ++cell) {
    const int k = board_.clues[cell];
    if (k == Board::kNoClue) continue;
    if (selectors_ == Selectors::Clues) {
      Selector(cell, k);
    } else {
      AddClue(cell, k, nullptr);
    }
  }
  // Some cell is inside: a loop is drawn.
  std::vector<Lit> some_inside;
  for (int c = 0; c < cells_; ++c) some_inside.push_back(Lit::Of(CellVar(c), true));
  core_.AddOriginal(std::move(some_inside));
  if (cells_ > kLeanCells) core_.ShrinkToFit();
}

// A clue k: no k + 1 sides on, no 5 - k off.
void ClauseSearch::AddClue(int cell, int k, const Lit* guard) {
  int sides[4];
  grid_.CellEdges(cell, sides);
  for (int subset = 1; subset < 16; ++subset) {
    const int count = std::popcount(static_cast<unsigned>(subset));
    // For a 2, three sides make both kinds.
    for (const bool on : {true, false}) {
      if (count != (on ? k + 1 : 5 - k)) continue;
      std::vector<Lit> lits;
      if (guard != nullptr) lits.push_back(~*guard);
      for (int i = 0; i < 4; ++i) {
        if (subset >> i & 1) lits.push_back(Lit::Of(EdgeVar(sides[i]), !on));
      }
      core_.AddOriginal(std::move(lits));
    }
  }
}

Lit ClauseSearch::Selector(int cell, int digit) {
  const size_t index = kDigits * static_cast<size_t>(cell) + static_cast<size_t>(digit);
  const Lit selector = Lit::Of(cells_ + edges_ + static_cast<int>(index), true);
  if (!encoded_[index]) {
    encoded_[index] = 1;
    core_.Backtrack(0);
    AddClue(cell, digit, &selector);
  }
  return selector;
}

SatCore::Status ClauseSearch::SolveUnder(std::vector<Lit> assumptions) {
  if (cells_ == 0) return SatCore::Status::Unsatisfiable;
  // A selector not assumed is best decided false, its clue out of force:
  // the phase a check before saved would keep it in.
  for (int v = cells_ + edges_; v < cells_ + edges_ + kDigits * cells_; ++v) core_.SetPhase(v, false);
  core_.Assume(std::move(assumptions));
  // A check for a core or a repair mostly finds a loop near the one found
  // last, the phases leading it there with hardly a conflict: the colour
  // rules, a pass over the board, then wait until a sixteenth of the
  // board's count of cells is newly set, until the check has backtracked
  // kLazyBacktracks times (then it is a hard one, the rules' pruning wanted
  // at every step).
  lazy_ = selectors_ != Selectors::None ? static_cast<size_t>(cells_) / 16 : 0;
  backtracks_ = 0;
  SatCore::Status status;
  while ((status = core_.Advance(*this, 1 << 16)) == SatCore::Status::Searching) {
  }
  return status;
}

void ClauseSearch::BlockUnder(Lit guard, const std::vector<bool>& loop) {
  std::vector<Lit> other{~guard};
  for (int e = 0; e < edges_; ++e) {
    if (loop[e]) other.push_back(Lit::Of(EdgeVar(e), false));
  }
  core_.Backtrack(0);
  core_.AddOriginal(std::move(other));
}

// Only what was decided since the last check can break the colour rules:
// after it, every cell not outside is in one component with the inside
// cells, and every cell not inside reaches the frame (unless a component
// was too large to settle). A cell put outside may split the first, one
// put inside the second.
ClauseRef ClauseSearch::Check(SatCore& core, bool* implied) {
  const std::vector<Lit>& trail = core.trail();
  // Waiting is sound: a loop broken that the rules let through is caught
  // by Model, which has them look at the whole board again.
  if (lazy_ > 0 && backtracks_ > kLazyBacktracks) lazy_ = 0;
  if (lazy_ > 0 && trail.size() < checked_ + lazy_ && !recheck_inside_ && !recheck_outside_) {
    return kNoClause;
  }
  int new_inside = 0;
  bool new_outside = false;
  for (size_t i = checked_; i < trail.size(); ++i) {
    const Lit l = trail[i];
    if (l.var() >= cells_) continue;
    if (l.value()) {
      ++new_inside;
    } else {
      new_outside = true;
    }
  }
  const bool first_inside = new_inside > 0 && first_inside_ == kNone;
  ClauseRef conflict = kNoClause;
  // Where the cells set since the last look keep each colour one piece,
  // a look over the board would find nothing: it is skipped, and paid for
  // all the same, so that the work counted, and with it every verdict
  // near its budget, does not depend on it.
  for (const bool inside : {true, false}) {
    if (conflict != kNoClause) break;
    const bool due = inside ? new_outside || first_inside || recheck_inside_
                            : new_inside > 0 || recheck_outside_;
    if (!due) continue;
    if (StaysOnePiece(inside)) {
      core_.Spend(cells_);
      continue;
    }
    conflict = Region(inside, implied);
  }
  if (conflict == kNoClause) {
    // What the rules implied counts as checked too.
    for (size_t i = checked_; i < trail.size() && first_inside_ == kNone; ++i) {
      if (trail[i].var() < cells_ && trail[i].value()) first_inside_ = i;
    }
    checked_ = trail.size();
  }
  return conflict;
}

bool ClauseSearch::StaysOnePiece(bool inside) {
  const bool recheck = inside ? recheck_inside_ : recheck_outside_;
  if (!one_piece_[inside] || recheck) return false;
  const std::vector<Lit>& trail = core_.trail();
  if (piece_at_[inside] > trail.size()) return false;
  taken_.clear();
  for (size_t i = piece_at_[inside]; i < trail.size(); ++i) {
    const Lit l = trail[i];
    // A cell's variable is its number.
    if (l.var() < cells_ && l.value() != inside) taken_.push_back(l.var());
  }
  const int8_t wall = inside ? 0 : 1;
  const int8_t* colour = core_.values() + CellVar(0);
  if (!pieces_.Stays(colour, wall, taken_)) return false;
#ifndef NDEBUG
  if (!IsOnePiece(grid_.width(), grid_.height(), colour, wall)) std::abort();
#endif
  piece_at_[inside] = trail.size();
  return true;
}

// The inside is one piece, and so is the outside with the frame's outside.
// The cells not of the other colour fall into components; a cell of the
// colour cut off from the rest of its colour (for the outside, from the
// frame) is a conflict, and undecided cells cut off so take the other
// colour. Each is explained by the wall of the other colour around the
// component.
ClauseRef ClauseSearch::Region(bool inside, bool* implied) {
  one_piece_[inside] = false;
  const int8_t wall = inside ? 0 : 1, member = inside ? 1 : 0;
  core_.Spend(cells_);  // a pass over the board
  NextStamp(&visit_now_, &visit_);
  work_.clear();
  starts_.clear();
  first_in_.clear();
  grounded_.clear();
  // The hot loop of the search: what it reads, held in locals.
  const int8_t* colour = core_.values() + CellVar(0);
  uint32_t* visit = visit_.data();
  const uint32_t now = visit_now_;
  for (int s = 0; s < cells_; ++s) {
    if (visit[s] == now || colour[s] == wall) continue;
    starts_.push_back(work_.size());
    int first = -1;
    bool grounded = false;
    visit[s] = now;
    work_.push_back(s);
    for (size_t i = starts_.back(); i < work_.size(); ++i) {
      const int cell = work_[i];
      if (first < 0 && colour[cell] == member) first = cell;
      const int* next = grid_.CellNeighbours(cell);
      for (int k = 0; k < 4; ++k) {
        const int n = next[k];
        if (n < 0) {
          grounded = true;
        } else if (visit[n] != now && colour[n] != wall) {
          visit[n] = now;
          work_.push_back(n);
        }
      }
    }
    first_in_.push_back(first);
    grounded_.push_back(grounded);
  }
  const int count = static_cast<int>(starts_.size());
  starts_.push_back(work_.size());
  auto size_of = [&](int id) { return starts_[id + 1] - starts_[id]; };
  // The wall around component id, as literals false now: cells of the
  // other colour.
  auto wall_of = [&](int id, std::vector<Lit>* lits) {
    NextStamp(&stamp_now_, &stamp_);
    for (size_t i = starts_[id]; i < starts_[id + 1]; ++i) {
      const int* next = grid_.CellNeighbours(work_[i]);
      for (int k = 0; k < 4; ++k) {
        const int n = next[k];
        if (n >= 0 && visit_[n] != visit_now_ && stamp_[n] != stamp_now_) {
          stamp_[n] = stamp_now_;
          lits->push_back(Lit::Of(CellVar(n), inside));
        }
      }
    }
  };
  // Where the colour belongs: for the inside, the largest component holding
  // inside cells; for the outside, every one that reaches the frame.
  int home = -1;
  for (int id = 0; id < count && inside; ++id) {
    if (first_in_[id] >= 0 && (home < 0 || size_of(id) > size_of(home))) home = id;
  }
  if (inside && home < 0) {  // no cell is inside yet
    one_piece_[inside] = count <= 1;
    piece_at_[inside] = core_.trail().size();
    return kNoClause;
  }
  auto cut_off = [&](int id) { return inside ? id != home : !grounded_[id]; };
  // For the inside, a cell of the home component: a cell cut off from it
  // may be inside only if that one is not.
  const auto add_own = [&] {
    if (inside) lits_.push_back(Lit::Of(CellVar(first_in_[home]), false));
  };
  // A cut-off cell of the colour: the smallest such component's wall.
  int worst = -1;
  for (int id = 0; id < count; ++id) {
    if (cut_off(id) && first_in_[id] >= 0 && (worst < 0 || size_of(id) < size_of(worst)))
      worst = id;
  }
  if (worst >= 0) {
    lits_.assign(1, Lit::Of(CellVar(first_in_[worst]), !inside));
    add_own();
    wall_of(worst, &lits_);
    return core_.AddConflict(&lits_);
  }
  bool& recheck = inside ? recheck_inside_ : recheck_outside_;
  recheck = false;
  for (int id = 0; id < count; ++id) {
    if (!cut_off(id)) continue;
    wall_.clear();
    wall_of(id, &wall_);
    // A clause per cell, each as long as the wall: a large component is
    // left to the search, and the rule looks again next time.
    if (size_of(id) * (wall_.size() + 2) > kMostImpliedLits) {
      recheck = true;
      continue;
    }
    for (size_t i = starts_[id]; i < starts_[id + 1]; ++i) {
      lits_.assign(1, Lit::Of(CellVar(work_[i]), !inside));
      add_own();
      lits_.insert(lits_.end(), wall_.begin(), wall_.end());
      // Watch the implied literal and the latest of the rest; a cut-off
      // component always has a wall.
      size_t latest = 1;
      for (size_t j = 2; j < lits_.size(); ++j) {
        if (core_.LevelOf(lits_[j].var()) > core_.LevelOf(lits_[latest].var())) latest = j;
      }
      std::swap(lits_[1], lits_[latest]);
      core_.Imply(lits_);
      *implied = true;
    }
  }
  // The cut-off pieces now all take the other colour, unless one was too
  // large.
  one_piece_[inside] = !recheck;
  piece_at_[inside] = core_.trail().size();
  return kNoClause;
}

void ClauseSearch::Decided(int) {
  level_saved_.push_back({recheck_inside_, recheck_outside_, {one_piece_[0], one_piece_[1]},
                          {piece_at_[0], piece_at_[1]}});
}

void ClauseSearch::Backtracked(int level, size_t kept) {
  ++backtracks_;
  checked_ = std::min(checked_, kept);
  if (first_inside_ != kNone && first_inside_ >= kept) first_inside_ = kNone;
  const Saved& saved = level_saved_[level];
  recheck_inside_ = saved.recheck_inside;
  recheck_outside_ = saved.recheck_outside;
  for (int c = 0; c < 2; ++c) {
    one_piece_[c] = saved.one_piece[c];
    piece_at_[c] = saved.piece_at[c];
  }
  level_saved_.resize(level);
}

// Keeps the loop of the full assignment; returns whether it is the second.
bool ClauseSearch::Model(SatCore& core) {
  std::vector<bool> loop(edges_);
  for (int e = 0; e < edges_; ++e) loop[e] = core.Value(EdgeVar(e)) == 1;
  // Under selectors the clues in force are those assumed, which the
  // clauses keep: what is checked here is the one loop.
  if (!IsSolution(selectors_ == Selectors::Clues ? Board::Empty(board_.width, board_.height) : board_,
                  loop)) {
    // The colour rules skip what cannot have changed; should that ever let
    // a broken loop through, they look at the whole board again, and a
    // search that cannot go on runs out of time rather than answer wrong.
    recheck_inside_ = recheck_outside_ = true;
    one_piece_[0] = one_piece_[1] = false;
    checked_ = 0;
    first_inside_ = kNone;
    return false;
  }
  if (selectors_ != Selectors::None) {
    loop_ = std::move(loop);
    return true;
  }
  ++found_;
  // Any other loop leaves out one of this one's edges: a loop that held
  // them all would be this one.
  std::vector<Lit> other;
  for (int e = 0; e < edges_; ++e) {
    if (loop[e]) other.push_back(Lit::Of(EdgeVar(e), false));
  }
  if (AddLoopFound(board_, std::move(loop), &verdict_)) return true;
  core.Backtrack(0);
  core.AddOriginal(std::move(other));
  return false;
}

bool ClauseSearch::Advance(long long effort) {
  if (done_) return true;
  switch (core_.Advance(*this, effort)) {
    case SatCore::Status::Searching:
      return false;
    case SatCore::Status::Stopped:
      break;
    case SatCore::Status::Unsatisfiable:
      verdict_.outcome = found_ == 1 ? Verdict::Outcome::Unique : Verdict::Outcome::None;
      break;
    case SatCore::Status::OutOfBudget:
      verdict_.outcome = Verdict::Outcome::Undetermined;
      break;
  }
  done_ = true;
  return true;
}

Verdict ClauseSearch::Result(long long other_nodes) {
  Verdict verdict = std::move(verdict_);
  if (verdict.outcome != Verdict::Outcome::Unique && verdict.outcome != Verdict::Outcome::Several) {
    verdict.solution.clear();
    verdict.other.clear();
  }
  verdict.nodes = core_.nodes() + other_nodes;
  verdict.work = core_.work();
  return verdict;
}

}  // namespace quarnel
