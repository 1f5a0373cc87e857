// The entry point of quarnel-check on Linux: the findings go to standard
// output, one line each, in the form editors and build tools jump to.
#include <cstdio>

#include "app/template_check.h"
#include "platform/platform.h"
#include "platform/utf8.h"

int main(int argc, char** argv) {
  auto process = quarnel::MakeSystemProcessInfo(argc, argv);
  auto files = quarnel::MakeSystemFileSystem();
  auto code_page = quarnel::MakeSystemCodePage();
  std::u16string path = quarnel::CheckedTemplatePath(
      process->ArgumentText(), process->ExecutableDirectory(), files->Style());
  quarnel::CheckReport report = quarnel::CheckTemplateFile(*files, *code_page, path);
  for (const std::u16string& line : quarnel::ReportLines(report)) {
    std::string bytes = quarnel::EncodeUtf8(line);
    bytes.push_back('\n');
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  }
  // A report that did not reach its reader is a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("quarnel-check: 標準出力に書きこめません\n", stderr);
    return static_cast<int>(quarnel::CheckStatus::Errors);
  }
  return static_cast<int>(report.status);
}
