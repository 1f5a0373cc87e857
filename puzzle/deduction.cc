#include "puzzle/deduction.h"

#include <algorithm>
#include <array>
#include <utility>

#include "puzzle/grid.h"

namespace quarnel {
namespace {

// Four edges around a cell or a dot.
using Sides = std::array<int, 4>;

constexpr signed char kUnknown = -1;
constexpr int kNone = -1;
// The most sides one trial may set before it counts as giving nothing.
constexpr int kTrialSides = 1 << 30;

// Thrown nowhere: a contradiction is a flag that every step checks.
class Deducer {
 public:
  Deducer(const Board& board, long long max_work, int max_level)
      : board_(board), grid_(board), max_work_(max_work), max_level_(max_level) {
    cells_ = grid_.cells();
    dots_ = grid_.dots();
    edges_count_ = grid_.edges();
    edges_.assign(edges_count_, kUnknown);
    unknown_ = edges_count_;
    for (int cell = 0; cell < cells_; ++cell) {
      if (board.clues[cell] > 0) ++unmet_;
    }
    end_.assign(dots_, kNone);
    length_.assign(dots_, 0);
  }

  Deduction Run() {
    Deduction result;
    if (cells_ == 0) {
      result.outcome = Deduction::Outcome::Contradiction;
      return result;
    }
    for (int cell = 0; cell < cells_; ++cell) queue_.push_back(cell);
    for (int dot = 0; dot < dots_; ++dot) queue_.push_back(cells_ + dot);
    if (max_level_ >= 1) Propagate();
    while (!contradiction_ && unknown_ > 0 && work_ <= max_work_ && max_level_ >= 1) {
      if ((max_level_ >= 2 && Level2()) || (max_level_ >= 3 && Level3()) ||
          (max_level_ >= 4 && Level4())) {
        continue;
      }
      break;
    }
    // Every side fixed without contradiction is one loop: the dots all hold
    // no line or two, the clues are met, and the first loop closed was the
    // whole of it.
    if (!contradiction_ && unknown_ == 0 && on_count_ == 0) contradiction_ = true;
    result.outcome = contradiction_    ? Deduction::Outcome::Contradiction
                     : unknown_ == 0   ? Deduction::Outcome::Solved
                     : work_ > max_work_ ? Deduction::Outcome::OverBudget
                                       : Deduction::Outcome::Stuck;
    result.edges = std::move(edges_);
    result.uses = uses_;
    result.work = work_;
    return result;
  }

 private:
  int Dot(int r, int c) const { return r * (board_.width + 1) + c; }
  int Cell(int r, int c) const { return r * board_.width + c; }
  int ClueOf(int cell) const { return board_.clues[cell]; }
  signed char At(int e) const { return e == kNone ? 0 : edges_[e]; }

  // Sides of `cell` (or of a dot's edges, absent ones off) that are on,
  // off and open.
  struct Counts { int on = 0, off = 0, open = 0; };
  Counts Count(const Sides& e) const {
    Counts n;
    for (int i = 0; i < 4; ++i) {
      signed char v = At(e[i]);
      (v == 1 ? n.on : v == 0 ? n.off : n.open)++;
    }
    return n;
  }
  // A cell's sides clockwise from the top: top, right, bottom, left.
  Sides CellEdges(int cell) const {
    int g[4];  // the grid's order: top, bottom, left, right
    grid_.CellEdges(cell, g);
    return {g[0], g[3], g[1], g[2]};
  }
  // A dot's edges clockwise from the top: up, right, down, left; kNone
  // past the frame.
  Sides DotEdges(int dot) const {
    const int w = grid_.width(), r = dot / (w + 1), c = dot % (w + 1);
    return {r > 0 ? grid_.Vertical(r - 1, c) : kNone, c < w ? grid_.Horizontal(r, c) : kNone,
            r < grid_.height() ? grid_.Vertical(r, c) : kNone, c > 0 ? grid_.Horizontal(r, c - 1) : kNone};
  }
  // The two dots of edge e (i 0, 1): left before right, top before bottom.
  int EdgeDot(int e, int i) const {
    int a, b;
    grid_.EdgeDots(e, &a, &b);
    return i == 0 ? a : b;
  }
  // The cell on side i of edge e (above or left first), kNone past the frame.
  int EdgeCell(int e, int i) const {
    const int cell = Side(e, i);
    return cell == grid_.outside() ? kNone : cell;
  }
  int Degree(int dot) const { return Count(DotEdges(dot)).on; }

