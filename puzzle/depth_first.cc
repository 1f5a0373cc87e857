#include "puzzle/depth_first.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>

namespace quarnel {
namespace {

enum : uint8_t { kUnknown = 0, kOn = 1, kOff = 2 };
// Cell colours: inside or outside the loop. The frame's outside is one more
// cell, always outside.
enum : uint8_t { kInside = 1, kOutside = 2 };

}  // namespace

DepthFirstSearch::DepthFirstSearch(const Board& board, const Grid& grid, const SolveBudget& budget,
                                 const std::vector<bool>* known, Choice choice)
    : board_(board), known_(known), choice_(choice), grid_(grid), deadline_(std::chrono::steady_clock::now() + budget.guard),
      edge_(grid_.edges(), kUnknown), dot_on_(grid_.dots(), 0), dot_open_(grid_.dots(), 0),
      cell_on_(grid_.cells(), 0), cell_open_(grid_.cells(), 4),
      colour_(grid_.cells() + 1, 0), parent_(grid_.cells() + 1), parity_(grid_.cells() + 1, 0),
      size_(grid_.cells() + 1, 1), next_cell_(grid_.cells() + 1), mate_(grid_.dots(), 0), length_(grid_.dots(), 0),
      trail_(grid_),
      mark_(grid_.cells() + 1, 0), probe_queued_(grid_.edges(), 0),
      first_way_(grid_.edges(), 0), weight_(grid_.edges(), 0) {
  for (int v = 0; v < grid_.dots(); ++v) {
    int edges[4];
    dot_open_[v] = static_cast<uint8_t>(grid_.DotEdges(v, edges));
  }
  colour_[grid_.outside()] = kOutside;
  for (int c = 0; c <= grid_.cells(); ++c) parent_[c] = next_cell_[c] = c;
}

bool DepthFirstSearch::Assign(int e, uint8_t state) {
  if (edge_[e] == state) return true;
  if (edge_[e] != kUnknown) return false;
  if (state == kOn && closed_) return false;
  int a, b;
  grid_.EdgeDots(e, &a, &b);
  int p, q;
  grid_.EdgeCells(e, &p, &q);
  trail_.push_back({Undo::Edge, e, 0});
  edge_[e] = state;
  ++effort_;
  ++spent_;
  const bool on = state == kOn;
  --dot_open_[a];
  --dot_open_[b];
  dot_on_[a] += on;
  dot_on_[b] += on;
  for (int cell : {p, q}) {
    if (cell == grid_.outside()) continue;
    --cell_open_[cell];
    cell_on_[cell] += on;
  }
  queue_.push_back(2 * e);
  if (!probing_) QueueProbesNear(e);
  if (!on) return true;
  ++total_on_;
  if (dot_on_[a] > 2 || dot_on_[b] > 2) return false;
  // Join the paths that end at a and b.
  const int end_a = dot_on_[a] == 1 ? a : mate_[a];
  const int end_b = dot_on_[b] == 1 ? b : mate_[b];
  const int length_a = dot_on_[a] == 1 ? 0 : length_[a];
  const int length_b = dot_on_[b] == 1 ? 0 : length_[b];
  if (end_a == b) {
    // The edge closes a path into a loop: only the loop that holds every on
    // edge may close, and then nothing else is on.
    if (total_on_ != length_a + 1) return false;
    trail_.push_back({Undo::Closed, 0, 0});
    closed_ = true;
    sweep_ = true;
    return true;
  }
  const int length = length_a + length_b + 1;
  SetMate(end_a, end_b, length);
  SetMate(end_b, end_a, length);
  // The two ends may not meet while other on edges lie elsewhere.
  if (total_on_ > length) {
    int closing = grid_.EdgeBetween(end_a, end_b);
    if (closing >= 0 && edge_[closing] == kUnknown) return Assign(closing, kOff);
  }
  return true;
}

void DepthFirstSearch::SetMate(int v, int mate, int length) {
  trail_.push_back({Undo::Mate, v, mate_[v]});
  trail_.push_back({Undo::Length, v, length_[v]});
  mate_[v] = mate;
  length_[v] = length;
}

bool DepthFirstSearch::SetColour(int cell, uint8_t colour) {
  if (colour_[cell] == colour) return true;
  if (colour_[cell] != 0) return false;
  trail_.push_back({Undo::Colour, cell, 0});
  colour_[cell] = colour;
  queue_.push_back(2 * cell + 1);
  return true;
}

void DepthFirstSearch::UndoTo(size_t mark) {
  while (trail_.size() > mark) {
    Undo u = trail_.back();
    trail_.pop_back();
    switch (u.kind) {
      case Undo::Edge: {
        const int e = u.index;
        const bool on = edge_[e] == kOn;
        edge_[e] = kUnknown;
        int a, b, p, q;
        grid_.EdgeDots(e, &a, &b);
        grid_.EdgeCells(e, &p, &q);
        ++dot_open_[a];
        ++dot_open_[b];
        dot_on_[a] -= on;
        dot_on_[b] -= on;
        for (int cell : {p, q}) {
          if (cell == grid_.outside()) continue;
          ++cell_open_[cell];
          cell_on_[cell] -= on;
        }
        total_on_ -= on;
        break;
      }
      case Undo::Colour: colour_[u.index] = 0; break;
      case Undo::Mate: mate_[u.index] = u.old; break;
      case Undo::Length: length_[u.index] = u.old; break;
      case Undo::Closed: closed_ = false; break;
      case Undo::Join: {
        const int small = u.index, big = parent_[small];
        size_[big] -= size_[small];
        std::swap(next_cell_[small], next_cell_[big]);
        parent_[small] = small;
        parity_[small] = 0;
        break;
      }
    }
  }
  queue_.clear();
  sweep_ = false;
  if (!probing_) ClearProbes();
}

// Queues the open edges of the cells within two cells of the edge's two
// dots: the probes whose outcome the change is most likely to alter. The
// ring one cell wider than the cells at the dots costs more per node but
// settles so much more that the search visits half as many nodes.
void DepthFirstSearch::QueueProbesNear(int e) {
  int a, b;
  grid_.EdgeDots(e, &a, &b);
  const int w = grid_.width(), h = grid_.height();
  // The cells within reach of either dot form one rectangle; its edges, each
  // once.
  const int top = std::max(0, a / (w + 1) - 2), bottom = std::min(h - 1, b / (w + 1) + 1);
  const int left = std::max(0, a % (w + 1) - 2), right = std::min(w - 1, b % (w + 1) + 1);
  // Twice the distance from the edge's middle, in half cells.
  const int mid_r = a / (w + 1) + b / (w + 1), mid_c = a % (w + 1) + b % (w + 1);
  near_.clear();
  const auto queue = [&](int side, int r2, int c2) {
    if (edge_[side] != kUnknown || probe_queued_[side]) return;
    probe_queued_[side] = 1;
    near_.push_back({std::abs(r2 - mid_r) + std::abs(c2 - mid_c), side});
  };
  for (int r = top; r <= bottom + 1; ++r) {
    for (int c = left; c <= right; ++c) queue(grid_.Horizontal(r, c), 2 * r, 2 * c + 1);
  }
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right + 1; ++c) queue(grid_.Vertical(r, c), 2 * r + 1, 2 * c);
  }
  // The nearest last: the queue is taken from its end.
  std::sort(near_.begin(), near_.end(), std::greater<>());
  for (const auto& [distance, side] : near_) probes_.push_back(side);
}

