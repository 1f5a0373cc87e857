// The entry point of quarnel-import.exe: a GUI program without a window of
// its own. A dropped text file of addresses becomes a stage file beside it;
// an error is one message box.
#include <windows.h>

#include <new>

#include "app/messages.h"
#include "import/import_messages.h"
#include "import/stage_import.h"
#include "platform/command_line.h"
#include "platform/platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  auto boxes = quarnel::MakeSystemMessageBoxes();
  try {
    auto process = quarnel::MakeSystemProcessInfo();
    auto files = quarnel::MakeSystemFileSystem();
    auto code_page = quarnel::MakeSystemCodePage();
    // A dropped file's path comes as Quarnel's stage file path does.
    std::u16string path = quarnel::StagePathOf(process->ArgumentText(), files->Style());
    if (path.empty()) {
      boxes->Show(quarnel::kImportBoxUsageText, quarnel::kErrorTitle);
      return 2;
    }
    quarnel::ImportError error;
    std::u16string output_path;
    size_t stages = 0;
    if (!quarnel::ImportFile(*files, *code_page, path, &output_path, &stages, &error)) {
      boxes->Show(quarnel::ImportErrorBoxText(error), quarnel::kErrorTitle);
      return 3;
    }
    return 0;
  } catch (const std::bad_alloc&) {
    boxes->Show(quarnel::kOutOfMemoryText, quarnel::kErrorTitle);
    return 3;
  }
}
