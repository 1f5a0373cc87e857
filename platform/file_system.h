#ifndef QUARNEL_PLATFORM_FILE_SYSTEM_H_
#define QUARNEL_PLATFORM_FILE_SYSTEM_H_

#include <memory>
#include <string>
#include <string_view>

namespace quarnel {

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
  /// Replaces `path` with `bytes` through a temporary file in the same
  /// directory, so a failed write leaves any old file intact and no
  /// temporary file behind; on failure `error` says what went wrong.
  virtual bool WriteFile(const std::u16string& path, std::string_view bytes,
                         std::u16string* error) = 0;
};

std::unique_ptr<FileSystem> MakeSystemFileSystem();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_FILE_SYSTEM_H_
