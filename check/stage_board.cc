#include "check/stage_board.h"

#include <vector>

#include "puzzle/deduction.h"
#include "text/lines.h"

namespace quarnel {

Board BoardFromStage(std::u16string_view record) {
  // The title ends at the first U+0000 and the grid at the next one.
  size_t title_end = record.find(u'\0');
  if (title_end == std::u16string_view::npos) return Board{};
  std::u16string_view body = record.substr(title_end + 1);
  return BoardFromLines(GridLines(body.substr(0, body.find(u'\0'))));
}

int PageLevel(std::u16string_view record) {
  return RatingOf(Deduce(BoardFromStage(record))).level;
}

}  // namespace quarnel
