#include "render/render_stage.h"

#include <algorithm>
#include <array>
#include <vector>

#include "render/placeholders.h"
#include "text/gtstr.h"
#include "text/lines.h"
#include "text/width.h"

namespace quarnel {
namespace {

// The five values a cell can hold; a cell is stored as an index into it.
constexpr std::array<char16_t, 5> kCellValues = {u'0', u'1', u'2', u'3', u' '};
constexpr unsigned char kBlank = 4;

unsigned char CellValue(char16_t c) {
  if (c < 0x80) return c >= u'0' && c <= u'3' ? static_cast<unsigned char>(c - u'0') : kBlank;
  std::u16string folded = ToHalfWidth(std::u16string_view(&c, 1));
  if (folded.size() == 1 && folded[0] >= u'0' && folded[0] <= u'3') {
    return static_cast<unsigned char>(folded[0] - u'0');
  }
  return kBlank;
}

// The grid lines and the template pieces of one stage, each filled as far as
// it can be before the rows are drawn.
class StageDrawing {
 public:
  StageDrawing(const TemplateStore& templates,
               std::vector<std::u16string_view> grid_lines, size_t width)
      : grid_lines_(std::move(grid_lines)), width_(width) {
    const std::u16string frame_content = TemplateText(templates, SectionName(Section::FrameContent));
    const std::u16string frame_space = TemplateText(templates, SectionName(Section::FrameSpace));
    std::u16string frame_body = frame_space;
    for (size_t c = 0; c < width_; ++c) {
      frame_body += frame_content;
      frame_body += frame_space;
    }
    frame_row_ = ReplaceAll(TemplateText(templates, SectionName(Section::FrameLine)), PlaceholderText(Placeholder::Frame), frame_body);
    // "[data]" is filled by ReplaceAll's rule on the fixed data_line, so the
    // row body simply goes between these pieces.
    data_line_ = SplitText(TemplateText(templates, SectionName(Section::DataLine)), PlaceholderText(Placeholder::Data));
    data_space_ = TemplateText(templates, SectionName(Section::DataSpace));
    // A cell's text depends on its value alone, so each of the five is filled
    // once per stage instead of once per cell.
    const std::u16string data_content = TemplateText(templates, SectionName(Section::DataContent));
    for (size_t v = 0; v < kCellValues.size(); ++v) {
      std::u16string value(1, kCellValues[v]);
      cell_texts_[v] = ReplaceAll(ReplaceAll(data_content, PlaceholderText(Placeholder::Number), value),
                                  PlaceholderText(Placeholder::NumberFull), ToFullWidth(value));
    }
    // A row body is data_space and cell texts, with the row numbers' digits
    // put in: without the first character of every placeholder in those
    // pieces it holds neither "[row]" nor "[row*]".
    const auto holds_start = [](std::u16string_view text) {
      return text.find(kPlaceholderStart) != std::u16string_view::npos;
    };
    row_numbered_ = holds_start(data_space_) || std::any_of(cell_texts_.begin(), cell_texts_.end(), holds_start);
    // Lines made of such row bodies and of other pieces without that
    // character hold no placeholder: the fills around them may pass them on
    // unsearched.
    plain_ = !row_numbered_ && !holds_start(frame_row_) &&
             std::none_of(data_line_.begin(), data_line_.end(), holds_start);
  }

  // The lines text: the frame row, then each data row followed by the frame
  // row. A row body goes out in pieces as its cells are filled, so even a
  // very wide row is never held whole.
  void WriteLines(TextSink& out) {
    Put(out, frame_row_);
    for (size_t r = 0; r < grid_lines_.size(); ++r) {
      std::u16string row_number = DecimalText(static_cast<long long>(r + 1));
      std::u16string full_row_number = ToFullWidth(row_number);
      for (size_t i = 0; i < data_line_.size(); ++i) {
        if (i > 0) WriteRowBody(grid_lines_[r], row_number, full_row_number, out);
        Put(out, data_line_[i]);
      }
      Put(out, frame_row_);
    }
    PassOn(out);
  }

