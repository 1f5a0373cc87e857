#include "app/page_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

TEST(OutputPath, ReplacesTheFileNamesExtension) {
  struct Case { std::u16string stage_path; PathStyle style; std::u16string want; };
  const Case cases[] = {
      {u"C:\\data\\stages.dat", PathStyle::Windows, u"C:\\data\\stages.html"},
      {u"stages.DAT", PathStyle::Windows, u"stages.html"},
      {u"C:\\data\\stages", PathStyle::Windows, u"C:\\data\\stages.html"},
      {u"C:\\my.data\\stages", PathStyle::Windows, u"C:\\my.data\\stages.html"},
      {u"C:/my.data/stages", PathStyle::Windows, u"C:/my.data/stages.html"},
      {u"/home/a.b/stages", PathStyle::Posix, u"/home/a.b/stages.html"},
      // On POSIX a backslash is part of a file name.
      {u"my.data\\stages", PathStyle::Posix, u"my.html"},
      {u"C:\\data\\stages.html", PathStyle::Windows, u"C:\\data\\stages.html"},
      {u"a.b.c", PathStyle::Posix, u"a.b.html"},
      {u"stages．dat", PathStyle::Posix, u"stages．dat.html"},
      {u"stages.", PathStyle::Posix, u"stages.html"},
      {u"stages.HTML", PathStyle::Posix, u"stages.html"},
      {u"dir/.hidden", PathStyle::Posix, u"dir/.html"},
      {u"x", PathStyle::Posix, u"x.html"},
      {u"\"a b.dat\"", PathStyle::Posix, u"\"a b.html"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(Utf8(OutputPath(cases[i].stage_path, cases[i].style)), Utf8(cases[i].want));
  }
}

// The page of `stage_path` written in one piece, as a short page is.
bool WritePage(FakeFileSystem& files, CodePage& code_page, const std::u16string& stage_path,
               std::u16string_view page, FileError* error,
               TextEncoding encoding = TextEncoding::CodePage) {
  PageWriter writer(files, code_page, stage_path, encoding);
  writer.Write(page);
  return writer.Finish(error);
}

TEST(PageWriter, WritesTheEncodedPageWithALineEnd) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"d/s.dat"] = "stage";
  FileError error;
  ASSERT_TRUE(WritePage(files, code_page, u"d/s.dat", u"<p>ステージ</p>", &error));
  EXPECT_EQ(files.files[u"d/s.html"], "<p>ステージ</p>\r\n");
}

TEST(PageWriter, WritesThePageInItsTemplatesEncoding) {
  struct Case { TextEncoding encoding; std::u16string page; std::string want; };
  const Case cases[] = {
      {TextEncoding::Utf8, u"aス", "aス\r\n"},
      {TextEncoding::Utf8WithBom, u"aス", "\xEF\xBB\xBF" "aス\r\n"},
      {TextEncoding::Utf8, u"\U0001F600", "\xF0\x9F\x98\x80\r\n"},
      // A file name's undecodable byte is U+FFFD: the page stays UTF-8.
      {TextEncoding::Utf8, u"a\xDC81" u"b\xD800", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\r\n"},
      // The code page's own encoder (here the fake's) keeps the byte.
      {TextEncoding::CodePage, u"a\xDC81", "a\x81\r\n"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakeFileSystem files;
    FakeCodePage code_page;
    FileError error;
    ASSERT_TRUE(WritePage(files, code_page, u"s.dat", cases[i].page, &error,
                          cases[i].encoding));
    EXPECT_EQ(testing::PrintToString(files.files[u"s.html"]),
              testing::PrintToString(cases[i].want));
  }
}

TEST(PageWriter, PutsTheByteOrderMarkOnceBeforeAPageWithText) {
  FakeFileSystem files;
  FakeCodePage code_page;
  PageWriter empty(files, code_page, u"e.dat", TextEncoding::Utf8WithBom);
  empty.Write(u"");
  PageWriter page(files, code_page, u"p.dat", TextEncoding::Utf8WithBom);
  page.Write(u"a");
  page.Write(std::u16string(1 << 17, u'b'));
  FileError error;
  ASSERT_TRUE(empty.Finish(&error));
  ASSERT_TRUE(page.Finish(&error));
  EXPECT_EQ(files.files.count(u"e.html"), 0u);
  EXPECT_EQ(files.files[u"p.html"], "\xEF\xBB\xBF" "a" + std::string(1 << 17, 'b') + "\r\n");
}

TEST(PageWriter, NeverReplacesTheStageFile) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"s.html"] = "stage";
  files.files[u"S.dat"] = "stage";
  files.same_files.insert({u"S.html", u"S.dat"});  // a case-insensitive system
  files.files[u"S.html"] = "stage";
  for (std::u16string path : {u"s.html", u"S.dat"}) {
    SCOPED_TRACE(Utf8(path));
    FileError error;
    EXPECT_FALSE(WritePage(files, code_page, path, u"page", &error));
    EXPECT_EQ(error.kind, FileError::Kind::OutputIsInput);
  }
  EXPECT_TRUE(files.writes.empty());
  EXPECT_EQ(files.files[u"s.html"], "stage");
}

