// The entry point of quarnel-import on Linux: each text file of addresses
// becomes a stage file beside it; "-" reads standard input and writes
// standard output. Errors go to standard error, one line each.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "import/import_messages.h"
#include "import/stage_import.h"
#include "platform/platform.h"
#include "platform/utf8.h"

namespace {

// The exit statuses, as quarnel-check's.
constexpr int kOk = 0;
constexpr int kUsage = 2;
constexpr int kFailed = 3;

void WriteLine(const std::u16string& line, std::FILE* out) {
  std::string bytes = quarnel::EncodeUtf8(line);
  bytes.push_back('\n');
  std::fwrite(bytes.data(), 1, bytes.size(), out);
}

bool ReadAll(std::FILE* in, std::string* bytes) {
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes->append(buffer, n);
  return !std::ferror(in);
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGXFSZ, SIG_IGN);
  auto files = quarnel::MakeSystemFileSystem();
  auto code_page = quarnel::MakeSystemCodePage();
  std::vector<std::u16string> paths;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::u16string argument = quarnel::DecodeUtf8(argv[i]);
    if (options && argument == u"--") {
      options = false;
    } else if (options && argument.size() > 1 && argument.front() == u'-') {
      paths.clear();
      break;
    } else {
      paths.push_back(argument);
    }
  }
  if (paths.empty()) {
    WriteLine(quarnel::kImportUsageText, stderr);
    return kUsage;
  }
  int status = kOk;
  for (const std::u16string& path : paths) {
    quarnel::ImportError error;
    size_t stages = 0;
    if (path == quarnel::kStandardInputName) {
      std::string input, output;
      if (!ReadAll(stdin, &input)) {
        error = {path, 0, 0, quarnel::kCannotReadInputText};
      } else if (quarnel::StageFileOfBytes(*code_page, input, path, &output, &stages, &error)) {
        if (std::fwrite(output.data(), 1, output.size(), stdout) != output.size() ||
            std::fflush(stdout) != 0) {
          WriteLine(quarnel::kCannotWriteStdoutText, stderr);
          status = kFailed;
        }
        continue;
      }
    } else {
      std::u16string output_path;
      if (quarnel::ImportFile(*files, *code_page, path, &output_path, &stages, &error)) continue;
    }
    WriteLine(quarnel::ImportErrorLine(error), stderr);
    status = kFailed;
  }
  return status;
}
