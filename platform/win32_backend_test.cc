// The Win32 backends on a real file system, in a temporary directory.
#include <windows.h>
#include <shellapi.h>
#include <psapi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/command_line.h"
#include "platform/file_chooser_win32.h"
#include "platform/file_system.h"
#include "platform/process_info.h"
#include "platform/win32_util.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

class Win32BackendTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t base[MAX_PATH + 1];
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, base), 0u);
    for (unsigned i = 0; i < 100; ++i) {
      dir = FromWide(base, wcslen(base)) + u"quarnel-" +
            Utf16(std::to_string(GetCurrentProcessId()) + "-" + std::to_string(i));
      if (CreateDirectoryW(Wide(dir), nullptr)) return;
    }
    FAIL() << "no temporary directory";
  }
  void TearDown() override {
    for (const auto& name : Names()) {
      std::u16string path = Path(name);
      SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(Wide(path))) RemoveDirectoryW(Wide(path));
    }
    RemoveDirectoryW(Wide(dir));
  }
  static std::u16string Utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
  }
  std::u16string Path(const std::u16string& name) { return dir + u"\\" + name; }
  void Put(const std::u16string& name, const std::string& bytes) {
    Handle file(CreateFileW(Wide(Path(name)), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.ok());
    DWORD n = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n,
                            nullptr));
  }
  std::string Get(const std::u16string& name) {
    std::string bytes;
    std::u16string error;
    EXPECT_EQ(files->ReadFile(Path(name), &bytes, &error), FileSystem::ReadStatus::Ok);
    return bytes;
  }
  std::vector<std::u16string> Names() {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(dir + u"\\*"), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      std::u16string name = FromWide(found.cFileName, wcslen(found.cFileName));
      if (name != u"." && name != u"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

  std::u16string dir;
  std::unique_ptr<FileSystem> files = MakeSystemFileSystem();
};

TEST_F(Win32BackendTest, OrdinaryFilesOnly) {
  Put(u"a b.dat", "x");
  Put(u"ステージ.dat", "x");
  Put(u"hidden.dat", "x");
  Put(u"system.dat", "x");
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"hidden.dat")), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"system.dat")), FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(CreateDirectoryW(Wide(Path(u"template.dat")), nullptr));
  EXPECT_TRUE(files->IsOrdinaryFile(Path(u"a b.dat")));
  EXPECT_TRUE(files->IsOrdinaryFile(Path(u"ステージ.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(Path(u"hidden.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(Path(u"system.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(Path(u"template.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(Path(u"a*.dat")));  // no patterns
  EXPECT_FALSE(files->IsOrdinaryFile(Path(u"a?b.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(Path(u"missing.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(u"NUL"));
  EXPECT_FALSE(files->IsOrdinaryFile(u"\"" + Path(u"a b.dat") + u"\""));  // quotes are no syntax
}

TEST_F(Win32BackendTest, SameFileByIdentity) {
  Put(u"s.html", "x");
  Put(u"t.html", "x");
  ASSERT_TRUE(CreateHardLinkW(Wide(Path(u"link.html")), Wide(Path(u"s.html")), nullptr));
  EXPECT_TRUE(files->IsSameFile(Path(u"s.html"), dir + u"\\.\\s.html"));
  EXPECT_TRUE(files->IsSameFile(Path(u"s.html"), dir + u"/S.HTML"));
  EXPECT_TRUE(files->IsSameFile(Path(u"link.html"), Path(u"s.html")));
  EXPECT_FALSE(files->IsSameFile(Path(u"s.html"), Path(u"t.html")));
  EXPECT_FALSE(files->IsSameFile(Path(u"s.dat"), Path(u"s.html")));
}

TEST_F(Win32BackendTest, ReadsWholeFiles) {
  std::string big(300000, 'x');
  big[299999] = 'y';
  Put(u"big", big);
  EXPECT_EQ(Get(u"big"), big);
  Put(u"empty", "");
  EXPECT_EQ(Get(u"empty"), "");
  std::string bytes;
  std::u16string error;
  EXPECT_EQ(files->ReadFile(Path(u"missing"), &bytes, &error), FileSystem::ReadStatus::NotFound);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(files->ReadFile(Path(u"no\\such\\dir"), &bytes, &error),
            FileSystem::ReadStatus::NotFound);
}

TEST_F(Win32BackendTest, WriteReplacesAndLeavesNoTemporaryFile) {
  Put(u"page.html", "old page, longer than the new one");
  std::u16string error;
  ASSERT_TRUE(files->WriteFile(Path(u"page.html"), "new\r\n", &error)) << Utf8(error);
  EXPECT_EQ(Get(u"page.html"), "new\r\n");
  ASSERT_TRUE(files->WriteFile(Path(u"ページ.html"), "", &error)) << Utf8(error);
  EXPECT_EQ(Get(u"ページ.html"), "");
  EXPECT_EQ(Names().size(), 2u);
}

TEST_F(Win32BackendTest, FailedWriteReportsAndLeavesNothing) {
  std::u16string error;
  EXPECT_FALSE(files->WriteFile(Path(u"missing\\page.html"), "x", &error));
  EXPECT_NE(Utf8(error).find("CreateFileW: "), std::string::npos) << Utf8(error);
  // A directory in the page's place cannot be replaced; the old one stays.
  ASSERT_TRUE(CreateDirectoryW(Wide(Path(u"page.html")), nullptr));
  error.clear();
  EXPECT_FALSE(files->WriteFile(Path(u"page.html"), "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"page.html"});
}

// The page goes out piece by piece into a temporary file beside it; the old
// page stays until Commit, and a writer dropped before Commit leaves it as
// it was, with nothing beside it.
TEST_F(Win32BackendTest, StartedFileArrivesPieceByPiece) {
  const std::string piece(1 << 20, 'p');
  for (bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "committed" : "dropped");
    Put(u"page.html", "old");
    ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"page.html")), FILE_ATTRIBUTE_HIDDEN));
    StartFailure failure;
    std::unique_ptr<FileWriter> writer = files->StartFile(Path(u"page.html"), &failure);
    ASSERT_TRUE(writer) << Utf8(failure.reason);
    std::u16string error;
    // Long enough to be flushed on the way, twice.
    const int pieces = 70;
    std::string whole = "a";
    ASSERT_TRUE(writer->Write("a", &error)) << Utf8(error);
    for (int i = 0; i < pieces; ++i) {
      const std::string bytes = std::to_string(i) + piece;
      ASSERT_TRUE(writer->Write(bytes, &error)) << Utf8(error);
      whole += bytes;
    }
    ASSERT_TRUE(writer->Write("z", &error)) << Utf8(error);
    whole += "z";
    EXPECT_EQ(Names().size(), 2u);  // the page and its temporary file
    EXPECT_EQ(Get(u"page.html"), "old");
    if (commit) {
      ASSERT_TRUE(writer->Commit(&error)) << Utf8(error);
    }
    writer.reset();
    EXPECT_TRUE(Get(u"page.html") == (commit ? whole : "old"));
    EXPECT_NE(GetFileAttributesW(Wide(Path(u"page.html"))) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"page.html"});
    SetFileAttributesW(Wide(Path(u"page.html")), FILE_ATTRIBUTE_NORMAL);
  }
  // A read-only page is refused before anything is written.
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"page.html")), FILE_ATTRIBUTE_READONLY));
  StartFailure failure;
  EXPECT_FALSE(files->StartFile(Path(u"page.html"), &failure));
  EXPECT_NE(Utf8(failure.reason).find("CreateFileW: "), std::string::npos)
      << Utf8(failure.reason);
  EXPECT_EQ(Names(), std::vector<std::u16string>{u"page.html"});
}

