// Solves every stage of the given stage files (ASCII, as bench/puzzles/
// holds) as loop puzzles and prints the time per stage: the 95th percentile,
// the maximum and how many ran out of budget, with the verdicts' counts, and
// whether they meet the targets (the exit status says so too).
// With -v, each stage's time, verdict and search nodes too; -s gives each
// stage SECONDS instead of the checker's default budget.
//   loop_bench [-v] [-s SECONDS] FILE...
// With -r, what the checker adds to a verdict instead: for each stage with
// several solutions, the clue that makes it unique; and for each of a
// seeded set of stages with none (each stage of the files with one clue
// changed to a digit that leaves no solution), the clues that cannot hold
// together. The time per stage counts the verdict and the search after it.
//   loop_bench -r FILE...
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "check/stage_repair.h"
#include "input/stage_list.h"
#include "puzzle/loop_solver.h"
#include "puzzle/stage_board.h"

namespace {

using namespace quarnel;
using Clock = std::chrono::steady_clock;

double P95(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(std::ceil(0.95 * v.size())) - 1];
}

double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

std::vector<Board> BoardsOf(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.emplace_back(line.begin(), line.end());
    start = end + 1;
  }
  std::vector<std::u16string_view> views(lines.begin(), lines.end());
  StageList stages;
  ParseStages(views, &stages);
  std::vector<Board> boards;
  for (const StageRecord& record : stages) boards.push_back(BoardFromStage(record));
  return boards;
}

// The repairs and cores of the files' stages, by board size.
int Repairs(int argc, char** argv, int first) {
  const SolveBudget budget;
  std::mt19937_64 random(33);
  bool met = true;
  for (int i = first; i < argc; ++i) {
    std::vector<double> several_times, none_times;
    std::vector<size_t> core_sizes;
    int repaired = 0, several = 0, unsolved = 0, minimal = 0;
    for (const Board& board : BoardsOf(argv[i])) {
      auto begin = Clock::now();
      const Verdict verdict = Solve(board, budget);
      if (verdict.outcome == Verdict::Outcome::Several) {
        ++several;
        const Repair repair = UniqueRepair(board, verdict, Clock::now() + budget.time);
        several_times.push_back(std::chrono::duration<double>(Clock::now() - begin).count());
        repaired += repair.unique ? 1 : 0;
        continue;
      }
      if (verdict.outcome != Verdict::Outcome::Unique) continue;
      // One clue changed to a digit that leaves no loop: tried at random cells.
      for (int attempt = 0; attempt < 50; ++attempt) {
        const size_t cell = random() % board.clues.size();
        if (board.clues[cell] == Board::kNoClue) continue;
        Board broken = board;
        broken.clues[cell] = static_cast<signed char>((board.clues[cell] + 1 + random() % 3) % 4);
        begin = Clock::now();
        const Verdict none = Solve(broken, budget);
        if (none.outcome != Verdict::Outcome::None) continue;
        std::optional<std::vector<int>> core = ConflictingClues(broken, Clock::now() + budget.time);
        none_times.push_back(std::chrono::duration<double>(Clock::now() - begin).count());
        ++unsolved;
        if (core && !core->empty()) {
          ++minimal;
          core_sizes.push_back(core->size());
        }
        break;
      }
    }
    std::sort(core_sizes.begin(), core_sizes.end());
    std::cout << argv[i] << ": several " << several << ", repaired " << repaired << ", p95 "
              << P95(several_times) << " s, max " << Max(several_times) << " s; none " << unsolved
              << ", core found " << minimal << ", core size median "
              << (core_sizes.empty() ? 0 : core_sizes[core_sizes.size() / 2]) << " max "
              << (core_sizes.empty() ? 0 : core_sizes.back()) << ", p95 " << P95(none_times)
              << " s, max " << Max(none_times) << " s\n";
    met = met && repaired == several && minimal == unsolved;
  }
  return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "-r") return Repairs(argc, argv, 2);
  std::vector<double> seconds;
  int counts[4] = {};
  int first = 1;
  const bool each = argc > first && std::string(argv[first]) == "-v";
  first += each;
  SolveBudget budget;
  if (argc > first + 1 && std::string(argv[first]) == "-s") {
    budget.time = std::chrono::seconds(std::atoi(argv[first + 1]));
    first += 2;
  }
  for (int i = first; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
      size_t end = bytes.find('\n', start);
      if (end == std::string::npos) end = bytes.size();
      std::string line = bytes.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.emplace_back(line.begin(), line.end());
      start = end + 1;
    }
    std::vector<std::u16string_view> views(lines.begin(), lines.end());
    StageList stages;
    ParseStages(views, &stages);
    for (const StageRecord& record : stages) {
      const auto begin = std::chrono::steady_clock::now();
      const Verdict verdict = Solve(BoardFromStage(record), budget);
      seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
      ++counts[static_cast<int>(verdict.outcome)];
      if (each) {
        const std::string title(record.begin(), std::find(record.begin(), record.end(), u'\0'));
        std::cout << argv[i] << " " << title
                  << ": " << seconds.back() << " s, " << "USNX"[static_cast<int>(verdict.outcome)] << ", "
                  << verdict.nodes << " nodes\n" << std::flush;
      }
    }
    std::cout << argv[i] << ": " << stages.size() << " stages\n";
  }
  if (seconds.empty()) return 1;
  std::sort(seconds.begin(), seconds.end());
  const size_t p95 = static_cast<size_t>(std::ceil(0.95 * seconds.size())) - 1;
  std::cout << "stages: " << seconds.size() << "  unique: " << counts[0]
            << "  several: " << counts[1] << "  none: " << counts[2]
            << "  undetermined: " << counts[3] << "\n"
            << "p95: " << seconds[p95] << " s  max: " << seconds.back() << " s\n";
  const bool met = seconds[p95] <= 1 && seconds.back() <= 10 && counts[3] == 0;
  std::cout << "targets (p95 at most 1 s, max at most 10 s, none undetermined): "
            << (met ? "met" : "not met") << "\n";
  return met ? 0 : 1;
}
