#ifndef QUARNEL_PLATFORM_PROCESS_INFO_H_
#define QUARNEL_PLATFORM_PROCESS_INFO_H_

#include <memory>
#include <string>
#include <vector>

namespace quarnel {

/// What the process was started with.
class ProcessInfo {
 public:
  virtual ~ProcessInfo() = default;
  /// Everything after the program's own name, as one string, not unquoted.
  virtual std::u16string ArgumentText() = 0;
  /// The arguments one by one, as the system splits them: on POSIX as the
  /// process received them, on Windows the argument text split as
  /// CommandLineToArgvW splits it.
  virtual std::vector<std::u16string> Arguments() = 0;
  /// The directory that holds the executable, without a trailing separator
  /// unless it is a root.
  virtual std::u16string ExecutableDirectory() = 0;
};

/// POSIX: the arguments joined with single blanks, decoded from UTF-8; the
/// directory of /proc/self/exe.
std::unique_ptr<ProcessInfo> MakeSystemProcessInfo(int argc, char** argv);

/// Windows: the argument text of GetCommandLineW; the directory of the
/// executable's module.
std::unique_ptr<ProcessInfo> MakeSystemProcessInfo();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_PROCESS_INFO_H_
