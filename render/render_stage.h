#ifndef QUARNEL_RENDER_RENDER_STAGE_H_
#define QUARNEL_RENDER_RENDER_STAGE_H_

#include <string>
#include <string_view>

#include "input/template_store.h"

namespace quarnel {

/// The filled "stagelist" section for stage `index` (from 1), drawn from the
/// grid of `record`: a frame row above, between and below the data rows.
/// Empty for a stage without grid, or whose grid lines are all empty.
std::u16string RenderStage(const TemplateStore& templates, long long index,
                           std::u16string_view record);

}  // namespace quarnel

#endif  // QUARNEL_RENDER_RENDER_STAGE_H_
