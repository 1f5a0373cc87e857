#ifndef QUARNEL_PLATFORM_FILE_CHOOSER_H_
#define QUARNEL_PLATFORM_FILE_CHOOSER_H_

#include <memory>
#include <string>

namespace quarnel {

/// What the open-file dialog shows: its title and its single filter.
struct FileChooserRequest {
  std::u16string title;
  std::u16string filter_name;
  std::u16string filter_pattern;
};

/// How asking the user for a file ended. Cancelling is not an error;
/// `Unavailable` means this program has no way to ask (a console).
struct FileChoice {
  enum class Status { Chosen, Cancelled, Unavailable, Failed };
  Status status = Status::Cancelled;
  std::u16string path;   // with Chosen
  std::u16string error;  // with Failed: what went wrong
};

/// The modal open-file dialog that accepts one existing file.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  virtual FileChoice Choose(const FileChooserRequest& request) = 0;
};

/// A console has no dialog: prints a one-line usage text on standard error
/// and answers `Unavailable`.
std::unique_ptr<FileChooser> MakeConsoleFileChooser();

/// The dialog of this process: a window where standard input is not a
/// terminal and a display can be opened (tried on first use), else the
/// console's usage line. It never prints while a window is shown.
std::unique_ptr<FileChooser> MakeSystemFileChooser();

/// Windows: the common open-file dialog (GetOpenFileNameA).
std::unique_ptr<FileChooser> MakeDialogFileChooser();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_FILE_CHOOSER_H_
