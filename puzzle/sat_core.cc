#include "puzzle/sat_core.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace quarnel {
namespace {

// Flags kept beside each clause's size; its LBD sits above them.
constexpr uint32_t kLearnt = 1, kDeleted = 2;

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

}  // namespace

SatCore::SatCore(int vars, const SolveBudget& budget)
    : vars_(vars),
      deadline_(std::chrono::steady_clock::now() + budget.guard),
      work_limit_(budget.work),
      watches_(2 * static_cast<size_t>(vars)),
      value_(vars, -1),
      phase_(vars, 0),
      level_(vars, 0),
      reason_(vars, kNoClause),
      activity_(vars, 0),
      heap_index_(vars, -1),
      seen_(vars, 0) {
  for (int v = 0; v < vars_; ++v) HeapInsert(v);
  restart_at_ = 100 * Luby(0);
}

bool SatCore::Learnt(ClauseRef c) const { return Flags(c) & kLearnt; }

void SatCore::AddOriginal(std::vector<Lit> lits) {
  size_t kept = 0;
  for (Lit l : lits) {
    const int value = Value(l);
    if (value == 1) return;
    if (value < 0) lits[kept++] = l;
  }
  lits.resize(kept);
  if (lits.empty()) {
    status_ = Status::Unsatisfiable;
    final_conflict_.clear();
  } else if (lits.size() == 1) {
    Assign(lits[0], kNoClause);
  } else {
    AddClause(lits, false, 0);
  }
}

void SatCore::ShrinkToFit() {
  for (auto& list : watches_) list.shrink_to_fit();
}

ClauseRef SatCore::AddClause(const std::vector<Lit>& lits, bool learnt, uint32_t lbd) {
  assert(lits.size() >= 2);
  const ClauseRef c = static_cast<ClauseRef>(arena_.size());
  arena_.push_back(Lit::FromCode(static_cast<uint32_t>(lits.size())));
  arena_.push_back(Lit::FromCode((learnt ? kLearnt : 0) | lbd << 2));
  arena_.insert(arena_.end(), lits.begin(), lits.end());
  watches_[lits[0].code()].push_back({c, lits[1]});
  watches_[lits[1].code()].push_back({c, lits[0]});
  if (learnt) learnts_.push_back(c);
  return c;
}

void SatCore::Assign(Lit l, ClauseRef reason) {
  const int v = l.var();
  assert(value_[v] < 0);
  value_[v] = static_cast<int8_t>(l.value());
  level_[v] = Level();
  reason_[v] = reason;
  trail_.push_back(l);
  ++spent_;
}

ClauseRef SatCore::AddConflict(std::vector<Lit>* lits) {
  assert(lits->size() >= 2);
  std::sort(lits->begin(), lits->end(),
            [&](Lit a, Lit b) { return level_[a.var()] > level_[b.var()]; });
  return AddClause(*lits, true, static_cast<uint32_t>(lits->size()));
}

void SatCore::Imply(const std::vector<Lit>& lits) {
  assert(lits.size() >= 2 && Value(lits[0]) < 0);
  Assign(lits[0], AddClause(lits, true, static_cast<uint32_t>(lits.size())));
}