 private:
  // "[row]" and then "[row*]" are filled in the row body alone: its
  // data_space and cell pieces, not data_line around it.
  void WriteRowBody(std::u16string_view line, std::u16string_view row_number,
                    std::u16string_view full_row_number, TextSink& out) {
    if (!row_numbered_) {
      WriteCells(line, out);
      return;
    }
    ReplaceChainSink fill_numbers({{PlaceholderText(Placeholder::Row), row_number},
                                   {PlaceholderText(Placeholder::RowFull), full_row_number}},
                                  out);
    WriteCells(line, fill_numbers);
    fill_numbers.Finish();
  }

  void WriteCells(std::u16string_view line, TextSink& out) {
    Put(out, data_space_);
    for (size_t c = 0; c < width_; ++c) {
      Put(out, cell_texts_[c < line.size() ? CellValue(line[c]) : kBlank]);
      Put(out, data_space_);
    }
  }

  // Plain lines are gathered and passed on in large pieces, unsearched.
  void Put(TextSink& out, std::u16string_view text) {
    if (!plain_) {
      out.Write(text);
      return;
    }
    gathered_ += text;
    if (gathered_.size() >= kGatherSize) PassOn(out);
  }
  void PassOn(TextSink& out) {
    if (gathered_.empty()) return;
    out.WriteWithout(kPlaceholderStart, gathered_);
    gathered_.clear();
  }
  static constexpr size_t kGatherSize = 1 << 14;
  std::u16string gathered_;

  std::vector<std::u16string_view> grid_lines_;
  size_t width_;
  std::u16string frame_row_;
  std::vector<std::u16string> data_line_;
  std::u16string data_space_;
  std::array<std::u16string, kCellValues.size()> cell_texts_;
  bool row_numbered_ = false;  // whether a row body may hold "[row]" or "[row*]"
  bool plain_ = false;         // whether the lines may hold no placeholder at all
};

}  // namespace

std::u16string LevelText(int level) {
  if (level < 1 || level > 5) return {};
  std::u16string text(static_cast<size_t>(level), u'★');
  text.append(static_cast<size_t>(5 - level), u'☆');
  return text + u"（" + DecimalText(level) + u"）";
}

void RenderStage(const TemplateStore& templates, long long index,
                 std::u16string_view record, TextSink& out, StageRater rater) {
  // The title ends at the first U+0000 and the grid at the next one.
  size_t title_end = record.find(u'\0');
  if (title_end == std::u16string_view::npos) return;
  std::u16string_view title = record.substr(0, title_end);
  std::u16string_view body = record.substr(title_end + 1);
  body = body.substr(0, body.find(u'\0'));
  std::vector<std::u16string_view> grid_lines = GridLines(body);

  size_t width = 0;
  for (std::u16string_view line : grid_lines) width = std::max(width, line.size());
  if (width == 0) return;
  const size_t height = grid_lines.size();
  StageDrawing drawing(templates, std::move(grid_lines), width);

  std::u16string fragment = TemplateText(templates, SectionName(Section::Stagelist));
  fragment = ReplaceAll(std::move(fragment), PlaceholderText(Placeholder::Stage), DecimalText(index));
  // "[level]" is filled with the title (before it, so that a title's own
  // "[level]" stays as written); a stage is rated only when it shows.
  const std::u16string_view level = PlaceholderText(Placeholder::Level);
  if (fragment.find(level) != std::u16string::npos) {
    fragment = ReplaceAll(std::move(fragment), level, rater ? LevelText(rater(record)) : u"");
  }
  fragment = ReplaceAll(std::move(fragment), PlaceholderText(Placeholder::Title), title);
  // "[lines]" is filled by ReplaceAll's rule on the fragment as it stands;
  // "[width]" and "[height]" are filled afterwards in everything, the lines
  // included, as the lines are drawn.
  const std::u16string width_text = DecimalText(static_cast<long long>(width));
  const std::u16string height_text = DecimalText(static_cast<long long>(height));
  ReplaceChainSink fill_size({{PlaceholderText(Placeholder::Width), width_text},
                              {PlaceholderText(Placeholder::Height), height_text}},
                             out);
  std::vector<std::u16string> pieces = SplitText(fragment, PlaceholderText(Placeholder::Lines));
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) drawing.WriteLines(fill_size);
    fill_size.Write(pieces[i]);
  }
  fill_size.Finish();
}

std::u16string RenderStage(const TemplateStore& templates, long long index,
                           std::u16string_view record, StageRater rater) {
  StringSink out;
  RenderStage(templates, index, record, out, rater);
  return std::move(out.text());
}

}  // namespace quarnel
