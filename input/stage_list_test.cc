#include "input/stage_list.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

using Lines = std::vector<std::u16string_view>;

std::u16string Record(std::u16string_view title, std::u16string_view body) {
  return std::u16string(title) + u'\0' + std::u16string(body);
}

TEST(ParseStages, SeparatesStagesAndFoldsGrids) {
  struct Case { Lines lines; StageList want; };
  const Case cases[] = {
      {{}, {}},
      {{u"Stage A", u"0 1", u"2 3", u"*", u"Stage B", u".3."},
       {Record(u"Stage A", u"0 1\r\n2 3"), Record(u"Stage B", u".3.")}},
      {{u"*", u"Stage A", u"01"}, {Record(u"", u""), Record(u"Stage A", u"01")}},
      {{u"A", u"1", u"*"}, {Record(u"A", u"1")}},                   // trailing separator
      {{u"A", u"1", u"*", u"B"}, {Record(u"A", u"1")}},             // last title dropped
      {{u"A", u"*", u"B", u"2"}, {Record(u"A", u""), Record(u"B", u"2")}},  // titled, no grid
      {{u"A", u"1", u"**", u"*x"}, {Record(u"A", u"1"), Record(u"", u"")}},
      {{u"", u"", u"A", u"", u"", u"1"}, {Record(u"A", u"1")}},     // empties skipped
      {{u"A", u"12", u"", u"3", u""}, {Record(u"A", u"12\r\n\r\n3\r\n")}},
      {{u"ＡＢ", u"０１２３"}, {Record(u"ＡＢ", u"0123")}},         // title kept, grid folded
      {{u"A", u"  *", u"＊1"}, {Record(u"A", u"  *\r\n*1")}},       // not separators
      {{u"A", u"ガ"}, {Record(u"A", u"ｶﾞ")}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    StageList stages;
    ParseStages(cases[i].lines, &stages);
    EXPECT_EQ(stages, cases[i].want);
  }
}

TEST(LoadStageFile, LeavesTheListAloneWhenMissing) {
  FakeFileSystem files;
  FakeCodePage code_page;
  StageList stages;
  FileError error;
  EXPECT_EQ(LoadStageFile(files, code_page, u"\"a.dat\"", &stages, &error),
            LoadStatus::NotFound);
  EXPECT_TRUE(stages.empty());
  EXPECT_TRUE(files.reads.empty());
}

TEST(LoadStageFile, ReadsFileLines) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"s.dat"] = "A\r\n12\r\n*\rB\r3\r\n";
  StageList stages;
  FileError error;
  ASSERT_EQ(LoadStageFile(files, code_page, u"s.dat", &stages, &error), LoadStatus::Loaded);
  EXPECT_EQ(stages, (StageList{Record(u"A", u"12"), Record(u"B", u"3")}));

  files.files[u"bad.dat"] = "A\r\n1\xff\r\n";
  EXPECT_EQ(LoadStageFile(files, code_page, u"bad.dat", &stages, &error), LoadStatus::Failed);
  EXPECT_EQ(error.kind, FileError::Kind::InvalidText);
  EXPECT_EQ(error.line, 2u);
}

}  // namespace
}  // namespace quarnel
