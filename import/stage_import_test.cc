#include "import/stage_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/import_messages.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

constexpr char16_t kExample[] = u"https://puzz.link/p?slither/4/4/dgdh2c71";

struct LinesCase {
  const char* name;
  std::vector<std::u16string_view> lines;
  std::u16string text;  // the stage file's text; empty: an error
  size_t line = 0;
  size_t column = 0;
  std::u16string_view reason = {};
};

TEST(StageTextOfLines, MakesTitledStagesOrNamesTheLine) {
  const LinesCase cases[] = {
      {"titles given and not, blank lines skipped",
       {u"First", kExample, u"", u"  ", u"pzv.jp/p.html?slither/2/1/2"},
       u"First\r\n3   \r\n3   \r\n 22 \r\n 2 1\r\n*\r\nステージ 2\r\n2 \r\n"},
      {"a title keeps its inner blanks and loses the outer ones",
       {u"  Stage one  ", u"slither/1/1/0"},
       u"Stage one\r\n0\r\n"},
      {"an all blank board keeps its width",
       {u"slither/3/2/z"},
       u"ステージ 1\r\n   \r\n   \r\n"},
      {"a pzprv3 file is one stage",
       {u"pzprv3", u"slither", u"1", u"2", u"3 . ", u"0 0 /"},
       u"ステージ 1\r\n3 \r\n"},
      {"a bad address names its line and column in the line",
       {u"Title", u"  slither/4/4/dgdh2c41"}, u"", 2, 21, AddressProblemText(AddressProblem::ClueFour)},
      {"a title after a title",
       {u"One", u"Two", kExample}, u"", 1, 0, kTitleWithoutAddressText},
      {"a title at the end",
       {kExample, u"Last"}, u"", 2, 0, kTitleWithoutAddressText},
      {"a title that would end a stage",
       {u" *Star", kExample}, u"", 1, 2, kTitleSeparatorText},
      {"no address at all", {u"", u" "}, u"", 0, 0, kNoAddressText},
      {"a bad pzprv3 file", {u"pzprv3", u"slither", u"1", u"1", u"4 "}, u"", 5, 1,
       AddressProblemText(AddressProblem::ClueFour)},
  };
  for (const LinesCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string text;
    size_t count = 0;
    ImportError error;
    const bool ok = StageTextOfLines(c.lines, &text, &count, &error);
    EXPECT_EQ(ok, !c.text.empty());
    if (ok) {
      EXPECT_EQ(Utf8(text), Utf8(c.text));
    } else {
      EXPECT_EQ(error.line, c.line);
      EXPECT_EQ(error.column, c.column);
      EXPECT_EQ(Utf8(error.reason), Utf8(c.reason));
    }
  }
}

TEST(ImportFile, WritesTheStageFileBesideTheTextOrNothing) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"dir/urls.txt"] = "T\n" + Utf8(kExample) + "\n";
  std::u16string out;
  size_t count = 0;
  ImportError error;
  ASSERT_TRUE(ImportFile(files, code_page, u"dir/urls.txt", &out, &count, &error));
  EXPECT_EQ(Utf8(out), "dir/urls.dat");
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(files.files[u"dir/urls.dat"], "\xEF\xBB\xBFT\r\n3   \r\n3   \r\n 22 \r\n 2 1\r\n");

  // A line it cannot read: nothing written, the earlier stage file kept.
  files.files[u"dir/urls.txt"] = Utf8(kExample) + "\nslither/1/1/.\n";
  EXPECT_FALSE(ImportFile(files, code_page, u"dir/urls.txt", &out, &count, &error));
  EXPECT_EQ(Utf8(ImportErrorLine(error)),
            "dir/urls.txt:2:13: エラー: " + Utf8(AddressProblemText(AddressProblem::UnknownClue)));
  EXPECT_EQ(Utf8(ImportErrorBoxText(error)),
            "dir/urls.txt の 2 行目 13 文字目: " +
                Utf8(AddressProblemText(AddressProblem::UnknownClue)));
  EXPECT_EQ(files.files[u"dir/urls.dat"], "\xEF\xBB\xBFT\r\n3   \r\n3   \r\n 22 \r\n 2 1\r\n");
  EXPECT_EQ(files.files.size(), 2u);

  // Never over the input itself.
  files.files[u"stages.dat"] = Utf8(kExample);
  EXPECT_FALSE(ImportFile(files, code_page, u"stages.dat", &out, &count, &error));
  EXPECT_EQ(files.files[u"stages.dat"], Utf8(kExample));

  // A file that is not there, and one that cannot be written.
  EXPECT_FALSE(ImportFile(files, code_page, u"none.txt", &out, &count, &error));
  EXPECT_EQ(Utf8(ImportErrorLine(error)), "none.txt: エラー: 見つかりません");
  files.files[u"full.txt"] = Utf8(kExample);
  files.fail_writes_to = u"full.dat";
  EXPECT_FALSE(ImportFile(files, code_page, u"full.txt", &out, &count, &error));
  EXPECT_EQ(files.files.count(u"full.dat"), 0u);
}

TEST(ImportedPath, ReplacesTheExtensionWithDat) {
  EXPECT_EQ(Utf8(ImportedPath(u"urls.txt", PathStyle::Posix)), "urls.dat");
  EXPECT_EQ(Utf8(ImportedPath(u"a.b/urls", PathStyle::Posix)), "a.b/urls.dat");
  EXPECT_EQ(Utf8(ImportedPath(u"C:\\x.y\\urls.TXT", PathStyle::Windows)), "C:\\x.y\\urls.dat");
}

}  // namespace
}  // namespace quarnel
