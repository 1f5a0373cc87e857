#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/background_flush.h"
#include "platform/file_system.h"
#include "platform/shared_folder_posix.h"
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
  Fd(Fd&& other) : fd_(other.Release()) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes the descriptor held, if any, and holds `fd` instead.
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
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

StartFailure Failed(const char* call, int error_number) {
  return {StartFailure::Kind::Failed, ErrorText(call, error_number)};
}

StartFailure Refused() {
  return {StartFailure::Kind::Refused,
          u"refused: a link of another user, or a file of several names, in a shared folder"};
}

// Where the page goes, as OpenPage found it: its folder, held open, the
// page's name in it, and the earlier page, open for writing, if there is one.
struct PageSpot {
  Fd folder{-1};
  struct stat folder_info = {};
  std::string name;
  Fd page{-1};
  struct stat page_info = {};  // of `page`, where it is open
};

// Splits a path into its folder ("." for none) and the name in it.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
  size_t slash = path.rfind('/');
  *folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name->empty()) *name = ".";
}

// Reads the target of the link open (O_PATH) as `link`.
bool ReadLink(int link, const struct stat& info, std::string* target) {
  target->assign(static_cast<size_t>(info.st_size) + 1, '\0');
  ssize_t n;
  while ((n = ::readlinkat(link, "", target->data(), target->size())) ==
         static_cast<ssize_t>(target->size())) {
    target->resize(target->size() * 2);
  }
  if (n < 0) return false;
  target->resize(static_cast<size_t>(n));
  return true;
}

