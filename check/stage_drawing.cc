#include "check/stage_drawing.h"

#include <algorithm>
#include <string_view>

#include "check/check_messages.h"

namespace quarnel {
namespace {

constexpr std::u16string_view kIndent = u"  ";
constexpr size_t kGap = 4;  // blanks between two drawings side by side

// The columns a label takes on a terminal: its characters outside ASCII
// (ideographs and kana) take two each.
size_t Columns(std::u16string_view text) {
  size_t columns = 0;
  for (char16_t c : text) columns += c < 0x80 ? 1 : 2;
  return columns;
}

std::u16string Widened(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// `line` without the blanks at its end but for its indent: a drawn line
// is never empty, so that each reads as a drawing's.
std::u16string Trimmed(std::u16string line) {
  line.erase(std::max(kIndent.size(), line.find_last_not_of(u' ') + 1));
  return line;
}

void AddDrawing(std::u16string_view label, const std::vector<std::string>& drawing,
                std::vector<std::u16string>* lines) {
  lines->push_back(Trimmed(std::u16string(kIndent) + std::u16string(label)));
  for (const std::string& line : drawing) {
    lines->push_back(Trimmed(std::u16string(kIndent) + Widened(line)));
  }
}

}  // namespace

std::vector<std::string> BoardDrawing(const Board& board, const std::vector<bool>& loop,
                                      const std::vector<int>& marked) {
  std::vector<bool> is_marked(board.clues.size());
  for (int cell : marked) is_marked[static_cast<size_t>(cell)] = true;
  auto on = [&](int edge) { return !loop.empty() && loop[static_cast<size_t>(edge)]; };
  const size_t columns = 4 * static_cast<size_t>(board.width) + 1;
  std::vector<std::string> lines;
  for (int row = 0; row <= board.height; ++row) {
    std::string dots;
    dots.reserve(columns);
    for (int column = 0; column < board.width; ++column) {
      dots += '+';
      dots += on(board.HorizontalEdge(row, column)) ? "---" : "   ";
    }
    dots += '+';
    lines.push_back(std::move(dots));
    if (row == board.height) break;
    std::string cells;
    cells.reserve(columns);
    for (int column = 0; column <= board.width; ++column) {
      cells += on(board.VerticalEdge(row, column)) ? '|' : ' ';
      if (column == board.width) break;
      const size_t cell = static_cast<size_t>(row) * board.width + column;
      const int clue = board.clues[cell];
      const char digit = clue == Board::kNoClue ? ' ' : static_cast<char>('0' + clue);
      cells += is_marked[cell] ? '[' : ' ';
      cells += digit;
      cells += is_marked[cell] ? ']' : ' ';
    }
    lines.push_back(std::move(cells));
  }
  return lines;
}

std::vector<std::u16string> StageDrawingLines(const StageSolve& stage) {
  std::vector<std::u16string> lines;
  if (!stage.core.empty()) {
    AddDrawing(kShowCoreLabel, BoardDrawing(stage.board, {}, stage.core), &lines);
    return lines;
  }
  if (stage.other.empty()) return lines;
  const std::vector<std::string> first = BoardDrawing(stage.board, stage.solution);
  const std::vector<std::string> second = BoardDrawing(stage.board, stage.other);
  const size_t width = first.front().size();
  if (kIndent.size() + 2 * width + kGap > kShowColumns) {
    AddDrawing(kShowFirstLabel, first, &lines);
    AddDrawing(kShowSecondLabel, second, &lines);
    return lines;
  }
  // Side by side: each line of the first drawing padded to where the
  // second starts.
  const std::u16string gap(kGap, u' ');
  std::u16string label(kIndent);
  label += kShowFirstLabel;
  label.append(kIndent.size() + width + kGap - Columns(label), u' ');
  lines.push_back(Trimmed(label + kShowSecondLabel));
  for (size_t i = 0; i < first.size(); ++i) {
    lines.push_back(Trimmed(std::u16string(kIndent) + Widened(first[i]) + gap + Widened(second[i])));
  }
  return lines;
}

}  // namespace quarnel
