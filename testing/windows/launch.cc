// Starts a program with a command line given byte for byte, which Wine's own
// start-up cannot do (it quotes and escapes each argument), and waits for it.
//
// usage: quarnel_launch.exe PROGRAM ARGUMENT_FILE [HELD_FILE...]
// The command line is "PROGRAM" followed, unless ARGUMENT_FILE is empty, by
// a blank and the file's UTF-8 text. Each HELD_FILE is kept open for writing
// until the program has ended, as an editor or a sync client holds a file:
// with write and delete access, sharing reads only. The exit status is the
// program's.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs("usage: quarnel_launch.exe PROGRAM ARGUMENT_FILE [HELD_FILE...]\n", stderr);
    return 125;
  }
  std::vector<HANDLE> held;
  for (int i = 3; i < argc; ++i) {
    HANDLE file = CreateFileW(argv[i], GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      std::fprintf(stderr, "quarnel_launch: cannot hold %ls open (%lu)\n", argv[i],
                   static_cast<unsigned long>(GetLastError()));
      return 125;
    }
    held.push_back(file);
  }
  std::string bytes;
  if (FILE* in = _wfopen(argv[2], L"rb")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
    std::fclose(in);
  } else {
    std::fputs("quarnel_launch: cannot read the argument file\n", stderr);
    return 125;
  }
  std::wstring text(bytes.size(), L'\0');
  if (!bytes.empty()) {
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                     static_cast<int>(bytes.size()), text.data(),
                                     static_cast<int>(text.size()));
    if (length <= 0) {
      std::fputs("quarnel_launch: the argument file is not UTF-8\n", stderr);
      return 125;
    }
    text.resize(static_cast<size_t>(length));
  }
  std::wstring line = L"\"" + std::wstring(argv[1]) + L"\"";
  if (!text.empty()) line += L" " + text;

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(argv[1], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "quarnel_launch: CreateProcessW failed (%lu)\n",
                 static_cast<unsigned long>(GetLastError()));
    return 125;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 125;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (HANDLE file : held) CloseHandle(file);
  return static_cast<int>(status);
}