  // Fixes side `e` as `value`, by `technique`; a side fixed the other way
  // is a contradiction. Lines joined keep the far ends of each path, so a
  // side that closes a loop is known at once: that loop must be the whole
  // solution.
  void Set(int e, signed char value, Technique technique) {
    if (contradiction_) return;
    if (edges_[e] != kUnknown) {
      if (edges_[e] != value) contradiction_ = true;
      return;
    }
    ++work_;
    if (in_trial_) {
      ++trial_sides_;
    } else {
      ++uses_[static_cast<size_t>(technique)];
    }
    Change change{e};
    if (value == 1) {
      const int u = EdgeDot(e, 0), v = EdgeDot(e, 1);
      const int a = Degree(u) == 1 ? end_[u] : u;
      const int b = Degree(v) == 1 ? end_[v] : v;
      change.a = a;
      change.b = b;
      change.end_a = end_[a];
      change.end_b = end_[b];
      change.length_a = length_[a];
      change.length_b = length_[b];
      edges_[e] = 1;
      ++on_count_;
      for (int i = 0; i < 2; ++i) {
        int cell = EdgeCell(e, i);
        if (cell != kNone && ClueOf(cell) > 0 && Count(CellEdges(cell)).on == ClueOf(cell)) --unmet_;
      }
      if (a == v) {
        // The loop closes: it must hold every line and meet every clue.
        if (length_[u] + 1 != on_count_ || unmet_ != 0) contradiction_ = true;
        closed_ = true;
      } else {
        end_[a] = b;
        end_[b] = a;
        length_[a] = length_[b] = change.length_a + change.length_b + 1;
      }
    } else {
      edges_[e] = 0;
    }
    --unknown_;
    trail_.push_back(change);
    for (int i = 0; i < 2; ++i) {
      if (EdgeCell(e, i) != kNone) queue_.push_back(EdgeCell(e, i));
      queue_.push_back(cells_ + EdgeDot(e, i));
    }
  }

  // Takes back the sides set after the trail held `size` of them.
  void Undo(size_t size) {
    while (trail_.size() > size) {
      const Change c = trail_.back();
      trail_.pop_back();
      if (edges_[c.edge] == 1) {
        for (int i = 0; i < 2; ++i) {
          int cell = EdgeCell(c.edge, i);
          if (cell != kNone && ClueOf(cell) > 0 && Count(CellEdges(cell)).on == ClueOf(cell)) ++unmet_;
        }
        --on_count_;
        closed_ = swept_ = false;
        if (c.a != kNone) {
          end_[c.a] = c.end_a;
          end_[c.b] = c.end_b;
          length_[c.a] = c.length_a;
          length_[c.b] = c.length_b;
        }
      }
      edges_[c.edge] = kUnknown;
      ++unknown_;
    }
  }

  // The ★1 rules on every cell and dot whose sides changed, until nothing
  // more follows.
  void Propagate() {
    while (!queue_.empty() && !contradiction_) {
      if (in_trial_ && trial_sides_ > kTrialSides) break;
      const int item = queue_.back();
      queue_.pop_back();
      ++work_;
      if (closed_ && !swept_) {
        swept_ = true;
        for (int e = 0; e < edges_count_; ++e) {
          if (edges_[e] == kUnknown) Set(e, 0, Technique::LoopComplete);
        }
      }
      if (item < cells_) {
        const int clue = ClueOf(item);
        if (clue < 0) continue;
        const Sides e = CellEdges(item);
        const Counts n = Count(e);
        if (n.on > clue || n.on + n.open < clue) {
          contradiction_ = true;
        } else if (n.open > 0 && (n.on == clue || n.on + n.open == clue)) {
          const signed char value = n.on == clue ? 0 : 1;
          for (int i = 0; i < 4; ++i) {
            if (edges_[e[i]] == kUnknown) Set(e[i], value, Technique::ClueCount);
          }
        }
      } else {
        const Sides e = DotEdges(item - cells_);
        const Counts n = Count(e);
        signed char value = kUnknown;
        if (n.on > 2 || (n.on == 1 && n.open == 0)) {
          contradiction_ = true;
        } else if (n.open > 0 && n.on == 2) {
          value = 0;
        } else if (n.open == 1) {
          value = n.on == 1 ? 1 : 0;
        }
        if (value == kUnknown) continue;
        for (int i = 0; i < 4; ++i) {
          if (At(e[i]) == kUnknown) Set(e[i], value, Technique::DotRule);
        }
      }
    }
    queue_.clear();
  }

