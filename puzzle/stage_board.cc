#include "puzzle/stage_board.h"

#include <vector>

namespace quarnel {

std::vector<std::u16string_view> GridLines(std::u16string_view body) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  for (size_t end = body.find(u"\r\n"); end != std::u16string_view::npos;
       end = body.find(u"\r\n", start)) {
    lines.push_back(body.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(body.substr(start));
  return lines;
}

Board BoardFromStage(std::u16string_view record) {
  // The title ends at the first U+0000 and the grid at the next one.
  size_t title_end = record.find(u'\0');
  if (title_end == std::u16string_view::npos) return Board{};
  std::u16string_view body = record.substr(title_end + 1);
  return BoardFromLines(GridLines(body.substr(0, body.find(u'\0'))));
}

}  // namespace quarnel