// Unit propagation over the two watched literals of each clause, which are
// its first two; returns a clause all of whose literals are false, or
// kNoClause.
ClauseRef SatCore::Propagate() {
  while (head_ < trail_.size()) {
    const Lit false_lit = ~trail_[head_++];
    std::vector<Watch>& watching = watches_[false_lit.code()];
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
          watches_[lits[1].code()].push_back({w.clause, first});
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
#ifndef NDEBUG
  // The whole store once in a while: spaced by its size, so that debug
  // builds spend a few steps per propagation on it.
  if (++settled_ >= next_check_) {
    CheckInvariants();
    next_check_ = settled_ + 64 + arena_.size() / 8;
  }
#endif
  return kNoClause;
}

// The first unique implication point's clause, from a conflict with at
// least one literal at the current level.
void SatCore::Analyze(ClauseRef conflict, std::vector<Lit>* learnt, int* back_level,
                      uint32_t* lbd) {
  learnt->assign(1, Lit());
  int open = 0;
  Lit p;
  bool first = true;
  size_t index = trail_.size();
  do {
    assert(conflict != kNoClause);
    const Lit* lits = Lits(conflict);
    const uint32_t size = Size(conflict);
    for (uint32_t j = first ? 0 : 1; j < size; ++j) {
      const int v = lits[j].var();
      assert(Value(lits[j]) == 0);
      if (seen_[v] || level_[v] == 0) continue;
      seen_[v] = 1;
      Bump(v);
      if (level_[v] >= Level()) {
        ++open;
      } else {
        learnt->push_back(lits[j]);
      }
    }
    while (!seen_[trail_[--index].var()]) {
    }
    p = trail_[index];
    first = false;
    conflict = reason_[p.var()];
    seen_[p.var()] = 0;
    --open;
  } while (open > 0);
  (*learnt)[0] = ~p;
  // Drop literals implied by the others.
  scratch_lits_.assign(learnt->begin(), learnt->end());
  size_t kept = 1;
  for (size_t i = 1; i < learnt->size(); ++i) {
    if (!Redundant((*learnt)[i])) (*learnt)[kept++] = (*learnt)[i];
  }
  learnt->resize(kept);
  for (Lit l : scratch_lits_) seen_[l.var()] = 0;
  // The literal of the highest level after the first, to be watched.
  *back_level = 0;
  for (size_t i = 1; i < learnt->size(); ++i) {
    if (level_[(*learnt)[i].var()] > *back_level) {
      *back_level = level_[(*learnt)[i].var()];
      std::swap((*learnt)[1], (*learnt)[i]);
    }
  }
  scratch_levels_.clear();
  for (Lit l : *learnt) scratch_levels_.push_back(level_[l.var()]);
  std::sort(scratch_levels_.begin(), scratch_levels_.end());
  *lbd = static_cast<uint32_t>(std::unique(scratch_levels_.begin(), scratch_levels_.end()) -
                               scratch_levels_.begin());
}

bool SatCore::Redundant(Lit l) {
  const ClauseRef reason = reason_[l.var()];
  if (reason == kNoClause) return false;
  const Lit* lits = Lits(reason);
  for (uint32_t j = 1; j < Size(reason); ++j) {
    const int v = lits[j].var();
    if (!seen_[v] && level_[v] > 0) return false;
  }
  return true;
}

void SatCore::Backtrack(int level) {
  if (Level() <= level) return;
  for (size_t i = trail_.size(); i-- > level_starts_[level];) {
    const int v = trail_[i].var();
    phase_[v] = value_[v];
    value_[v] = -1;
    reason_[v] = kNoClause;
    if (heap_index_[v] < 0) HeapInsert(v);
  }
  trail_.resize(level_starts_[level]);
  level_starts_.resize(level);
  head_ = trail_.size();
  if (theory_ != nullptr) theory_->Backtracked(level, trail_.size());
}

bool SatCore::Decide(Lit* decision) {
  while (!heap_.empty()) {
    const int v = HeapPop();
    if (value_[v] < 0) {
      *decision = Lit::Of(v, phase_[v] != 0);
      return true;
    }
  }
  return false;
}

void SatCore::Bump(int v) {
  if ((activity_[v] += increment_) > 1e100) {
    for (double& a : activity_) a *= 1e-100;
    increment_ *= 1e-100;
  }
  if (heap_index_[v] >= 0) HeapUp(heap_index_[v]);
}

void SatCore::HeapUp(int i) {
  const int v = heap_[i];
  while (i > 0 && activity_[heap_[(i - 1) / 2]] < activity_[v]) {
    heap_[i] = heap_[(i - 1) / 2];
    heap_index_[heap_[i]] = i;
    i = (i - 1) / 2;
  }
  heap_[i] = v;
  heap_index_[v] = i;
}

void SatCore::HeapDown(int i) {
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

void SatCore::HeapInsert(int v) {
  heap_.push_back(v);
  HeapUp(static_cast<int>(heap_.size()) - 1);
}

int SatCore::HeapPop() {
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

// Drops the worse half of the learnt clauses by LBD, except those that are
// the reason of an assigned literal. (Every learnt clause ties two levels
// at least, so the bound of 1 below spares no other: sparing those of 2
// would change the search, and with it the loops it finds first.)
void SatCore::ReduceLearnt() {
  std::sort(learnts_.begin(), learnts_.end(),
            [&](ClauseRef a, ClauseRef b) { return Lbd(a) > Lbd(b); });
  const size_t half = learnts_.size() / 2;
  for (size_t i = 0; i < half; ++i) {
    const ClauseRef c = learnts_[i];
    const Lit first = Lits(c)[0];
    const bool locked = reason_[first.var()] == c && Value(first) == 1;
    if (locked || Lbd(c) <= 1) continue;
    arena_[c + 1] = Lit::FromCode(Flags(c) | kDeleted);
    wasted_ += 2 + Size(c);
  }
  Collect();
}

// Moves the live clauses together, and watches and reasons with them.
void SatCore::Collect() {
  std::vector<Lit> moved;
  moved.reserve(arena_.size() - wasted_);
  for (ClauseRef c = 0; c < arena_.size();) {
    const uint32_t size = Size(c), next = c + 2 + size;
    if (!(Flags(c) & kDeleted)) {
      const uint32_t to = static_cast<uint32_t>(moved.size());
      moved.insert(moved.end(), arena_.begin() + c, arena_.begin() + next);
      arena_[c] = Lit::FromCode(to);  // forward the old place
    }
    c = next;
  }
  for (Lit l : trail_) {
    ClauseRef& reason = reason_[l.var()];
    if (reason != kNoClause) reason = arena_[reason].code();
  }
  arena_ = std::move(moved);
  wasted_ = 0;
  learnts_.clear();
  for (auto& list : watches_) list.clear();
  for (ClauseRef c = 0; c < arena_.size(); c += 2 + Size(c)) {
    const Lit* lits = Lits(c);
    watches_[lits[0].code()].push_back({c, lits[1]});
    watches_[lits[1].code()].push_back({c, lits[0]});
    if (Learnt(c)) learnts_.push_back(c);
  }
#ifndef NDEBUG
  CheckInvariants();
#endif
}

// Learns from a conflict and goes back to where the learnt clause implies
// its literal; returns false when the conflict holds at level 0.
bool SatCore::Learn(ClauseRef conflict) {
  ++conflicts_;
  int highest = 0;
  for (uint32_t j = 0; j < Size(conflict); ++j)
    highest = std::max(highest, level_[Lits(conflict)[j].var()]);
  if (highest == 0) return false;
  Backtrack(highest);
  std::vector<Lit> learnt;
  int back_level;
  uint32_t lbd;
  Analyze(conflict, &learnt, &back_level, &lbd);
  Backtrack(back_level);
  if (learnt.size() == 1) {
    Assign(learnt[0], kNoClause);
  } else {
    Assign(learnt[0], AddClause(learnt, true, lbd));
  }
  increment_ /= 0.95;
  return true;
}

SatCore::Status SatCore::Advance(Theory& theory, long long effort) {
  theory_ = &theory;
  const long long stop = nodes_ + effort;
  while (status_ == Status::Searching && nodes_ < stop) {
    if (spent_ >= work_limit_ ||
        ((nodes_ & 63) == 0 && std::chrono::steady_clock::now() >= deadline_)) {
      status_ = Status::OutOfBudget;
      break;
    }
    ClauseRef conflict = Propagate();
    // While assumptions are being placed, the theory waits for them all: a
    // rule over the whole board would otherwise run once for each.
    if (conflict == kNoClause && static_cast<size_t>(Level()) >= assumptions_.size()) {
      bool implied = false;
      conflict = theory.Check(*this, &implied);
      if (conflict == kNoClause && implied) continue;
    }
    if (conflict != kNoClause) {
      ++nodes_;
      if (!Learn(conflict)) status_ = Status::Unsatisfiable;
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
    Lit decision;
    if (!NextAssumption(&decision)) {
      if (status_ != Status::Searching) break;
      if (!Decide(&decision)) {
        ++nodes_;  // so that the clock is read even here
        if (theory.Model(*this)) {
          status_ = Status::Stopped;
          break;
        }
        continue;
      }
    }
    ++nodes_;
    level_starts_.push_back(trail_.size());
    theory.Decided(Level());
    Assign(decision, kNoClause);
  }
  return status_;
}

void SatCore::Assume(std::vector<Lit> assumptions) {
  Backtrack(0);
  assumptions_ = std::move(assumptions);
  if (status_ == Status::OutOfBudget ||
      (status_ == Status::Unsatisfiable && final_conflict_.empty())) {
    return;
  }
  final_conflict_.clear();
  status_ = Status::Searching;
}

// The next assumption not yet decided, as the decision to make; one
// already true gets a level of its own all the same, so that level k + 1
// always belongs to assumption k. Returns false when all are in place, or
// when one is false (then the search ends Unsatisfiable).
bool SatCore::NextAssumption(Lit* decision) {
  while (static_cast<size_t>(Level()) < assumptions_.size()) {
    const Lit a = assumptions_[Level()];
    if (Value(a) == 0) {
      AnalyzeFinal(a);
      status_ = Status::Unsatisfiable;
      return false;
    }
    if (Value(a) < 0) {
      *decision = a;
      return true;
    }
    level_starts_.push_back(trail_.size());
    theory_->Decided(Level());
  }
  return false;
}

// The assumptions that force `falsified`, an assumption found false,
// false: followed back from it through the reasons to the decisions, which
// below the assumptions' levels are all assumptions.
void SatCore::AnalyzeFinal(Lit falsified) {
  final_conflict_.assign(1, falsified);
  if (level_[falsified.var()] == 0) return;
  seen_[falsified.var()] = 1;
  for (size_t i = trail_.size(); i-- > level_starts_[0];) {
    const int v = trail_[i].var();
    if (!seen_[v]) continue;
    seen_[v] = 0;
    const ClauseRef reason = reason_[v];
    if (reason == kNoClause) {
      final_conflict_.push_back(trail_[i]);
      continue;
    }
    const Lit* lits = Lits(reason);
    for (uint32_t j = 1; j < Size(reason); ++j) {
      if (level_[lits[j].var()] > 0) seen_[lits[j].var()] = 1;
    }
  }
}

void SatCore::CheckInvariants() const {
#ifndef NDEBUG
  // The trail: each variable once, with its value, at levels that never
  // fall, each decision opening its level.
  std::vector<uint8_t> on_trail(vars_, 0);
  int level = 0;
  for (size_t i = 0; i < trail_.size(); ++i) {
    const int v = trail_[i].var();
    assert(!on_trail[v]);
    on_trail[v] = 1;
    assert(value_[v] == static_cast<int>(trail_[i].value()));
    while (level < Level() && level_starts_[level] <= i) ++level;
    assert(level_[v] == level);
  }
  for (int v = 0; v < vars_; ++v) assert(on_trail[v] == (value_[v] >= 0));
  // The reasons: the clause's first literal is the one it implied, every
  // other is false and no later.
  for (Lit l : trail_) {
    const ClauseRef c = reason_[l.var()];
    if (c == kNoClause) continue;
    const Lit* lits = &arena_[c + 2];
    assert(lits[0] == l);
    for (uint32_t j = 1; j < Size(c); ++j) {
      assert(Value(lits[j]) == 0 && level_[lits[j].var()] <= level_[l.var()]);
    }
  }
  // The watches: each live clause watched by its first two literals, each
  // watch naming one of them as watched; once propagation has settled, a
  // clause given at the start with a watched literal false is true. (A
  // theory's clause may imply its literal later than it could have, and a
  // backjump may leave it unit: the theory's own check still holds then.)
  std::vector<int> watched(arena_.size(), 0);
  for (uint32_t code = 0; code < watches_.size(); ++code) {
    for (const Watch& w : watches_[code]) {
      const Lit* lits = &arena_[w.clause + 2];
      assert(lits[0].code() == code || lits[1].code() == code);
      ++watched[w.clause];
    }
  }
  for (ClauseRef c = 0; c < arena_.size(); c += 2 + Size(c)) {
    assert(watched[c] == 2);
    const Lit* lits = &arena_[c + 2];
    if (head_ < trail_.size() || Learnt(c) || (Value(lits[0]) != 0 && Value(lits[1]) != 0)) {
      continue;
    }
    bool satisfied = false;
    for (uint32_t j = 0; j < Size(c) && !satisfied; ++j) satisfied = Value(lits[j]) == 1;
    assert(satisfied);
  }
#endif
}

}  // namespace quarnel
