// The POSIX backends on a real file system, in a temporary directory.
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/process_info.h"
#include "platform/utf8.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;

class PosixBackendTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quarnel-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir, ignored);
  }
  std::u16string Path(const std::string& name) { return DecodeUtf8((dir / name).string()); }
  void Put(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) {
    std::ifstream in(dir / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir;
  std::unique_ptr<FileSystem> files = MakeSystemFileSystem();
};

TEST_F(PosixBackendTest, OrdinaryFilesOnly) {
  Put("a b\"*?.dat", "x");
  Put("ステージ.dat", "x");
  fs::create_directory(dir / "template.dat");
  EXPECT_TRUE(files->IsOrdinaryFile(Path("a b\"*?.dat")));
  EXPECT_TRUE(files->IsOrdinaryFile(Path("ステージ.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(Path("a*.dat")));  // no patterns
  EXPECT_FALSE(files->IsOrdinaryFile(Path("template.dat")));
  EXPECT_FALSE(files->IsOrdinaryFile(Path("missing")));
  EXPECT_FALSE(files->IsOrdinaryFile(u"/dev/null"));
}

TEST_F(PosixBackendTest, SameFileByIdentity) {
  Put("s.html", "x");
  fs::create_hard_link(dir / "s.html", dir / "link.html");
  EXPECT_TRUE(files->IsSameFile(Path("s.html"), Path("./s.html")));
  EXPECT_TRUE(files->IsSameFile(Path("link.html"), Path("s.html")));
  EXPECT_FALSE(files->IsSameFile(Path("s.dat"), Path("s.html")));
}

TEST_F(PosixBackendTest, ReadsWholeFiles) {
  std::string big(300000, 'x');
  Put("big", big);
  std::string bytes;
  std::u16string error;
  EXPECT_EQ(files->ReadFile(Path("big"), &bytes, &error), FileSystem::ReadStatus::Ok);
  EXPECT_EQ(bytes, big);
  EXPECT_EQ(files->ReadFile(Path("missing"), &bytes, &error), FileSystem::ReadStatus::NotFound);
  fs::create_directory(dir / "d");
  EXPECT_EQ(files->ReadFile(Path("d"), &bytes, &error), FileSystem::ReadStatus::Failed);
  EXPECT_FALSE(error.empty());
}

TEST_F(PosixBackendTest, WritesAtomicallyAndCleansUp) {
  std::u16string error;
  ASSERT_TRUE(files->WriteFile(Path("p.html"), "new", &error));
  EXPECT_EQ(Get("p.html"), "new");
  ASSERT_TRUE(files->WriteFile(Path("p.html"), "newer", &error));
  EXPECT_EQ(Get("p.html"), "newer");
  EXPECT_EQ(Names(), std::vector<std::string>{"p.html"});
  struct stat info;
  ASSERT_EQ(::stat((dir / "p.html").c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IRUSR, 0u);

  // Into a directory in the way, or a missing directory: no trace left.
  fs::create_directory(dir / "d.html");
  EXPECT_FALSE(files->WriteFile(Path("d.html"), "x", &error));
  EXPECT_FALSE(files->WriteFile(Path("none/p.html"), "x", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{"d.html", "p.html"}));
}

// A page name of 254 bytes is a valid name; a temporary name made by
// appending to it was not, and the write failed with "File name too long".
TEST_F(PosixBackendTest, WritesAPageWhoseNameIsAsLongAsNamesGo) {
  std::string name = std::string(249, 'n') + ".html";
  std::u16string error;
  ASSERT_TRUE(files->WriteFile(Path(name), "page", &error)) << EncodeUtf8(error);
  EXPECT_EQ(Get(name), "page");
  EXPECT_EQ(Names(), std::vector<std::string>{name});
}

TEST_F(PosixBackendTest, WriteFailingMidwayKeepsTheEarlierPage) {
  Put("p.html", "old");
  // A file-size limit makes the write fail halfway, for root too. The child
  // process carries the limit so the test runner keeps its own.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::u16string error;
    bool ok = MakeSystemFileSystem()->WriteFile(Path("p.html"), std::string(100000, 'n'), &error);
    ::_exit(!ok && !error.empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write did not report its failure";
  EXPECT_EQ(Get("p.html"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"p.html"});
}

TEST_F(PosixBackendTest, WritesPieceByPiece) {
  Put("p.html", "old");
  std::u16string error;
  {
    // Abandoned before Commit: the old page stays, no temporary file.
    StartFailure failure;
    std::unique_ptr<FileWriter> file = files->StartFile(Path("p.html"), &failure);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Write("new", &error));
  }
  EXPECT_EQ(Get("p.html"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"p.html"});
  StartFailure failure;
  std::unique_ptr<FileWriter> file = files->StartFile(Path("p.html"), &failure);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Write("ne", &error));
  EXPECT_TRUE(file->Write("", &error));
  EXPECT_TRUE(file->Write(std::string(200000, 'w'), &error));
  EXPECT_EQ(Get("p.html"), "old");
  ASSERT_TRUE(file->Commit(&error));
  file.reset();
  EXPECT_EQ(Get("p.html"), "ne" + std::string(200000, 'w'));
  EXPECT_EQ(Names(), std::vector<std::string>{"p.html"});
  EXPECT_FALSE(files->StartFile(Path("none/p.html"), &failure));
  EXPECT_EQ(failure.kind, StartFailure::Kind::Failed);
  EXPECT_FALSE(failure.reason.empty());
}

// A long page goes to the disk while it is written, on a thread of its own:
// the page keeps every byte in order, and one abandoned midway leaves the
// earlier page and no temporary file.
TEST_F(PosixBackendTest, LongPageIsFlushedWhileWritten) {
  Put("p.html", "old");
  std::string piece(1 << 20, 'x');
  const int pieces = 70;  // past two flushing steps
  for (bool commit : {false, true}) {
    std::u16string error;
    StartFailure failure;
    std::unique_ptr<FileWriter> file = files->StartFile(Path("p.html"), &failure);
    ASSERT_TRUE(file);
    for (int i = 0; i < pieces; ++i) {
      piece[0] = static_cast<char>('A' + i % 26);
      ASSERT_TRUE(file->Write(piece, &error));
    }
    if (commit) {
      ASSERT_TRUE(file->Commit(&error)) << EncodeUtf8(error);
    }
    file.reset();
    EXPECT_EQ(Names(), std::vector<std::string>{"p.html"});
  }
  const std::string page = Get("p.html");
  ASSERT_EQ(page.size(), piece.size() * pieces);
  for (int i = 0; i < pieces; ++i) {
    ASSERT_EQ(page[i * piece.size()], 'A' + i % 26) << i;
    ASSERT_EQ(page[i * piece.size() + 1], 'x') << i;
  }
}

// A signal that ends the process during the write (here: the file-size
// limit's, left at its default action) used to leave the temporary file
// behind. It now takes effect once the write has failed and cleaned up.
TEST_F(PosixBackendTest, ASignalDuringTheWriteLeavesNoTemporaryFile) {
  Put("p.html", "old");
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    struct rlimit no_core = {0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    struct rlimit limit = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::u16string error;
    MakeSystemFileSystem()->WriteFile(Path("p.html"), std::string(100000, 'n'), &error);
    ::_exit(0);  // not reached: the held signal ends the process
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(Get("p.html"), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"p.html"});
}

// Pages that cannot be written as a file: a loop of links, a FIFO (which
// must not stop the run waiting for a reader). Nothing changes.
TEST_F(PosixBackendTest, PageThatIsNoFileIsRefused) {
  fs::create_symlink("b.html", dir / "a.html");
  fs::create_symlink("a.html", dir / "b.html");
  ASSERT_EQ(::mkfifo((dir / "f.html").c_str(), 0644), 0);
  for (const char* name : {"a.html", "f.html"}) {
    SCOPED_TRACE(name);
    std::u16string error;
    EXPECT_FALSE(files->WriteFile(Path(name), "x", &error));
    EXPECT_NE(EncodeUtf8(error).find("open: "), std::string::npos) << EncodeUtf8(error);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.html", "b.html", "f.html"}));
  EXPECT_TRUE(fs::is_symlink(dir / "a.html"));
  EXPECT_TRUE(fs::is_fifo(dir / "f.html"));
}

// A user who may not give the new page the earlier one's group: the group
// rights, which would now go to the user's own group, are cut to what
// others get, and set-user-ID and set-group-ID are dropped.
TEST_F(PosixBackendTest, PermissionsGrantNoMoreUnderANewGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  const uid_t nobody = 65534;
  fs::permissions(dir, fs::perms::all);
  struct Case { mode_t before, after; };
  const Case cases[] = {
      {0664, 0644},
      {0660, 0600},
      {06775, 0755},
      {0606, 0666},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::oct << c.before);
    Put("p.html", "old");
    ASSERT_EQ(::chown((dir / "p.html").c_str(), nobody, 0), 0);
    ASSERT_EQ(::chmod((dir / "p.html").c_str(), c.before), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::u16string error;
      bool ok = ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 &&
                ::setuid(nobody) == 0 &&
                MakeSystemFileSystem()->WriteFile(Path("p.html"), "new", &error);
      ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat info;
    ASSERT_EQ(::stat((dir / "p.html").c_str(), &info), 0);
    EXPECT_EQ(Get("p.html"), "new");
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(info.st_gid, nobody);
    EXPECT_EQ(info.st_mode & 07777, c.after);
  }
}

// What happens to the page's name between the start and the commit: the
// temporary file goes to the folder that was opened, under the page's name
// there, and a link or a file of several names put there since is not
// replaced; another run's whole page is.
TEST_F(PosixBackendTest, CommitReplacesOnlyWhatWasChecked) {
  struct Case { std::string swap, lands_in; bool replaced; };
  const Case cases[] = {
      {"rm f/p.html && ln -s victim f/p.html", "f", false},
      {"rm f/p.html && ln f/victim f/p.html", "f", false},
      {"rm f/p.html && echo other > f/p.html", "f", true},
      {"mv f moved && mkdir f", "moved", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.swap);
    fs::create_directory(dir / "f");
    Put("f/victim", "victim");
    Put("f/p.html", "old");
    StartFailure failure;
    std::unique_ptr<FileWriter> file = files->StartFile(Path("f/p.html"), &failure);
    ASSERT_TRUE(file) << EncodeUtf8(failure.reason);
    std::u16string error;
    ASSERT_TRUE(file->Write("new", &error));
    ASSERT_EQ(std::system(("cd '" + dir.string() + "' && " + c.swap).c_str()), 0);
    EXPECT_EQ(file->Commit(&error), c.replaced) << EncodeUtf8(error);
    file.reset();
    EXPECT_EQ(Get(c.lands_in + "/victim"), "victim");
    EXPECT_EQ(Get(c.lands_in + "/p.html") == "new", c.replaced);
    // No temporary file is left either way.
    auto names = std::distance(fs::directory_iterator(dir / c.lands_in), {});
    EXPECT_EQ(names, 2);
    fs::remove_all(dir / "f");
    fs::remove_all(dir / "moved");
  }
}

// In a folder anyone may write that has the sticky bit, another user's link
// and a page of several names are refused from the start, and nothing is
// written; the folder owner's (here the runner's) link is followed.
TEST_F(PosixBackendTest, SharedFolderRefusesOthersLinksAndHardLinks) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant another user's link";
  fs::create_directory(dir / "shared");
  ASSERT_EQ(::chmod((dir / "shared").c_str(), 01777), 0);
  Put("notes", "notes");
  struct Case { std::string make; uid_t owner; bool refused; };
  const Case cases[] = {
      {"ln -s ../notes shared/p.html", 65534, true},
      {"ln notes shared/p.html", 0, true},
      {"ln -s ../notes shared/p.html", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.make);
    ASSERT_EQ(std::system(("cd '" + dir.string() + "' && " + c.make).c_str()), 0);
    ASSERT_EQ(::lchown((dir / "shared/p.html").c_str(), c.owner, 0), 0);
    StartFailure failure;
    std::unique_ptr<FileWriter> file = files->StartFile(Path("shared/p.html"), &failure);
    EXPECT_EQ(!file, c.refused);
    if (c.refused) {
      EXPECT_EQ(failure.kind, StartFailure::Kind::Refused);
    } else if (file) {
      std::u16string error;
      EXPECT_TRUE(file->Write("page", &error) && file->Commit(&error)) << EncodeUtf8(error);
    }
    EXPECT_EQ(Get("notes"), c.refused ? "notes" : "page");
    EXPECT_EQ(Names(), (std::vector<std::string>{"notes", "shared"}));
    fs::remove(dir / "shared/p.html");
    Put("notes", "notes");
  }
}

TEST(PosixCodePage, ConvertsCodePage932) {
  auto code_page = MakeSystemCodePage();
  std::u16string text;
  ASSERT_TRUE(code_page->Decode("\x83X\x83" "e\x81[\x83W\x82P\x5c\x7e\x81\x60\x87\x90", &text));
  EXPECT_EQ(text, u"ステージ１\\~～≒");
  EXPECT_EQ(code_page->Encode(u"ステージ１\\~"), "\x83X\x83" "e\x81[\x83W\x82P\x5c\x7e");
  EXPECT_EQ(code_page->Encode(u"ｶﾞ　"), "\xb6\xde\x81\x40");
  for (std::string bad : {"\x82", "a\xff", "\x80", "\x85\x40x"}) {
    EXPECT_FALSE(code_page->Decode(bad, &text)) << bad;
  }
}

TEST(PosixCodePage, WritesReferencesForWhatItCannotEncode) {
  auto code_page = MakeSystemCodePage();
  struct Case { std::u16string text; std::string want; };
  const Case cases[] = {
      {u"", ""},
      {u"a?b", "a?b"},
      {u"a\u00E9b", "a&#233;b"},
      {u"\u0080\uF8F0", "&#128;&#63728;"},         // Windows-only characters
      {u"a\U0001F600b", "a&#128512;b"},             // one reference for a pair
      {u"a\xD800" u"b\xDC81", "a&#65533;b&#65533;"},  // a lone surrogate is U+FFFD
      {u"\U0010FFFF", "&#1114111;"},
      // References longer than the room kept for two bytes a character.
      {std::u16string(100, u'\u00E9') + u"ス",
       [] { std::string s; for (int i = 0; i < 100; ++i) s += "&#233;"; return s + "\x83X"; }()},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(code_page->Encode(cases[i].text), cases[i].want);
  }
}

TEST(PosixProcessInfo, JoinsArgumentsWithSingleBlanks) {
  char program[] = "quarnel", a[] = "\"my", b[] = "stages.dat\"", c[] = "ステージ";
  char* argv[] = {program, a, b, c, nullptr};
  EXPECT_EQ(MakeSystemProcessInfo(4, argv)->ArgumentText(), u"\"my stages.dat\" ステージ");
  EXPECT_EQ(MakeSystemProcessInfo(1, argv)->ArgumentText(), u"");
  char empty[] = "";
  char* blank_argv[] = {program, empty, nullptr};
  EXPECT_EQ(MakeSystemProcessInfo(2, blank_argv)->ArgumentText(), u"");
  std::u16string directory = MakeSystemProcessInfo(1, argv)->ExecutableDirectory();
  EXPECT_TRUE(fs::is_directory(EncodeUtf8(directory)));
  EXPECT_TRUE(fs::exists(EncodeUtf8(directory) + "/quarnel_tests"));
}

}  // namespace
}  // namespace quarnel
