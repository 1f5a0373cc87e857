// Any bytes as a small loop puzzle (up to 4 x 4): the solver's verdict has
// to agree with every loop of the board, tried one by one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "puzzle/loop_solver.h"
#include "testing/loop_brute_force.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  if (size < 1) return 0;
  const int width = 1 + data[0] % 4, height = 1 + (data[0] / 4) % 4;
  Board board = Board::Empty(width, height);
  for (size_t c = 0; c < board.clues.size() && c + 1 < size; ++c) {
    const int value = data[c + 1] % 5;
    board.clues[c] = value == 4 ? Board::kNoClue : static_cast<signed char>(value);
  }
  int matching = 0;
  for (const Loop& loop : AllLoops(width, height)) matching += Keeps(loop, board);
  const auto check = [](bool condition) {
    if (!condition) std::abort();
  };
  // The learning search, and the depth-first one that takes larger boards.
  for (auto* solve : {&Solve, &SolveDepthFirst}) {
    const Verdict verdict = solve(board, {}, nullptr);
    switch (matching) {
      case 0:
        check(verdict.outcome == Verdict::Outcome::None);
        break;
      case 1:
        check(verdict.outcome == Verdict::Outcome::Unique && IsSolution(board, verdict.solution));
        break;
      default:
        check(verdict.outcome == Verdict::Outcome::Several && IsSolution(board, verdict.solution) &&
              IsSolution(board, verdict.other) && verdict.solution != verdict.other);
    }
  }
  return 0;
}
