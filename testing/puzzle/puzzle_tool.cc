// The loop solver from the command line, for the checks that compare it with
// an independent model:
//   puzzle_tool generate SEED WIDTH HEIGHT KEEP_PERCENT ALTER
//     prints a board: a random loop's clues, each kept with the given chance,
//     and with ALTER = 1 one kept clue changed (which often leaves no loop).
//   puzzle_tool solve < board
//     prints the verdict, then each loop found as one line of 0/1 per edge.
//   puzzle_tool minimal SEED WIDTH HEIGHT
//     prints a random loop's board with clues taken off while it keeps
//     exactly one loop, until none can go (as the corpus's boards are).
//   puzzle_tool derive SEED broken|several < board
//     prints a board with one loop changed as the checker's test sets are:
//     broken, one clue changed to a digit that leaves no loop (the first
//     line "unbroken" when a few tries find none); several, one clue taken
//     off (from a board no clue of which can go, that leaves several).
//   puzzle_tool fix WORK < board
//     prints the verdict and the checker's advice on it, each search
//     together spending at most WORK (SolveBudget's units): for none, "core"
//     and the cells (indexes, row by row) of the clues that cannot hold
//     together, then for each of them a loop that keeps the others; for
//     several, "repair", a cell, a digit and "unique" or
//     "not-unique", then the loop the board keeps with that clue; "undetermined" in place of the advice when the work ran
//     out.
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "check/stage_repair.h"
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

Board ReadBoard() {
  std::vector<std::u16string> rows;
  std::string line;
  while (std::getline(std::cin, line)) rows.emplace_back(line.begin(), line.end());
  std::vector<std::u16string_view> views(rows.begin(), rows.end());
  return BoardFromLines(views);
}

const char* NameOf(const Verdict& verdict) {
  static const char* const kNames[] = {"unique", "several", "none", "undetermined"};
  return kNames[static_cast<int>(verdict.outcome)];
}

int Minimal(char** argv) {
  std::mt19937_64 random(std::strtoull(argv[0], nullptr, 10));
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  const Board board = CluesOf(width, height, RandomLoop(width, height, random));
  std::cout << BoardText(MinimiseClues(board, random, SolveBudget()));
  return 0;
}

int Derive(char** argv) {
  std::mt19937_64 random(std::strtoull(argv[0], nullptr, 10));
  const std::string kind = argv[1];
  const Board board = ReadBoard();
  std::vector<size_t> clued;
  for (size_t cell = 0; cell < board.clues.size(); ++cell) {
    if (board.clues[cell] != Board::kNoClue) clued.push_back(cell);
  }
  if (clued.empty() || (kind != "broken" && kind != "several")) return 2;
  std::uniform_int_distribution<size_t> pick(0, clued.size() - 1);
  Board derived = board;
  if (kind == "several") {
    derived.clues[clued[pick(random)]] = Board::kNoClue;
    std::cout << BoardText(derived);
    return 0;
  }
  for (int attempt = 0; attempt < 50; ++attempt) {
    const size_t cell = clued[pick(random)];
    derived.clues[cell] = static_cast<signed char>((board.clues[cell] + 1 + random() % 3) % 4);
    if (Solve(derived).outcome == Verdict::Outcome::None) {
      std::cout << BoardText(derived);
      return 0;
    }
    derived.clues[cell] = board.clues[cell];
  }
  std::cout << "unbroken\n";
  return 0;
}

int Fix(char** argv) {
  const long long work = std::atoll(argv[0]);
  const Board board = ReadBoard();
  const Verdict verdict = Solve(board, SolveBudgetOfWork(work));
  std::cout << NameOf(verdict) << '\n';
  if (verdict.outcome == Verdict::Outcome::None) {
    const std::optional<std::vector<int>> core = ConflictingClues(board, work);
    if (!core) {
      std::cout << "undetermined\n";
      return 0;
    }
    std::cout << "core";
    for (int cell : *core) std::cout << ' ' << cell;
    std::cout << '\n';
    // For each clue of the core, a loop that keeps the others: what shows
    // the core is minimal, to be checked without this solver.
    for (size_t drop = 0; drop < core->size(); ++drop) {
      Board part = Board::Empty(board.width, board.height);
      for (size_t i = 0; i < core->size(); ++i) {
        if (i != drop) part.clues[(*core)[i]] = board.clues[(*core)[i]];
      }
      const Verdict smaller = Solve(part, SolveBudgetOfWork(work));
      std::cout << (smaller.solution.empty() ? NameOf(smaller) : EdgeLine(smaller.solution)) << '\n';
    }
  } else if (verdict.outcome == Verdict::Outcome::Several) {
    const Repair repair = UniqueRepair(board, verdict, work);
    std::cout << "repair " << repair.cell << ' ' << repair.clue << ' '
              << (repair.unique ? "unique" : "not-unique") << '\n';
    if (repair.unique) {
      // The loop the repaired board keeps: one to start from, for a check
      // that it has no other.
      Board repaired = board;
      repaired.clues[repair.cell] = static_cast<signed char>(repair.clue);
      const Verdict one = Solve(repaired, SolveBudgetOfWork(work));
      std::cout << (one.solution.empty() ? NameOf(one) : EdgeLine(one.solution)) << '\n';
    }
  }
  return 0;
}

int SolveInput() {
  const Verdict verdict = Solve(ReadBoard());
  std::cout << NameOf(verdict) << '\n';
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
  if (command == "minimal" && argc == 5) return quarnel::Minimal(argv + 2);
  if (command == "derive" && argc == 4) return quarnel::Derive(argv + 2);
  if (command == "fix" && argc == 3) return quarnel::Fix(argv + 2);
  std::cerr << "usage: puzzle_tool generate SEED WIDTH HEIGHT KEEP_PERCENT ALTER | solve"
               " | minimal SEED WIDTH HEIGHT | derive SEED broken|several | fix WORK\n";
  return 2;
}