  bool Progress(long long before) {
    Propagate();
    return contradiction_ || Fixed() != before;
  }
  long long Fixed() const { return edges_count_ - unknown_; }

  // ★2: corners, pairs of 3s, and small loops.
  bool Level2() {
    const long long before = Fixed();
    const int w = board_.width, h = board_.height;
    for (int r = 0; r < h; ++r) {
      for (int c = 0; c < w; ++c) {
        ++work_;
        const int cell = Cell(r, c);
        const int clue = ClueOf(cell);
        if (clue == 1 || clue == 3) CornerClue(r, c, clue);
        if (clue != 3) continue;
        const Sides e = CellEdges(cell);
        // Side by side: both far sides. (The side between them is on too
        // unless the loop is just the two cells' rim, which ★1 then finds.)
        if (c + 1 < w && board_.Clue(r, c + 1) == 3) {
          for (int side : {e[3], CellEdges(cell + 1)[1]}) Set(side, 1, Technique::ThreePair);
        }
        if (r + 1 < h && board_.Clue(r + 1, c) == 3) {
          for (int side : {e[0], CellEdges(cell + w)[2]}) Set(side, 1, Technique::ThreePair);
        }
        // Corner to corner: the two sides at each far corner.
        if (r + 1 < h && c + 1 < w && board_.Clue(r + 1, c + 1) == 3) {
          const Sides f = CellEdges(cell + w + 1);
          for (int side : {e[0], e[3], f[1], f[2]}) Set(side, 1, Technique::ThreePair);
        }
        if (r + 1 < h && c > 0 && board_.Clue(r + 1, c - 1) == 3) {
          const Sides f = CellEdges(cell + w - 1);
          for (int side : {e[0], e[1], f[2], f[3]}) Set(side, 1, Technique::ThreePair);
        }
      }
    }
    for (int e = 0; e < edges_count_ && !contradiction_; ++e) {
      ++work_;
      if (edges_[e] != kUnknown) continue;
      const int u = EdgeDot(e, 0), v = EdgeDot(e, 1);
      if (Degree(u) != 1 || end_[u] != v) continue;
      // Closing it makes a loop of length_ + 1 sides; it is the solution
      // only if it holds every line and meets every clue.
      bool meets = length_[u] + 1 == on_count_ + 1;
      int newly_met = 0;
      for (int i = 0; i < 2; ++i) {
        int cell = EdgeCell(e, i);
        if (cell != kNone && ClueOf(cell) > 0 && Count(CellEdges(cell)).on + 1 == ClueOf(cell)) ++newly_met;
      }
      meets = meets && unmet_ == newly_met;
      if (!meets) Set(e, 0, Technique::NoSmallLoop);
    }
    return Progress(before);
  }

  // A 1 or 3 at cell (r, c) and each of its corners: the two sides there
  // that are not the cell's ("outer", absent at the frame: off).
  void CornerClue(int r, int c, int clue) {
    const Sides e = CellEdges(Cell(r, c));
    // Corners in order top-left, top-right, bottom-right, bottom-left: the
    // cell's two sides there, its two far sides, and the dot.
    static constexpr int kNear[4][2] = {{0, 3}, {0, 1}, {2, 1}, {2, 3}};
    static constexpr int kFar[4][2] = {{2, 1}, {2, 3}, {0, 3}, {0, 1}};
    const int corner_dots[4] = {Dot(r, c), Dot(r, c + 1), Dot(r + 1, c + 1), Dot(r + 1, c)};
    for (int k = 0; k < 4; ++k) {
      const Sides d = DotEdges(corner_dots[k]);
      int outer_on = 0, outer_off = 0;
      for (int i = 0; i < 4; ++i) {
        if (d[i] == e[kNear[k][0]] || d[i] == e[kNear[k][1]]) continue;
        signed char v = At(d[i]);
        if (v == 1) ++outer_on;
        if (v == 0) ++outer_off;
      }
      if (outer_off == 2) {
        // The line cannot turn out here: a 3 turns round the corner, a 1
        // cannot use both sides.
        for (int i : kNear[k]) Set(e[i], clue == 3 ? 1 : 0, Technique::CornerClue);
      } else if (outer_on == 1 && outer_off == 1) {
        // A line comes into the corner and goes on along one near side.
        for (int i : kFar[k]) Set(e[i], clue == 3 ? 1 : 0, Technique::CornerClue);
      }
    }
  }

