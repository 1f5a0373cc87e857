#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/file_system.h"
#include "platform/utf8.h"

namespace quarnel {
namespace {

std::u16string ErrorText(const char* call, int error_number) {
  return DecodeUtf8(std::string(call) + ": " + std::strerror(error_number));
}

// Closes the descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Gives the descriptor up without closing it.
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Holds back the signals that end a process (Ctrl-C, a hang-up, a kill
// without -9, a file-size limit) while it lives, so a run stopped during a
// write still removes its temporary file. They take effect afterwards.
class HoldSignals {
 public:
  HoldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int number : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGXFSZ}) sigaddset(&held, number);
    sigprocmask(SIG_BLOCK, &held, &saved_);
  }
  HoldSignals(const HoldSignals&) = delete;
  HoldSignals& operator=(const HoldSignals&) = delete;
  ~HoldSignals() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

 private:
  sigset_t saved_;
};

// Writes a page either into a temporary file beside it, renamed into place
// on Commit, or, where that cannot be, into the page itself (`temp` empty).
class PosixFileWriter final : public FileWriter {
 public:
  PosixFileWriter(std::unique_ptr<HoldSignals> hold, std::string target,
                  std::string temp, int fd)
      : hold_(std::move(hold)), target_(std::move(target)), temp_(std::move(temp)), fd_(fd) {}
  ~PosixFileWriter() override {
    if (!committed_ && !temp_.empty()) {
      fd_.Close();
      ::unlink(temp_.c_str());
    }
  }

