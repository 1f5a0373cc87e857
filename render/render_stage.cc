#include "render/render_stage.h"

#include <algorithm>
#include <array>
#include <vector>

#include "text/gtstr.h"
#include "text/width.h"

namespace quarnel {
namespace {

// The five values a cell can hold; a cell is stored as an index into it.
constexpr std::array<char16_t, 5> kCellValues = {u'0', u'1', u'2', u'3', u' '};
constexpr unsigned char kBlank = 4;

unsigned char CellValue(char16_t c) {
  std::u16string folded = ToHalfWidth(std::u16string_view(&c, 1));
  if (folded.size() == 1 && folded[0] >= u'0' && folded[0] <= u'3') {
    return static_cast<unsigned char>(folded[0] - u'0');
  }
  return kBlank;
}

}  // namespace

std::u16string RenderStage(const TemplateStore& templates, long long index,
                           std::u16string_view record) {
  std::vector<std::u16string> pieces = SplitText(record, std::u16string_view(u"\0", 1));
  if (pieces.size() < 2) return {};
  const std::u16string& title = pieces[0];
  std::vector<std::u16string> grid_lines = SplitText(pieces[1], u"\r\n");

  size_t height = grid_lines.size();
  size_t width = 0;
  for (const std::u16string& line : grid_lines) width = std::max(width, line.size());
  if (width == 0) return {};

  // Cells row by row; positions past the end of a short line stay blank.
  std::vector<unsigned char> cells(width * height, kBlank);
  for (size_t r = 0; r < height; ++r) {
    for (size_t c = 0; c < grid_lines[r].size(); ++c) {
      cells[r * width + c] = CellValue(grid_lines[r][c]);
    }
  }

  const std::u16string frame_content = TemplateText(templates, u"frame_content");
  const std::u16string frame_space = TemplateText(templates, u"frame_space");
  const std::u16string frame_line = TemplateText(templates, u"frame_line");
  const std::u16string data_line = TemplateText(templates, u"data_line");
  const std::u16string data_content = TemplateText(templates, u"data_content");
  const std::u16string data_space = TemplateText(templates, u"data_space");

  std::u16string frame_body = frame_space;
  for (size_t c = 0; c < width; ++c) {
    frame_body += frame_content;
    frame_body += frame_space;
  }
  const std::u16string frame_row = ReplaceAll(frame_line, u"[frame]", frame_body);

  // A cell's text depends on its value alone, so each of the five is filled
  // once per stage instead of once per cell.
  std::array<std::u16string, kCellValues.size()> cell_texts;
  for (size_t v = 0; v < kCellValues.size(); ++v) {
    std::u16string value(1, kCellValues[v]);
    cell_texts[v] = ReplaceAll(ReplaceAll(data_content, u"[number]", value),
                               u"[number*]", ToFullWidth(value));
  }

  std::u16string lines = frame_row;
  std::u16string row_body;
  for (size_t r = 0; r < height; ++r) {
    row_body = data_space;
    for (size_t c = 0; c < width; ++c) {
      row_body += cell_texts[cells[r * width + c]];
      row_body += data_space;
    }
    std::u16string row_number = DecimalText(static_cast<long long>(r + 1));
    row_body = ReplaceAll(std::move(row_body), u"[row]", row_number);
    row_body = ReplaceAll(std::move(row_body), u"[row*]", ToFullWidth(row_number));
    lines += ReplaceAll(data_line, u"[data]", row_body);
    lines += frame_row;
  }

  std::u16string fragment = TemplateText(templates, u"stagelist");
  fragment = ReplaceAll(std::move(fragment), u"[stage]", DecimalText(index));
  fragment = ReplaceAll(std::move(fragment), u"[title]", title);
  fragment = ReplaceAll(std::move(fragment), u"[lines]", lines);
  fragment = ReplaceAll(std::move(fragment), u"[width]",
                        DecimalText(static_cast<long long>(width)));
  fragment = ReplaceAll(std::move(fragment), u"[height]",
                        DecimalText(static_cast<long long>(height)));
  return fragment;
}

}  // namespace quarnel
