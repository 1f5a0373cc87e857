#ifndef QUARNEL_PUZZLE_SAT_CORE_H_
#define QUARNEL_PUZZLE_SAT_CORE_H_

#include <chrono>
#include <cstdint>
#include <vector>

#include "puzzle/solve_budget.h"

namespace quarnel {

/// A literal: a variable and the value that makes it true. Its code, 2v for
/// v true and 2v + 1 for v false, indexes the watch lists.
class Lit {
 public:
  constexpr Lit() = default;
  static constexpr Lit Of(int var, bool value) {
    return Lit(2 * static_cast<uint32_t>(var) + (value ? 0 : 1));
  }
  static constexpr Lit FromCode(uint32_t code) { return Lit(code); }
  constexpr int var() const { return static_cast<int>(code_ >> 1); }
  /// The value of var() that makes the literal true.
  constexpr bool value() const { return (code_ & 1) == 0; }
  constexpr uint32_t code() const { return code_; }
  constexpr Lit operator~() const { return Lit(code_ ^ 1); }
  constexpr bool operator==(const Lit&) const = default;

 private:
  explicit constexpr Lit(uint32_t code) : code_(code) {}
  uint32_t code_ = 0;
};

/// Where a clause lies in the core's store; kNoClause for none.
using ClauseRef = uint32_t;
inline constexpr ClauseRef kNoClause = UINT32_MAX;

class SatCore;

/// What a problem adds to the clauses: rules over the whole assignment that
/// clauses would state too dearly. The core asks it at each point where
/// unit propagation settles; it may answer only through the core's
/// AddConflict and Imply, which keep each clause as the reason of what it
/// implies, so that conflict analysis explains the rule's steps as it
/// explains the clauses'.
class Theory {
 public:
  virtual ~Theory() = default;
  /// Checks the assignment after propagation settled without conflict:
  /// returns a clause from AddConflict that is false, or kNoClause after
  /// adding what the rules imply with Imply (and setting `*implied`).
  virtual ClauseRef Check(SatCore& core, bool* implied) = 0;
  /// Every variable has a value and Check found nothing: returns true to
  /// stop the search. It may go back to level 0 and add clauses that rule
  /// this assignment out, or ask Check to look at everything again.
  virtual bool Model(SatCore& core) = 0;
  /// A decision opens level `level`: the moment to save what the theory
  /// must restore when the core goes back below it.
  virtual void Decided(int level) = 0;
  /// The core goes back to `level`: the trail keeps its first `kept`
  /// literals.
  virtual void Backtracked(int level, size_t kept) = 0;
};

/// Conflict-driven clause learning: two watched literals per clause,
/// first-UIP learning with simple minimisation, VSIDS with phase saving,
/// Luby restarts (units of 100 conflicts), and learnt clauses pruned by LBD
/// every 2,000 + 300·k conflicts with the store compacted each time.
class SatCore {
 public:
  enum class Status { Searching, Stopped, Unsatisfiable, OutOfBudget };

  /// The search stops, OutOfBudget, once it has spent `budget.work` (one
  /// unit per variable assigned, by a decision or by propagation, and what
  /// the theory adds with Spend) or its wall-clock guard has passed.
  SatCore(int vars, const SolveBudget& budget);
  SatCore(const SatCore&) = delete;
  SatCore& operator=(const SatCore&) = delete;

  /// The value a decision on `var` tries first, until the search saves
  /// another.
  void SetPhase(int var, bool value) { phase_[var] = value; }
  /// Adds a clause that holds from the start (or, added at level 0, from
  /// now on): literals false at level 0 are dropped; an empty one makes the
  /// problem unsatisfiable.
  void AddOriginal(std::vector<Lit> lits);
  /// Makes room in the clauses' store for `literals` literals (two more
  /// per clause), so that a large problem's store is not copied as it
  /// grows.
  void Reserve(size_t literals) { arena_.reserve(literals); }
  /// Gives back the room the watch lists hold beyond their size: for a
  /// large problem, once its clauses are added.
  void ShrinkToFit();
  /// Searches on, with `theory`, for about `effort` decisions and
  /// conflicts; returns the status, Searching if not done.
  Status Advance(Theory& theory, long long effort);
  Status status() const { return status_; }