void DepthFirstSearch::ClearProbes() {
  for (int e : probes_) probe_queued_[e] = 0;
  probes_.clear();
}

bool DepthFirstSearch::DotRule(int v) {
  const int on = dot_on_[v], open = dot_open_[v];
  if (on > 2 || (on == 1 && open == 0)) return false;
  if (open == 0) return true;
  uint8_t state;
  if (on == 2 || (on == 0 && open == 1)) {
    state = kOff;
  } else if (on == 1 && open == 1) {
    state = kOn;
  } else {
    return true;
  }
  int edges[4];
  const int n = grid_.DotEdges(v, edges);
  for (int i = 0; i < n; ++i) {
    if (edge_[edges[i]] == kUnknown && !Assign(edges[i], state)) return false;
  }
  return true;
}

bool DepthFirstSearch::CellRule(int cell) {
  const int clue = board_.clues[cell];
  if (clue == Board::kNoClue) return true;
  const int on = cell_on_[cell], open = cell_open_[cell];
  if (on > clue || on + open < clue) return false;
  if (open == 0) return true;
  uint8_t state;
  if (on == clue) {
    state = kOff;
  } else if (on + open == clue) {
    state = kOn;
  } else {
    return true;
  }
  int edges[4];
  grid_.CellEdges(cell, edges);
  for (int e : edges) {
    if (edge_[e] == kUnknown && !Assign(e, state)) return false;
  }
  return true;
}