TEST(PageWriter, ReportsAFailedWrite) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.fail_writes_to = u"s.html";
  FileError error;
  EXPECT_FALSE(WritePage(files, code_page, u"s.dat", u"page", &error));
  EXPECT_EQ(error.kind, FileError::Kind::CannotWrite);
  EXPECT_EQ(error.path, u"s.html");
  EXPECT_EQ(error.detail, u"disk full");
}

// A page the file system refuses (a link planted in a shared folder) is its
// own error, found before any of a long page is written.
TEST(PageWriter, ReportsARefusedPageBeforeWriting) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.refuse_writes_to = u"s.html";
  PageWriter writer(files, code_page, u"s.dat");
  for (int i = 0; i < 100; ++i) writer.Write(std::u16string(50000, u'x'));
  FileError error;
  EXPECT_FALSE(writer.Finish(&error));
  EXPECT_EQ(error.kind, FileError::Kind::MayNotWrite);
  EXPECT_EQ(error.path, u"s.html");
  EXPECT_TRUE(files.writes.empty());
  EXPECT_EQ(files.files.count(u"s.html"), 0u);
}

TEST(PageWriter, EncodesPiecesAsOneText) {
  // Long enough to be encoded in several parts, with a surrogate pair cut
  // between two pieces right where a part ends.
  FakeFileSystem files;
  FakeCodePage code_page;
  std::u16string pair = u"\U0001F600";
  std::u16string first = std::u16string((1 << 16) - 1, u'a') + pair[0];
  std::u16string second = pair[1] + std::u16string(300000, u'b') + u"ス";
  PageWriter writer(files, code_page, u"s.dat");
  writer.Write(first);
  writer.Write(u"");
  writer.Write(second);
  FileError error;
  ASSERT_TRUE(writer.Finish(&error));
  EXPECT_EQ(files.files[u"s.html"], code_page.Encode(first + second) + "\r\n");
}

TEST(PageWriter, WritesNothingForAPageWithoutText) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"s.html"] = "stage";  // the stage file itself: no page, no error
  PageWriter writer(files, code_page, u"s.html");
  writer.Write(u"");
  FileError error;
  EXPECT_TRUE(writer.Finish(&error));
  EXPECT_TRUE(files.writes.empty());
}

TEST(PageWriter, RefusesTheStageFileBeforeWritingALongPage) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"s.html"] = "stage";
  PageWriter writer(files, code_page, u"s.html");
  for (int i = 0; i < 100; ++i) writer.Write(std::u16string(50000, u'x'));
  FileError error;
  EXPECT_FALSE(writer.Finish(&error));
  EXPECT_EQ(error.kind, FileError::Kind::OutputIsInput);
  EXPECT_TRUE(files.writes.empty());
  EXPECT_EQ(files.files[u"s.html"], "stage");
}

// Counts its encodes and the code units they took, throws std::bad_alloc
// at the one numbered `throw_at`, and encodes each code unit as "x".
class CountingCodePage final : public CodePage {
 public:
  bool Decode(std::string_view, std::u16string*) override { return false; }
  std::string Encode(std::u16string_view text) override {
    if (++encodes == throw_at) throw std::bad_alloc();
    units += text.size();
    last_units = text.size();
    return std::string(text.size(), 'x');
  }
  int encodes = 0;
  int throw_at = 0;
  size_t units = 0;
  size_t last_units = 0;
};

