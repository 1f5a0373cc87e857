// The entry point of quarnel-check.exe: a GUI program that shows its
// findings in one message box, and a small window saying it is working
// while a file takes a while to check.
#include <windows.h>

#include <chrono>
#include <new>
#include <string>

#include "app/messages.h"
#include "check/check_file.h"
#include "check/check_messages.h"
#include "platform/platform.h"
#include "platform/working_window.h"
#include "text/gtstr.h"

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
    // The window appears only for a check that is not done in the blink of
    // an eye, and counts the stages decided; it is gone before the box.
    quarnel::CheckReport report;
    auto working = quarnel::MakeWorkingWindow(quarnel::kCheckWorkingTitle,
                                              std::chrono::milliseconds(400));
    working->Run(quarnel::kCheckWorkingText, [&](const quarnel::WorkingWindow::SayText& say) {
      quarnel::CheckListener listener;
      listener.progress = [&say](size_t decided, size_t total) {
        say(quarnel::FillText(quarnel::kCheckWorkingStagesText,
                              {quarnel::DecimalText(static_cast<long long>(decided)),
                               quarnel::DecimalText(static_cast<long long>(total))}));
      };
      report = quarnel::CheckFile(*files, *code_page, request.paths.front(), request.choice,
                                  request.solve ? &*request.solve : nullptr, false, &listener);
    });
    boxes->Show(quarnel::ReportBoxText(report), quarnel::kAppTitle);
    return static_cast<int>(report.status);
  } catch (const std::bad_alloc&) {
    boxes->Show(quarnel::kOutOfMemoryText, quarnel::kErrorTitle);
    return static_cast<int>(quarnel::CheckStatus::Errors);
  }
}