// An edge is on exactly where the cells on its two sides differ in colour.
bool DepthFirstSearch::ColourRule(int e) {
  int p, q;
  grid_.EdgeCells(e, &p, &q);
  const uint8_t cp = colour_[p], cq = colour_[q];
  const uint8_t state = edge_[e];
  if (state == kUnknown) {
    if (cp != 0 && cq != 0) return Assign(e, cp == cq ? kOff : kOn);
    return true;
  }
  const auto other = [&](uint8_t c) -> uint8_t {
    return state == kOff ? c : static_cast<uint8_t>(c == kInside ? kOutside : kInside);
  };
  if (cp != 0 && cq != 0) return (cp != cq) == (state == kOn);
  if (cp != 0) return SetColour(q, other(cp));
  if (cq != 0) return SetColour(p, other(cq));
  return true;
}

bool DepthFirstSearch::ColourCell(int cell) {
  return grid_.EverySide(cell, [this](int e) { return ColourRule(e); });
}

int DepthFirstSearch::Root(int cell, int* parity) const {
  int p = 0;
  while (parent_[cell] != cell) {
    p ^= parity_[cell];
    cell = parent_[cell];
  }
  *parity = p;
  return cell;
}

// Joins the classes of the cells beside decided edge e. Every open edge
// between the smaller class and the larger is then decided by their colours.
bool DepthFirstSearch::JoinAcross(int e) {
  int p, q, pp, pq;
  grid_.EdgeCells(e, &p, &q);
  int rp = Root(p, &pp), rq = Root(q, &pq);
  const int differ = edge_[e] == kOn;
  if (rp == rq) return (pp ^ pq) == differ;
  if (size_[rp] > size_[rq]) std::swap(rp, rq);
  trail_.push_back({Undo::Join, rp, 0});
  parent_[rp] = rq;
  parity_[rp] = static_cast<uint8_t>(pp ^ pq ^ differ);
  size_[rq] += size_[rp];
  spent_ += size_[rp];  // the walk over the smaller part's cells below
  joined_.clear();
  const auto look = [&](int side) {
    if (edge_[side] != kUnknown) return true;
    int a, b, pa, pb;
    grid_.EdgeCells(side, &a, &b);
    if (Root(a, &pa) == rq && Root(b, &pb) == rq) {
      joined_.push_back({side, static_cast<uint8_t>(pa != pb ? kOn : kOff)});
    }
    return true;
  };
  int cell = rp;
  do {
    grid_.EverySide(cell, look);
    cell = next_cell_[cell];
  } while (cell != rp);
  std::swap(next_cell_[rp], next_cell_[rq]);
  for (const auto& [side, state] : joined_) {
    if (!Assign(side, state)) return false;
  }
  return true;
}

bool DepthFirstSearch::Propagate() {
  while (true) {
    if (sweep_) {
      sweep_ = false;
      spent_ += grid_.edges();
      for (int e = 0; e < grid_.edges(); ++e) {
        if (edge_[e] == kUnknown && !Assign(e, kOff)) return false;
      }
    }
    if (queue_.empty()) return true;
    const int item = queue_.back();
    queue_.pop_back();
    if (item & 1) {
      if (!ColourCell(item >> 1)) return false;
      continue;
    }
    const int e = item >> 1;
    int a, b, p, q;
    grid_.EdgeDots(e, &a, &b);
    grid_.EdgeCells(e, &p, &q);
    if (!DotRule(a) || !DotRule(b) || !ColourRule(e) || !JoinAcross(e)) return false;
    if (p != grid_.outside() && !CellRule(p)) return false;
    if (q != grid_.outside() && !CellRule(q)) return false;
  }
}

