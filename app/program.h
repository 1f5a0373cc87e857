#ifndef QUARNEL_APP_PROGRAM_H_
#define QUARNEL_APP_PROGRAM_H_

#include <functional>
#include <string>
#include <vector>

#include "input/file_error.h"
#include "input/stage_list.h"
#include "input/template_store.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "render/render_stage.h"

namespace quarnel {

/// How a run ended; the value is the process's exit status.
enum class ExitStatus : int {
  Ok = 0,            // page written, nothing to write, or dialog cancelled
  InputMissing = 1,  // template or stage file missing, after its two boxes
  Usage = 2,         // no stage file given and no way to ask for one
  Fatal = 3,         // an input or the page could not be used; one box said why
};

/// One run of the program: load the template, take the stage file from the
/// argument text or the open-file dialog, load it, build the page, write it.
/// An argument text that names no file as a whole but splits into several
/// arguments names several stage files: each is converted on its own, in
/// order, with the one template. The stage path, the template sections and
/// the stages are this run's state (of the last file, for several); a
/// Program runs once.
class Program {
 public:
  /// `rater` gives each stage's "[level]" (the program's puzzle solver; the
  /// core does not hold one).
  explicit Program(const Platform& platform, StageRater rater = nullptr)
      : platform_(platform), rater_(rater) {}

  ExitStatus Main();

  const std::u16string& stage_path() const { return stage_path_; }
  const TemplateStore& templates() const { return templates_; }
  const StageList& stages() const { return stages_; }

 private:
  // Where a conversion's messages go: a single run's boxes, or the lines and
  // the list of failures of a run over several files.
  using Report = std::function<void(const std::u16string& text, const std::u16string& title)>;

  ExitStatus Convert(const std::u16string& path, const Report& report);
  ExitStatus ConvertEach(const std::vector<std::u16string>& paths);
  ExitStatus Fatal(const FileError& error, const Report& report);

  Platform platform_;
  StageRater rater_;
  std::u16string stage_path_;
  TemplateStore templates_;
  StageList stages_;
};

}  // namespace quarnel

#endif  // QUARNEL_APP_PROGRAM_H_