// The writer keeps nothing of what it was given: a page many times larger
// than any buffer leaves the process's memory as it was.
TEST_F(Win32BackendTest, StartedFileKeepsMemoryBounded) {
  auto committed = [] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    EXPECT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters));
    return static_cast<size_t>(counters.PagefileUsage);
  };
  StartFailure failure;
  std::unique_ptr<FileWriter> writer = files->StartFile(Path(u"big.html"), &failure);
  ASSERT_TRUE(writer) << Utf8(failure.reason);
  std::u16string error;
  const std::string piece(1 << 20, 'b');
  const size_t before = committed();
  constexpr size_t kPieces = 96;
  for (size_t i = 0; i < kPieces; ++i) ASSERT_TRUE(writer->Write(piece, &error)) << Utf8(error);
  EXPECT_LT(committed(), before + (16u << 20));
  ASSERT_TRUE(writer->Commit(&error)) << Utf8(error);
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExW(Wide(Path(u"big.html")), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, kPieces * piece.size());
}

// The ANSI code page the suite gave Wine: 932, or 65001 (QUARNEL_ACP) for
// Windows' UTF-8 option. File contents are code page 932 either way.
UINT SuiteAnsiCodePage() {
  const char* acp = std::getenv("QUARNEL_ACP");
  return acp != nullptr && *acp != '\0' ? std::strtoul(acp, nullptr, 10) : 932;
}

