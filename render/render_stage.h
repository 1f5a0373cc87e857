#ifndef QUARNEL_RENDER_RENDER_STAGE_H_
#define QUARNEL_RENDER_RENDER_STAGE_H_

#include <string>
#include <string_view>

#include "input/template_store.h"
#include "text/text_sink.h"

namespace quarnel {

/// Rates a stage record for "[level]": 1-5 (5 also for a stage too hard to
/// rate within its bound), or 0 for a stage without a loop. The program
/// passes the puzzle solver's rating; the renderer calls it only for a
/// stagelist section that holds "[level]".
using StageRater = int (*)(std::u16string_view record);

/// The text "[level]" gives: five stars, as many black as the level, then
/// the level's digit in full-width parentheses for those who hear the page
/// ("★★★☆☆（3）"); empty for level 0.
std::u16string LevelText(int level);

/// The filled "stagelist" section for stage `index` (from 1), drawn from the
/// grid of `record`: a frame row above, between and below the data rows.
/// Empty for a stage without grid, or whose grid lines are all empty.
std::u16string RenderStage(const TemplateStore& templates, long long index,
                           std::u16string_view record, StageRater rater = nullptr);

/// The same fragment, written piece by piece to `out`: only one grid row is
/// held at a time, so a stage of any size costs little memory. Without a
/// rater, "[level]" gives nothing.
void RenderStage(const TemplateStore& templates, long long index,
                 std::u16string_view record, TextSink& out, StageRater rater = nullptr);

}  // namespace quarnel

#endif  // QUARNEL_RENDER_RENDER_STAGE_H_