// A long page goes through the writing thread; written in the small pieces
// a page is built of, pairs cut between them and where the first slice it
// is encoded in ends, it is the whole text encoded at once, in either
// encoding.
TEST(PageWriter, WritesALongPageAsItsWholeTextEncoded) {
  std::u16string page = std::u16string((1 << 15) - 1, u'a') + u"\U0001F600";
  for (int i = 0; page.size() < 3000000; ++i) {
    page += u"<td>ス</td>\U0001F600" + std::u16string(i % 50, u'x');
  }
  for (TextEncoding encoding : {TextEncoding::CodePage, TextEncoding::Utf8WithBom}) {
    FakeFileSystem files;
    FakeCodePage code_page;
    PageWriter writer(files, code_page, u"s.dat", encoding);
    for (size_t at = 0; at < page.size(); at += 7) {
      writer.Write(std::u16string_view(page).substr(at, 7));
    }
    FileError error;
    ASSERT_TRUE(writer.Finish(&error));
    std::string bom = encoding == TextEncoding::Utf8WithBom ? "\xEF\xBB\xBF" : "";
    EXPECT_TRUE(files.files[u"s.html"] == bom + code_page.Encode(page) + "\r\n");
    EXPECT_EQ(files.files.size(), 1u);  // no temporary file left
  }
}

// Whatever fails while a long page is on its way, the failure is reported
// as for a short page, nothing more is encoded, and neither the page nor a
// piece of it is left.
TEST(PageWriter, ReportsAFailureOfALongPageLeavingNothing) {
  struct Case {
    const char* name;
    std::function<void(FakeFileSystem&)> set_up;
    FileError::Kind kind;
    std::u16string detail;
    size_t fails_after;  // code units, a byte each
  };
  const Case cases[] = {
      {"disk full", [](FakeFileSystem& f) { f.disk_room = 1 << 20; },
       FileError::Kind::CannotWrite, u"disk full", 1 << 20},
      {"commit fails", [](FakeFileSystem& f) { f.fail_writes_to = u"s.html"; },
       FileError::Kind::CannotWrite, u"disk full", 5000000},
      {"refused", [](FakeFileSystem& f) { f.refuse_writes_to = u"s.html"; },
       FileError::Kind::MayNotWrite, u"", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileSystem files;
    c.set_up(files);
    CountingCodePage code_page;
    PageWriter writer(files, code_page, u"s.dat");
    for (int i = 0; i < 100; ++i) writer.Write(std::u16string(50000, u'x'));
    FileError error;
    EXPECT_FALSE(writer.Finish(&error));
    EXPECT_EQ(error.kind, c.kind);
    EXPECT_EQ(error.path, u"s.html");
    EXPECT_EQ(error.detail, c.detail);
    // The encode that reached the failure was the last.
    EXPECT_GE(code_page.units, c.fails_after);
    EXPECT_LT(code_page.units - code_page.last_units, c.fails_after);
    EXPECT_TRUE(files.files.empty());
  }
}

// No memory left on the writing thread: Finish throws it, as a write on
// the caller's thread would have, and nothing is left.
TEST(PageWriter, ThrowsAtFinishWhatTheWritingThreadMet) {
  FakeFileSystem files;
  CountingCodePage code_page;
  code_page.throw_at = 3;
  {
    PageWriter writer(files, code_page, u"s.dat");
    for (int i = 0; i < 100; ++i) writer.Write(std::u16string(50000, u'x'));
    FileError error;
    EXPECT_THROW(writer.Finish(&error), std::bad_alloc);
  }
  EXPECT_EQ(code_page.encodes, 3);
  EXPECT_TRUE(files.files.empty());
}

TEST(PageWriter, LeavesNothingOfAPageNotFinished) {
  FakeFileSystem files;
  CountingCodePage code_page;
  {
    PageWriter writer(files, code_page, u"s.dat");
    for (int i = 0; i < 100; ++i) writer.Write(std::u16string(50000, u'x'));
  }
  EXPECT_TRUE(files.files.empty());
  EXPECT_TRUE(files.writes.empty());
}

}  // namespace
}  // namespace quarnel
