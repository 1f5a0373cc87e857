#include "render/build_document.h"

#include "render/render_stage.h"
#include "text/gtstr.h"

namespace quarnel {

std::u16string BuildDocument(const TemplateStore& templates,
                             const StageList& stages,
                             std::u16string_view stage_path) {
  std::u16string stage_list;
  for (size_t i = 0; i < stages.size(); ++i) {
    stage_list += RenderStage(templates, static_cast<long long>(i + 1), stages[i]);
    stage_list += u"\r\n";
  }
  const std::u16string* body = templates.Find(u"body");
  std::u16string page = body ? *body : std::u16string();
  page = ReplaceAll(std::move(page), u"[stagelist]", stage_list);
  stage_list = std::u16string();  // the page holds its own copy now
  page = ReplaceAll(std::move(page), u"[filename]", stage_path);
  page = ReplaceAll(std::move(page), u"[numstage]",
                    DecimalText(static_cast<long long>(stages.size())));
  return page;
}

}  // namespace quarnel
