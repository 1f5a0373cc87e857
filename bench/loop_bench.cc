// Solves every stage of the given stage files (ASCII, as bench/puzzles/
// holds) as loop puzzles and prints the time per stage: the 95th percentile,
// the maximum and how many ran out of budget, with the verdicts' counts, and
// whether they meet the targets (the exit status says so too).
// Each stage is also rated by deduction (Deduce): per file, the ratings'
// spread and the rating time's 95th percentile against its target (0.2 s
// up to 40 x 40, 0.02 s up to 20 x 20), and for the stages deduction solves
// (its verdict is then the checker's) the slowest against 50 ms.
// With -v, each stage's time, verdict, search nodes and rating too; -s gives
// each stage SECONDS instead of the checker's default budget.
//   loop_bench [-v] [-s SECONDS] FILE...
// With -r, what the checker adds to a verdict instead: for each stage with
// several solutions, the clue that makes it unique; and for each of a
// seeded set of stages with none (each stage of the files with one clue
// changed to a digit that leaves no solution), the clues that cannot hold
// together, and their sizes (median, max). The time per stage counts the
// verdict and the search after it, in wall-clock and processor time.
//   loop_bench -r FILE...
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "check/stage_repair.h"
#include "input/stage_list.h"
#include "puzzle/deduction.h"
#include "puzzle/loop_generator.h"
#include "puzzle/loop_solver.h"
#include "check/stage_board.h"

namespace {

using namespace quarnel;
using Clock = std::chrono::steady_clock;

double P95(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(std::ceil(0.95 * v.size())) - 1];
}

double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// The stages of an ASCII stage file (the corpus), CR LF or LF.
StageList StagesOf(const char* path) {
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
  return stages;
}

std::vector<Board> BoardsOf(const char* path) {
  const StageList stages = StagesOf(path);
  std::vector<Board> boards;
  for (const StageRecord& record : stages) boards.push_back(BoardFromStage(record));
  return boards;
}

