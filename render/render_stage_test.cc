#include "render/render_stage.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

using Sections = std::vector<std::pair<std::u16string, std::u16string>>;

TemplateStore Store(const Sections& sections) {
  TemplateStore store;
  for (const auto& [name, text] : sections) store.Add(name, text);
  return store;
}

std::u16string Record(std::u16string_view title, std::u16string_view body) {
  return std::u16string(title) + u'\0' + std::u16string(body);
}

// Sections that show the grid compactly: "+-+-+" frames, "|1|2|" rows.
const Sections kPlain = {
    {u"data_content", u"[number]"}, {u"data_space", u"|"},
    {u"frame_content", u"-"},       {u"frame_space", u"+"},
    {u"frame_line", u"[frame]"},    {u"data_line", u"[data]"},
    {u"stagelist", u"[lines]"},
};

TEST(RenderStage, DrawsFramesAroundRows) {
  struct Case { std::u16string record, want; };
  const Case cases[] = {
      {Record(u"T", u"12"), u"+-+-+|1|2|+-+-+"},
      // Widest line sets the width; short rows pad with blanks; cells
      // outside 0..3 are blank.
      {Record(u"A", u"03\r\n1 2"), u"+-+-+-+|0|3| |+-+-+-+|1| |2|+-+-+-+"},
      {Record(u"A", u"4x9"), u"+-+-+-+| | | |+-+-+-+"},
      {Record(u"A", u"３"), u"+-+|3|+-+"},                 // folded once more
      {Record(u"A", u"1\r\n\r\n2"), u"+-+|1|+-+| |+-+|2|+-+"},
      {Record(u"A", u""), u""},                            // no grid
      {Record(u"A", u"\r\n\r\n"), u""},                    // only empty lines
      {u"no separator", u""},
      {Record(u"A", u"1") + u'\0' + u"ignored", u"+-+|1|+-+"},
  };
  TemplateStore store = Store(kPlain);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(Utf8(RenderStage(store, 1, cases[i].record)), Utf8(cases[i].want));
  }
}

TEST(RenderStage, FillsPlaceholdersInTheirOrder) {
  struct Case { Sections changes; std::u16string title, want; };
  const Case cases[] = {
      {{{u"data_content", u"[number*]"}}, u"T", u"+-+-+|１|　|+-+-+"},
      {{{u"data_content", u"[number][number*]"}}, u"T", u"+-+-+|1１| 　|+-+-+"},
      // "[row]" is filled in the row body only, not in data_line.
      {{{u"data_line", u"[row*]:[data]"}, {u"data_space", u"[row]"}},
       u"T", u"+-+-+[row*]:111 1+-+-+"},
      {{{u"data_space", u"[row*]"}}, u"T", u"+-+-+１1１ １+-+-+"},
      {{{u"stagelist", u"[stage]/[title]/[width]x[height]"}}, u"T", u"7/T/2x1"},
      // Later placeholders are filled inside earlier insertions, earlier
      // ones are not.
      {{{u"stagelist", u"[title]"}}, u"[stage][lines][width][height]", u"[stage]+-+-+|1| |+-+-+21"},
      {{{u"frame_line", u"[frame][stage][title][width][height]"}, {u"stagelist", u"[lines]"}},
       u"T", u"+-+-+[stage][title]21|1| |+-+-+[stage][title]21"},
      {{{u"frame_space", u"[frame]"}, {u"data_content", u"[data]"}}, u"T",
       u"[frame]-[frame]-[frame]|[data]|[data]|[frame]-[frame]-[frame]"},
      {{{u"stagelist", u"<h2>[title]</h2>"}}, u"a<b&c", u"<h2>a<b&c</h2>"},  // no escaping
      {{{u"stagelist", u"[filename][numstage]"}}, u"T", u"[filename][numstage]"},
      // Lines without any "[" complete a placeholder begun before them,
      // whether they are longer than it or shorter.
      {{{u"stagelist", u"[wid[lines]"}, {u"frame_line", u"th][frame]"}}, u"T", u"2+-+-+|1| |th]+-+-+"},
      {{{u"stagelist", u"[hei[lines]"}, {u"frame_line", u"t"}, {u"data_line", u"gh]"}}, u"T", u"[heitgh]t"},
      {{{u"stagelist", u"[wid[lines]"}, {u"frame_line", u"t"}, {u"data_line", u"h]"}}, u"T", u"2t"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    Sections sections = cases[i].changes;
    for (const auto& plain : kPlain) sections.push_back(plain);  // first one wins
    TemplateStore store = Store(sections);
    EXPECT_EQ(Utf8(RenderStage(store, 7, Record(cases[i].title, u"1 "))), Utf8(cases[i].want));
  }
}

TEST(RenderStage, TreatsMissingSectionsAsEmpty) {
  Sections without_stagelist(kPlain.begin(), kPlain.end() - 1);
  EXPECT_EQ(RenderStage(Store(without_stagelist), 1, Record(u"T", u"12")), u"");
  Sections only_stagelist = {{u"stagelist", u"<[lines]>"}};
  EXPECT_EQ(RenderStage(Store(only_stagelist), 1, Record(u"T", u"12")), u"<>");
}

TEST(RenderStage, HasHeightPlusOneFrameRows) {
  TemplateStore store = Store({{u"frame_line", u"F"}, {u"data_line", u"D[data]"},
                               {u"data_content", u"[number]"}, {u"stagelist", u"[lines]"}});
  EXPECT_EQ(RenderStage(store, 1, Record(u"T", u"0\r\n1\r\n2\r\n3")), u"FD0FD1FD2FD3F");
}

// "[level]": five stars for the rater's level, asked only when the
// stagelist holds the placeholder; nothing without a rater or a loop.
int rated_calls = 0;
int RateByTitleLength(std::u16string_view record) {
  ++rated_calls;
  return static_cast<int>(record.find(u'\0'));
}

TEST(RenderStage, FillsTheLevelOnlyWhereTheTemplateAsksForIt) {
  EXPECT_EQ(LevelText(1), u"★☆☆☆☆（1）");
  EXPECT_EQ(LevelText(5), u"★★★★★（5）");
  EXPECT_EQ(LevelText(0), u"");
  Sections sections = kPlain;
  sections.back().second = u"[level]/[title]:[lines]";
  const TemplateStore with_level = Store(sections);
  rated_calls = 0;
  EXPECT_EQ(RenderStage(with_level, 1, Record(u"abc", u"1"), RateByTitleLength), u"★★★☆☆（3）/abc:+-+|1|+-+");
  EXPECT_EQ(RenderStage(with_level, 1, Record(u"", u"1"), RateByTitleLength), u"/:+-+|1|+-+");
  EXPECT_EQ(RenderStage(with_level, 1, Record(u"ab", u"1")), u"/ab:+-+|1|+-+");
  // A title's own "[level]" stays as written.
  EXPECT_EQ(RenderStage(with_level, 1, Record(u"[level]", u"1"), RateByTitleLength), u"/[level]:+-+|1|+-+");
  EXPECT_EQ(rated_calls, 3);
  EXPECT_EQ(RenderStage(Store(kPlain), 1, Record(u"abc", u"1"), RateByTitleLength), u"+-+|1|+-+");
  EXPECT_EQ(rated_calls, 3);
}

}  // namespace
}  // namespace quarnel
