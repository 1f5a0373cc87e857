#ifndef QUARNEL_RENDER_RENDER_STAGE_H_
#define QUARNEL_RENDER_RENDER_STAGE_H_

#include <string>
#include <string_view>

#include "input/template_store.h"
#include "text/text_sink.h"

namespace quarnel {

/// The filled "stagelist" section for stage `index` (from 1), drawn from the
/// grid of `record`: a frame row above, between and below the data rows.
/// Empty for a stage without grid, or whose grid lines are all empty.
std::u16string RenderStage(const TemplateStore& templates, long long index,
                           std::u16string_view record);

/// The same fragment, written piece by piece to `out`: only one grid row is
/// held at a time, so a stage of any size costs little memory.
void RenderStage(const TemplateStore& templates, long long index,
                 std::u16string_view record, TextSink& out);

}  // namespace quarnel

#endif  // QUARNEL_RENDER_RENDER_STAGE_H_
