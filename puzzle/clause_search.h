#ifndef QUARNEL_PUZZLE_CLAUSE_SEARCH_H_
#define QUARNEL_PUZZLE_CLAUSE_SEARCH_H_

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/loop_solver.h"

namespace quarnel {

/// A search that learns: the board as clauses over the cells' colours
/// (inside or outside the loop) and the edges, solved by conflict-driven
/// clause learning. That the inside and the outside are each one piece is
/// checked on the partial colouring, and each breach becomes a clause.
/// What it learns outlives every backtrack, which a proof that no second
/// loop exists on a large board needs.
class ClauseSearch {
 public:
  /// Boards with more cells are left to the other searches: the clauses
  /// take about a kilobyte per cell.
  static constexpr long long kMostCells = 10000;

  /// The search stops, undetermined, once it has spent `budget.work` (one
  /// unit per variable assigned, one per cell of each check of the inside
  /// and the outside) or its wall-clock guard has passed.
  ClauseSearch(const Board& board, const SolveBudget& budget, const std::vector<bool>* known);
  /// Searches on for about `effort` decisions and conflicts; returns whether done.
  bool Advance(long long effort);
  Verdict Result(long long other_nodes);
  long long nodes() const { return nodes_; }
  long long work() const { return spent_; }

 private:
  using Lit = int;  // variable v true as 2v, false as 2v + 1
  static constexpr uint32_t kNoReason = UINT32_MAX;
  struct Watch {
    uint32_t clause;
    Lit blocker;
  };

  int CellVar(int cell) const { return cell; }
  int EdgeVar(int edge) const { return cells_ + edge; }
  int Value(Lit l) const {  // 1 true, 0 false, -1 unknown
    const int v = value_[l >> 1];
    return v < 0 ? -1 : v ^ (l & 1);
  }
  uint32_t Size(uint32_t c) const { return arena_[c]; }
  Lit* Lits(uint32_t c) { return reinterpret_cast<Lit*>(&arena_[c + 2]); }
  bool Learnt(uint32_t c) const { return arena_[c + 1] & 1; }
  uint32_t Lbd(uint32_t c) const { return arena_[c + 1] >> 1; }

  void Build(const Board& board);
  void AddOriginal(std::vector<Lit> lits);
  uint32_t AddClause(const std::vector<Lit>& lits, bool learnt, uint32_t lbd);
  void Assign(Lit l, uint32_t reason);
  uint32_t Propagate();
  void Analyze(uint32_t conflict, std::vector<Lit>* learnt, int* back_level, uint32_t* lbd);
  bool Redundant(Lit l);
  void Backtrack(int level);
  int Level() const { return static_cast<int>(level_starts_.size()); }
  Lit Decide();
  void Bump(int v);
  void HeapUp(int i);
  void HeapDown(int i);
  void HeapInsert(int v);
  int HeapPop();
  // The colour rules over the whole board: returns a clause that is false,
  // or kNoReason after assigning what it implies (`implied`).
  uint32_t Regions(bool* implied);
  uint32_t Region(bool inside, bool* implied);
  uint32_t Conflict(std::vector<Lit>* lits);
  void ReduceLearnt();
  void Collect();
  bool Found();
  bool Learn(uint32_t conflict);

  const Board& board_;
  int width_, height_, cells_, edges_, vars_;
  std::chrono::steady_clock::time_point deadline_;
  long long work_limit_, spent_ = 0;
  std::vector<uint32_t> arena_;
  uint32_t wasted_ = 0;
  std::vector<uint32_t> learnts_;
  std::vector<std::vector<Watch>> watches_;  // per literal: the clauses watching it
  std::vector<int8_t> value_, phase_;
  std::vector<int> level_;
  std::vector<uint32_t> reason_;
  std::vector<Lit> trail_;
  std::vector<size_t> level_starts_;
  size_t head_ = 0;
  std::vector<double> activity_;
  double increment_ = 1;
  std::vector<int> heap_, heap_index_;
  std::vector<uint8_t> seen_;
  std::vector<Lit> scratch_;
  // The colour rules' scratch: each cell's four neighbours (-1 past the
  // frame); the cells of each component in turn, where each starts, its
  // first cell of the colour and whether it reaches the frame; a stamp per
  // cell for the cells visited, and one for the walls collected.
  std::vector<int> next_, work_, first_in_;
  std::vector<size_t> starts_;
  std::vector<uint8_t> grounded_;
  std::vector<uint32_t> visit_, stamp_;
  uint32_t visit_now_ = 0, stamp_now_ = 0;
  std::vector<Lit> wall_;
  // The trail up to here keeps the colour rules; cells inside so far.
  size_t checked_ = 0;
  int inside_ = 0;
  bool recheck_inside_ = false, recheck_outside_ = false;
  // Per level, the two above as they stood when its decision was made.
  std::vector<std::pair<bool, bool>> level_rechecks_;
  long long conflicts_ = 0, nodes_ = 0, next_reduce_ = 2000, reduce_step_ = 300;
  long long restart_at_ = 0, luby_index_ = 0;
  int found_ = 0;
  bool done_ = false;
  Verdict verdict_;
};

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_CLAUSE_SEARCH_H_
