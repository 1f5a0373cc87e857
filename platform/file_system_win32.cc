#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/background_flush.h"
#include "platform/file_system.h"
#include "platform/win32_util.h"

namespace quarnel {
namespace {

// Opens an existing file or directory only to ask about it.
HANDLE OpenForQuery(const std::u16string& path) {
  return CreateFileW(Wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Another program (a virus scanner, a sync client) may hold a file for a
// moment. A call that fails as shared or locked is tried again, for about a
// second in all, before its failure counts.
class RetryWhileBusy {
 public:
  // True, after a short wait, when the failure `error` is worth another try.
  bool Again(DWORD error) {
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
        tries_ == kTries) {
      SetLastError(error);
      return false;
    }
    ++tries_;
    Sleep(kWaitMs);
    return true;
  }

 private:
  static constexpr int kTries = 20;
  static constexpr DWORD kWaitMs = 50;
  int tries_ = 0;
};

HANDLE CreateFileRetrying(const std::u16string& path, DWORD access, DWORD share,
                          DWORD disposition) {
  RetryWhileBusy retry;
  HANDLE file;
  do {
    file = CreateFileW(Wide(path), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  } while (file == INVALID_HANDLE_VALUE && retry.Again(GetLastError()));
  return file;
}

// A name for the temporary file beside `path` that no earlier run left. It
// is never longer than the page's own name, so a path that fits the
// system's limits for the page fits them for the temporary file too.
std::u16string TemporaryName(const std::u16string& path, unsigned attempt) {
  size_t name_start = path.find_last_of(u"\\/:") + 1;  // 0 when there is none
  size_t length = std::min<size_t>(path.size() - name_start, 12);
  // The leading digits change with every attempt, so that a short name
  // gets new ones too.
  uint32_t mixed = (GetCurrentProcessId() ^ GetTickCount()) * 2654435761u + attempt * 0x9E3779B9u;
  char digits[24];
  std::snprintf(digits, sizeof digits, "%08lx%08lx", static_cast<unsigned long>(mixed),
                static_cast<unsigned long>(GetCurrentProcessId()));
  std::u16string name = path.substr(0, name_start);
  name.push_back(u'~');
  for (size_t i = 0; i + 1 < length; ++i) name.push_back(static_cast<char16_t>(digits[i]));
  return name;
}

// Writes a page in four steps: Open checks that the earlier page may be
// written and opens a temporary file beside it (or, where none can be made,
// the page itself); Write writes all it is given; Commit keeps the earlier
// page's attributes on the new one and replaces the earlier page with it.
// Destroyed without a successful Commit, it removes its temporary file.
class Win32FileWriter final : public FileWriter {
 public:
  static std::unique_ptr<Win32FileWriter> Open(const std::u16string& given_path,
                                               std::u16string* error);
  ~Win32FileWriter() override {
    flush_.Stop();
    if (!in_place_ && !settled_) {
      file_.Close();
      DeleteFileW(Wide(temp_));
    }
  }
  bool Write(std::string_view bytes, std::u16string* error) override;
  bool Commit(std::u16string* error) override;

 private:
  Win32FileWriter(std::u16string path, bool exists, DWORD attributes)
      : path_(std::move(path)), exists_(exists), attributes_(attributes) {}
  bool OpenTemporary(std::u16string* error);
  void KeepAttributes();
  bool Replace(std::u16string* error);
  // Notes the failure of `call` (with the last error unless `code` is given)
  // and reports it.
  bool Fail(const char* call, std::u16string* error, DWORD code = 0) {
    if (!failed_call_) {
      failed_call_ = call;
      failed_error_ = code != 0 ? code : GetLastError();
      if (failed_error_ == 0) failed_error_ = ERROR_WRITE_FAULT;
    }
    *error = Win32ErrorText(failed_call_, failed_error_);
    return false;
  }

  const std::u16string path_;
  const bool exists_;
  const DWORD attributes_;  // the earlier page's
  std::u16string temp_;
  Handle file_{INVALID_HANDLE_VALUE};
  bool in_place_ = false;
  bool settled_ = false;  // put in place, or kept as the only copy
  const char* failed_call_ = nullptr;
  DWORD failed_error_ = 0;
  uint64_t written_ = 0;
  BackgroundFlush flush_{[this]() -> unsigned long {
    return FlushFileBuffers(file_.get()) ? 0 : GetLastError();
  }};
};

std::unique_ptr<Win32FileWriter> Win32FileWriter::Open(const std::u16string& given_path,
                                                       std::u16string* error) {
  const std::u16string path = LongPathForm(given_path);
  // An earlier page must be one the user may write, as opening it for
  // writing would require: not marked read-only, not denied by its security.
  DWORD attributes = GetFileAttributesW(Wide(path));
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
    *error = Win32ErrorText("CreateFileW", ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (exists) {
    Handle page(CreateFileRetrying(path, GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING));
    if (!page.ok()) {
      *error = Win32ErrorText("CreateFileW", GetLastError());
      return nullptr;
    }
  }
  std::unique_ptr<Win32FileWriter> writer(new Win32FileWriter(path, exists, attributes));
  if (!writer->OpenTemporary(error)) return nullptr;
  return writer;
}

bool Win32FileWriter::OpenTemporary(std::u16string* error) {
  // The temporary file lies beside the page so that the move cannot cross
  // volumes.
  for (unsigned attempt = 0; attempt < 100 && !file_.ok(); ++attempt) {
    temp_ = TemporaryName(path_, attempt);
    file_.Reset(CreateFileW(Wide(temp_), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.ok() && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file_.ok()) return true;
  DWORD e = GetLastError();
  settled_ = true;  // there is no temporary file to remove
  if (!exists_ || e != ERROR_ACCESS_DENIED) {
    *error = Win32ErrorText("CreateFileW", e);
    return false;
  }
  // A folder the user may not write, holding a page they may: the page is
  // written in place, shared with no other writer, so that two runs at
  // once leave one run's whole page.
  in_place_ = true;
  file_.Reset(CreateFileRetrying(path_, GENERIC_WRITE, FILE_SHARE_READ, TRUNCATE_EXISTING));
  if (!file_.ok()) {
    *error = Win32ErrorText("CreateFileW", GetLastError());
    return false;
  }
  return true;
}

bool Win32FileWriter::Write(std::string_view bytes, std::u16string* error) {
  if (failed_call_) return Fail(failed_call_, error);
  for (size_t done = 0; done < bytes.size();) {
    DWORD piece = bytes.size() - done < (1u << 30) ? static_cast<DWORD>(bytes.size() - done)
                                                   : (1u << 30);
    DWORD n = 0;
    if (!::WriteFile(file_.get(), bytes.data() + done, piece, &n, nullptr) || n == 0) {
      return Fail("WriteFile", error);
    }
    done += n;
  }
  written_ += bytes.size();
  flush_.Grown(written_);
  return true;
}

bool Win32FileWriter::Commit(std::u16string* error) {
  if (failed_call_) return Fail(failed_call_, error);
  if (const DWORD failed = flush_.Stop(); failed != 0) return Fail("FlushFileBuffers", error, failed);
  if (!FlushFileBuffers(file_.get())) return Fail("FlushFileBuffers", error);
  if (!file_.Close()) return Fail("CloseHandle", error);
  if (in_place_) return true;
  KeepAttributes();
  return Replace(error);
}

void Win32FileWriter::KeepAttributes() {
  // The new page has the earlier one's attributes from the start, where
  // the system's ReplaceFileW would not carry them over.
  if (!exists_) return;
  DWORD kept = attributes_ & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  SetFileAttributesW(Wide(temp_), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
}

bool Win32FileWriter::Replace(std::u16string* error) {
  // ReplaceFileW keeps the earlier page's attributes, security and
  // creation time; a page that went away meanwhile is simply moved to.
  RetryWhileBusy retry;
  BOOL replaced = FALSE;
  DWORD e = ERROR_FILE_NOT_FOUND;
  if (exists_) {
    while (!(replaced = ReplaceFileW(Wide(path_), Wide(temp_), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))) {
      e = GetLastError();
      // A page held open without sharing cannot be removed for a moment.
      if (!retry.Again(e == ERROR_UNABLE_TO_REMOVE_REPLACED ? ERROR_SHARING_VIOLATION : e)) {
        break;
      }
    }
  }
  // Without it (the page went away meanwhile, or ReplaceFileW removed it
  // and could not move the new one in), the new page is moved to its name.
  if (!replaced && (e == ERROR_FILE_NOT_FOUND || e == ERROR_UNABLE_TO_MOVE_REPLACEMENT)) {
    while (!(replaced = MoveFileExW(Wide(temp_), Wide(path_),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) &&
           retry.Again(GetLastError())) {
    }
    if (!replaced) e = GetLastError();
  }
  if (replaced) {
    settled_ = true;
    return true;
  }
  // Where the earlier page is gone, the complete new one is all there is:
  // it stays under its temporary name rather than be deleted.
  if (exists_ && GetFileAttributesW(Wide(path_)) == INVALID_FILE_ATTRIBUTES) settled_ = true;
  return Fail(exists_ ? "ReplaceFileW" : "MoveFileExW", error,
              e == ERROR_UNABLE_TO_REMOVE_REPLACED ? ERROR_SHARING_VIOLATION : e);
}

class Win32FileSystem final : public FileSystem {
 public:
  PathStyle Style() const override { return PathStyle::Windows; }

  bool IsOrdinaryFile(const std::u16string& given_path) override {
    const std::u16string path = LongPathForm(given_path);
    // The attributes take the name literally: "*" and "?" are invalid in a
    // name, not patterns.
    DWORD attributes = GetFileAttributesW(Wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE)) {
      return false;
    }
    // Device names such as "NUL" or "COM1" can pass the attribute test.
    Handle file(OpenForQuery(path));
    return file.ok() && GetFileType(file.get()) == FILE_TYPE_DISK;
  }

  bool IsSameFile(const std::u16string& a, const std::u16string& b) override {
    Handle file_a(OpenForQuery(LongPathForm(a)));
    if (!file_a.ok()) return false;
    Handle file_b(OpenForQuery(LongPathForm(b)));
    if (!file_b.ok()) return false;
    BY_HANDLE_FILE_INFORMATION info_a, info_b;
    return GetFileInformationByHandle(file_a.get(), &info_a) &&
           GetFileInformationByHandle(file_b.get(), &info_b) &&
           info_a.dwVolumeSerialNumber == info_b.dwVolumeSerialNumber &&
           info_a.nFileIndexHigh == info_b.nFileIndexHigh &&
           info_a.nFileIndexLow == info_b.nFileIndexLow;
  }

  ReadStatus ReadFile(const std::u16string& given_path, std::string* bytes,
                      std::u16string* error) override {
    // An editor or a sync client may hold the file open, even for writing
    // or renaming; reading it must not fail for that.
    const std::u16string path = LongPathForm(given_path);
    Handle file(CreateFileRetrying(path, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING));
    if (!file.ok()) {
      DWORD e = GetLastError();
      *error = Win32ErrorText("CreateFileW", e);
      return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ReadStatus::NotFound
                                                                    : ReadStatus::Failed;
    }
    bytes->clear();
    LARGE_INTEGER size;
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 &&
        static_cast<unsigned long long>(size.QuadPart) < bytes->max_size()) {
      bytes->reserve(static_cast<size_t>(size.QuadPart));
    }
    char buffer[1 << 16];
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
        *error = Win32ErrorText("ReadFile", GetLastError());
        return ReadStatus::Failed;
      }
      if (n == 0) break;
      bytes->append(buffer, n);
    }
    return ReadStatus::Ok;
  }

  std::unique_ptr<FileWriter> StartFile(const std::u16string& path,
                                        StartFailure* failure) override {
    return Win32FileWriter::Open(path, &failure->reason);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace quarnel