  // What a theory reads and adds.
  int Value(int var) const { return value_[var]; }  // 1 true, 0 false, -1 unknown
  int Value(Lit l) const {
    const int v = value_[l.var()];
    return v < 0 ? -1 : v ^ static_cast<int>(l.code() & 1);
  }
  /// Every variable's value as above, indexed by variable: for a theory's
  /// loops over many variables.
  const int8_t* values() const { return value_.data(); }
  int LevelOf(int var) const { return level_[var]; }
  const std::vector<Lit>& trail() const { return trail_; }
  /// Stores a clause all of whose literals are false, for Check to return.
  /// It holds two literals at least.
  ClauseRef AddConflict(std::vector<Lit>* lits);
  /// Stores a clause whose first literal is unknown and all others false,
  /// and assigns the first with the clause as its reason. lits[1] should
  /// be the rest's latest.
  void Imply(const std::vector<Lit>& lits);
  void Backtrack(int level);
  long long nodes() const { return nodes_; }
  /// The theory's own work, in the budget's units (a cell per cell visited).
  void Spend(long long work) { spent_ += work; }
  long long work() const { return spent_; }

  /// Starts the search again from level 0 under `assumptions`, keeping all
  /// that was learnt: they are decided first, in order, each true. When
  /// they cannot all hold, the search ends Unsatisfiable with the
  /// assumptions to blame in final_conflict(); a search that ended
  /// Unsatisfiable with no assumptions to blame, or OutOfBudget, stays so.
  void Assume(std::vector<Lit> assumptions);
  /// After Unsatisfiable: the assumptions that cannot hold together with
  /// the clauses, a subset of those given, the one found false first;
  /// empty when the clauses alone cannot hold.
  const std::vector<Lit>& final_conflict() const { return final_conflict_; }

 private:
  uint32_t Size(ClauseRef c) const { return arena_[c].code(); }
  uint32_t Flags(ClauseRef c) const { return arena_[c + 1].code(); }
  Lit* Lits(ClauseRef c) { return &arena_[c + 2]; }
  bool Learnt(ClauseRef c) const;
  uint32_t Lbd(ClauseRef c) const { return Flags(c) >> 2; }

  ClauseRef AddClause(const std::vector<Lit>& lits, bool learnt, uint32_t lbd);
  void Assign(Lit l, ClauseRef reason);
  ClauseRef Propagate();
  void Analyze(ClauseRef conflict, std::vector<Lit>* learnt, int* back_level, uint32_t* lbd);
  bool Redundant(Lit l);
  int Level() const { return static_cast<int>(level_starts_.size()); }
  bool Decide(Lit* decision);
  void Bump(int v);
  void HeapUp(int i);
  void HeapDown(int i);
  void HeapInsert(int v);
  int HeapPop();
  void ReduceLearnt();
  void Collect();
  bool Learn(ClauseRef conflict);
  // The invariants of the watches, the trail and the reasons, checked in
  // debug builds only.
  void CheckInvariants() const;
  bool NextAssumption(Lit* decision);
  void AnalyzeFinal(Lit falsified);

  int vars_;
  std::chrono::steady_clock::time_point deadline_;
  long long work_limit_, spent_ = 0;
  Theory* theory_ = nullptr;
  // Each clause as its size, its flags (learnt, deleted, LBD above them)
  // and its literals, all stored as literal codes.
  std::vector<Lit> arena_;
  uint32_t wasted_ = 0;
  std::vector<ClauseRef> learnts_;
  struct Watch {
    ClauseRef clause;
    Lit blocker;
  };
  std::vector<std::vector<Watch>> watches_;  // per literal code: the clauses watching it
  std::vector<int8_t> value_, phase_;
  std::vector<int> level_;
  std::vector<ClauseRef> reason_;
  std::vector<Lit> trail_;
  std::vector<size_t> level_starts_;
  size_t head_ = 0;
  std::vector<double> activity_;
  double increment_ = 1;
  std::vector<int> heap_, heap_index_;
  std::vector<uint8_t> seen_;
  std::vector<Lit> scratch_lits_;
  std::vector<int> scratch_levels_;
  long long conflicts_ = 0, nodes_ = 0, next_reduce_ = 2000, reduce_step_ = 300;
  long long restart_at_ = 0, luby_index_ = 0;
  Status status_ = Status::Searching;
  // The assumptions of the current search, one a level from level 1 on.
  std::vector<Lit> assumptions_, final_conflict_;
#ifndef NDEBUG
  // Propagations settled, and when the next full check is due.
  long long settled_ = 0, next_check_ = 64;
#endif
};

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_SAT_CORE_H_
