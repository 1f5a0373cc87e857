// Solves every stage of the given stage files (ASCII, as bench/puzzles/
// holds) as loop puzzles and prints the time per stage: the 95th percentile,
// the maximum and how many ran out of budget, with the verdicts' counts, and
// whether they meet the targets (the exit status says so too).
// With -v, each stage's time, verdict and search nodes too; -s gives each
// stage SECONDS instead of the checker's default budget.
//   loop_bench [-v] [-s SECONDS] FILE...
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "input/stage_list.h"
#include "puzzle/loop_solver.h"
#include "check/stage_board.h"

int main(int argc, char** argv) {
  using namespace quarnel;
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
