#ifndef QUARNEL_PLATFORM_FILE_SYSTEM_H_
#define QUARNEL_PLATFORM_FILE_SYSTEM_H_

#include <memory>
#include <string>
#include <string_view>

namespace quarnel {

/// A file being written piece by piece, as a rule into a temporary file
/// beside its path: Commit puts it in place of any old file, and destroying
/// the writer without a successful Commit removes the temporary file and
/// leaves any old file as it was. Where the file is written in place
/// instead (see FileSystem::StartFile), a failed write leaves it partial.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  /// Appends `bytes`; on failure `error` says what went wrong, and the file
  /// is not to be committed.
  virtual bool Write(std::string_view bytes, std::u16string* error) = 0;
  /// Replaces the path with what was written; on failure `error` says what
  /// went wrong and nothing was replaced.
  virtual bool Commit(std::u16string* error) = 0;
};

/// Why a file could not be started: a page this system refuses to write
/// where it stands (a link another user planted in a shared folder, see
/// FileSystem::StartFile), or a failure, with the system's reason.
struct StartFailure {
  enum class Kind { Failed, Refused };
  Kind kind = Kind::Failed;
  std::u16string reason;
};

/// How paths are spelled on a system: which characters separate directories.
enum class PathStyle { Posix, Windows };

/// Whole-file reads and writes. The core sees raw bytes here and nowhere else.
class FileSystem {
 public:
  enum class ReadStatus { Ok, NotFound, Failed };
  virtual ~FileSystem() = default;

  virtual PathStyle Style() const = 0;
  /// True if `path` names an existing ordinary file: not a directory, a
  /// device or (on Windows) a file marked hidden or system. Characters such
  /// as "*" and "?" are taken literally.
  virtual bool IsOrdinaryFile(const std::u16string& path) = 0;
  /// True if both paths name one existing file (same identity, not just the
  /// same spelling). False when either does not exist.
  virtual bool IsSameFile(const std::u16string& a, const std::u16string& b) = 0;
  /// Reads all of `path`; on failure `error` says what went wrong.
  virtual ReadStatus ReadFile(const std::u16string& path, std::string* bytes,
                              std::u16string* error) = 0;
  /// Starts replacing `path` with the bytes to come, which the writer takes
  /// in pieces; null, with `failure` saying why, when the file cannot be
  /// started or is refused. The new file leaves what writing it in place
  /// would leave: an existing file the user may not write is an error and
  /// stays as it is; a symbolic link stays and its target gets the bytes;
  /// the file keeps its permissions (and owner and group, where the user
  /// may give them), or on Windows its attributes and security. The bytes go
  /// to a temporary file beside the file and replace it only at Commit, so
  /// a failed write leaves any old file intact and no temporary file
  /// behind, except where no temporary file can be made beside a file the
  /// user may write, or (POSIX) the file has several hard links: then it is
  /// written in place, one run at a time.
  ///
  /// POSIX: in a folder anyone may write that has the sticky bit (as /tmp
  /// has), a symbolic link is followed only if it belongs to the user or to
  /// the folder's owner, and a file with several hard links is not written
  /// at all, whatever the kernel's own protection is set to: such a page is
  /// refused (StartFailure::Kind::Refused) and nothing is written. Each step
  /// works on what the one before found: the folder is held open, the page
  /// and each link are opened without following a link, the temporary file
  /// is made in the open folder and renamed there.
  virtual std::unique_ptr<FileWriter> StartFile(const std::u16string& path,
                                                StartFailure* failure) = 0;

  /// Replaces `path` with `bytes` at once, as StartFile, a Write and a
  /// Commit do; on failure `error` says what went wrong.
  bool WriteFile(const std::u16string& path, std::string_view bytes, std::u16string* error) {
    StartFailure failure;
    std::unique_ptr<FileWriter> file = StartFile(path, &failure);
    if (!file) *error = failure.reason;
    return file && file->Write(bytes, error) && file->Commit(error);
  }
};

std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_FILE_SYSTEM_H_