// Every on edge lies on the one loop: the edges that cannot reach an on edge
// through edges that are not off are off.
bool DepthFirstSearch::EdgesConnected(bool* changed) {
  if (total_on_ == 0 || closed_) return true;
  int start = -1;
  for (int v = 0; v < grid_.dots() && start < 0; ++v) {
    if (dot_on_[v] > 0) start = v;
  }
  if (dot_mark_.empty()) dot_mark_.assign(grid_.dots(), 0);
  ++stamp_;
  work_.clear();
  work_.push_back(start);
  dot_mark_[start] = stamp_;
  int reached_on = 0;
  while (!work_.empty()) {
    const int v = work_.back();
    work_.pop_back();
    reached_on += dot_on_[v];
    int edges[4];
    const int n = grid_.DotEdges(v, edges);
    for (int i = 0; i < n; ++i) {
      if (edge_[edges[i]] == kOff) continue;
      int a, b;
      grid_.EdgeDots(edges[i], &a, &b);
      const int next = a == v ? b : a;
      if (dot_mark_[next] != stamp_) {
        dot_mark_[next] = stamp_;
        work_.push_back(next);
      }
    }
  }
  // Each on edge counts at both its dots.
  if (reached_on != 2 * total_on_) return false;
  for (int e = 0; e < grid_.edges(); ++e) {
    if (edge_[e] != kUnknown) continue;
    int a, b;
    grid_.EdgeDots(e, &a, &b);
    if (dot_mark_[a] != stamp_) {
      *changed = true;
      if (!Assign(e, kOff)) return false;
    }
  }
  return true;
}

// The inside is one region and the outside another: the cells of a colour
// are joined through cells that may have it, across edges that are not on.
// A cell that no cell of the colour can reach cannot have it.
bool DepthFirstSearch::RegionConnected(uint8_t colour, bool* changed) {
  int start = -1;
  if (colour == kOutside) {
    start = grid_.outside();
  } else {
    for (int c = 0; c < grid_.cells() && start < 0; ++c) {
      if (colour_[c] == colour) start = c;
    }
    if (start < 0) return true;
  }
  ++stamp_;
  work_.clear();
  work_.push_back(start);
  mark_[start] = stamp_;
  const uint8_t other = colour == kInside ? kOutside : kInside;
  while (!work_.empty()) {
    const int cell = work_.back();
    work_.pop_back();
    const auto visit = [&](int e) {
      if (edge_[e] == kOn) return true;
      int p, q;
      grid_.EdgeCells(e, &p, &q);
      const int next = p == cell ? q : p;
      if (mark_[next] == stamp_ || colour_[next] == other) return true;
      mark_[next] = stamp_;
      work_.push_back(next);
      return true;
    };
    grid_.EverySide(cell, visit);
  }
  for (int c = 0; c < grid_.cells(); ++c) {
    if (mark_[c] == stamp_) continue;
    if (colour_[c] == colour) return false;
    if (colour_[c] == 0) {
      *changed = true;
      if (!SetColour(c, other)) return false;
    }
  }
  return true;
}

bool DepthFirstSearch::Connectivity(bool* changed) {
  return EdgesConnected(changed) && RegionConnected(kInside, changed) &&
         RegionConnected(kOutside, changed);
}

// Tries each queued open edge both ways with the local rules: a way that
// fails leaves the other, and what both ways decide alike is decided.
bool DepthFirstSearch::Probe(bool* changed) {
  while (!probes_.empty()) {
    if (OutOfTime()) {
      ClearProbes();
      return true;
    }
    const int e = probes_.back();
    probes_.pop_back();
    probe_queued_[e] = 0;
    if (edge_[e] != kUnknown) continue;
    const size_t mark = trail_.size();
    probing_ = true;
    ++probe_stamp_;
    bool on_fails = !(Assign(e, kOn) && Propagate());
    const size_t on_decided = trail_.size() - mark;
    if (!on_fails) {
      for (size_t t = mark; t < trail_.size(); ++t) {
        if (trail_[t].kind == Undo::Edge) {
          first_way_[trail_[t].index] = probe_stamp_ * 4 + edge_[trail_[t].index];
        }
      }
    }
    UndoTo(mark);
    bool off_fails = false;
    agreed_.clear();
    if (!on_fails) {
      off_fails = !(Assign(e, kOff) && Propagate());
      if (!off_fails) {
        for (size_t t = mark; t < trail_.size(); ++t) {
          const int f = trail_[t].index;
          if (trail_[t].kind == Undo::Edge && f != e && first_way_[f] == probe_stamp_ * 4 + edge_[f]) {
            agreed_.push_back(f);
            agreed_.push_back(edge_[f]);
          }
        }
      }
      weight_[e] = static_cast<int>(std::min(on_decided, trail_.size() - mark));
      UndoTo(mark);
    }
    probing_ = false;
    if (on_fails || off_fails) {
      *changed = true;
      if (!Assign(e, on_fails ? kOff : kOn) || !Propagate()) return false;
      continue;
    }
    if (agreed_.empty()) continue;
    *changed = true;
    for (size_t k = 0; k < agreed_.size(); k += 2) {
      if (!Assign(agreed_[k], static_cast<uint8_t>(agreed_[k + 1]))) return false;
    }
    if (!Propagate()) return false;
  }
  return true;
}