TEST_F(Win32BackendTest, ReadsFilesOthersHoldOpen) {
  Put(u"held.dat", "x");
  // As an editor or a sync client holds a file: writing and renaming, but
  // letting others read.
  Handle held(CreateFileW(Wide(Path(u"held.dat")), GENERIC_READ | GENERIC_WRITE | DELETE,
                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.ok());
  EXPECT_TRUE(files->IsOrdinaryFile(Path(u"held.dat")));
  EXPECT_EQ(Get(u"held.dat"), "x");
}

TEST_F(Win32BackendTest, LongPaths) {
  // A full path well past 260 characters, and a page name near the longest
  // a name may be, whose temporary file must not need a longer one.
  std::u16string deep = u"d";
  ASSERT_TRUE(CreateDirectoryW(Wide(Path(deep)), nullptr));
  for (char16_t c : {u'a', u'b', u'c'}) {
    deep += u"\\" + std::u16string(100, c);
    ASSERT_TRUE(CreateDirectoryW(Wide(LongPathForm(Path(deep))), nullptr)) << Utf8(deep);
  }
  for (const std::u16string& name : {deep + u"\\page.html", std::u16string(246, u'n') + u".html"}) {
    SCOPED_TRACE(Utf8(name));
    std::u16string error;
    ASSERT_TRUE(files->WriteFile(Path(name), "page", &error)) << Utf8(error);
    EXPECT_TRUE(files->IsOrdinaryFile(Path(name)));
    EXPECT_TRUE(files->IsSameFile(Path(name), Path(name)));
    EXPECT_EQ(Get(name), "page");
    EXPECT_TRUE(DeleteFileW(Wide(LongPathForm(Path(name)))));
  }
  for (; deep.size() > 1; deep.resize(deep.rfind(u'\\'))) {
    EXPECT_TRUE(RemoveDirectoryW(Wide(LongPathForm(Path(deep))))) << Utf8(deep);
  }
  EXPECT_TRUE(RemoveDirectoryW(Wide(Path(deep))));
}

TEST(Win32LongPathForm, LiftsTheLimitOnlyWhereNeeded) {
  const std::u16string long_dir = u"C:\\" + std::u16string(300, u'x');
  struct Case { std::u16string path, want; };
  const Case cases[] = {
      {u"C:\\data\\s.dat", u"C:\\data\\s.dat"},  // short: as given
      {u"s.dat", u"s.dat"},
      {long_dir + u"\\s.dat", u"\\\\?\\" + long_dir + u"\\s.dat"},
      {long_dir + u"/a/../s.dat", u"\\\\?\\" + long_dir + u"\\s.dat"},  // normalized first
      {u"\\\\server\\share\\" + std::u16string(300, u'y'),
       u"\\\\?\\UNC\\server\\share\\" + std::u16string(300, u'y')},
      {u"\\\\?\\" + long_dir, u"\\\\?\\" + long_dir},  // already in the form
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(Utf8(LongPathForm(cases[i].path)), Utf8(cases[i].want));
  }
}

// A page the user may not write is left alone, and nothing else appears:
// one marked read-only, and one another program holds open without sharing
// for longer than the write waits.
TEST_F(Win32BackendTest, PageThatCannotBeWrittenIsLeftAlone) {
  Put(u"ro.html", "read-only page");
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"ro.html")), FILE_ATTRIBUTE_READONLY));
  Put(u"held.html", "held page");
  Handle held(CreateFileW(Wide(Path(u"held.html")), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.ok());
  for (const char16_t* name : {u"ro.html", u"held.html"}) {
    SCOPED_TRACE(Utf8(name));
    std::u16string error;
    EXPECT_FALSE(files->WriteFile(Path(name), "new page", &error));
    EXPECT_NE(Utf8(error).find("CreateFileW: "), std::string::npos) << Utf8(error);
  }
  EXPECT_NE(GetFileAttributesW(Wide(Path(u"ro.html"))) & FILE_ATTRIBUTE_READONLY, 0u);
  held.Close();
  EXPECT_EQ(Get(u"ro.html"), "read-only page");
  EXPECT_EQ(Get(u"held.html"), "held page");
  EXPECT_EQ(Names().size(), 2u);
}

