#ifndef QUARNEL_PUZZLE_DEPTH_FIRST_H_
#define QUARNEL_PUZZLE_DEPTH_FIRST_H_

#include <chrono>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/grid.h"
#include "puzzle/loop_solver.h"

namespace quarnel {

/// A search that only goes depth first, with rules over the whole board at
/// each step: the local rules at each dot and clue, the colours of the cells
/// on either side of each edge and the classes of cells whose colours
/// relate; the paths of on edges, which may close only into the one loop;
/// that every on edge can reach the others and that the inside and the
/// outside are each one piece; and probes, which try an edge both ways. It
/// keeps no more than the board.
class DepthFirstSearch {
 public:
  // How the search picks the edge to branch on: the one whose probe decided
  // most both ways, or such an edge at the open end of a path first.
  enum class Choice { ByWeight, AlongPaths };
  DepthFirstSearch(const Board& board, const Grid& grid, const SolveBudget& budget,
                   const std::vector<bool>* known, Choice choice);

  void Start();
  // Searches on for about `effort` edge decisions, or until its work (one
  // unit per edge settled, per edge or cell of each pass over the board,
  // per cell of a colour part joined to another) reaches `work_limit`;
  // returns whether done.
  bool Advance(long long effort, long long work_limit);
  Verdict Result(long long other_nodes);
  long long nodes() const { return nodes_; }
  long long work() const { return spent_; }

 private:
  // One change a search made, to be undone.
  struct Undo {
    enum Kind : uint8_t { Edge, Colour, Mate, Length, Closed, Join } kind;
    int index;
    int old;
  };

  // The changes made, latest last: a buffer as long as the most a search can
  // have made at once, so that recording one is a store. Its pages are taken
  // from the system only as the trail reaches them.
  class Trail {
   public:
    // Each edge is decided once, with at most four more changes if on (two
    // paths' ends, or the loop closing); each cell takes a colour once and
    // joins another class once.
    explicit Trail(const Grid& grid)
        : entries_(new Undo[5 * static_cast<size_t>(grid.edges()) + 2 * (static_cast<size_t>(grid.cells()) + 1) + 1]) {}
    void push_back(const Undo& undo) { entries_[size_++] = undo; }
    size_t size() const { return size_; }
    const Undo& back() const { return entries_[size_ - 1]; }
    void pop_back() { --size_; }
    const Undo& operator[](size_t i) const { return entries_[i]; }

   private:
    std::unique_ptr<Undo[]> entries_;
    size_t size_ = 0;
  };

  struct Frame {
    size_t trail_mark;
    int edge;
    uint8_t first_way;
    bool second;
  };

  bool Assign(int e, uint8_t state);
  bool SetColour(int cell, uint8_t colour);
  void SetMate(int v, int mate, int length);
  void UndoTo(size_t mark);
  bool Propagate();
  bool DotRule(int v);
  bool CellRule(int cell);
  bool ColourRule(int e);
  bool ColourCell(int cell);
  // Cells joined by decided edges form classes whose colours relate: the
  // same across an off edge, opposite across an on one.
  int Root(int cell, int* parity) const;
  bool JoinAcross(int e);
  // The rules that look at the whole board; `changed` tells whether they
  // decided anything, after which the local rules run again.
  bool Connectivity(bool* changed);
  bool EdgesConnected(bool* changed);
  bool RegionConnected(uint8_t colour, bool* changed);
  bool Probe(bool* changed);
  void QueueProbesNear(int e);
  void ClearProbes();
  int ChooseEdge() const;
  bool OutOfTime();
  bool Found();

  const Board& board_;
  const std::vector<bool>* known_;
  Choice choice_;
  const Grid& grid_;
  std::chrono::steady_clock::time_point deadline_;
  std::vector<uint8_t> edge_;
  std::vector<uint8_t> dot_on_, dot_open_;    // per dot: edges on, edges unknown
  std::vector<uint8_t> cell_on_, cell_open_;  // per cell: sides on, sides unknown
  std::vector<uint8_t> colour_;
  // The classes: a forest without path compression, so that a join undoes
  // by itself, and each class's cells in a ring through next_cell_.
  std::vector<int> parent_;
  std::vector<uint8_t> parity_;  // colour differs from the parent's
  std::vector<int> size_, next_cell_;
  std::vector<std::pair<int, uint8_t>> joined_;
  // At each end of a path of on edges, the other end and the path's length.
  std::vector<int> mate_, length_;
  int total_on_ = 0;
  bool closed_ = false;
  bool sweep_ = false;  // the loop closed: every open edge goes off
  Trail trail_;
  std::vector<int> queue_;  // edge e as 2e, cell c as 2c + 1
  // Scratch for the searches over the board; mark_ holds visit stamps.
  std::vector<unsigned> mark_;
  std::vector<unsigned> dot_mark_;
  unsigned stamp_ = 0;
  std::vector<int> work_;
  // The edges to probe next: those near a change since the last probe. A
  // probe's own trial changes queue nothing.
  std::vector<int> probes_;
  std::vector<uint8_t> probe_queued_;
  std::vector<std::pair<int, int>> near_;  // scratch: (distance, edge)
  bool probing_ = false;
  // What the first way of a probe decided, per edge: stamp * 4 + state.
  std::vector<uint64_t> first_way_;
  uint64_t probe_stamp_ = 0;
  std::vector<int> agreed_;
  // Per edge, how much its latest probe decided the way that decided less:
  // the branching prefers edges whose either way decides much.
  std::vector<int> weight_;
  long long nodes_ = 0;
  long long effort_ = 0;  // edge decisions, probes' included
  long long spent_ = 0;   // the work, SolveBudget's units
  Verdict verdict_;
  std::vector<Frame> frames_;
  int found_ = 0;
  bool ok_ = true;
  bool done_ = false;
  unsigned clock_ticks_ = 0;
  bool expired_ = false;
};


}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_DEPTH_FIRST_H_