// The next edge to try: the one whose latest probe decided most both ways,
// so that each branch settles much of the board; along paths, one at a
// path's open end first, so that the loop grows from its pieces.
int DepthFirstSearch::ChooseEdge() const {
  int best = -1;
  long long best_score = -1;
  for (int e = 0; e < grid_.edges(); ++e) {
    if (edge_[e] != kUnknown) continue;
    long long score = weight_[e];
    if (choice_ == Choice::AlongPaths) {
      int a, b;
      grid_.EdgeDots(e, &a, &b);
      if (dot_on_[a] == 1 || dot_on_[b] == 1) score += 1LL << 40;
    }
    if (score > best_score) {
      best = e;
      best_score = score;
    }
  }
  return best;
}

bool DepthFirstSearch::OutOfTime() {
  if (!expired_ && (++clock_ticks_ & 63) == 1) {
    expired_ = std::chrono::steady_clock::now() >= deadline_;
  }
  return expired_;
}

void DepthFirstSearch::Start() {
  verdict_.outcome = Verdict::Outcome::None;
  if (grid_.cells() == 0) {
    done_ = true;
    return;
  }
  // Start from every clue and the outside colour.
  for (int c = 0; c < grid_.cells(); ++c) queue_.push_back(2 * c + 1);
  queue_.push_back(2 * grid_.outside() + 1);
  for (int c = 0; c < grid_.cells() && ok_; ++c) ok_ = CellRule(c);
  for (int e = 0; e < grid_.edges(); ++e) {
    probe_queued_[e] = 1;
    probes_.push_back(e);
  }
}

bool DepthFirstSearch::Advance(long long effort, long long work_limit) {
  const long long stop = effort_ + effort;
  while (!done_ && effort_ < stop && spent_ < work_limit) {
    ++nodes_;
    if (OutOfTime()) {
      verdict_.outcome = Verdict::Outcome::Undetermined;
      done_ = true;
      break;
    }
    // The local rules and the probes first, the rules over the whole board
    // once they settle: each costs a pass over the board, and the probes
    // leave them less to do.
    bool changed = true;
    while (ok_ && changed) {
      changed = false;
      ok_ = Propagate() && Probe(&changed);
      if (ok_ && !changed) {
        ok_ = Connectivity(&changed);
        spent_ += grid_.edges() + 2LL * grid_.cells();
      }
    }
    if (ok_) {
      const int e = ChooseEdge();
      spent_ += grid_.edges();
      if (e >= 0) {
        const uint8_t way = known_ == nullptr || (*known_)[e] ? kOn : kOff;
        frames_.push_back({trail_.size(), e, way, false});
        ok_ = Assign(e, way);
        continue;
      }
      if (closed_ && Found()) break;
    }
    // Back to the latest choice with a way left untried.
    while (!frames_.empty() && frames_.back().second) {
      UndoTo(frames_.back().trail_mark);
      frames_.pop_back();
    }
    if (frames_.empty()) {
      verdict_.outcome = found_ == 1 ? Verdict::Outcome::Unique : Verdict::Outcome::None;
      done_ = true;
      break;
    }
    UndoTo(frames_.back().trail_mark);
    frames_.back().second = true;
    ok_ = Assign(frames_.back().edge, frames_.back().first_way == kOn ? kOff : kOn);
  }
  return done_;
}

// Keeps the loop the search stands on; returns whether it is the second.
bool DepthFirstSearch::Found() {
  std::vector<bool> loop(edge_.size());
  for (size_t i = 0; i < edge_.size(); ++i) loop[i] = edge_[i] == kOn;
  ++found_;
  if (!AddLoopFound(board_, std::move(loop), &verdict_)) return false;
  done_ = true;
  return true;
}

Verdict DepthFirstSearch::Result(long long other_nodes) {
  Verdict verdict = std::move(verdict_);
  if (verdict.outcome != Verdict::Outcome::Several) verdict.other.clear();
  if (verdict.outcome != Verdict::Outcome::Unique && verdict.outcome != Verdict::Outcome::Several) {
    verdict.solution.clear();
  }
  verdict.nodes = nodes_ + other_nodes;
  verdict.work = spent_;
  return verdict;
}

}  // namespace quarnel
