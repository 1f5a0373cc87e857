// The entry point of the Windows program: a GUI program without a window of
// its own, whose messages are message boxes.
#include <windows.h>

#include <new>

#include "app/messages.h"
#include "app/program.h"
#include "check/stage_board.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The argument text is read whole from GetCommandLineW, not from the
  // already cut one passed here.
  auto boxes = quarnel::MakeSystemMessageBoxes();
  try {
    auto chooser = quarnel::MakeDialogFileChooser();
    auto process = quarnel::MakeSystemProcessInfo();
    auto files = quarnel::MakeSystemFileSystem();
    auto code_page = quarnel::MakeSystemCodePage();
    quarnel::Program program({*boxes, *chooser, *process, *files, *code_page}, &quarnel::PageLevel);
    return static_cast<int>(program.Main());
  } catch (const std::bad_alloc&) {
    // A file too large to hold ends the run with a box, not silently.
    boxes->Show(quarnel::kOutOfMemoryText, quarnel::kErrorTitle);
    return static_cast<int>(quarnel::ExitStatus::Fatal);
  }
}
