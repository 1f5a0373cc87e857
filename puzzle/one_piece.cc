#include "puzzle/one_piece.h"

#include <cstdlib>

#include "puzzle/grid.h"
#include "puzzle/stamps.h"

namespace quarnel {
namespace {

// The most walled cells followed round one taken cell before the answer
// is left to a look at the whole board.
constexpr size_t kMostFollowed = 256;

}  // namespace

OnePieceWatch::OnePieceWatch(int width, int height)
    : width_(width),
      height_(height),
      pending_(static_cast<size_t>(width) * static_cast<size_t>(height), 0),
      visit_(pending_.size(), 0),
      owner_(pending_.size(), 0) {}

bool OnePieceWatch::Stays(const int8_t* colour, int8_t wall, const std::vector<int>& taken) {
  const bool inside = wall == 0;
  // Each cell taken counts as open until its own turn, so that each step
  // takes one cell away from a side that was one piece.
  NextStamp(&pending_now_, &pending_);
  for (const int cell : taken) pending_[static_cast<size_t>(cell)] = pending_now_;
  for (const int cell : taken) {
    pending_[static_cast<size_t>(cell)] = 0;
    const int row = cell / width_, column = cell % width_;
    // Per place round the cell: 0 walled, 1 open, 2 the frame (open for
    // the outside's side, all of it one piece; walled for the inside's).
    int kind[8];
    for (int k = 0; k < 8; ++k) {
      const int r = row + kCellsRound[k][0], c = column + kCellsRound[k][1];
      if (r < 0 || c < 0 || r >= height_ || c >= width_) {
        kind[k] = inside ? 0 : 2;
      } else {
        const size_t n = static_cast<size_t>(r) * static_cast<size_t>(width_) + static_cast<size_t>(c);
        kind[k] = colour[n] != wall || pending_[n] == pending_now_ ? 1 : 0;
      }
    }
    // The open places round the ring fall into arcs; the cells beside the
    // one taken away stay joined when they all lie in one arc, the arcs
    // that touch the frame counting as one (numbered 0).
    int start = 0;
    while (start < 8 && kind[start] != 0) ++start;
    if (start == 8) continue;  // open all round
    int next_arc = 1, arc = -1, beside_arc = -1;
    bool joined = true;
    for (int step = 1; step <= 8 && joined; ++step) {
      const int k = (start + step) % 8;
      if (kind[k] == 0) continue;
      if (kind[(k + 7) % 8] == 0) {
        bool frame = false;
        for (int j = k; kind[j] != 0; j = (j + 1) % 8) frame = frame || kind[j] == 2;
        arc = frame ? 0 : next_arc++;
      }
      if (k % 2 == 0) {
        if (beside_arc < 0) {
          beside_arc = arc;
        } else if (beside_arc != arc) {
          joined = false;
        }
      }
    }
    if (!joined && !WallsApart(cell, kind, colour, wall)) return false;
  }
  return true;
}

// Where the open cells round a cell fall into arcs, the walled arcs
// between them are parts of pieces of the wall (joined corner to corner as
// well as side to side, and through the frame for the inside's side). The
// open cells are cut apart only when one such piece runs from one arc
// round to another: a piece that ends without meeting another arc, or the
// frame, is one the open cells can go round.
bool OnePieceWatch::WallsApart(int cell, const int* kind, const int8_t* colour, int8_t wall) {
  const bool inside = wall == 0;
  const int row = cell / width_, column = cell % width_;
  // The walled arcs round the cell, and the arc of each place (-1: open);
  // for the inside's side, an arc with a place off the board touches the
  // frame.
  int arc_of[8], arcs = 0;
  bool framed[4] = {false, false, false, false};
  int start = 0;
  while (kind[start] == 0) ++start;  // there are open places: the arcs cut them
  for (int step = 1; step <= 8; ++step) {
    const int k = (start + step) % 8;
    arc_of[k] = -1;
    if (kind[k] != 0) continue;
    if (kind[(k + 7) % 8] != 0) ++arcs;
    arc_of[k] = arcs - 1;
    const int r = row + kCellsRound[k][0], c = column + kCellsRound[k][1];
    if (r < 0 || c < 0 || r >= height_ || c >= width_) framed[arcs - 1] = true;
  }
  auto index = [&](int r, int c) {
    return static_cast<size_t>(r) * static_cast<size_t>(width_) + static_cast<size_t>(c);
  };
  // Walled: of the wall's colour and taken away already (not one still to
  // come), and not the cell taken away now.
  auto walled = [&](size_t n) {
    return static_cast<int>(n) != cell && colour[n] == wall && pending_[n] != pending_now_;
  };
  // The arcs' pieces are followed side by side, a cell of each in turn, so
  // that a small piece is done with before a large one has cost much. An
  // arc whose piece ends without meeting another's is settled: the open
  // cells go round it. They stay joined once at most one arc is left
  // unsettled; they may be cut once two pieces meet, or two arcs reach the
  // frame or grow too large to follow.
  NextStamp(&visit_now_, &visit_);
  // Per arc, its queue in work_: cells [head, tail) still to follow, at
  // most kMostFollowed from base.
  size_t base[4], head[4], tail[4];
  bool live[4];
  int alive = 0, unsettled = 0;
  work_.resize(static_cast<size_t>(arcs) * (kMostFollowed + 8));
  for (int a = 0; a < arcs; ++a) {
    base[a] = head[a] = tail[a] = static_cast<size_t>(a) * (kMostFollowed + 8);
    live[a] = !framed[a];
    ++(live[a] ? alive : unsettled);
    for (int k = 0; k < 8; ++k) {
      const int r = row + kCellsRound[k][0], c = column + kCellsRound[k][1];
      if (arc_of[k] != a || r < 0 || c < 0 || r >= height_ || c >= width_) continue;
      const size_t n = index(r, c);
      visit_[n] = visit_now_;
      owner_[n] = static_cast<int8_t>(a);
      if (live[a]) work_[tail[a]++] = static_cast<int>(n);
    }
  }
  if (unsettled > 1) return false;
  while (alive + unsettled > 1) {
    for (int a = 0; a < arcs; ++a) {
      if (!live[a]) continue;
      if (head[a] == tail[a]) {  // the piece ends here
        live[a] = false;
        --alive;
        continue;
      }
      const int at = work_[head[a]++], r0 = at / width_, c0 = at % width_;
      bool unsettles = false;
      for (int k = 0; k < 8; ++k) {
        const int r = r0 + kCellsRound[k][0], c = c0 + kCellsRound[k][1];
        if (r < 0 || c < 0 || r >= height_ || c >= width_) {
          unsettles = unsettles || inside;  // the frame, walled for the inside's side
          continue;
        }
        const size_t n = index(r, c);
        if (!walled(n)) continue;
        if (visit_[n] == visit_now_) {
          if (owner_[n] != a) return false;  // two pieces meet
          continue;
        }
        if (tail[a] - base[a] >= kMostFollowed) {
          unsettles = true;
          continue;
        }
        visit_[n] = visit_now_;
        owner_[n] = static_cast<int8_t>(a);
        work_[tail[a]++] = static_cast<int>(n);
      }
      if (unsettles) {
        live[a] = false;
        --alive;
        if (++unsettled > 1) return false;
      }
    }
  }
  return true;
}

bool IsOnePiece(int width, int height, const int8_t* colour, int8_t wall) {
  const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> seen(cells, 0);
  std::vector<int> queue;
  int pieces = 0;
  for (size_t s = 0; s < cells; ++s) {
    if (seen[s] || colour[s] == wall) continue;
    ++pieces;
    bool grounded = false;
    seen[s] = 1;
    queue.assign(1, static_cast<int>(s));
    for (size_t i = 0; i < queue.size(); ++i) {
      const int row = queue[i] / width, column = queue[i] % width;
      for (int k = 0; k < 8; k += 2) {
        const int r = row + kCellsRound[k][0], c = column + kCellsRound[k][1];
        if (r < 0 || c < 0 || r >= height || c >= width) {
          grounded = true;
          continue;
        }
        const size_t n = static_cast<size_t>(r) * static_cast<size_t>(width) + static_cast<size_t>(c);
        if (!seen[n] && colour[n] != wall) {
          seen[n] = 1;
          queue.push_back(static_cast<int>(n));
        }
      }
    }
    if (wall == 1 && !grounded) return false;
  }
  return wall == 1 || pieces <= 1;
}

}  // namespace quarnel