// The repairs and cores of the files' stages, by board size: wall-clock
// time per stage and processor time beside it (the second is what a busy
// machine moves least).
int Repairs(int argc, char** argv, int first) {
  const SolveBudget budget;
  std::mt19937_64 random(33);
  bool met = true;
  // The cores' processor times over every file together.
  std::vector<double> all_cores;
  struct Times {
    std::vector<double> wall, cpu;
    Clock::time_point begin;
    std::clock_t cpu_begin = 0;
    void Start() {
      begin = Clock::now();
      cpu_begin = std::clock();
    }
    void Stop() {
      wall.push_back(std::chrono::duration<double>(Clock::now() - begin).count());
      cpu.push_back(static_cast<double>(std::clock() - cpu_begin) / CLOCKS_PER_SEC);
    }
    std::string Text() const {
      return "p95 " + std::to_string(P95(wall)) + " s, max " + std::to_string(Max(wall)) +
             " s (processor time: p95 " + std::to_string(P95(cpu)) + " s, max " +
             std::to_string(Max(cpu)) + " s)";
    }
  };
  for (int i = first; i < argc; ++i) {
    Times several_times, none_times;
    std::vector<size_t> core_sizes;
    int repaired = 0, several = 0, unsolved = 0, minimal = 0;
    for (const Board& board : BoardsOf(argv[i])) {
      several_times.Start();
      const Verdict verdict = Solve(board, budget);
      if (verdict.outcome == Verdict::Outcome::Several) {
        ++several;
        const Repair repair = UniqueRepair(board, verdict, budget.work);
        several_times.Stop();
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
        none_times.Start();
        const Verdict none = Solve(broken, budget);
        if (none.outcome != Verdict::Outcome::None) continue;
        std::optional<std::vector<int>> core = ConflictingClues(broken, budget.work);
        none_times.Stop();
        ++unsolved;
        if (core && !core->empty()) {
          ++minimal;
          core_sizes.push_back(core->size());
        }
        break;
      }
    }
    all_cores.insert(all_cores.end(), none_times.cpu.begin(), none_times.cpu.end());
    std::sort(core_sizes.begin(), core_sizes.end());
    std::cout << argv[i] << ":\n  several " << several << ", repaired " << repaired;
    if (several > 0) std::cout << ", " << several_times.Text();
    std::cout << "\n  none " << unsolved << ", core found " << minimal;
    if (unsolved > 0) {
      std::cout << ", core size median " << (core_sizes.empty() ? 0 : core_sizes[core_sizes.size() / 2])
                << " max " << (core_sizes.empty() ? 0 : core_sizes.back()) << ", "
                << none_times.Text();
    }
    std::cout << "\n";
    met = met && repaired == several && minimal == unsolved;
  }
  if (!all_cores.empty()) {
    std::cout << "cores of all files: " << all_cores.size() << ", processor time p95 "
              << P95(all_cores) << " s, max " << Max(all_cores) << " s\n";
  }
  return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "-r") return Repairs(argc, argv, 2);
  std::vector<double> seconds;
  double cpu_seconds = 0;
  long long work = 0;
  int counts[4] = {};
  bool ratings_met = true;
  int first = 1;
  const bool each = argc > first && std::string(argv[first]) == "-v";
  first += each;
  SolveBudget budget;
  if (argc > first + 1 && std::string(argv[first]) == "-s") {
    budget = SolveBudgetOfSeconds(std::chrono::seconds(std::atoi(argv[first + 1])));
    first += 2;
  }
  for (int i = first; i < argc; ++i) {
    const StageList stages = StagesOf(argv[i]);
    std::vector<double> rating_seconds;
    std::vector<double> rating_cpu;  // the processor time, less moved by a busy machine
    double slowest_solved = 0;
    int levels[6] = {};
    int cells = 0;
    int full_solved = 0;
    double slowest_full = 0;
    for (const StageRecord& record : stages) {
      const Board board = BoardFromStage(record);
      cells = std::max(cells, board.width * board.height);
      auto begin = std::chrono::steady_clock::now();
      const std::clock_t cpu_begin = std::clock();
      const Deduction deduction = Deduce(board);
      const Rating rating = RatingOf(deduction);
      rating_seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
      rating_cpu.push_back(static_cast<double>(std::clock() - cpu_begin) / CLOCKS_PER_SEC);
      if (deduction.outcome == Deduction::Outcome::Solved) {
        slowest_solved = std::max(slowest_solved, rating_seconds.back());
      }
      begin = std::chrono::steady_clock::now();
      const std::clock_t solve_cpu_begin = std::clock();
      const Verdict verdict = Solve(board, budget);
      cpu_seconds += static_cast<double>(std::clock() - solve_cpu_begin) / CLOCKS_PER_SEC;
      work += verdict.work;
      seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
      // A stage that is not unique has no rating.
      ++levels[verdict.outcome == Verdict::Outcome::Unique ? rating.level : 0];
      // The same loop with every clue: a board of that size that the
      // simplest deductions settle, for the verdict by deduction alone.
      if (verdict.outcome == Verdict::Outcome::Unique) {
        const Board full = CluesOf(board.width, board.height, verdict.solution);
        const auto full_begin = std::chrono::steady_clock::now();
        const Deduction full_deduction = Deduce(full);
        if (full_deduction.outcome == Deduction::Outcome::Solved) {
          ++full_solved;
          slowest_full = std::max(slowest_full, std::chrono::duration<double>(std::chrono::steady_clock::now() - full_begin).count());
        }
      }
      ++counts[static_cast<int>(verdict.outcome)];
      if (each) {
        const std::string title(record.begin(), std::find(record.begin(), record.end(), u'\0'));
        std::cout << argv[i] << " " << title
                  << ": " << seconds.back() << " s, " << "USNX"[static_cast<int>(verdict.outcome)] << ", "
                  << verdict.nodes << " nodes, " << verdict.work << " solver work, ★" << rating.level << " (" << rating.count << ") by "
                  << deduction.work << " work in "
                  << rating_seconds.back() << " s\n" << std::flush;
      }
    }
    std::cout << argv[i] << ": " << stages.size() << " stages\n";
    if (rating_seconds.empty()) continue;
    std::sort(rating_seconds.begin(), rating_seconds.end());
    std::sort(rating_cpu.begin(), rating_cpu.end());
    const double rating_p95 = rating_seconds[static_cast<size_t>(std::ceil(0.95 * rating_seconds.size())) - 1];
    const double target = cells <= 400 ? 0.02 : 0.2;
    std::cout << "  ratings: none " << levels[0];
    for (int level = 1; level <= 5; ++level) std::cout << ", ★" << level << " " << levels[level];
    std::cout << "\n  rating p95: " << rating_p95 << " s (target " << target << " s), max "
              << rating_seconds.back() << " s (processor time: p95 "
              << rating_cpu[static_cast<size_t>(std::ceil(0.95 * rating_cpu.size())) - 1] << " s, max "
              << rating_cpu.back() << " s); deduction solved " << levels[1] + levels[2] + levels[3] + levels[4]
              << ", slowest " << slowest_solved << " s (target 0.05 s)\n"
              << "  with every clue of the solution: deduction solved " << full_solved << ", slowest "
              << slowest_full << " s (target 0.05 s)\n";
    ratings_met = ratings_met && rating_p95 <= target && slowest_solved <= 0.05 && slowest_full <= 0.05;
  }
  if (seconds.empty()) return 1;
  std::sort(seconds.begin(), seconds.end());
  const size_t p95 = static_cast<size_t>(std::ceil(0.95 * seconds.size())) - 1;
  std::cout << "stages: " << seconds.size() << "  unique: " << counts[0]
            << "  several: " << counts[1] << "  none: " << counts[2]
            << "  undetermined: " << counts[3] << "\n"
            << "p95: " << seconds[p95] << " s  max: " << seconds.back() << " s\n"
            << "solver work: " << work << " in " << cpu_seconds << " s of processor time, "
            << static_cast<long long>(work / std::max(cpu_seconds, 1e-9)) << " a second (the budget counts "
            << kSolveWorkPerSecond << ")\n";
  const bool met = seconds[p95] <= 1 && seconds.back() <= 10 && counts[3] == 0 && ratings_met;
  std::cout << "targets (p95 at most 1 s, max at most 10 s, none undetermined; the ratings' above): "
            << (met ? "met" : "not met") << "\n";
  return met ? 0 : 1;
}
