// The entry point of quarnel-check.exe: a GUI program without a window of
// its own that shows its findings in one message box.
#include <windows.h>

#include <new>
#include <string>

#include "app/messages.h"
#include "check/check_file.h"
#include "check/check_messages.h"
#include "platform/platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  auto boxes = quarnel::MakeSystemMessageBoxes();
  try {
    auto process = quarnel::MakeSystemProcessInfo();
    auto files = quarnel::MakeSystemFileSystem();
    auto code_page = quarnel::MakeSystemCodePage();
    // A dropped file of either kind: a template or a stage file, whose
    // stages are solved within the default budget unless options before
    // the file say otherwise.
    quarnel::CheckRequest request = quarnel::CheckRequestOfText(
        process->ArgumentText(), process->ExecutableDirectory(), files->Style());
    if (request.usage_error) {
      std::u16string text = request.usage_problem;
      if (!text.empty()) text += u'\n';
      boxes->Show(text + quarnel::kBoxUsageText, quarnel::kErrorTitle);
      return static_cast<int>(quarnel::CheckStatus::Usage);
    }
    quarnel::CheckReport report =
        quarnel::CheckFile(*files, *code_page, request.paths.front(), request.choice,
                           request.solve ? &*request.solve : nullptr);
    boxes->Show(quarnel::ReportBoxText(report), quarnel::kAppTitle);
    return static_cast<int>(report.status);
  } catch (const std::bad_alloc&) {
    boxes->Show(quarnel::kOutOfMemoryText, quarnel::kErrorTitle);
    return static_cast<int>(quarnel::CheckStatus::Errors);
  }
}
