#ifndef QUARNEL_RENDER_BUILD_DOCUMENT_H_
#define QUARNEL_RENDER_BUILD_DOCUMENT_H_

#include <string>
#include <string_view>

#include "input/stage_list.h"
#include "input/template_store.h"
#include "render/render_stage.h"
#include "text/text_sink.h"

namespace quarnel {

/// The text of the whole page: the "body" section with "[stagelist]" filled
/// by every stage's fragment (each followed by CR LF, also an empty one),
/// then "[filename]" by `stage_path`, then "[numstage]" by the number of
/// stages. Empty when the body is. `rater` rates the stages for "[level]"
/// (RenderStage).
std::u16string BuildDocument(const TemplateStore& templates,
                             const StageList& stages,
                             std::u16string_view stage_path, StageRater rater = nullptr);

/// The same page, written piece by piece to `out` as the stages are drawn,
/// so that it never exists whole; nothing is written when it is empty.
void BuildDocument(const TemplateStore& templates, const StageList& stages,
                   std::u16string_view stage_path, TextSink& out, StageRater rater = nullptr);

}  // namespace quarnel

#endif  // QUARNEL_RENDER_BUILD_DOCUMENT_H_