DWORD WINAPI CloseAfterAMoment(void* handle) {
  Sleep(100);
  CloseHandle(static_cast<HANDLE>(handle));
  return 0;
}

// A page or stage file held for a moment (a virus scanner, a sync client)
// is waited for.
TEST_F(Win32BackendTest, FileHeldForAMomentIsWaitedFor) {
  Put(u"page.html", "old");
  Put(u"stages.dat", "stages");
  for (const char16_t* name : {u"page.html", u"stages.dat"}) {
    SCOPED_TRACE(Utf8(name));
    HANDLE held = CreateFileW(Wide(Path(name)), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE releaser = CreateThread(nullptr, 0, CloseAfterAMoment, held, 0, nullptr);
    ASSERT_NE(releaser, nullptr);
    std::u16string error;
    if (name == std::u16string(u"page.html")) {
      EXPECT_TRUE(files->WriteFile(Path(name), "new", &error)) << Utf8(error);
      EXPECT_EQ(Get(name), "new");
    } else {
      std::string bytes;
      EXPECT_EQ(files->ReadFile(Path(name), &bytes, &error), FileSystem::ReadStatus::Ok)
          << Utf8(error);
      EXPECT_EQ(bytes, "stages");
    }
    WaitForSingleObject(releaser, INFINITE);
    CloseHandle(releaser);
  }
  EXPECT_EQ(Names().size(), 2u);
}

TEST_F(Win32BackendTest, ReplacementKeepsTheAttributes) {
  Put(u"page.html", "old");
  const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(Wide(Path(u"page.html")), attributes));
  std::u16string error;
  ASSERT_TRUE(files->WriteFile(Path(u"page.html"), "new", &error)) << Utf8(error);
  EXPECT_EQ(Get(u"page.html"), "new");
  EXPECT_EQ(GetFileAttributesW(Wide(Path(u"page.html"))) & attributes, attributes);
  EXPECT_EQ(Names().size(), 1u);
}

// A page whose path just fits MAX_PATH: a temporary name made by appending
// to the page's name did not fit, and the write failed.
TEST_F(Win32BackendTest, PagePathAsLongAsPathsGoIsWritten) {
  std::u16string sub = u"d";
  while (dir.size() + 1 + sub.size() < 240) sub.push_back(u'd');
  ASSERT_TRUE(CreateDirectoryW(Wide(Path(sub)), nullptr));
  std::u16string name = sub + u"\\p";
  while (dir.size() + 1 + name.size() + 5 < MAX_PATH - 1) name.push_back(u'p');
  name += u".html";
  ASSERT_EQ(Path(name).size(), static_cast<size_t>(MAX_PATH - 1));
  for (const char* bytes : {"first", "second"}) {
    std::u16string error;
    EXPECT_TRUE(files->WriteFile(Path(name), bytes, &error)) << Utf8(error);
    EXPECT_EQ(Get(name), bytes);
  }
  EXPECT_TRUE(DeleteFileW(Wide(Path(name))));
  EXPECT_TRUE(RemoveDirectoryW(Wide(Path(sub))));  // nothing else was left in it
}

