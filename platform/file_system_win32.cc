#include <windows.h>

#include <cstdio>

#include "platform/file_system.h"
#include "platform/win32_util.h"

namespace quarnel {
namespace {

// Opens an existing file or directory only to ask about it.
HANDLE OpenForQuery(const std::u16string& path) {
  return CreateFileW(Wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A name for the temporary file beside `path` that no earlier run left. It
// is short and of fixed length, so it fits wherever the page's own name
// fits, however long that is.
std::u16string TemporaryName(const std::u16string& path, unsigned attempt) {
  char name[48];
  std::snprintf(name, sizeof name, ".quarnel-%lx-%lx-%x",
                static_cast<unsigned long>(GetCurrentProcessId()),
                static_cast<unsigned long>(GetTickCount()), attempt);
  size_t end = path.find_last_of(u"\\/");
  std::u16string temp;
  if (end != std::u16string::npos) {
    temp = path.substr(0, end + 1);
  } else if (path.size() >= 2 && path[1] == u':') {
    temp = path.substr(0, 2);  // "C:page.html" lies in drive C's current directory
  }
  for (const char* c = name; *c; ++c) temp.push_back(static_cast<char16_t>(*c));
  return LongPathForm(temp);
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
    Handle file(CreateFileW(Wide(path), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

  bool WriteFile(const std::u16string& given_path, std::string_view bytes,
                 std::u16string* error) override {
    const std::u16string path = LongPathForm(given_path);
    // The temporary file lies beside the target so that the move cannot
    // cross volumes.
    std::u16string temp;
    Handle file(INVALID_HANDLE_VALUE);
    for (unsigned attempt = 0; attempt < 100 && !file.ok(); ++attempt) {
      temp = TemporaryName(path, attempt);
      file.Reset(CreateFileW(Wide(temp), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.ok() && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (!file.ok()) {
      *error = Win32ErrorText("CreateFileW", GetLastError());
      return false;
    }
    const char* failed_call = nullptr;
    DWORD failed_error = 0;
    auto fail = [&](const char* call) {
      failed_call = call;
      failed_error = GetLastError();
    };
    for (size_t done = 0; done < bytes.size();) {
      DWORD piece = bytes.size() - done < (1u << 30) ? static_cast<DWORD>(bytes.size() - done)
                                                     : (1u << 30);
      DWORD n = 0;
      if (!::WriteFile(file.get(), bytes.data() + done, piece, &n, nullptr) || n == 0) {
        fail("WriteFile");
        if (failed_error == 0) failed_error = ERROR_WRITE_FAULT;
        break;
      }
      done += n;
    }
    if (!failed_call && !FlushFileBuffers(file.get())) fail("FlushFileBuffers");
    if (!file.Close() && !failed_call) fail("CloseHandle");
    if (!failed_call && !MoveFileExW(Wide(temp), Wide(path),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      fail("MoveFileExW");
    }
    if (failed_call) {
      DeleteFileW(Wide(temp));
      *error = Win32ErrorText(failed_call, failed_error);
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace quarnel
