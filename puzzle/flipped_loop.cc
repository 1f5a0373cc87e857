#include "puzzle/flipped_loop.h"

#include <cstdint>

#include "puzzle/grid.h"

namespace quarnel {
namespace {

// The most turned loops checked whole: each check passes over the board.
constexpr int kMostChecks = 4;

}  // namespace

bool FindFlippedLoop(const Board& board, const std::vector<bool>& loop, Verdict* verdict) {
  const long long pass = static_cast<long long>(board.width) * board.height;
  verdict->work += 2 * pass;  // the check of the loop, and the look for a cell
  if (!IsSolution(board, loop)) return false;
  const int width = board.width, height = board.height;
  // A cell is inside when an odd number of the loop's vertical edges lie to
  // its left; beyond the frame is outside.
  std::vector<uint8_t> inside(board.clues.size());
  for (int r = 0; r < height; ++r) {
    bool in = false;
    for (int c = 0; c < width; ++c) {
      in ^= loop[board.VerticalEdge(r, c)];
      inside[static_cast<size_t>(r) * width + c] = in;
    }
  }
  const auto on_board = [&](int r, int c) { return r >= 0 && c >= 0 && r < height && c < width; };
  const auto colour = [&](int r, int c) {
    return on_board(r, c) && inside[static_cast<size_t>(r) * width + c];
  };
  const auto clue_free = [&](int r, int c) {
    return !on_board(r, c) || board.Clue(r, c) == Board::kNoClue;
  };
  int checks = 0;
  for (int r = 0; r < height && checks < kMostChecks; ++r) {
    for (int c = 0; c < width && checks < kMostChecks; ++c) {
      if (!clue_free(r, c) || !clue_free(r - 1, c) || !clue_free(r + 1, c) ||
          !clue_free(r, c - 1) || !clue_free(r, c + 1)) {
        continue;
      }
      const bool old = colour(r, c);
      bool ring[8];
      for (int i = 0; i < 8; ++i) ring[i] = colour(r + kCellsRound[i][0], c + kCellsRound[i][1]);
      // A side neighbour of each colour: the cell joins the one piece and
      // the other keeps a cell next to where it was.
      bool joins = false, kept = false;
      for (int i = 0; i < 8; i += 2) {
        joins |= ring[i] != old;
        kept |= ring[i] == old;
      }
      // The old colour's cells round it in one run, so that they stay one
      // piece without it (cells beyond the frame lie in one run too).
      int runs = 0;
      for (int i = 0; i < 8; ++i) runs += ring[i] == old && ring[(i + 7) % 8] != old;
      if (!joins || !kept || runs != 1) continue;
      // No dot round it with four lines: no 2 × 2 block on the board
      // coloured like a chessboard once the cell is turned (the cell and
      // its diagonal neighbour of the new colour, the two between of the
      // old).
      bool chessboard = false;
      for (int i = 0; i < 8; i += 2) {
        const int a = i, b = (i + 1) % 8, d = (i + 2) % 8;
        if (!on_board(r + kCellsRound[b][0], c + kCellsRound[b][1])) continue;
        chessboard |= ring[a] == old && ring[d] == old && ring[b] != old;
      }
      if (chessboard) continue;
      std::vector<bool> turned = loop;
      turned[board.HorizontalEdge(r, c)] = !turned[board.HorizontalEdge(r, c)];
      turned[board.HorizontalEdge(r + 1, c)] = !turned[board.HorizontalEdge(r + 1, c)];
      turned[board.VerticalEdge(r, c)] = !turned[board.VerticalEdge(r, c)];
      turned[board.VerticalEdge(r, c + 1)] = !turned[board.VerticalEdge(r, c + 1)];
      // The rules above are local; the whole loop is checked once more.
      ++checks;
      verdict->work += pass;
      if (!IsSolution(board, turned)) continue;
      Verdict found;
      AddLoopFound(board, loop, &found);
      AddLoopFound(board, std::move(turned), &found);
      found.nodes = verdict->nodes;
      found.work = verdict->work;
      *verdict = std::move(found);
      return true;
    }
  }
  return false;
}

}  // namespace quarnel