// Opens the page's folder and the earlier page, following symbolic links
// from `path` to the name they finally lead to (which need not exist): the
// page goes there and the links stay, as a write through them would have
// it. Each name is opened without following a link, and a link is read
// through the very descriptor whose owner was checked, relative to the
// folder it was found in, so nothing swapped in between is followed. In a
// shared folder, a link the rule does not let the user follow, or a page
// of several names, is refused.
std::optional<StartFailure> OpenPage(const std::string& path, PageSpot* spot) {
  const uid_t runner = ::geteuid();
  std::string next = path;
  Fd link_folder(-1);  // the folder of the link last followed
  int from = AT_FDCWD;
  for (int hops = 0;; ++hops) {
    std::string folder;
    SplitPath(next, &folder, &spot->name);
    spot->folder.Reset(::openat(from, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (spot->folder.get() < 0) return Failed("open", errno);
    if (::fstat(spot->folder.get(), &spot->folder_info) != 0) return Failed("fstat", errno);
    // An earlier page must be one the user may write: it is opened for
    // writing, which changes nothing yet. (Not blocking: a FIFO in its
    // place must not stop the run.)
    spot->page.Reset(::openat(spot->folder.get(), spot->name.c_str(),
                              O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (spot->page.get() >= 0) {
      if (::fstat(spot->page.get(), &spot->page_info) != 0) return Failed("fstat", errno);
      if (!S_ISREG(spot->page_info.st_mode)) {
        return StartFailure{StartFailure::Kind::Failed, u"open: not a regular file"};
      }
      if (!MayWritePage(spot->page_info.st_nlink, spot->folder_info.st_mode)) return Refused();
      return std::nullopt;
    }
    if (errno == ENOENT) return std::nullopt;
    if (errno != ELOOP) return Failed("open", errno);
    // The name is a symbolic link.
    if (hops == 40) return Failed("open", ELOOP);
    Fd link(::openat(spot->folder.get(), spot->name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat link_info;
    if (link.get() < 0 || ::fstat(link.get(), &link_info) != 0) return Failed("open", errno);
    if (!S_ISLNK(link_info.st_mode)) continue;  // replaced since: look again
    if (!MayFollowLink(link_info.st_uid, spot->folder_info.st_uid,
                       spot->folder_info.st_mode, runner)) {
      return Refused();
    }
    if (!ReadLink(link.get(), link_info, &next)) return Failed("readlink", errno);
    // A relative target is read from the link's own folder.
    link_folder.Reset(spot->folder.Release());
    from = link_folder.get();
  }
}

// Makes a new temporary file, private to the user, in the page's folder.
// Its name is short and fixed in length: the page's own name may be as long
// as a name can be. Returns 0 or the error number.
int OpenBeside(int folder, std::string* name, Fd* file) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (int tries = 0; tries < 100; ++tries) {
    unsigned char random[6];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
      return errno;
    }
    *name = ".quarnel-";
    for (unsigned char r : random) *name += kLetters[r % (sizeof kLetters - 1)];
    file->Reset(::openat(folder, name->c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file->get() >= 0) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Gives the temporary file the earlier page's owner and group where the
// user may give them, and its permissions; bits that would grant more than
// before under a new owner or group are dropped: set-user-ID and
// set-group-ID, and group rights beyond those of others. A new page gets
// the usual permissions.
std::optional<StartFailure> KeepPermissionsOf(const PageSpot& spot, int file) {
  mode_t mode;
  if (spot.page.get() >= 0) {
    const struct stat& old = spot.page_info;
    mode = old.st_mode & 07777;
    if (::fchown(file, old.st_uid, old.st_gid) != 0) {
      mode &= ~S_ISUID;
      if (::fchown(file, static_cast<uid_t>(-1), old.st_gid) != 0) {
        mode = (mode & ~(S_ISGID | S_IRWXG)) | ((mode & S_IRWXO) << 3);
      }
    }
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(file, mode) != 0) return Failed("chmod", errno);
  return std::nullopt;
}

// Readies the earlier page to be written in place: another run writing the
// same page waits for this one to finish, so the page is one run's whole
// page, never a mix of two.
std::optional<StartFailure> OpenInPlace(int page) {
  int flags = ::fcntl(page, F_GETFL);
  if (flags < 0 || ::fcntl(page, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return Failed("fcntl", errno);
  }
  int locked;
  while ((locked = ::flock(page, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked != 0) return Failed("flock", errno);
  if (::ftruncate(page, 0) != 0) return Failed("ftruncate", errno);
  return std::nullopt;
}

// Writes all of `bytes` to `file`; on failure says why.
std::optional<std::u16string> WriteAll(int file, std::string_view bytes) {
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(file, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return ErrorText("write", n == 0 ? EIO : errno);
    done += static_cast<size_t>(n);
  }
  return std::nullopt;
}

// Puts the temporary file `temp` in place of the page's name in the same
// open folder. What the name holds now must be the page that was checked,
// or a page another run has just put there; a link or a file of several
// names put there since is not replaced. (A rename replaces the name and
// never follows a link, so what slips in between this look and the rename
// is replaced, not written.)
std::optional<std::u16string> Replace(const PageSpot& spot, const std::string& temp) {
  struct stat now;
  if (::fstatat(spot.folder.get(), spot.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
    bool checked = spot.page.get() >= 0 && now.st_dev == spot.page_info.st_dev &&
                   now.st_ino == spot.page_info.st_ino;
    if (!checked && (!S_ISREG(now.st_mode) || now.st_nlink > 1)) {
      return u"rename: the page changed during the write";
    }
  }
  if (::renameat(spot.folder.get(), temp.c_str(), spot.folder.get(), spot.name.c_str()) != 0) {
    return ErrorText("rename", errno);
  }
  return std::nullopt;
}

// Writes a page either into a temporary file in its folder, put in place on
// Commit, or, where that cannot be, into the page itself (`temp` empty).
class PosixFileWriter final : public FileWriter {
 public:
  PosixFileWriter(std::unique_ptr<HoldSignals> hold, PageSpot spot, std::string temp, Fd file)
      : hold_(std::move(hold)),
        spot_(std::move(spot)),
        temp_(std::move(temp)),
        file_(std::move(file)),
        flush_([fd = file_.get()]() -> unsigned long { return ::fdatasync(fd) != 0 ? errno : 0; }) {}
  ~PosixFileWriter() override {
    flush_.Stop();
    if (!committed_ && !temp_.empty()) {
      file_.Close();
      ::unlinkat(spot_.folder.get(), temp_.c_str(), 0);
    }
  }

  // Gives a temporary file the earlier page's permissions and owner.
  std::optional<StartFailure> KeepPermissions() const {
    return temp_.empty() ? std::nullopt : KeepPermissionsOf(spot_, file_.get());
  }

  bool Write(std::string_view bytes, std::u16string* error) override {
    if (!Report(WriteAll(file_.get(), bytes), error)) return false;
    written_ += bytes.size();
    flush_.Grown(written_);
    return true;
  }

  bool Commit(std::u16string* error) override {
    if (const unsigned long failed = flush_.Stop(); failed != 0) {
      return Report(ErrorText("fdatasync", static_cast<int>(failed)), error);
    }
    if (::fsync(file_.get()) != 0) return Report(ErrorText("fsync", errno), error);
    if (!file_.Close()) return Report(ErrorText("close", errno), error);
    if (!temp_.empty() && !Report(Replace(spot_, temp_), error)) return false;
    committed_ = true;
    return true;
  }

 private:
  static bool Report(const std::optional<std::u16string>& failure, std::u16string* error) {
    if (failure) *error = *failure;
    return !failure;
  }

  std::unique_ptr<HoldSignals> hold_;  // released last, after the cleanup
  PageSpot spot_;
  std::string temp_;
  Fd file_;
  BackgroundFlush flush_;
  uint64_t written_ = 0;
  bool committed_ = false;
};

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

  std::unique_ptr<FileWriter> StartFile(const std::u16string& path,
                                        StartFailure* failure) override;
};

std::unique_ptr<FileWriter> PosixFileSystem::StartFile(const std::u16string& path,
                                                      StartFailure* failure) {
  auto hold = std::make_unique<HoldSignals>();
  PageSpot spot;
  std::optional<StartFailure> failed = OpenPage(EncodeUtf8(path), &spot);
  if (failed) {
    *failure = *failed;
    return nullptr;
  }
  bool exists = spot.page.get() >= 0;
  // A page with several names is written in place, so that every name
  // shows the new page; a replacement would leave the others the old one.
  std::string temp;
  Fd file(-1);
  if (!exists || spot.page_info.st_nlink == 1) {
    int e = OpenBeside(spot.folder.get(), &temp, &file);
    // A folder the user may not write, holding a page they may: the page
    // is written in place.
    if (e != 0 && (!exists || (e != EACCES && e != EPERM))) {
      *failure = Failed("open", e);
      return nullptr;
    }
    if (e != 0) temp.clear();
  }
  if (temp.empty()) {
    failed = OpenInPlace(spot.page.get());
    file.Reset(spot.page.Release());
  }
  // From here on, the writer removes the temporary file if anything fails.
  auto writer = std::make_unique<PosixFileWriter>(std::move(hold), std::move(spot),
                                                  std::move(temp), std::move(file));
  if (!failed) failed = writer->KeepPermissions();
  if (failed) {
    *failure = *failed;
    return nullptr;
  }
  return writer;
}

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace quarnel
