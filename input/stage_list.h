#ifndef QUARNEL_INPUT_STAGE_LIST_H_
#define QUARNEL_INPUT_STAGE_LIST_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/file_error.h"
#include "input/load_status.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace quarnel {

/// One stage: the title as read, one U+0000, then the grid lines' cells
/// (AppendGridCells: half-width, one code unit a cell) joined with CR LF.
using StageRecord = std::u16string;

/// The stages in file order; position 1 is element 0.
using StageList = std::vector<StageRecord>;

/// Appends the stages of a stage file's lines to `stages`. A line starting
/// with "*" ends a stage (always, even an empty one); the first non-empty
/// line of a stage is its title and the rest its grid. At the end of the
/// lines a last stage is kept only if its grid is not empty.
void ParseStages(std::span<const std::u16string_view> lines, StageList* stages);

/// Reads the stage file at `path` into `stages`, which is left untouched
/// when no ordinary file is there.
LoadStatus LoadStageFile(FileSystem& files, CodePage& code_page,
                         const std::u16string& path, StageList* stages,
                         FileError* error);

}  // namespace quarnel

#endif  // QUARNEL_INPUT_STAGE_LIST_H_
