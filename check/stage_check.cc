#include "check/stage_check.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

#include "check/check_messages.h"
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

// A budget in seconds at the fixed rate of work: "10", "0.5".
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
  StageChecker(Lines lines, const SolveBudget* solve) : lines_(lines), solve_(solve) {}

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
    return {count_, unique_count_, SortedByLine(std::move(findings_), lines_.size()),
            std::move(levels_)};
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
        if (solve_ != nullptr) Solve(width);
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
    size_t less = title.find(u'<');
    if (less != std::u16string_view::npos) {
      findings_.push_back(
          MakeFinding(FindingKind::TitleLessThan, stage_.title_line, {Number(less + 1)}));
      findings_.back().stage = stage_.number;
    }
    for (size_t i = title.find(u'&'); i != std::u16string_view::npos; i = title.find(u'&', i + 1)) {
      if (!StartsReference(title, i)) {
        findings_.push_back(
            MakeFinding(FindingKind::TitleAmpersand, stage_.title_line, {Number(i + 1)}));
        findings_.back().stage = stage_.number;
        break;
      }
    }
  }

  // Solves the stage's grid, `width` cells wide, as the page draws it: the
  // rows folded to half width, as the renderer gets them, cut into grid
  // lines again. A grid too large to solve is not copied.
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
      AppendHalfWidth(lines_[index], &body);
    }
    const Board board = BoardFromLines(GridLines(body));
    // Deduction is sound: what it settles needs no search.
    const Deduction deduction = Deduce(board);
    StageLevel level{stage_.number, std::u16string(Title()), RatingOf(deduction), deduction.uses};
    Verdict verdict;
    if (deduction.outcome == Deduction::Outcome::Solved) {
      verdict.outcome = Verdict::Outcome::Unique;
    } else if (deduction.outcome == Deduction::Outcome::Contradiction) {
      verdict.outcome = Verdict::Outcome::None;
    } else {
      verdict = quarnel::Solve(board, *solve_);
    }
    if (verdict.outcome != Verdict::Outcome::Unique) level.rating = {};
    levels_.push_back(std::move(level));
    switch (verdict.outcome) {
      case Verdict::Outcome::Unique:
        ++unique_count_;
        break;
      case Verdict::Outcome::Several: {
        const CellSide side = SideOfEdge(board, verdict.difference);
        Finding finding = MakeFinding(
            FindingKind::SeveralSolutions, stage_.title_line,
            {Number(stage_.number), Title(),
             FillText(kCellSideText, {Number(side.row), Number(side.column), SideWord(side.side)})});
        finding.row = side.row;
        finding.column = side.column;
        AddStageFinding(std::move(finding));
        break;
      }
      case Verdict::Outcome::None:
        AddStageFinding(MakeFinding(FindingKind::NoSolution, stage_.title_line,
                                    {Number(stage_.number), Title()}));
        break;
      case Verdict::Outcome::Undetermined:
        AddStageFinding(MakeFinding(FindingKind::SolveUndetermined, stage_.title_line,
                                    {Number(stage_.number), Title(), SecondsText(*solve_),
                                     DecimalText(verdict.work)}));
        break;
    }
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
      for (char16_t cell : CellsOf(line[i])) {
        ++cells;
        if (IsCellCharacter(cell)) continue;
        if (blank_count++ == 0) {
          first_cell = cells;
          // A character outside the basic plane shows whole.
          bool pair = line[i] >= 0xD800 && line[i] <= 0xDBFF && i + 1 < line.size();
          first_text = Shown(line.substr(i, pair ? 2 : 1));
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
  const SolveBudget* solve_;
  std::vector<Finding> findings_;
  std::vector<StageLevel> levels_;
  StageLines stage_;
  size_t count_ = 0;
  size_t unique_count_ = 0;
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

StageFileCheck CheckStageLines(Lines lines, const SolveBudget* solve) {
  return StageChecker(lines, solve).Run();
}

}  // namespace quarnel
