#include "check/stage_check.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "check/check_messages.h"
#include "check/markup_scanner.h"
#include "check/stage_repair.h"
#include "text/code_points.h"
#include "text/gtstr.h"
#include "text/lines.h"
#include "text/width.h"

namespace quarnel {
namespace {

using Lines = std::span<const std::u16string_view>;

bool IsSeparator(std::u16string_view line) { return !line.empty() && line.front() == u'*'; }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'　'; }

// A folded grid character that comes out as what it is: a digit 0-3, or
// the blank that makes a blank cell on purpose.
bool IsCellCharacter(char16_t folded) {
  return (folded >= u'0' && folded <= u'3') || folded == u' ';
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Whether the "&" at `amp` starts a character reference: "&name;", "&#9;"
// or "&#x9;". Each scan stops at the next "&", so a title is read in linear
// time.
bool StartsReference(std::u16string_view s, size_t amp) {
  size_t i = amp + 1;
  if (i < s.size() && s[i] == u'#') {
    ++i;
    bool hex = i < s.size() && (s[i] == u'x' || s[i] == u'X');
    if (hex) ++i;
    size_t start = i;
    while (i < s.size() && (hex ? IsHexDigit(s[i]) : IsDigit(s[i]))) ++i;
    return i > start && i < s.size() && s[i] == u';';
  }
  if (i >= s.size() || !IsAsciiLetter(s[i])) return false;
  while (i < s.size() && (IsAsciiLetter(s[i]) || IsDigit(s[i]))) ++i;
  return i < s.size() && s[i] == u';';
}

std::u16string Number(size_t n) { return DecimalText(static_cast<long long>(n)); }

// A budget in seconds as the user gave it: "10", "0.5".
std::u16string SecondsText(const SolveBudget& budget) {
  constexpr long long kPerSecond = 1'000'000'000;
  const long long ns = budget.work * (kPerSecond / kSolveWorkPerSecond);
  std::u16string text = DecimalText(ns / kPerSecond);
  if (ns % kPerSecond != 0) {
    std::u16string fraction = DecimalText(kPerSecond + ns % kPerSecond).substr(1);
    while (fraction.back() == u'0') fraction.pop_back();
    text += u"." + fraction;
  }
  return text;
}

std::u16string_view SideWord(CellSide::Side side) {
  switch (side) {
    case CellSide::Side::Top: return kTopSide;
    case CellSide::Side::Bottom: return kBottomSide;
    case CellSide::Side::Left: return kLeftSide;
    case CellSide::Side::Right: return kRightSide;
  }
  return {};
}

// The cells a grid line's character makes: its half-width form, one cell
// per code unit (a voiced katakana makes two).
std::u16string CellsOf(char16_t c) { return ToHalfWidth(std::u16string_view(&c, 1)); }

// Whether a line that is no separator was probably meant as one ("＊", or
// blanks before "*"), and how it went wrong.
std::optional<FindingKind> FalseSeparator(std::u16string_view line) {
  size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  if (first == line.size() || (line[first] != u'*' && line[first] != u'＊')) return std::nullopt;
  return first > 0 ? FindingKind::IndentedSeparator : FindingKind::FullWidthSeparator;
}

// A grid character as a finding shows it: a control character by name.
std::u16string Shown(std::u16string_view c) {
  if (c.size() != 1 || c[0] >= 0x20) return std::u16string(c);
  if (c[0] == u'\t') return kTabName;
  std::u16string code = u"U+00";
  code.push_back(u"0123456789ABCDEF"[c[0] >> 4]);
  code.push_back(u"0123456789ABCDEF"[c[0] & 15]);
  return code;
}

// "4 行 4 列の 3、4 行 5 列の 3" and what they do: the clues that cannot
// hold together, at most kMostCoreClues of them listed.
std::u16string CoreText(const Board& board, const std::vector<int>& core) {
  if (core.empty()) return kNoCoreText;
  std::u16string list;
  for (size_t i = 0; i < core.size() && i < kMostCoreClues; ++i) {
    const int cell = core[i];
    if (i > 0) list += kClueJoin;
    list += FillText(kClueText, {Number(static_cast<size_t>(cell / board.width) + 1),
                                 Number(static_cast<size_t>(cell % board.width) + 1),
                                 Number(static_cast<size_t>(board.clues[cell]))});
  }
  if (core.size() == 1) return FillText(kLoneCoreText, {list});
  if (core.size() <= kMostCoreClues) return FillText(kCoreText, {list});
  return FillText(kLongCoreText, {list, Number(core.size())});
}

std::u16string RepairText(const Board& board, const Repair& repair) {
  if (repair.cell < 0) return kNoRepairText;
  return FillText(repair.unique ? kRepairText : kPartRepairText,
                  {Number(static_cast<size_t>(repair.cell / board.width) + 1),
                   Number(static_cast<size_t>(repair.cell % board.width) + 1),
                   Number(static_cast<size_t>(repair.clue))});
}

// What is found about a solved stage: nothing when it has one solution.
// For none, the clues that cannot hold together (`core`, empty where none
// was found); for several, a clue that makes the solution unique, searched
// for within as much work again as the verdict's budget.
std::optional<Finding> VerdictFinding(const StageSolve& stage, const Verdict& verdict,
                                      const std::vector<int>& core, const SolveBudget& budget) {
  const std::u16string number = Number(stage.stage);
  std::optional<Finding> finding;
  switch (verdict.outcome) {
    case Verdict::Outcome::Unique:
      return std::nullopt;
    case Verdict::Outcome::Several: {
      const CellSide side =
          SideOfEdge(stage.board, DifferenceBesideOpenCell(stage.board, verdict));
      finding = MakeFinding(
          FindingKind::SeveralSolutions, stage.title_line,
          {number, stage.title,
           FillText(kCellSideText, {Number(side.row), Number(side.column), SideWord(side.side)}),
           RepairText(stage.board, UniqueRepair(stage.board, verdict, budget.work))});
      finding->row = side.row;
      finding->column = side.column;
      break;
    }
    case Verdict::Outcome::None:
      finding = MakeFinding(FindingKind::NoSolution, stage.title_line,
                            {number, stage.title,
                             CoreText(stage.board, core)});
      break;
    case Verdict::Outcome::Undetermined:
      finding = MakeFinding(FindingKind::SolveUndetermined, stage.title_line,
                            {number, stage.title, SecondsText(budget), DecimalText(verdict.work)});
      break;
  }
  finding->stage = stage.stage;
  return finding;
}

// One stage as the file lays it out: all that a check of a whole stage
// (its title, its grid as the renderer gets it) needs, handed to each such
// check when the stage is complete.
struct StageLines {
  size_t number = 0;      // its position on the page, from 1
  size_t title_line = 0;  // from 1; 0 without a title
  std::vector<size_t> rows;  // the grid rows' line indexes (from 0)
};

class StageChecker {
 public:
  StageChecker(Lines lines, bool solve) : lines_(lines), solve_(solve) {}

  StageFileCheck Run() {
    for (size_t i = 0; i < lines_.size(); ++i) {
      std::u16string_view line = lines_[i];
      if (IsSeparator(line)) {
        CheckSeparatorText(line, i + 1);
        Complete(i + 1);
      } else if (stage_.title_line == 0) {
        // An empty line before the title is skipped.
        if (!line.empty()) stage_.title_line = i + 1;
      } else if (!stage_.rows.empty() || !line.empty()) {
        // Empty lines right after the title vanish; later ones are rows.
        stage_.rows.push_back(i);
      }
    }
    // The end of the file keeps a last stage only if it has a grid.
    if (!stage_.rows.empty()) {
      Complete(0);
    } else if (stage_.title_line != 0) {
      findings_.push_back(MakeFinding(FindingKind::StageDroppedAtEnd, stage_.title_line,
                                      {lines_[stage_.title_line - 1]}));
      findings_.back().stage = count_ + 1;
    }
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (IsSeparator(lines_[i])) continue;
      if (auto kind = FalseSeparator(lines_[i])) findings_.push_back(MakeFinding(*kind, i + 1));
    }
    return {count_, 0, SortedByLine(std::move(findings_), lines_.size()), std::move(solves_), {}};
  }

 private:
  // A separator on `separator_line` (0: the end of the file) completes the
  // stage in hand, whatever it holds.
  void Complete(size_t separator_line) {
    stage_.number = ++count_;
    if (stage_.title_line == 0) {
      Finding finding = previous_separator_ != 0
                            ? MakeFinding(FindingKind::EmptyStageBetweenSeparators, separator_line,
                                          {Number(previous_separator_), Number(stage_.number)})
                            : MakeFinding(FindingKind::EmptyStageBeforeFirst, separator_line);
      finding.stage = stage_.number;
      findings_.push_back(std::move(finding));
    } else {
      CheckTitle();
      if (stage_.rows.empty()) {
        findings_.push_back(MakeFinding(FindingKind::EmptyStageWithoutGrid, stage_.title_line,
                                        {Number(stage_.number), Title()}));
        findings_.back().stage = stage_.number;
      } else {
        size_t width = CheckGrid();
        if (solve_) Solve(width);
      }
    }
    previous_separator_ = separator_line;
    stage_ = StageLines();
  }

  std::u16string_view Title() const { return lines_[stage_.title_line - 1]; }

  void CheckSeparatorText(std::u16string_view line, size_t line_number) {
    std::u16string_view rest = line.substr(1);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
    // A row of stars is decoration, not text.
    for (char16_t c : rest) {
      if (c != u'*' && c != u'＊' && !IsBlank(c)) {
        findings_.push_back(MakeFinding(FindingKind::SeparatorText, line_number, {rest}));
        return;
      }
    }
  }

  void CheckTitle() {
    std::u16string_view title = Title();
    bool grid_like = true;
    for (char16_t c : title) {
      for (char16_t cell : CellsOf(c)) grid_like = grid_like && IsCellCharacter(cell);
    }
    if (grid_like) {
      findings_.push_back(MakeFinding(FindingKind::TitleLooksLikeGrid, stage_.title_line,
                                      {Number(stage_.number)}));
      findings_.back().stage = stage_.number;
    }
    // Markup in a title is markup: only a tag that can break the page is found.
    size_t fault = TitleMarkupFault(title);
    if (fault != std::u16string_view::npos) {
      findings_.push_back(MakeFinding(FindingKind::TitleLessThan, stage_.title_line,
                                      {Number(CharacterCount(title, fault) + 1)}));
      findings_.back().stage = stage_.number;
    }
    for (size_t i = title.find(u'&'); i != std::u16string_view::npos; i = title.find(u'&', i + 1)) {
      if (!StartsReference(title, i)) {
        findings_.push_back(MakeFinding(FindingKind::TitleAmpersand, stage_.title_line,
                                        {Number(CharacterCount(title, i) + 1)}));
        findings_.back().stage = stage_.number;
        break;
      }
    }
  }

  // Queues the stage's grid, `width` cells wide, to be solved as the page
  // draws it: the rows as the renderer gets them, cut into grid lines
  // again. A grid too large to solve is not copied.
  void Solve(size_t width) {
    const unsigned long long height = stage_.rows.size();
    if (width > 0 && height > kMaxSolvedCells / width) {
      AddStageFinding(MakeFinding(
          FindingKind::TooLargeToSolve, stage_.title_line,
          {Number(stage_.number), Title(), DecimalText(static_cast<long long>(width * height)),
           DecimalText(static_cast<long long>(kMaxSolvedCells))}));
      return;
    }
    std::u16string body;
    for (size_t index : stage_.rows) {
      if (!body.empty()) body += u"\r\n";
      AppendGridCells(lines_[index], &body);
    }
    StageSolve stage;
    stage.stage = stage_.number;
    stage.title_line = stage_.title_line;
    stage.title = Title();
    stage.board = BoardFromLines(GridLines(body));
    solves_.push_back(std::move(stage));
    Finding pending{FindingKind::SolveUndetermined, Finding::Severity::Warning, stage_.title_line, {}};
    pending.pending = solves_.size();
    AddStageFinding(std::move(pending));
  }

  void AddStageFinding(Finding finding) {
    finding.stage = stage_.number;
    findings_.push_back(std::move(finding));
  }

  // The cells of each row, rows that end the grid empty, and rows shorter
  // than the widest, which the renderer pads with blank cells. Returns the
  // grid's width in cells.
  size_t CheckGrid() {
    const std::vector<size_t>& rows = stage_.rows;
    size_t filled = rows.size();
    while (filled > 0 && lines_[rows[filled - 1]].empty()) --filled;
    std::vector<size_t> widths(filled);
    for (size_t r = 0; r < filled; ++r) widths[r] = CheckRow(r);
    if (filled < rows.size()) {
      findings_.push_back(MakeFinding(FindingKind::TrailingEmptyRows, rows[filled] + 1,
                                      {Number(rows.size() - filled)}));
      findings_.back().stage = stage_.number;
      findings_.back().row = filled + 1;
    }
    size_t widest = 0;
    for (size_t r = 0; r < filled; ++r) {
      if (widths[r] > widths[widest]) widest = r;
    }
    size_t shorter = 0, first_short = 0;
    for (size_t r = 0; r < filled; ++r) {
      if (widths[r] < widths[widest] && shorter++ == 0) first_short = r;
    }
    if (shorter > 0) {
      findings_.push_back(MakeFinding(
          FindingKind::RaggedRows, rows[first_short] + 1,
          {Number(stage_.number), Number(rows[widest] + 1), Number(widths[widest]), Number(shorter)}));
      findings_.back().stage = stage_.number;
      findings_.back().row = widest + 1;
      findings_.back().column = widths[widest];
    }
    return filled == 0 ? 0 : widths[widest];
  }

  // Checks the cells of grid row `r` and returns its width in cells.
  size_t CheckRow(size_t r) {
    size_t index = stage_.rows[r];
    std::u16string_view line = lines_[index];
    size_t cells = 0, blank_count = 0, first_cell = 0;
    std::u16string first_text;
    for (size_t i = 0; i < line.size(); ++i) {
      // A character outside the basic plane is one cell, and shows whole.
      size_t first = i;
      CodePointAt(line, &i);
      if (i > first) {
        ++cells;
        if (blank_count++ == 0) {
          first_cell = cells;
          first_text = std::u16string(line.substr(first, 2));
        }
        continue;
      }
      for (char16_t cell : CellsOf(line[i])) {
        ++cells;
        if (IsCellCharacter(cell)) continue;
        if (blank_count++ == 0) {
          first_cell = cells;
          first_text = Shown(line.substr(i, 1));
        }
      }
    }
    // A line that looks like a separator has its own finding.
    if (blank_count > 0 && !FalseSeparator(line)) {
      Finding finding =
          blank_count == 1
              ? MakeFinding(FindingKind::BlankCell, index + 1, {Number(first_cell), first_text})
              : MakeFinding(FindingKind::BlankCells, index + 1,
                            {Number(first_cell), first_text, Number(blank_count)});
      finding.stage = stage_.number;
      finding.row = r + 1;
      finding.column = first_cell;
      findings_.push_back(std::move(finding));
    }
    return cells;
  }

  Lines lines_;
  bool solve_;
  std::vector<Finding> findings_;
  std::vector<StageSolve> solves_;
  StageLines stage_;
  size_t count_ = 0;
  size_t previous_separator_ = 0;
};

}  // namespace