  bool Write(std::string_view bytes, std::u16string* error) override {
    for (size_t done = 0; done < bytes.size();) {
      ssize_t n = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *error = ErrorText("write", n == 0 ? EIO : errno);
        return false;
      }
      done += static_cast<size_t>(n);
    }
    return true;
  }

  bool Commit(std::u16string* error) override {
    if (::fsync(fd_.get()) != 0) {
      *error = ErrorText("fsync", errno);
      return false;
    }
    if (!fd_.Close()) {
      *error = ErrorText("close", errno);
      return false;
    }
    if (!temp_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) {
      *error = ErrorText("rename", errno);
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  std::unique_ptr<HoldSignals> hold_;  // released last, after the cleanup
  std::string target_;
  std::string temp_;
  Fd fd_;
  bool committed_ = false;
};

// Follows symbolic links from `path` to the name they finally lead to,
// which need not exist: the page goes there and the links stay, as a write
// through them would have it. False, with errno set, for a loop.
bool FollowLinks(std::string* path) {
  for (int hops = 0;; ++hops) {
    struct stat info;
    if (::lstat(path->c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    if (hops == 40) {
      errno = ELOOP;
      return false;
    }
    std::string target(static_cast<size_t>(info.st_size) + 1, '\0');
    ssize_t n;
    while ((n = ::readlink(path->c_str(), target.data(), target.size())) ==
           static_cast<ssize_t>(target.size())) {
      target.resize(target.size() * 2);
    }
    if (n < 0) return false;
    target.resize(static_cast<size_t>(n));
    // A relative target is read from the link's own directory.
    *path = target.starts_with('/') ? target
                                    : path->substr(0, path->rfind('/') + 1) + target;
  }
}

class PosixFileSystem final : public FileSystem {
 public:
  PathStyle Style() const override { return PathStyle::Posix; }

  bool IsOrdinaryFile(const std::u16string& path) override {
    struct stat info;
    return ::stat(EncodeUtf8(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }

  bool IsSameFile(const std::u16string& a, const std::u16string& b) override {
    struct stat info_a, info_b;
    return ::stat(EncodeUtf8(a).c_str(), &info_a) == 0 &&
           ::stat(EncodeUtf8(b).c_str(), &info_b) == 0 &&
           info_a.st_dev == info_b.st_dev && info_a.st_ino == info_b.st_ino;
  }

  ReadStatus ReadFile(const std::u16string& path, std::string* bytes,
                      std::u16string* error) override {
    Fd fd(::open(EncodeUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
      int e = errno;
      *error = ErrorText("open", e);
      return e == ENOENT ? ReadStatus::NotFound : ReadStatus::Failed;
    }
    struct stat info;
    if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode)) {
      bytes->reserve(static_cast<size_t>(info.st_size));
    }
    bytes->clear();
    char buffer[1 << 16];
    for (;;) {
      ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        *error = ErrorText("read", errno);
        return ReadStatus::Failed;
      }
      bytes->append(buffer, static_cast<size_t>(n));
    }
    return ReadStatus::Ok;
  }

  bool WriteFile(const std::u16string& path, std::string_view bytes,
                 std::u16string* error) override {
    std::unique_ptr<FileWriter> file = StartFile(path, error);
    return file && file->Write(bytes, error) && file->Commit(error);
  }

  std::unique_ptr<FileWriter> StartFile(const std::u16string& path,
                                        std::u16string* error) override;
};

std::unique_ptr<FileWriter> PosixFileSystem::StartFile(const std::u16string& path,
                                                      std::u16string* error) {
  std::string target = EncodeUtf8(path);
  if (!FollowLinks(&target)) {
    *error = ErrorText("open", errno);
    return nullptr;
  }
  auto hold = std::make_unique<HoldSignals>();
  // An earlier page must be one the user may write: it is opened for
  // writing, which changes nothing yet. (Not blocking: a FIFO in its place
  // must not stop the run.)
  Fd page(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat old = {};
  if (page.get() < 0 && errno != ENOENT) {
    *error = ErrorText("open", errno);
    return nullptr;
  }
  bool exists = page.get() >= 0;
  if (exists && ::fstat(page.get(), &old) != 0) {
    *error = ErrorText("fstat", errno);
    return nullptr;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    *error = DecodeUtf8("open: not a regular file");
    return nullptr;
  }

  // A page with several names is written in place, so that every name
  // shows the new page; a replacement would leave the others the old one.
  int fd = -1;
  std::string temp;
  if (!exists || old.st_nlink == 1) {
    // The temporary name is short and fixed in length: the page's own name
    // may be as long as a name can be.
    temp = target.substr(0, target.rfind('/') + 1) + ".quarnel-XXXXXX";
    fd = ::mkstemp(temp.data());
    if (fd < 0) {
      int e = errno;
      // A directory the user may not write, holding a page they may: the
      // page is written in place.
      if (!exists || (e != EACCES && e != EPERM)) {
        *error = ErrorText("open", e);
        return nullptr;
      }
      temp.clear();
    }
  }

  if (temp.empty()) {
    // Another run writing the same page waits for this one to finish, so
    // the page is one run's whole page, never a mix of two.
    int flags = ::fcntl(page.get(), F_GETFL);
    if (flags < 0 || ::fcntl(page.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
      *error = ErrorText("fcntl", errno);
      return nullptr;
    }
    int locked;
    while ((locked = ::flock(page.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
      *error = ErrorText("flock", errno);
      return nullptr;
    }
    if (::ftruncate(page.get(), 0) != 0) {
      *error = ErrorText("ftruncate", errno);
      return nullptr;
    }
    int own = page.Release();
    return std::make_unique<PosixFileWriter>(std::move(hold), std::move(target), std::string(),
                                             own);
  }

  auto file = std::make_unique<PosixFileWriter>(std::move(hold), target, temp, fd);
  mode_t mode;
  if (exists) {
    // The new page keeps the earlier one's owner and group where the user
    // may give them, and its permissions. Bits that would grant more than
    // before under a new owner or group are dropped: set-user-ID and
    // set-group-ID, and group rights beyond those of others.
    mode = old.st_mode & 07777;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      mode &= ~S_ISUID;
      if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        mode = (mode & ~(S_ISGID | S_IRWXG)) | ((mode & S_IRWXO) << 3);
      }
    }
  } else {
    // mkstemp makes the file private; a new page gets the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) {
    *error = ErrorText("chmod", errno);
    return nullptr;
  }
  return file;
}

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace quarnel
