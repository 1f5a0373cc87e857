#ifndef QUARNEL_PUZZLE_CLAUSE_SEARCH_H_
#define QUARNEL_PUZZLE_CLAUSE_SEARCH_H_

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/grid.h"
#include "puzzle/loop_solver.h"
#include "puzzle/one_piece.h"
#include "puzzle/sat_core.h"

namespace quarnel {

/// A search that learns: the loop puzzle as clauses over the cells' colours
/// (inside or outside the loop) and the edges, solved by the clause-learning
/// core (sat_core.h). That the inside and the outside are each one piece is
/// the theory beside the clauses: it is checked on the partial colouring,
/// and each breach becomes a clause. What the core learns outlives every
/// backtrack, which a proof that no second loop exists on a large board
/// needs.
class ClauseSearch : private Theory {
 public:
  /// Boards with more cells (more than the checker takes) are left to the
  /// other searches. Peak memory per cell, measured with a budget spent:
  /// about 1.1 KB up to kLeanCells; above it, with one clause per dot and
  /// the store made room for at once, 0.83 KB at 40,000 cells (33 MB) and
  /// 0.74 KB at 250,000 (185 MB).
  static constexpr long long kMostCells = 250000;
  /// Boards with more cells get one clause per dot instead of eight (the
  /// colours make each dot's count of lines even already: only four is
  /// ruled out), which saves about half the memory, a little of the
  /// search's strength on small boards, and keeps their searches as they
  /// were.
  static constexpr long long kLeanCells = 10000;

  /// What the checks under assumptions (SolveUnder) switch on and off: for
  /// each cell and digit a selector, a variable whose truth puts that clue
  /// in force. Clues: the board's clues hold only under their selectors,
  /// other digits have none. Candidates: the board's clues always hold, and
  /// a digit at a cell without clue holds under its selector, its clauses
  /// added when Selector first names it.
  enum class Selectors { None, Clues, Candidates };

  /// The search stops, undetermined, once it has spent `budget.work` (one
  /// unit per variable assigned, one per cell of each check of the inside
  /// and the outside) or its wall-clock guard has passed: with selectors,
  /// over all the checks together.
  ClauseSearch(const Board& board, const SolveBudget& budget, const std::vector<bool>* known,
               Selectors selectors = Selectors::None);
  /// Searches on for about `effort` decisions and conflicts; returns whether done.
  bool Advance(long long effort);
  Verdict Result(long long other_nodes);
  long long nodes() const { return core_.nodes(); }
  long long work() const { return core_.work(); }
  /// Counts `work` done beside the search against its budget.
  void Spend(long long work) { core_.Spend(work); }
  /// The first loop found (per edge), empty until the search finds one.
  const std::vector<bool>& first_loop() const { return verdict_.solution; }

  // Checks under assumptions, on a search made with selectors; what is
  // learnt serves every check after.
  /// The selector of the clue `digit` at `cell`: for Clues, the board's own
  /// clue there; for Candidates, a cell without clue.
  Lit Selector(int cell, int digit);
  int SelectorCell(Lit selector) const { return (selector.var() - cells_ - edges_) / kDigits; }
  /// Searches for one loop under `assumptions` (selectors): Stopped when
  /// one is found (then in loop()), Unsatisfiable when none keeps them (the
  /// selectors to blame in Conflict()), or OutOfBudget.
  SatCore::Status SolveUnder(std::vector<Lit> assumptions);
  const std::vector<bool>& loop() const { return loop_; }
  const std::vector<Lit>& Conflict() const { return core_.final_conflict(); }
  /// Rules `loop` out wherever `guard` is assumed.
  void BlockUnder(Lit guard, const std::vector<bool>& loop);
  /// Decisions follow `loop` first, as for a known loop.
  void Follow(const std::vector<bool>& loop);

 private:
  // Variables: a colour per cell (true inside), then one per edge (true on).
  int CellVar(int cell) const { return cell; }
  int EdgeVar(int edge) const { return cells_ + edge; }
  void Build();
  // The clauses of the clue `digit` at `cell`, under `guard` if given.
  void AddClue(int cell, int digit, const Lit* guard);

  // The theory: the colour rules over the whole board.
  ClauseRef Check(SatCore& core, bool* implied) override;
  bool Model(SatCore& core) override;
  void Decided(int level) override;
  void Backtracked(int level, size_t kept) override;
  ClauseRef Region(bool inside, bool* implied);
  // Whether the cells not of the other colour are still one piece (for
  // the outside: each piece still reaching the frame) as they were when
  // the trail held piece_at_[inside] literals, told from the cells of the
  // other colour set since and a few cells round each (OnePieceWatch).
  // False when that cannot be told so: then Region looks at the board.
  bool StaysOnePiece(bool inside);

  const Board& board_;
  int cells_, edges_;
  SatCore core_;
  // Built after the core: the colour rules' loop ran about a tenth slower
  // with the grid's tables placed before the core's arrays.
  const Grid grid_;
  // The colour rules' scratch: the cells of each component in turn, where
  // each starts, its first cell of the colour and whether it reaches the
  // frame; a stamp per cell for the cells visited, and one for the walls
  // collected.
  std::vector<int> work_, first_in_;
  std::vector<size_t> starts_;
  std::vector<uint8_t> grounded_;
  std::vector<uint32_t> visit_, stamp_;
  uint32_t visit_now_ = 0, stamp_now_ = 0;
  std::vector<Lit> wall_, lits_;
  // What StaysOnePiece reads: the cells of the wall's colour set since.
  OnePieceWatch pieces_;
  std::vector<int> taken_;
  // The trail up to checked_ keeps the colour rules; the place of the first
  // cell inside in it, or kNone.
  static constexpr size_t kNone = SIZE_MAX;
  size_t checked_ = 0, first_inside_ = kNone;
  bool recheck_inside_ = false, recheck_outside_ = false;
  // Per colour (1 inside): whether the cells not of the other colour were
  // one piece (at most one for the inside, each reaching the frame for the
  // outside) when the trail held piece_at_ literals.
  bool one_piece_[2] = {false, false};
  size_t piece_at_[2] = {0, 0};
  // Per level, the above as they stood when its decision was made.
  struct Saved {
    bool recheck_inside, recheck_outside;
    bool one_piece[2];
    size_t piece_at[2];
  };
  std::vector<Saved> level_saved_;
  // Under SolveUnder with selectors: how many more literals set
  // since the last look let the colour rules wait (0: they look each time),
  // and the backtracks of the check so far.
  static constexpr long long kLazyBacktracks = 60;
  size_t lazy_ = 0;
  long long backtracks_ = 0;
  int found_ = 0;
  bool done_ = false;
  Verdict verdict_;
  Selectors selectors_;
  // The digits a selector may stand for: the sides a loop can use of a
  // cell, 4 included (a clue no stage holds, but a board may).
  static constexpr int kDigits = 5;
  // Per cell and digit, whether its selector's clauses are in.
  std::vector<uint8_t> encoded_;
  std::vector<bool> loop_;
};

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_CLAUSE_SEARCH_H_
