#ifndef QUARNEL_CHECK_STAGE_BOARD_H_
#define QUARNEL_CHECK_STAGE_BOARD_H_

#include <string_view>

#include "puzzle/board.h"

namespace quarnel {

/// The puzzle drawn by a stage record (title, U+0000, grid lines joined with
/// CR LF), cell for cell as the page shows it: '0'-'3' in half or full width
/// are clues, any other character a cell without clue, and a row shorter
/// than the widest has no clues past its end. A stage without grid, or
/// whose grid lines are all empty, gives a board of no cells, which has no
/// solution.
Board BoardFromStage(std::u16string_view record);

/// The level "[level]" shows for a stage record (the board BoardFromStage
/// draws): its rating's level within DefaultWorkBound, 0 for a stage
/// deduction finds without a loop. Whether a stage it cannot solve
/// has one solution is left to quarnel-check: such a stage shows as ★5.
int PageLevel(std::u16string_view record);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_STAGE_BOARD_H_
