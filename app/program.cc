#include "app/program.h"

#include <algorithm>

#include "app/messages.h"
#include "app/page_writer.h"
#include "platform/command_line.h"
#include "render/build_document.h"

namespace quarnel {

ExitStatus Program::Main() {
  FileError error;
  const Report show = [this](const std::u16string& text, const std::u16string& title) {
    platform_.boxes.Show(text, title);
  };
  switch (LoadTemplate(platform_.files, platform_.code_page,
                       platform_.process.ExecutableDirectory(), &templates_,
                       &error)) {
    case LoadStatus::Loaded:
      break;
    case LoadStatus::NotFound:
      show(TemplateNotFoundText(), kAppTitle);
      show(TemplateUnreadableText(), kErrorTitle);
      return ExitStatus::InputMissing;
    case LoadStatus::Failed:
      return Fatal(error, show);
  }

  // The argument text is the path as it stands; only the quotation marks
  // around a whole Windows path are taken off. Where that names no file,
  // the text as the system splits it may name several.
  stage_path_ = StagePathOf(platform_.process.ArgumentText(), platform_.files.Style());
  if (!stage_path_.empty() && !platform_.files.IsOrdinaryFile(stage_path_)) {
    std::vector<std::u16string> paths = platform_.process.Arguments();
    if (paths.size() >= 2) return ConvertEach(paths);
  }
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
        show(ChooserFailedText(choice.error), kErrorTitle);
        return ExitStatus::Fatal;
    }
    if (stage_path_.empty()) return ExitStatus::Ok;
  }
  return Convert(stage_path_, show);
}

ExitStatus Program::Convert(const std::u16string& path, const Report& report) {
  FileError error;
  stage_path_ = path;
  stages_.clear();
  switch (LoadStageFile(platform_.files, platform_.code_page, stage_path_,
                        &stages_, &error)) {
    case LoadStatus::Loaded:
      break;
    case LoadStatus::NotFound:
      report(StageNotFoundText(stage_path_), kAppTitle);
      report(StageUnreadableText(stage_path_), kErrorTitle);
      return ExitStatus::InputMissing;
    case LoadStatus::Failed:
      return Fatal(error, report);
  }

  // The page goes to the file as it is built; an empty one is not written.
  PageWriter page(platform_.files, platform_.code_page, stage_path_, templates_.encoding());
  BuildDocument(templates_, stages_, stage_path_, page, rater_);
  if (!page.Finish(&error)) return Fatal(error, report);
  return ExitStatus::Ok;
}

ExitStatus Program::ConvertEach(const std::vector<std::u16string>& paths) {
  // Each failure is printed as a single run prints it; the box lists each
  // failed file once, with the first message its own run would have shown.
  std::vector<std::u16string> failures;
  ExitStatus worst = ExitStatus::Ok;
  for (const std::u16string& path : paths) {
    bool first = true;
    ExitStatus status = Convert(path, [&](const std::u16string& text, const std::u16string& title) {
      platform_.boxes.Print(text, title);
      if (first) failures.push_back(text);
      first = false;
    });
    worst = std::max(worst, status);
  }
  if (!failures.empty()) platform_.boxes.ShowBoxWindow(SeveralFailedText(failures), kErrorTitle);
  return worst;
}

ExitStatus Program::Fatal(const FileError& error, const Report& report) {
  report(FatalErrorText(error), kErrorTitle);
  return ExitStatus::Fatal;
}

}  // namespace quarnel