TEST(Win32CodePage, DecodesCodePage932) {
  auto code_page = MakeSystemCodePage();
  ASSERT_EQ(GetACP(), SuiteAnsiCodePage()) << "Wine does not have the ANSI code page the suite set";
  struct Case { std::string bytes; bool ok; std::u16string want; };
  const Case cases[] = {
      {"", true, u""},
      {"abc\r\n", true, u"abc\r\n"},
      {"\x83\x58\x83\x65\x81\x5B\x83\x57", true, u"ステージ"},
      {"\xB1\xB2", true, u"ｱｲ"},                // half-width katakana
      {"\x82\xA0\x82", false, u""},             // double-byte cut off at the end
      {"\x81\x20", false, u""},                 // no such trail byte
      {"\x85\x40", false, u""},                 // unassigned row
      {"a\x80", false, u""},                     // single bytes only Windows has
      {"\xA0", false, u""},
      {"\xB1\xFD", false, u""},
      {"\x81\x80", true, u"\u00F7"},             // 80 as a trail byte is fine
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "bytes " << testing::PrintToString(c.bytes));
    std::u16string text;
    ASSERT_EQ(code_page->Decode(c.bytes, &text), c.ok);
    if (c.ok) {
      EXPECT_EQ(Utf8(text), Utf8(c.want));
    }
  }
}

