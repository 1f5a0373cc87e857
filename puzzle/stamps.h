#ifndef QUARNEL_PUZZLE_STAMPS_H_
#define QUARNEL_PUZZLE_STAMPS_H_

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quarnel {

/// Marks per cell that a pass over the board sets without clearing them
/// first: a cell is marked in this pass when its mark equals the pass's
/// stamp. Moves `*now` to a stamp not yet in `marks`; they start again
/// when the count wraps.
inline void NextStamp(uint32_t* now, std::vector<uint32_t>* marks) {
  if (++*now == 0) {
    std::fill(marks->begin(), marks->end(), 0);
    *now = 1;
  }
}

}  // namespace quarnel

#endif  // QUARNEL_PUZZLE_STAMPS_H_
