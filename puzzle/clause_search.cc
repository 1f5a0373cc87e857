#include "puzzle/clause_search.h"

#include <algorithm>
#include <bit>
#include <tuple>
#include <utility>

namespace quarnel {
namespace {

// Flags kept beside each clause's size.
constexpr uint32_t kLearnt = 1, kDeleted = 2;
// The most literals the colour rules add for one cut-off component.
constexpr size_t kMostImpliedLits = 1 << 14;

// The Luby sequence 1 1 2 1 1 2 4 ...: the number of conflicts between
// restarts, in units.
long long Luby(long long i) {
  long long size = 1, power = 0;
  while (size < i + 1) {
    size = 2 * size + 1;
    ++power;
  }
  while (size - 1 != i) {
    size = (size - 1) >> 1;
    --power;
    i %= size;
  }
  return 1LL << power;
}

// A stamp not yet in `marks`; they start again when the count wraps.
void NextStamp(uint32_t* now, std::vector<uint32_t>* marks) {
  if (++*now == 0) {
    std::fill(marks->begin(), marks->end(), 0);
    *now = 1;
  }
}

}  // namespace

ClauseSearch::ClauseSearch(const Board& board, const SolveBudget& budget,
                           const std::vector<bool>* known)
    : board_(board),
      width_(board.width),
      height_(board.height),
      cells_(board.width * board.height),
      edges_(static_cast<int>(board.EdgeCount())),
      vars_(cells_ + edges_),
      deadline_(std::chrono::steady_clock::now() + budget.guard),
      work_limit_(budget.work),
      watches_(2 * static_cast<size_t>(vars_)),
      value_(vars_, -1),
      phase_(vars_, 0),
      level_(vars_, 0),
      reason_(vars_, kNoReason),
      activity_(vars_, 0),
      heap_index_(vars_, -1),
      seen_(vars_, 0),
      next_(4 * static_cast<size_t>(cells_)),
      visit_(cells_, 0),
      stamp_(cells_, 0) {
  verdict_.outcome = Verdict::Outcome::None;
  if (cells_ == 0) {
    done_ = true;
    return;
  }
  if (known != nullptr) {
    // The known loop's colours: a cell is inside when an odd number of the
    // loop's vertical edges lie to its left.
    for (int r = 0; r < height_; ++r) {
      bool inside = false;
      for (int c = 0; c < width_; ++c) {
        inside ^= (*known)[board_.VerticalEdge(r, c)];
        phase_[CellVar(r * width_ + c)] = inside;
      }
    }
    for (int e = 0; e < edges_; ++e) phase_[EdgeVar(e)] = (*known)[e];
  }
  for (int cell = 0; cell < cells_; ++cell) {
    const int r = cell / width_, c = cell % width_;
    int* next = &next_[4 * static_cast<size_t>(cell)];
    next[0] = r > 0 ? cell - width_ : -1;
    next[1] = r < height_ - 1 ? cell + width_ : -1;
    next[2] = c > 0 ? cell - 1 : -1;
    next[3] = c < width_ - 1 ? cell + 1 : -1;
  }
  for (int v = 0; v < vars_; ++v) HeapInsert(v);
  Build(board);
  restart_at_ = 100 * Luby(0);
}

void ClauseSearch::Build(const Board& board) {
  auto var_of_cell = [&](int r, int c) { return CellVar(r * width_ + c); };
  // An edge is on exactly where the colours on its two sides differ; the
  // frame's outside is outside.
  for (int e = 0; e < edges_ && !done_; ++e) {
    const EdgePlace place = PlaceOfEdge(board, e);
    int p = -1, q = -1;
    if (place.horizontal) {
      if (place.row > 0) p = var_of_cell(place.row - 1, place.column);
      if (place.row < height_) q = var_of_cell(place.row, place.column);
    } else {
      if (place.column > 0) p = var_of_cell(place.row, place.column - 1);
      if (place.column < width_) q = var_of_cell(place.row, place.column);
    }
    const Lit on = 2 * EdgeVar(e), off = on + 1;
    if (p < 0 || q < 0) {
      const int c = p < 0 ? q : p;
      AddOriginal({off, 2 * c});
      AddOriginal({on, 2 * c + 1});
    } else {
      AddOriginal({off, 2 * p, 2 * q});
      AddOriginal({off, 2 * p + 1, 2 * q + 1});
      AddOriginal({on, 2 * p + 1, 2 * q});
      AddOriginal({on, 2 * p, 2 * q + 1});
    }
  }
  // At each dot the loop passes (two edges) or not (none).
  for (int r = 0; r <= height_; ++r) {
    for (int c = 0; c <= width_; ++c) {
      int at[4], n = 0;
      if (c > 0) at[n++] = EdgeVar(board.HorizontalEdge(r, c - 1));
      if (c < width_) at[n++] = EdgeVar(board.HorizontalEdge(r, c));
      if (r > 0) at[n++] = EdgeVar(board.VerticalEdge(r - 1, c));
      if (r < height_) at[n++] = EdgeVar(board.VerticalEdge(r, c));
      for (int i = 0; i < n; ++i) {  // never three on
        for (int j = i + 1; j < n; ++j) {
          for (int k = j + 1; k < n; ++k) AddOriginal({2 * at[i] + 1, 2 * at[j] + 1, 2 * at[k] + 1});
        }
      }
      for (int i = 0; i < n; ++i) {  // never one alone
        std::vector<Lit> not_alone{2 * at[i] + 1};
        for (int j = 0; j < n; ++j) {
          if (j != i) not_alone.push_back(2 * at[j]);
        }
        AddOriginal(std::move(not_alone));
      }
    }
  }
  // A clue k: no k + 1 sides on, no 5 - k off.
  for (int r = 0; r < height_; ++r) {
    for (int c = 0; c < width_; ++c) {
      const int k = board.Clue(r, c);
      if (k == Board::kNoClue) continue;
      const int sides[4] = {
          EdgeVar(board.HorizontalEdge(r, c)), EdgeVar(board.HorizontalEdge(r + 1, c)),
          EdgeVar(board.VerticalEdge(r, c)), EdgeVar(board.VerticalEdge(r, c + 1))};
      for (int subset = 1; subset < 16; ++subset) {
        const int count = std::popcount(static_cast<unsigned>(subset));
        // For a 2, three sides make both kinds.
        for (const bool on : {true, false}) {
          if (count != (on ? k + 1 : 5 - k)) continue;
          std::vector<Lit> lits;
          for (int i = 0; i < 4; ++i) {
            if (subset >> i & 1) lits.push_back(2 * sides[i] + (on ? 1 : 0));
          }
          AddOriginal(std::move(lits));
        }
      }
    }
  }
  // Some cell is inside: a loop is drawn.
  std::vector<Lit> some_inside;
  for (int c = 0; c < cells_; ++c) some_inside.push_back(2 * CellVar(c));
  AddOriginal(std::move(some_inside));
}

// Adds a clause that holds from the start (or, for the blocking of a found
// loop, from level 0 on): literals false at level 0 are dropped.
void ClauseSearch::AddOriginal(std::vector<Lit> lits) {
  size_t kept = 0;
  for (Lit l : lits) {
    const int value = Value(l);
    if (value == 1) return;
    if (value < 0) lits[kept++] = l;
  }
  lits.resize(kept);
  if (lits.empty()) {
    done_ = true;  // no loop keeps the rules (or no second one)
  } else if (lits.size() == 1) {
    Assign(lits[0], kNoReason);
  } else {
    AddClause(lits, false, 0);
  }
}

uint32_t ClauseSearch::AddClause(const std::vector<Lit>& lits, bool learnt, uint32_t lbd) {
  const uint32_t c = static_cast<uint32_t>(arena_.size());
  arena_.push_back(static_cast<uint32_t>(lits.size()));
  arena_.push_back((learnt ? kLearnt : 0) | lbd << 2);
  for (Lit l : lits) arena_.push_back(static_cast<uint32_t>(l));
  watches_[lits[0]].push_back({c, lits[1]});
  watches_[lits[1]].push_back({c, lits[0]});
  if (learnt) learnts_.push_back(c);
  return c;
}

void ClauseSearch::Assign(Lit l, uint32_t reason) {
  const int v = l >> 1;
  value_[v] = static_cast<int8_t>(!(l & 1));
  if (v < cells_) inside_ += value_[v];
  level_[v] = Level();
  reason_[v] = reason;
  trail_.push_back(l);
  ++spent_;
}

// Unit propagation over the two watched literals of each clause, which are
// its first two; returns a clause all of whose literals are false, or
// kNoReason.
uint32_t ClauseSearch::Propagate() {
  while (head_ < trail_.size()) {
    const Lit false_lit = trail_[head_++] ^ 1;
    std::vector<Watch>& watching = watches_[false_lit];
    size_t kept = 0, i = 0;
    for (; i < watching.size(); ++i) {
      const Watch w = watching[i];
      if (Value(w.blocker) == 1) {
        watching[kept++] = w;
        continue;
      }
      Lit* lits = Lits(w.clause);
      if (lits[0] == false_lit) std::swap(lits[0], lits[1]);
      const Lit first = lits[0];
      if (first != w.blocker && Value(first) == 1) {
        watching[kept++] = {w.clause, first};
        continue;
      }
      const uint32_t size = Size(w.clause);
      bool moved = false;
      for (uint32_t k = 2; k < size; ++k) {
        if (Value(lits[k]) != 0) {
          std::swap(lits[1], lits[k]);
          watches_[lits[1]].push_back({w.clause, first});
          moved = true;
          break;
        }
      }
      if (moved) continue;
      watching[kept++] = {w.clause, first};
      if (Value(first) == 0) {
        for (++i; i < watching.size(); ++i) watching[kept++] = watching[i];
        watching.resize(kept);
        head_ = trail_.size();
        return w.clause;
      }
      Assign(first, w.clause);
    }
    watching.resize(kept);
  }
  return kNoReason;
}

// The first unique implication point's clause, from a conflict with at
// least one literal at the current level.
void ClauseSearch::Analyze(uint32_t conflict, std::vector<Lit>* learnt, int* back_level,
                           uint32_t* lbd) {
  learnt->assign(1, 0);
  int open = 0;
  Lit p = -1;
  size_t index = trail_.size();
  do {
    const Lit* lits = Lits(conflict);
    const uint32_t size = Size(conflict);
    for (uint32_t j = p < 0 ? 0 : 1; j < size; ++j) {
      const int v = lits[j] >> 1;
      if (seen_[v] || level_[v] == 0) continue;
      seen_[v] = 1;
      Bump(v);
      if (level_[v] >= Level()) {
        ++open;
      } else {
        learnt->push_back(lits[j]);
      }
    }
    while (!seen_[trail_[--index] >> 1]) {
    }
    p = trail_[index];
    conflict = reason_[p >> 1];
    seen_[p >> 1] = 0;
    --open;
  } while (open > 0);
  (*learnt)[0] = p ^ 1;
  // Drop literals implied by the others.
  scratch_.assign(learnt->begin(), learnt->end());
  size_t kept = 1;
  for (size_t i = 1; i < learnt->size(); ++i) {
    if (!Redundant((*learnt)[i])) (*learnt)[kept++] = (*learnt)[i];
  }
  learnt->resize(kept);
  for (Lit l : scratch_) seen_[l >> 1] = 0;
  // The literal of the highest level after the first, to be watched.
  *back_level = 0;
  for (size_t i = 1; i < learnt->size(); ++i) {
    if (level_[(*learnt)[i] >> 1] > *back_level) {
      *back_level = level_[(*learnt)[i] >> 1];
      std::swap((*learnt)[1], (*learnt)[i]);
    }
  }
  scratch_.clear();
  for (Lit l : *learnt) scratch_.push_back(level_[l >> 1]);
  std::sort(scratch_.begin(), scratch_.end());
  *lbd = static_cast<uint32_t>(std::unique(scratch_.begin(), scratch_.end()) - scratch_.begin());
}

bool ClauseSearch::Redundant(Lit l) {
  const uint32_t reason = reason_[l >> 1];
  if (reason == kNoReason) return false;
  const Lit* lits = Lits(reason);
  for (uint32_t j = 1; j < Size(reason); ++j) {
    const int v = lits[j] >> 1;
    if (!seen_[v] && level_[v] > 0) return false;
  }
  return true;
}

void ClauseSearch::Backtrack(int level) {
  if (Level() <= level) return;
  for (size_t i = trail_.size(); i-- > level_starts_[level];) {
    const int v = trail_[i] >> 1;
    if (v < cells_) inside_ -= value_[v];
    phase_[v] = value_[v];
    value_[v] = -1;
    reason_[v] = kNoReason;
    if (heap_index_[v] < 0) HeapInsert(v);
  }
  trail_.resize(level_starts_[level]);
  checked_ = std::min(checked_, trail_.size());
  std::tie(recheck_inside_, recheck_outside_) = level_rechecks_[level];
  level_starts_.resize(level);
  level_rechecks_.resize(level);
  head_ = trail_.size();
}

ClauseSearch::Lit ClauseSearch::Decide() {
  while (!heap_.empty()) {
    const int v = HeapPop();
    if (value_[v] < 0) return 2 * v + (phase_[v] ? 0 : 1);
  }
  return -1;
}

void ClauseSearch::Bump(int v) {
  if ((activity_[v] += increment_) > 1e100) {
    for (double& a : activity_) a *= 1e-100;
    increment_ *= 1e-100;
  }
  if (heap_index_[v] >= 0) HeapUp(heap_index_[v]);
}

void ClauseSearch::HeapUp(int i) {
  const int v = heap_[i];
  while (i > 0 && activity_[heap_[(i - 1) / 2]] < activity_[v]) {
    heap_[i] = heap_[(i - 1) / 2];
    heap_index_[heap_[i]] = i;
    i = (i - 1) / 2;
  }
  heap_[i] = v;
  heap_index_[v] = i;
}

void ClauseSearch::HeapDown(int i) {
  const int v = heap_[i], n = static_cast<int>(heap_.size());
  for (;;) {
    int child = 2 * i + 1;
    if (child >= n) break;
    if (child + 1 < n && activity_[heap_[child + 1]] > activity_[heap_[child]]) ++child;
    if (activity_[heap_[child]] <= activity_[v]) break;
    heap_[i] = heap_[child];
    heap_index_[heap_[i]] = i;
    i = child;
  }
  heap_[i] = v;
  heap_index_[v] = i;
}

void ClauseSearch::HeapInsert(int v) {
  heap_.push_back(v);
  HeapUp(static_cast<int>(heap_.size()) - 1);
}

int ClauseSearch::HeapPop() {
  const int top = heap_[0];
  heap_index_[top] = -1;
  const int last = heap_.back();
  heap_.pop_back();
  if (!heap_.empty()) {
    heap_[0] = last;
    HeapDown(0);
  }
  return top;
}

// Only what was decided since the last check can break the colour rules:
// after it, every cell not outside is in one component with the inside
// cells, and every cell not inside reaches the frame (unless a component
// was too large to settle). A cell put outside may split the first, one
// put inside the second.
uint32_t ClauseSearch::Regions(bool* implied) {
  int new_inside = 0;
  bool new_outside = false;
  for (size_t i = checked_; i < trail_.size(); ++i) {
    const Lit l = trail_[i];
    if ((l >> 1) >= cells_) continue;
    if (l & 1) {
      new_outside = true;
    } else {
      ++new_inside;
    }
  }
  const bool first_inside = new_inside > 0 && inside_ == new_inside;
  uint32_t conflict = kNoReason;
  if (new_outside || first_inside || recheck_inside_) conflict = Region(true, implied);
  if (conflict == kNoReason && (new_inside > 0 || recheck_outside_))
    conflict = Region(false, implied);
  if (conflict == kNoReason) checked_ = trail_.size();
  return conflict;
}

// The inside is one piece, and so is the outside with the frame's outside.
// The cells not of the other colour fall into components; a cell of the
// colour cut off from the rest of its colour (for the outside, from the
// frame) is a conflict, and undecided cells cut off so take the other
// colour. Each is explained by the wall of the other colour around the
// component.
uint32_t ClauseSearch::Region(bool inside, bool* implied) {
  const int8_t wall = inside ? 0 : 1, member = inside ? 1 : 0;
  spent_ += cells_;  // a pass over the board
  NextStamp(&visit_now_, &visit_);
  work_.clear();
  starts_.clear();
  first_in_.clear();
  grounded_.clear();
  for (int s = 0; s < cells_; ++s) {
    if (visit_[s] == visit_now_ || value_[s] == wall) continue;
    starts_.push_back(work_.size());
    int first = -1;
    bool grounded = false;
    visit_[s] = visit_now_;
    work_.push_back(s);
    for (size_t i = starts_.back(); i < work_.size(); ++i) {
      const int cell = work_[i];
      if (first < 0 && value_[cell] == member) first = cell;
      const int* next = &next_[4 * static_cast<size_t>(cell)];
      for (int k = 0; k < 4; ++k) {
        const int n = next[k];
        if (n < 0) {
          grounded = true;
        } else if (visit_[n] != visit_now_ && value_[n] != wall) {
          visit_[n] = visit_now_;
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
      const int* next = &next_[4 * static_cast<size_t>(work_[i])];
      for (int k = 0; k < 4; ++k) {
        const int n = next[k];
        if (n >= 0 && visit_[n] != visit_now_ && stamp_[n] != stamp_now_) {
          stamp_[n] = stamp_now_;
          lits->push_back(2 * CellVar(n) + (inside ? 0 : 1));
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
  if (inside && home < 0) return kNoReason;  // no cell is inside yet
  auto cut_off = [&](int id) { return inside ? id != home : !grounded_[id]; };
  const Lit own = inside ? 2 * CellVar(first_in_[home]) + 1 : -1;
  std::vector<Lit> lits;
  // A cut-off cell of the colour: the smallest such component's wall.
  int worst = -1;
  for (int id = 0; id < count; ++id) {
    if (cut_off(id) && first_in_[id] >= 0 && (worst < 0 || size_of(id) < size_of(worst)))
      worst = id;
  }
  if (worst >= 0) {
    lits.push_back(2 * CellVar(first_in_[worst]) + (inside ? 1 : 0));
    if (own >= 0) lits.push_back(own);
    wall_of(worst, &lits);
    return Conflict(&lits);
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
      lits.assign(1, 2 * CellVar(work_[i]) + (inside ? 1 : 0));
      if (own >= 0) lits.push_back(own);
      lits.insert(lits.end(), wall_.begin(), wall_.end());
      // Watch the implied literal and the latest of the rest; a cut-off
      // component always has a wall.
      size_t latest = 1;
      for (size_t j = 2; j < lits.size(); ++j) {
        if (level_[lits[j] >> 1] > level_[lits[latest] >> 1]) latest = j;
      }
      std::swap(lits[1], lits[latest]);
      Assign(lits[0], AddClause(lits, true, static_cast<uint32_t>(lits.size())));
      *implied = true;
    }
  }
  return kNoReason;
}

// Stores a clause false under the current assignment, watching its two
// latest literals. It holds a cell and the wall around it: two at least.
uint32_t ClauseSearch::Conflict(std::vector<Lit>* lits) {
  std::sort(lits->begin(), lits->end(),
            [&](Lit a, Lit b) { return level_[a >> 1] > level_[b >> 1]; });
  return AddClause(*lits, true, static_cast<uint32_t>(lits->size()));
}

// Keeps the learnt clauses that tie few levels together: the worse half of
// the rest goes.
void ClauseSearch::ReduceLearnt() {
  std::sort(learnts_.begin(), learnts_.end(),
            [&](uint32_t a, uint32_t b) { return Lbd(a) > Lbd(b); });
  const size_t half = learnts_.size() / 2;
  for (size_t i = 0; i < half; ++i) {
    const uint32_t c = learnts_[i];
    const Lit first = Lits(c)[0];
    const bool locked = reason_[first >> 1] == c && Value(first) == 1;
    if (locked || Lbd(c) <= 2) continue;
    arena_[c + 1] |= kDeleted;
    wasted_ += 2 + Size(c);
  }
  Collect();
}

// Moves the live clauses together, and watches and reasons with them.
void ClauseSearch::Collect() {
  std::vector<uint32_t> moved;
  moved.reserve(arena_.size() - wasted_);
  for (uint32_t c = 0; c < arena_.size();) {
    const uint32_t size = arena_[c], next = c + 2 + size;
    if (!(arena_[c + 1] & kDeleted)) {
      const uint32_t to = static_cast<uint32_t>(moved.size());
      moved.insert(moved.end(), arena_.begin() + c, arena_.begin() + next);
      arena_[c] = to;  // forward the old place
    }
    c = next;
  }
  for (Lit l : trail_) {
    uint32_t& reason = reason_[l >> 1];
    if (reason != kNoReason) reason = arena_[reason];
  }
  arena_ = std::move(moved);
  wasted_ = 0;
  learnts_.clear();
  for (auto& list : watches_) list.clear();
  for (uint32_t c = 0; c < arena_.size(); c += 2 + arena_[c]) {
    const Lit* lits = Lits(c);
    watches_[lits[0]].push_back({c, lits[1]});
    watches_[lits[1]].push_back({c, lits[0]});
    if (Learnt(c)) learnts_.push_back(c);
  }
}

// Learns from a conflict and goes back to where the learnt clause implies
// its literal; returns false when the conflict holds at level 0.
bool ClauseSearch::Learn(uint32_t conflict) {
  ++conflicts_;
  int highest = 0;
  for (uint32_t j = 0; j < Size(conflict); ++j)
    highest = std::max(highest, level_[Lits(conflict)[j] >> 1]);
  if (highest == 0) return false;
  Backtrack(highest);
  std::vector<Lit> learnt;
  int back_level;
  uint32_t lbd;
  Analyze(conflict, &learnt, &back_level, &lbd);
  Backtrack(back_level);
  if (learnt.size() == 1) {
    Assign(learnt[0], kNoReason);
  } else {
    Assign(learnt[0], AddClause(learnt, true, lbd));
  }
  increment_ /= 0.95;
  return true;
}

// Keeps the loop of the full assignment; returns whether it is the second.
bool ClauseSearch::Found() {
  std::vector<bool> loop(edges_);
  for (int e = 0; e < edges_; ++e) loop[e] = value_[EdgeVar(e)] == 1;
  if (!IsSolution(board_, loop)) {
    // The colour rules skip what cannot have changed; should that ever let
    // a broken loop through, they look at the whole board again, and a
    // search that cannot go on runs out of time rather than answer wrong.
    recheck_inside_ = recheck_outside_ = true;
    checked_ = 0;
    return false;
  }
  if (++found_ == 2) {
    verdict_.other = std::move(loop);
    for (int e = 0; e < edges_; ++e) {
      if (verdict_.solution[e] != verdict_.other[e]) {
        verdict_.difference = PlaceOfEdge(board_, e);
        break;
      }
    }
    verdict_.outcome = Verdict::Outcome::Several;
    done_ = true;
    return true;
  }
  // Any other loop leaves out one of this one's edges: a loop that held
  // them all would be this one.
  std::vector<Lit> other;
  for (int e = 0; e < edges_; ++e) {
    if (loop[e]) other.push_back(2 * EdgeVar(e) + 1);
  }
  verdict_.solution = std::move(loop);
  verdict_.outcome = Verdict::Outcome::Unique;
  Backtrack(0);
  AddOriginal(std::move(other));
  return false;
}

bool ClauseSearch::Advance(long long effort) {
  const long long stop = nodes_ + effort;
  while (!done_ && nodes_ < stop) {
    if (spent_ >= work_limit_ ||
        ((nodes_ & 63) == 0 && std::chrono::steady_clock::now() >= deadline_)) {
      verdict_.outcome = Verdict::Outcome::Undetermined;
      done_ = true;
      break;
    }
    uint32_t conflict = Propagate();
    if (conflict == kNoReason) {
      bool implied = false;
      conflict = Regions(&implied);
      if (conflict == kNoReason && implied) continue;
    }
    if (conflict != kNoReason) {
      ++nodes_;
      if (!Learn(conflict)) {
        verdict_.outcome = found_ == 1 ? Verdict::Outcome::Unique : Verdict::Outcome::None;
        done_ = true;
      }
      continue;
    }
    if (conflicts_ >= restart_at_) {
      Backtrack(0);
      restart_at_ = conflicts_ + 100 * Luby(++luby_index_);
    }
    if (conflicts_ >= next_reduce_) {
      reduce_step_ += 300;
      next_reduce_ = conflicts_ + reduce_step_ + 2000;
      ReduceLearnt();
    }
    const Lit decision = Decide();
    if (decision < 0) {
      ++nodes_;  // so that the clock is read even here
      if (Found()) break;
      continue;
    }
    ++nodes_;
    level_starts_.push_back(trail_.size());
    level_rechecks_.emplace_back(recheck_inside_, recheck_outside_);
    Assign(decision, kNoReason);
  }
  return done_;
}

Verdict ClauseSearch::Result(long long other_nodes) {
  Verdict verdict = std::move(verdict_);
  if (verdict.outcome != Verdict::Outcome::Unique && verdict.outcome != Verdict::Outcome::Several) {
    verdict.solution.clear();
    verdict.other.clear();
  }
  verdict.nodes = nodes_ + other_nodes;
  verdict.work = spent_;
  return verdict;
}

}  // namespace quarnel