CellSide SideOfEdge(const Board& board, EdgePlace place) {
  const size_t row = static_cast<size_t>(place.row), column = static_cast<size_t>(place.column);
  if (place.horizontal) {
    if (place.row < board.height) return {row + 1, column + 1, CellSide::Side::Top};
    return {row, column + 1, CellSide::Side::Bottom};
  }
  if (place.column < board.width) return {row + 1, column + 1, CellSide::Side::Left};
  return {row + 1, column, CellSide::Side::Right};
}

StageFileCheck CheckStageLinesUnsolved(Lines lines, bool solve) {
  return StageChecker(lines, solve).Run();
}

StageFileCheck CheckStageLines(Lines lines, const SolveBudget* solve) {
  StageFileCheck check = CheckStageLinesUnsolved(lines, solve != nullptr);
  if (solve != nullptr) SolveStages(check.solves, *solve, 0, [](size_t) {});
  std::vector<Finding> findings;
  for (Finding& finding : check.findings) {
    if (ResolvePending(check.solves, &finding)) findings.push_back(std::move(finding));
  }
  check.findings = std::move(findings);
  for (const StageSolve& stage : check.solves) {
    check.unique_count += stage.unique ? 1 : 0;
    check.levels.push_back(stage.level);
  }
  return check;
}