  // ★3: cells coloured inside or outside, as classes of cells known to be
  // alike or opposite (the frame's outside is one more member).
  int Find(int x, int* parity) {
    int root = x, p = 0;
    while (parent_[root] != root) {
      p ^= parity_[root];
      root = parent_[root];
    }
    // Every cell on the way now points at the root, with its own parity.
    for (int cell = x, q = p; parent_[cell] != root && cell != root;) {
      const int next = parent_[cell];
      const int next_q = q ^ parity_[cell];
      parent_[cell] = root;
      parity_[cell] = q;
      cell = next;
      q = next_q;
    }
    *parity = p;
    return root;
  }
  // Records that x and y differ (`differ`) or are alike; false if that is
  // already known, a contradiction if the opposite is.
  bool Join(int x, int y, int differ) {
    int px, py;
    const int rx = Find(x, &px), ry = Find(y, &py);
    ++work_;
    if (rx == ry) {
      if ((px ^ py) != differ) contradiction_ = true;
      return false;
    }
    // Union by size and paths cut short: each Find is cheap.
    if (size_[rx] < size_[ry]) {
      parent_[rx] = ry;
      parity_[rx] = px ^ py ^ differ;
      size_[ry] += size_[rx];
    } else {
      parent_[ry] = rx;
      parity_[ry] = px ^ py ^ differ;
      size_[rx] += size_[ry];
    }
    return true;
  }
  int Side(int e, int i) const {
    int p, q;
    grid_.EdgeCells(e, &p, &q);
    return i == 0 ? p : q;
  }

  bool Level3() {
    const long long before = Fixed();
    // The classes only grow (trials never come here), so each side fixed
    // since the last time joins its two cells once.
    if (parent_.empty()) {
      parent_.resize(cells_ + 1);
      parity_.assign(cells_ + 1, 0);
      size_.assign(cells_ + 1, 1);
      for (int x = 0; x <= cells_; ++x) parent_[x] = x;
    }
    for (; coloured_ < trail_.size(); ++coloured_) {
      const int e = trail_[coloured_].edge;
      Join(Side(e, 0), Side(e, 1), edges_[e]);
    }
    bool joined = true;
    while (joined && Fixed() == before && !contradiction_ && work_ <= max_work_) {
      joined = false;
      for (int cell = 0; cell < cells_ && !contradiction_; ++cell) {
        const int clue = ClueOf(cell);
        if (clue < 1) continue;
        joined = ClueColours(cell, clue) || joined;
      }
      for (int e = 0; e < edges_count_ && !contradiction_; ++e) {
        ++work_;
        if (edges_[e] != kUnknown) continue;
        int p0, p1;
        if (Find(Side(e, 0), &p0) == Find(Side(e, 1), &p1)) Set(e, static_cast<signed char>(p0 ^ p1), Technique::Colouring);
      }
    }
    return Progress(before);
  }

  // A clue's open sides, through the colours of the neighbours beyond them:
  // two neighbours alike are both on or both off; two opposite, one on.
  bool ClueColours(int cell, int clue) {
    const Sides e = CellEdges(cell);
    int neighbour[4], root[4], parity[4];
    for (int i = 0; i < 4; ++i) {
      neighbour[i] = Side(e[i], 0) == cell ? Side(e[i], 1) : Side(e[i], 0);
      root[i] = Find(neighbour[i], &parity[i]);
    }
    bool joined = false;
    for (int i = 0; i < 4; ++i) {
      for (int j = i + 1; j < 4; ++j) {
        // Known sides too: what they gave may have been a relation, not a
        // side, and the relations are found again from the sides each time.
        if (root[i] != root[j]) continue;
        int others[2], n = 0;
        for (int k = 0; k < 4; ++k) {
          if (k != i && k != j) others[n++] = k;
        }
        const bool alike = parity[i] == parity[j];
        if (clue == 2) {
          // Alike: the other two are both opposite them. Opposite: one of
          // the other two is on, so those two are opposite each other.
          if (alike) {
            joined = Join(neighbour[others[0]], neighbour[i], 1) || joined;
            joined = Join(neighbour[others[1]], neighbour[i], 1) || joined;
          } else {
            joined = Join(neighbour[others[0]], neighbour[others[1]], 1) || joined;
          }
        } else if (alike) {
          // A 3 has at most one side off, a 1 at most one on.
          Set(e[i], clue == 3 ? 1 : 0, Technique::Colouring);
          Set(e[j], clue == 3 ? 1 : 0, Technique::Colouring);
        } else {
          // One of the two is on: a 1's others are off, a 3's on.
          for (int k : others) Set(e[k], clue == 3 ? 1 : 0, Technique::Colouring);
        }
      }
    }
    return joined;
  }

