#include <unistd.h>

#include <string>

#include "platform/process_info.h"
#include "platform/utf8.h"

namespace quarnel {
namespace {

class PosixProcessInfo final : public ProcessInfo {
 public:
  PosixProcessInfo(int argc, char** argv) {
    // A list of arguments comes closest to one argument text when joined
    // with single blanks, each exactly as given.
    std::string joined;
    for (int i = 1; i < argc; ++i) {
      if (i > 1) joined += ' ';
      joined += argv[i];
      arguments_.push_back(DecodeUtf8(argv[i]));
    }
    argument_text_ = DecodeUtf8(joined);
  }

  std::u16string ArgumentText() override { return argument_text_; }
  std::vector<std::u16string> Arguments() override { return arguments_; }

  std::u16string ExecutableDirectory() override {
    std::string path(4096, '\0');
    for (;;) {
      ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
      if (length < 0) return u".";
      if (static_cast<size_t>(length) < path.size()) {
        path.resize(static_cast<size_t>(length));
        break;
      }
      path.resize(path.size() * 2);
    }
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return u".";
    path.resize(slash == 0 ? 1 : slash);
    return DecodeUtf8(path);
  }

 private:
  std::u16string argument_text_;
  std::vector<std::u16string> arguments_;
};

}  // namespace

std::unique_ptr<ProcessInfo> MakeSystemProcessInfo(int argc, char** argv) {
  return std::make_unique<PosixProcessInfo>(argc, argv);
}

}  // namespace quarnel
