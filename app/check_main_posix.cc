// The entry point of quarnel-check on Linux: the findings go to standard
// output, one line each, in the form editors and build tools jump to.
#include <cstdio>
#include <string>
#include <vector>

#include "check/check_file.h"
#include "check/check_messages.h"
#include "platform/platform.h"
#include "platform/terminal.h"
#include "text/gtstr.h"
#include "platform/utf8.h"

namespace {

bool WriteLine(const std::u16string& line, std::FILE* out) {
  std::string bytes = quarnel::EncodeUtf8(line);
  bytes.push_back('\n');
  return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
  using quarnel::CheckStatus;
  auto process = quarnel::MakeSystemProcessInfo(argc, argv);
  auto files = quarnel::MakeSystemFileSystem();
  auto code_page = quarnel::MakeSystemCodePage();
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(quarnel::DecodeUtf8(argv[i]));
  quarnel::CheckRequest request =
      quarnel::CheckRequestOf(arguments, process->ExecutableDirectory(), files->Style());
  if (request.usage_error) {
    if (!request.usage_problem.empty()) WriteLine(request.usage_problem, stderr);
    WriteLine(quarnel::kUsageText, stderr);
    return static_cast<int>(CheckStatus::Usage);
  }
  CheckStatus status = CheckStatus::Clean;
  // On a terminal, a line on standard error counts the stages decided while
  // the solver works; it is erased before anything else is written.
  const bool progress = quarnel::StandardErrorIsTerminal();
  bool progress_shown = false;
  auto erase_progress = [&]() {
    if (progress_shown) std::fputs("\r\x1b[K", stderr);
    progress_shown = false;
  };
  for (const std::u16string& path : request.paths) {
    quarnel::CheckListener listener;
    // Each finding goes out as soon as it is final.
    listener.finding = [&](const quarnel::Finding& finding) {
      erase_progress();
      WriteLine(quarnel::FindingLine(path, finding), stdout);
      std::fflush(stdout);
    };
    if (request.show) {
      listener.drawing = [&](const std::u16string& line) {
        WriteLine(line, stdout);
        std::fflush(stdout);
      };
    }
    if (progress) {
      listener.progress = [&](size_t decided, size_t total) {
        std::string line = "\r" + quarnel::EncodeUtf8(quarnel::FillText(
                                      quarnel::kProgressText,
                                      {quarnel::DecimalText(static_cast<long long>(decided)),
                                       quarnel::DecimalText(static_cast<long long>(total))}));
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        progress_shown = true;
      };
    }
    quarnel::CheckReport report =
        quarnel::CheckFile(*files, *code_page, path, request.choice,
                           request.solve ? &*request.solve : nullptr, request.addresses, &listener);
    erase_progress();
    for (const std::u16string& line : quarnel::ReportTailLines(report)) WriteLine(line, stdout);
    if (request.levels) {
      for (const std::u16string& line : quarnel::LevelLines(report)) WriteLine(line, stdout);
    }
    status = quarnel::Worse(status, report.status);
  }
  // A report that did not reach its reader is a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    WriteLine(quarnel::kCannotWriteOutputText, stderr);
    return static_cast<int>(CheckStatus::Errors);
  }
  return static_cast<int>(status);
}