TEST(Win32CodePage, EncodesWithoutLookAlikes) {
  auto code_page = MakeSystemCodePage();
  struct Case { std::u16string text; std::string want; };
  const Case cases[] = {
      {u"", ""},
      {u"ステージ", "\x83\x58\x83\x65\x81\x5B\x83\x57"},
      {u"a?b", "a?b"},
      {u"\u00E9t\u00E9", "&#233;t&#233;"},    // no best fit to "e" for "é"
      {u"\u00A5\u203E\u2212", "\\~\x81\x7C"},   // but these, as iconv has them
      {u"\u0080\uF8F0", "&#128;&#63728;"},    // Windows-only characters
      {u"a\U0001F600b", "a&#128512;b"},        // one reference for a surrogate pair
      {u"a\xD800" u"b\xDC00", "a&#65533;b&#65533;"},  // U+FFFD for a lone surrogate
      {u"\x20AC", "&#8364;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(testing::PrintToString(code_page->Encode(c.text)), testing::PrintToString(c.want));
  }
}

TEST(Win32ProcessInfo, ExecutableDirectoryHoldsTheProgram) {
  auto process = MakeSystemProcessInfo();
  std::u16string directory = process->ExecutableDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_NE(directory.back(), u'\\');
  std::u16string self = directory + u"\\quarnel_tests.exe";
  EXPECT_NE(GetFileAttributesW(Wide(self)), INVALID_FILE_ATTRIBUTES) << Utf8(self);
}

// The portable splitting against the system's own, on every text of up to
// six characters over blanks, marks, backslashes and a letter, and on a few
// longer ones.
TEST(Win32CommandLine, SplitsAsCommandLineToArgvW) {
  std::vector<std::u16string> texts = {
      u"C:\\x\\a.dat \"C:\\新しいフォルダー (2)\\b c.dat\" C:\\x\\d.dat",
      u"\t\"a b\"\t\\\\\\\"\"\"\"\"\"\" x \"\"\"\"\"",
  };
  const char16_t alphabet[] = {u'a', u' ', u'"', u'\\'};
  std::vector<std::u16string> layer = {u""};
  for (int length = 1; length <= 6; ++length) {
    std::vector<std::u16string> next;
    for (const std::u16string& text : layer) {
      for (char16_t c : alphabet) next.push_back(text + c);
    }
    texts.insert(texts.end(), next.begin(), next.end());
    layer = std::move(next);
  }
  for (const std::u16string& text : texts) {
    std::u16string line = u"q.exe " + text;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(Wide(line), &count);
    ASSERT_NE(argv, nullptr);
    std::vector<std::string> want;
    for (int i = 1; i < count; ++i) want.push_back(Utf8(FromWide(argv[i], wcslen(argv[i]))));
    LocalFree(argv);
    std::vector<std::string> got;
    for (const std::u16string& argument : SplitArgumentText(ArgumentTextOf(line))) {
      got.push_back(Utf8(argument));
    }
    ASSERT_EQ(got, want) << "command line: " << Utf8(line);
  }
}

TEST(Win32FileChooser, FillsTheRecordAsTheDialogExpects) {
  AnsiDialogTexts texts{"title", std::string("name\0*.dat\0\0", 12)};
  char buffer[kFileBufferSize] = {};
  OpenFileRecord record;
  std::memset(&record, 0xAB, sizeof record);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  FillOpenFileRecord(instance, texts, buffer, &record);
  // The fields are read by name, so the check holds for either layout; the
  // 32-bit program's offsets are fixed where the record is filled.
  EXPECT_EQ(record.lStructSize, sizeof(OpenFileRecord));
  EXPECT_EQ(record.hwndOwner, nullptr);
  EXPECT_EQ(record.hInstance, instance);
  EXPECT_EQ(record.lpstrFilter, texts.filter.c_str());
  EXPECT_EQ(record.nFilterIndex, 1u);
  EXPECT_EQ(record.lpstrFile, buffer);
  EXPECT_EQ(record.nMaxFile, 512u);
  EXPECT_EQ(record.lpstrTitle, texts.title.c_str());
  EXPECT_EQ(record.Flags, 0x281004u);
  EXPECT_STREQ(record.lpstrDefExt, "*.*");
  EXPECT_EQ(record.lpstrCustomFilter, nullptr);
  EXPECT_EQ(record.nMaxCustFilter, 0u);
  EXPECT_EQ(record.lpstrFileTitle, nullptr);
  EXPECT_EQ(record.nMaxFileTitle, 0u);
  EXPECT_EQ(record.lpstrInitialDir, nullptr);
  EXPECT_EQ(record.nFileOffset, 0u);
  EXPECT_EQ(record.nFileExtension, 0u);
  EXPECT_EQ(record.lCustData, 0);
  EXPECT_EQ(record.lpfnHook, nullptr);
  EXPECT_EQ(record.lpTemplateName, nullptr);
  // Nothing of the earlier contents is left, padding included: a record
  // filled over other bytes is the same, byte for byte.
  OpenFileRecord again;
  std::memset(&again, 0x54, sizeof again);
  FillOpenFileRecord(instance, texts, buffer, &again);
  EXPECT_EQ(std::memcmp(&record, &again, sizeof record), 0);
}

TEST(Win32FileChooser, TakesThePathBeforeThePairOfNuls) {
  struct Case { std::string buffer; bool ok; std::string want; };
  const std::string long_path(511, 'a');
  const Case cases[] = {
      {std::string(512, '\0'), true, ""},                                        // cancelled
      {"C:\\data\\stages.dat" + std::string(494, '\0'), true, "C:\\data\\stages.dat"},
      {std::string(510, 'a') + std::string(2, '\0'), true, std::string(510, 'a')},
      {long_path + '\0', true, long_path},                   // fills the buffer
      {std::string(512, 'a'), false, ""},                    // no end at all
  };
  // The buffer ends where a page that may not be read begins, so a read
  // past its end stops the test.
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  char* pages = static_cast<char*>(
      VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old_protection;
  ASSERT_TRUE(VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS,
                             &old_protection));
  char* buffer = pages + system.dwPageSize - kFileBufferSize;
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    ASSERT_EQ(cases[i].buffer.size(), kFileBufferSize);
    std::memcpy(buffer, cases[i].buffer.data(), kFileBufferSize);
    std::string path;
    EXPECT_EQ(PathInFileBuffer(buffer, kFileBufferSize, &path), cases[i].ok);
    if (cases[i].ok) {
      EXPECT_EQ(path, cases[i].want);
    }
  }
  VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace
}  // namespace quarnel