  // ★4: each open side, from where the last trial left off, assumed on and
  // then off; one way that contradicts within kTrialSides sides fixes it
  // the other way.
  bool Level4() {
    for (int step = 0; step < edges_count_ && work_ <= max_work_; ++step) {
      const int e = (trial_cursor_ + step) % edges_count_;
      if (edges_[e] != kUnknown) continue;
      for (signed char value : {1, 0}) {
        const size_t mark = trail_.size();
        in_trial_ = true;
        trial_sides_ = 0;
        Set(e, value, Technique::Trial);
        Propagate();
        const bool failed = contradiction_;
        contradiction_ = false;
        Undo(mark);
        in_trial_ = false;
        if (failed) {
          trial_cursor_ = e;
          Set(e, static_cast<signed char>(1 - value), Technique::Trial);
          Propagate();
          return true;
        }
      }
    }
    return false;
  }

  struct Change {
    int edge;
    int a = kNone, b = kNone, end_a = kNone, end_b = kNone, length_a = 0, length_b = 0;
  };

  const Board& board_;
  const Grid grid_;
  long long max_work_;
  int max_level_;
  int cells_ = 0, dots_ = 0, edges_count_ = 0;
  std::vector<signed char> edges_;
  long long unknown_ = 0;
  int on_count_ = 0;
  int unmet_ = 0;   // clues with fewer sides on than they say
  bool closed_ = false;  // a loop closed (then the rest was swept off, once)
  bool swept_ = false;
  std::vector<int> end_, length_;  // per dot with one line: its path's far end and length
  std::vector<int> queue_;         // cells, then dots (cells_ + dot)
  std::vector<Change> trail_;
  bool contradiction_ = false;
  bool in_trial_ = false;
  int trial_sides_ = 0;
  int trial_cursor_ = 0;
  std::vector<int> parent_, parity_, size_;
  size_t coloured_ = 0;  // the sides of the trail joined into the classes
  std::array<long long, kTechniqueCount> uses_{};
  long long work_ = 0;
};

}  // namespace

int LevelOf(Technique technique) {
  switch (technique) {
    case Technique::ClueCount:
    case Technique::DotRule:
    case Technique::LoopComplete: return 1;
    case Technique::CornerClue:
    case Technique::ThreePair:
    case Technique::NoSmallLoop: return 2;
    case Technique::Colouring: return 3;
    case Technique::Trial: return 4;
  }
  return 5;
}

std::u16string_view TechniqueName(Technique technique) {
  switch (technique) {
    case Technique::ClueCount: return u"数字の辺の数";
    case Technique::DotRule: return u"点の線の数";
    case Technique::LoopComplete: return u"輪の完成";
    case Technique::CornerClue: return u"角の 1 と 3";
    case Technique::ThreePair: return u"並んだ 3";
    case Technique::NoSmallLoop: return u"小さな輪の禁止";
    case Technique::Colouring: return u"内と外の塗り分け";
    case Technique::Trial: return u"短い仮定";
  }
  return {};
}

long long DefaultWorkBound(const Board& board) {
  return std::min(kWorkPerEdge * board.EdgeCount(), kMaxWork);
}

Deduction Deduce(const Board& board, long long max_work, int max_level) {
  return Deducer(board, max_work < 0 ? DefaultWorkBound(board) : max_work, max_level).Run();
}

Rating RatingOf(const Deduction& deduction) {
  switch (deduction.outcome) {
    case Deduction::Outcome::Contradiction: return {};
    case Deduction::Outcome::Stuck:
    case Deduction::Outcome::OverBudget: return {5, 0};
    case Deduction::Outcome::Solved: break;
  }
  Rating rating{1, 0};
  for (size_t t = 0; t < kTechniqueCount; ++t) {
    const int level = LevelOf(static_cast<Technique>(t));
    if (deduction.uses[t] == 0 || level < rating.level) continue;
    if (level > rating.level) rating = {level, 0};
    rating.count += deduction.uses[t];
  }
  return rating;
}

}  // namespace quarnel
