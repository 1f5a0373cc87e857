// The entry point of the Linux program, for a terminal and a desktop alike.
#include <csignal>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/program.h"
#include "check/stage_board.h"

int main(int argc, char** argv) {
  // A write beyond a file-size limit must fail with an error the program
  // reports, not kill it halfway.
  std::signal(SIGXFSZ, SIG_IGN);
#if defined(__GLIBC__)
  // Reading a stage file takes a few large buffers one after another (its
  // bytes, its text, its lines), each freed when the next is made. Kept in
  // the heap, a freed one is used again; each taken from the system apart
  // would cost a page fault per page, a fifth of the reading's time.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  auto boxes = quarnel::MakeSystemMessageBoxes();
  auto chooser = quarnel::MakeSystemFileChooser();
  auto process = quarnel::MakeSystemProcessInfo(argc, argv);
  auto files = quarnel::MakeSystemFileSystem();
  auto code_page = quarnel::MakeSystemCodePage();
  quarnel::Program program({*boxes, *chooser, *process, *files, *code_page}, &quarnel::PageLevel);
  return static_cast<int>(program.Main());
}