bool ResolvePending(const std::vector<StageSolve>& solves, Finding* finding) {
  if (finding->pending == 0) return true;
  const StageSolve& stage = solves[finding->pending - 1];
  if (!stage.finding) return false;
  *finding = *stage.finding;
  return true;
}

void SolveStages(std::vector<StageSolve>& solves, const SolveBudget& budget, unsigned threads,
                 const std::function<void(size_t decided)>& decided) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, solves.size()));
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0;
  // The stages the workers have decided since the calling thread last
  // looked. Only the calling thread marks a stage decided, so that what it
  // reads between its looks no worker writes.
  std::vector<size_t> finished;
  auto work = [&]() {
    while (true) {
      size_t i;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (next == solves.size()) return;
        i = next++;
      }
      StageSolve& stage = solves[i];
      // Deduction is sound: what it settles needs no search.
      const Deduction deduction = Deduce(stage.board);
      StageLevel level{stage.stage, stage.title, RatingOf(deduction), deduction.uses};
      Verdict verdict;
      if (deduction.outcome == Deduction::Outcome::Solved) {
        verdict.outcome = Verdict::Outcome::Unique;
      } else if (deduction.outcome == Deduction::Outcome::Contradiction) {
        verdict.outcome = Verdict::Outcome::None;
      } else {
        verdict = Solve(stage.board, budget);
      }
      if (verdict.outcome != Verdict::Outcome::Unique) level.rating = {};
      // The clues to blame, within as much work again as the verdict's.
      std::vector<int> core;
      if (verdict.outcome == Verdict::Outcome::None) {
        core = ConflictingClues(stage.board, budget.work).value_or(std::vector<int>());
      }
      std::optional<Finding> finding = VerdictFinding(stage, verdict, core, budget);
      std::lock_guard<std::mutex> lock(mutex);
      stage.unique = verdict.outcome == Verdict::Outcome::Unique;
      stage.level = std::move(level);
      stage.finding = std::move(finding);
      if (verdict.outcome == Verdict::Outcome::Several) {
        stage.solution = std::move(verdict.solution);
        stage.other = std::move(verdict.other);
      }
      stage.core = std::move(core);
      finished.push_back(i);
      changed.notify_one();
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) workers.emplace_back(work);
  size_t told = 0;
  while (told < solves.size()) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return !finished.empty(); });
      for (size_t i : finished) solves[i].decided = true;
      told += finished.size();
      finished.clear();
    }
    decided(told);
  }
  for (std::thread& worker : workers) worker.join();
}

}  // namespace quarnel
