#include "render/build_document.h"

#include "render/render_stage.h"
#include "render/placeholders.h"
#include "text/gtstr.h"

namespace quarnel {

void BuildDocument(const TemplateStore& templates, const StageList& stages,
                   std::u16string_view stage_path, TextSink& out, StageRater rater) {
  const std::u16string* body = templates.Find(SectionName(Section::Body));
  if (!body || body->empty()) return;
  // "[stagelist]" is filled by ReplaceAll's rule on the fixed body, so the
  // stage list is drawn again wherever it goes, never held. "[filename]" and
  // "[numstage]" are then filled in everything, the fragments included.
  const std::u16string count = DecimalText(static_cast<long long>(stages.size()));
  ReplaceChainSink fill_path(
      {{PlaceholderText(Placeholder::Filename), stage_path}, {PlaceholderText(Placeholder::Numstage), count}}, out);
  std::vector<std::u16string> pieces = SplitText(*body, PlaceholderText(Placeholder::Stagelist));
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) {
      for (size_t s = 0; s < stages.size(); ++s) {
        RenderStage(templates, static_cast<long long>(s + 1), stages[s], fill_path, rater);
        fill_path.Write(u"\r\n");
      }
    }
    fill_path.Write(pieces[i]);
  }
  fill_path.Finish();
}

std::u16string BuildDocument(const TemplateStore& templates,
                             const StageList& stages,
                             std::u16string_view stage_path, StageRater rater) {
  StringSink out;
  BuildDocument(templates, stages, stage_path, out, rater);
  return std::move(out.text());
}

}  // namespace quarnel
