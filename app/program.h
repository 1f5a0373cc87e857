#ifndef QUARNEL_APP_PROGRAM_H_
#define QUARNEL_APP_PROGRAM_H_

#include <string>

#include "input/file_error.h"
#include "input/stage_list.h"
#include "input/template_store.h"
#include "platform/file_system.h"
#include "platform/platform.h"

namespace quarnel {

/// The stage file's path given by the argument text. On Windows, where no
/// file name holds a quotation mark, a text that starts and ends with one and
/// holds no other (as Explorer passes a path with blanks) is the path between
/// them; any other text, and every text on POSIX, is the path as it stands.
std::u16string StagePathOf(const std::u16string& argument_text, PathStyle style);

/// How a run ended; the value is the process's exit status.
enum class ExitStatus : int {
  Ok = 0,            // page written, nothing to write, or dialog cancelled
  InputMissing = 1,  // template or stage file missing, after its two boxes
  Usage = 2,         // no stage file given and no way to ask for one
  Fatal = 3,         // an input or the page could not be used; one box said why
};

/// One run of the program: load the template, take the stage file from the
/// argument text or the open-file dialog, load it, build the page, write it.
/// The stage path, the template sections and the stages are this run's
/// state; a Program runs once.
class Program {
 public:
  explicit Program(const Platform& platform) : platform_(platform) {}

  ExitStatus Main();

  const std::u16string& stage_path() const { return stage_path_; }
  const TemplateStore& templates() const { return templates_; }
  const StageList& stages() const { return stages_; }

 private:
  ExitStatus Fatal(const FileError& error);

  Platform platform_;
  std::u16string stage_path_;
  TemplateStore templates_;
  StageList stages_;
};

}  // namespace quarnel

#endif  // QUARNEL_APP_PROGRAM_H_
