#ifndef QUARNEL_CHECK_STAGE_CHECK_H_
#define QUARNEL_CHECK_STAGE_CHECK_H_

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "check/finding.h"

namespace quarnel {

/// What the check of a stage file's lines found.
struct StageFileCheck {
  size_t stage_count = 0;  // the stages Quarnel puts on the page, empty ones included
  std::vector<Finding> findings;  // by line
};

/// Checks the lines of a stage file against the rules Quarnel reads them
/// by: titles that look like grid lines, empty and dropped stages, cells
/// that come out blank, empty rows at a grid's end, rows of different
/// lengths, separators that are not, text a separator ignores, and titles
/// whose text can break the markup. Every finding is a warning: Quarnel
/// converts any stage file it can read.
StageFileCheck CheckStageLines(std::span<const std::u16string_view> lines);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_STAGE_CHECK_H_
