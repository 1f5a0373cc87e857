#include "app/program.h"

#include "app/messages.h"
#include "app/page_writer.h"
#include "render/build_document.h"

namespace quarnel {

std::u16string StagePathOf(const std::u16string& argument_text, PathStyle style) {
  if (style == PathStyle::Windows && argument_text.size() >= 2 &&
      argument_text.front() == u'"' && argument_text.back() == u'"' &&
      argument_text.find(u'"', 1) == argument_text.size() - 1) {
    return argument_text.substr(1, argument_text.size() - 2);
  }
  return argument_text;
}

ExitStatus Program::Main() {
  FileError error;
  switch (LoadTemplate(platform_.files, platform_.code_page,
                       platform_.process.ExecutableDirectory(), &templates_,
                       &error)) {
    case LoadStatus::Loaded:
      break;
    case LoadStatus::NotFound:
      platform_.boxes.Show(TemplateNotFoundText(), kAppTitle);
      platform_.boxes.Show(TemplateUnreadableText(), kErrorTitle);
      return ExitStatus::InputMissing;
    case LoadStatus::Failed:
      return Fatal(error);
  }

  // The argument text is the path as it stands, not split; only the
  // quotation marks around a whole Windows path are taken off.
  stage_path_ = StagePathOf(platform_.process.ArgumentText(), platform_.files.Style());
  if (stage_path_.empty()) {
    FileChoice choice = platform_.chooser.Choose(
        {kChooserTitle, kChooserFilterName, kChooserFilterPattern});
    switch (choice.status) {
      case FileChoice::Status::Chosen:
        stage_path_ = choice.path;
        break;
      case FileChoice::Status::Cancelled:
        break;
      case FileChoice::Status::Unavailable:
        return ExitStatus::Usage;
      case FileChoice::Status::Failed:
        platform_.boxes.Show(ChooserFailedText(choice.error), kErrorTitle);
        return ExitStatus::Fatal;
    }
    if (stage_path_.empty()) return ExitStatus::Ok;
  }

  switch (LoadStageFile(platform_.files, platform_.code_page, stage_path_,
                        &stages_, &error)) {
    case LoadStatus::Loaded:
      break;
    case LoadStatus::NotFound:
      platform_.boxes.Show(StageNotFoundText(stage_path_), kAppTitle);
      platform_.boxes.Show(StageUnreadableText(stage_path_), kErrorTitle);
      return ExitStatus::InputMissing;
    case LoadStatus::Failed:
      return Fatal(error);
  }

  // The page goes to the file as it is built; an empty one is not written.
  PageWriter page(platform_.files, platform_.code_page, stage_path_, templates_.encoding());
  BuildDocument(templates_, stages_, stage_path_, page);
  if (!page.Finish(&error)) return Fatal(error);
  return ExitStatus::Ok;
}

ExitStatus Program::Fatal(const FileError& error) {
  platform_.boxes.Show(FatalErrorText(error), kErrorTitle);
  return ExitStatus::Fatal;
}

}  // namespace quarnel
