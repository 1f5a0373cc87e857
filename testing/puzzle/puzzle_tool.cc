// The loop solver from the command line, for the checks that compare it with
// an independent model:
//   puzzle_tool generate SEED WIDTH HEIGHT KEEP_PERCENT ALTER
//     prints a board: a random loop's clues, each kept with the given chance,
//     and with ALTER = 1 one kept clue changed (which often leaves no loop).
//   puzzle_tool solve < board
//     prints the verdict, then each loop found as one line of 0/1 per edge.
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/loop_generator.h"
#include "puzzle/loop_solver.h"

namespace quarnel {
namespace {

std::string EdgeLine(const std::vector<bool>& edges) {
  std::string line;
  for (bool on : edges) line += on ? '1' : '0';
  return line;
}

int Generate(char** argv) {
  std::mt19937_64 random(std::strtoull(argv[0], nullptr, 10));
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  const int keep = std::atoi(argv[3]);
  Board board = CluesOf(width, height, RandomLoop(width, height, random));
  std::uniform_int_distribution<int> percent(0, 99);
  std::vector<int> kept;
  for (size_t i = 0; i < board.clues.size(); ++i) {
    if (percent(random) >= keep) {
      board.clues[i] = Board::kNoClue;
    } else {
      kept.push_back(static_cast<int>(i));
    }
  }
  if (std::atoi(argv[4]) == 1 && !kept.empty()) {
    const int i = kept[std::uniform_int_distribution<size_t>(0, kept.size() - 1)(random)];
    board.clues[i] = static_cast<signed char>((board.clues[i] + 1 + percent(random) % 3) % 4);
  }
  std::cout << BoardText(board);
  return 0;
}

int SolveInput() {
  std::vector<std::u16string> rows;
  std::string line;
  while (std::getline(std::cin, line)) rows.emplace_back(line.begin(), line.end());
  std::vector<std::u16string_view> views(rows.begin(), rows.end());
  const Verdict verdict = Solve(BoardFromLines(views));
  static const char* const kNames[] = {"unique", "several", "none", "undetermined"};
  std::cout << kNames[static_cast<int>(verdict.outcome)] << '\n';
  if (!verdict.solution.empty()) std::cout << EdgeLine(verdict.solution) << '\n';
  if (!verdict.other.empty()) std::cout << EdgeLine(verdict.other) << '\n';
  return 0;
}

}  // namespace
}  // namespace quarnel

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "generate" && argc == 7) return quarnel::Generate(argv + 2);
  if (command == "solve" && argc == 2) return quarnel::SolveInput();
  std::cerr << "usage: puzzle_tool generate SEED WIDTH HEIGHT KEEP_PERCENT ALTER | solve\n";
  return 2;
}
