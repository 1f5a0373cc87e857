#include "input/text_file.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

TEST(LineNumberAt, CountsCrLfAndLoneCr) {
  const std::string bytes = "ab\r\ncd\ref\ng\r\n";
  EXPECT_EQ(LineNumberAt(bytes, 0), 1u);
  EXPECT_EQ(LineNumberAt(bytes, 2), 1u);   // the CR ends line 1
  EXPECT_EQ(LineNumberAt(bytes, 4), 2u);
  EXPECT_EQ(LineNumberAt(bytes, 7), 3u);   // after the lone CR
  EXPECT_EQ(LineNumberAt(bytes, 10), 3u);  // LF stays in line 3
}

struct ReadCase {
  std::string bytes;
  FileError::Kind kind;
  size_t line;
};

TEST(ReadTextFile, RefusesBadTextNamingTheLine) {
  const ReadCase cases[] = {
      {"ok\r\nok\r\n", FileError::Kind::None, 0},
      {"a\r\nb\xff" "c\r\n", FileError::Kind::InvalidText, 2},
      {"a\r\nb\r\nc\xe3", FileError::Kind::InvalidText, 3},  // cut off at the end
      {std::string("a\r\nb\0c", 6), FileError::Kind::NulCharacter, 2},
      {std::string("\0", 1), FileError::Kind::NulCharacter, 1},
      {"\xe3\r\n", FileError::Kind::InvalidText, 1},  // cut off by a line end
      {std::string("a\xff\r\n\0", 5), FileError::Kind::InvalidText, 1},  // earliest fault
      {std::string("\0\r\n\xff", 4), FileError::Kind::NulCharacter, 1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakeFileSystem files;
    FakeCodePage code_page;
    files.files[u"f.dat"] = cases[i].bytes;
    TextFile file;
    FileError error;
    bool ok = ReadTextFile(files, code_page, u"f.dat", &file, &error);
    EXPECT_EQ(ok, cases[i].kind == FileError::Kind::None);
    EXPECT_EQ(error.kind, cases[i].kind);
    EXPECT_EQ(error.line, cases[i].line);
    if (!ok) {
      EXPECT_EQ(error.path, u"f.dat");
    }
  }
}

TEST(ReadTextFile, ReportsAFileThatCannotBeRead) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"f.dat"] = "x";
  files.fail_reads_of.insert(u"f.dat");
  TextFile file;
  FileError error;
  EXPECT_FALSE(ReadTextFile(files, code_page, u"f.dat", &file, &error));
  EXPECT_EQ(error.kind, FileError::Kind::CannotRead);
  EXPECT_EQ(error.detail, u"read failed");
}

TEST(ReadTextFile, CutsTheDecodedTextIntoLines) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"f.dat"] = "見出し\r\n\r\nx\ny\rz\r\n";
  TextFile file;
  FileError error;
  ASSERT_TRUE(ReadTextFile(files, code_page, u"f.dat", &file, &error));
  EXPECT_EQ(file.lines,
            (std::vector<std::u16string_view>{u"見出し", u"", u"x\ny", u"z"}));
}

}  // namespace
}  // namespace quarnel
