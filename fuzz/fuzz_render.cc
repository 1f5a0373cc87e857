// One stage rendered with an arbitrary template. The input is UTF-8 text cut
// at its first two NUL bytes into template.dat, the title and the grid; the
// grid may hold further NULs, which a record read from a file never does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "input/template_store.h"
#include "render/render_stage.h"
#include "text/gtstr.h"
#include "text/lines.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

size_t Count(std::u16string_view text, std::u16string_view find) {
  size_t n = 0;
  for (size_t at = text.find(find); at != std::u16string_view::npos;
       at = text.find(find, at + find.size())) {
    ++n;
  }
  return n;
}

// An upper bound of the fragment's length. Rendering is linear in its
// output, but a few placeholders can ask for an output of gigabytes; such
// inputs are passed over rather than reported as running out of memory.
double OutputBound(const TemplateStore& store, std::u16string_view title,
                   std::u16string_view grid) {
  double width = 0;
  double height = 1;
  size_t line_start = 0;
  for (size_t at = grid.find(u"\r\n"); at != std::u16string_view::npos;
       at = grid.find(u"\r\n", line_start)) {
    width = std::max(width, static_cast<double>(at - line_start));
    line_start = at + 2;
    ++height;
  }
  width = std::max(width, static_cast<double>(grid.size() - line_start));
  double longest = 1;
  for (const char16_t* name : {u"frame_line", u"frame_space", u"frame_content",
                               u"data_line", u"data_space", u"data_content",
                               u"stagelist"}) {
    longest = std::max(longest, static_cast<double>(TemplateText(store, name).size()));
  }
  double frame_row = longest + static_cast<double>(Count(TemplateText(store, u"frame_line"), u"[frame]")) *
                                   (width + 1) * 2 * longest;
  double row_body = 2 * (width + 1) * 2 * longest;
  double data_row = longest + static_cast<double>(Count(TemplateText(store, u"data_line"), u"[data]")) * row_body;
  double lines = (height + 1) * (frame_row + data_row);
  double filled = longest * (2 + static_cast<double>(title.size()) + 20);
  return filled * (1 + lines);
}

}  // namespace
}  // namespace quarnel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  size_t first = bytes.find('\0');
  if (first == std::string::npos) return 0;
  size_t second = bytes.find('\0', first + 1);
  if (second == std::string::npos) return 0;
  FakeCodePage code_page;
  std::u16string template_text, title, grid;
  if (!code_page.Decode(std::string_view(bytes).substr(0, first), &template_text) ||
      !code_page.Decode(std::string_view(bytes).substr(first + 1, second - first - 1), &title) ||
      !code_page.Decode(std::string_view(bytes).substr(second + 1), &grid)) {
    return 0;
  }
  std::vector<std::u16string_view> lines = SplitLines(template_text);
  TemplateStore store;
  FileError error;
  if (!ParseTemplate(lines, &store, &error)) return 0;
  if (OutputBound(store, title, grid) > 2e7) return 0;

  std::u16string record = title + u'\0' + grid;
  long long index = static_cast<long long>(size % 1000) - 10;
  std::u16string fragment = RenderStage(store, index, record);
  // Without a cell there is nothing to draw.
  bool has_cell = false;
  for (const std::u16string& row :
       SplitText(SplitText(record, std::u16string_view(u"\0", 1))[1], u"\r\n")) {
    has_cell = has_cell || !row.empty();
  }
  if (!has_cell) Check(fragment.empty());
  return 0;
}
