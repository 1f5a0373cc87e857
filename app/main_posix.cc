// The entry point of the Linux program, for a terminal and a desktop alike.
#include <csignal>

#include "app/program.h"

int main(int argc, char** argv) {
  // A write beyond a file-size limit must fail with an error the program
  // reports, not kill it halfway.
  std::signal(SIGXFSZ, SIG_IGN);
  auto boxes = quarnel::MakeSystemMessageBoxes();
  auto chooser = quarnel::MakeSystemFileChooser();
  auto process = quarnel::MakeSystemProcessInfo(argc, argv);
  auto files = quarnel::MakeSystemFileSystem();
  auto code_page = quarnel::MakeSystemCodePage();
  quarnel::Program program({*boxes, *chooser, *process, *files, *code_page});
  return static_cast<int>(program.Main());
}
