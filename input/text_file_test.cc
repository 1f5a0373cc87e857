#include "input/text_file.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

TEST(LineNumberAt, CountsCrLfAndLoneCr) {
  const std::string bytes = "ab\r\ncd\ref\ng\r\n";
  EXPECT_EQ(LineNumberAt(bytes, 0, LineEnds::CrLf), 1u);
  EXPECT_EQ(LineNumberAt(bytes, 2, LineEnds::CrLf), 1u);   // the CR ends line 1
  EXPECT_EQ(LineNumberAt(bytes, 4, LineEnds::CrLf), 2u);
  EXPECT_EQ(LineNumberAt(bytes, 7, LineEnds::CrLf), 3u);   // after the lone CR
  EXPECT_EQ(LineNumberAt(bytes, 10, LineEnds::CrLf), 3u);  // LF stays in line 3
}

TEST(LineNumberAt, CountsLfInAFileWithoutCr) {
  const std::string bytes = "ab\ncd\n\ng";
  EXPECT_EQ(LineNumberAt(bytes, 2, LineEnds::Lf), 1u);  // the LF ends line 1
  EXPECT_EQ(LineNumberAt(bytes, 3, LineEnds::Lf), 2u);
  EXPECT_EQ(LineNumberAt(bytes, 6, LineEnds::Lf), 3u);
  EXPECT_EQ(LineNumberAt(bytes, 7, LineEnds::Lf), 4u);
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
      {"a\nb\xff\nc", FileError::Kind::InvalidText, 2},  // lines end at LF
      {std::string("a\n\nb\0", 5), FileError::Kind::NulCharacter, 3},
      // Behind a byte order mark the text must be UTF-8, counted from line 1.
      {"\xEF\xBB\xBF" "a\r\n\xE3\x81\r\n", FileError::Kind::InvalidText, 2},
      {"\xEF\xBB\xBF\xC0\xAF", FileError::Kind::InvalidText, 1},
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

TEST(ReadTextFile, DecidesEncodingAndLineEndsPerFile) {
  struct Case {
    std::string bytes;
    TextEncoding encoding;
    LineEnds line_ends;
    std::vector<std::u16string_view> lines;
  };
  const Case cases[] = {
      {"見出し\n0123\n", TextEncoding::Utf8, LineEnds::Lf, {u"見出し", u"0123"}},
      {"\xEF\xBB\xBF" "a\r\nb", TextEncoding::Utf8WithBom, LineEnds::CrLf, {u"a", u"b"}},
      {"\xEF\xBB\xBF", TextEncoding::Utf8WithBom, LineEnds::Lf, {}},
      {"\xEF\xBB\xBF\xEF\xBB\xBF", TextEncoding::Utf8WithBom, LineEnds::Lf, {u"\uFEFF"}},
      {"a\nb\r\nc", TextEncoding::CodePage, LineEnds::CrLf, {u"a\nb", u"c"}},
      {"a\n\nb", TextEncoding::CodePage, LineEnds::Lf, {u"a", u"", u"b"}},
      {"", TextEncoding::CodePage, LineEnds::Lf, {}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakeFileSystem files;
    FakeCodePage code_page;
    files.files[u"f.dat"] = cases[i].bytes;
    TextFile file;
    FileError error;
    ASSERT_TRUE(ReadTextFile(files, code_page, u"f.dat", &file, &error));
    EXPECT_EQ(file.encoding, cases[i].encoding);
    EXPECT_EQ(file.line_ends, cases[i].line_ends);
    EXPECT_EQ(file.lines, cases[i].lines);
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
