// Makes the loop benchmark's corpus: for each seed, a random loop's clues
// taken off until no more can go with one solution left, and a copy with one
// more clue off, which has several. Appends both as stages to
// PREFIX_minimal.dat and PREFIX_several.dat. A removal whose check runs
// out of SECONDS (10 unless given) keeps its clue, and the copy's clue is
// one whose removal was shown to leave several.
//   make_loop_corpus FIRST_SEED COUNT WIDTH HEIGHT PREFIX [SECONDS]
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "puzzle/board.h"
#include "puzzle/loop_generator.h"
#include "puzzle/loop_solver.h"

int main(int argc, char** argv) {
  using namespace quarnel;
  if (argc != 6 && argc != 7) {
    std::cerr << "usage: make_loop_corpus FIRST_SEED COUNT WIDTH HEIGHT PREFIX [SECONDS]\n";
    return 2;
  }
  const unsigned long long first = std::strtoull(argv[1], nullptr, 10);
  const int count = std::atoi(argv[2]), width = std::atoi(argv[3]), height = std::atoi(argv[4]);
  const std::string prefix = argv[5];
  std::ofstream minimal(prefix + "_minimal.dat", std::ios::binary | std::ios::app);
  std::ofstream several(prefix + "_several.dat", std::ios::binary | std::ios::app);
  const SolveBudget budget = SolveBudgetOfSeconds(std::chrono::seconds(argc == 7 ? std::atoi(argv[6]) : 10));
  for (unsigned long long seed = first; seed < first + count; ++seed) {
    std::mt19937_64 random(seed);
    const std::vector<bool> loop = RandomLoop(width, height, random);
    Board board = MinimiseClues(CluesOf(width, height, loop), random, budget);
    std::vector<int> clues;
    for (int i = 0; i < static_cast<int>(board.clues.size()); ++i) {
      if (board.clues[i] != Board::kNoClue) clues.push_back(i);
    }
    std::shuffle(clues.begin(), clues.end(), random);
    Board fewer = board;
    for (int clue : clues) {
      fewer = board;
      fewer.clues[clue] = Board::kNoClue;
      if (Solve(fewer, budget, &loop).outcome == Verdict::Outcome::Several) break;
    }
    const std::string title = "seed " + std::to_string(seed) + "\r\n";
    const auto stage = [&](const Board& b) {
      std::string text = BoardText(b), out;
      for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
      return title + out + "*\r\n";
    };
    minimal << stage(board) << std::flush;
    several << stage(fewer) << std::flush;
    std::cout << "seed " << seed << ": " << clues.size() << " clues" << std::endl;
  }
  return 0;
}
