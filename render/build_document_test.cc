#include "render/build_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "testing/fake_platform.h"
#include "text/gtstr.h"
#include "text/width.h"

namespace quarnel {
namespace {

std::u16string Record(std::u16string_view title, std::u16string_view body) {
  return std::u16string(title) + u'\0' + std::u16string(body);
}

TEST(BuildDocument, FillsThePageLevelPlaceholders) {
  struct Case { std::u16string body; StageList stages; std::u16string want; };
  const Case cases[] = {
      {u"<ul>[stagelist]</ul>", {Record(u"A", u"1"), Record(u"B", u"2")},
       u"<ul><li>1 A</li>\r\n<li>2 B</li>\r\n</ul>"},
      {u"[stagelist]|[numstage]", {}, u"|0"},
      // An empty record still counts and still adds its line end.
      {u"[stagelist]|[numstage]", {Record(u"", u""), Record(u"A", u"1")},
       u"\r\n<li>2 A</li>\r\n|2"},
      {u"[stagelist][stagelist]", {Record(u"A", u"1")}, u"<li>1 A</li>\r\n<li>1 A</li>\r\n"},
      {u"[stagelist]", {Record(u"see [filename] of [numstage]", u"1")},
       u"<li>1 see C:\\dir\\s.dat of 1</li>\r\n"},
      {u"[stagelist]", {Record(u"[stagelist]", u"1")}, u"<li>1 [stagelist]</li>\r\n"},
      {u"[filename]", {}, u"C:\\dir\\s.dat"},
      {u"plain", {Record(u"A", u"1")}, u"plain"},
      {u"", {Record(u"A", u"1")}, u""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    TemplateStore store;
    store.Add(u"body", cases[i].body);
    store.Add(u"stagelist", u"<li>[stage] [title]</li>");
    EXPECT_EQ(Utf8(BuildDocument(store, cases[i].stages, u"C:\\dir\\s.dat")),
              Utf8(cases[i].want));
  }
}

// The stage fragment and the page as plain ReplaceAll passes build them on
// whole strings, one after the other: the reference the streamed page must
// match character for character.
std::u16string SequentialStage(const TemplateStore& t, long long index,
                               const std::u16string& record) {
  std::vector<std::u16string> parts = SplitText(record, std::u16string(1, u'\0'));
  if (parts.size() < 2) return {};
  std::vector<std::u16string> grid = SplitText(parts[1], u"\r\n");
  size_t width = 0;
  for (const std::u16string& line : grid) width = std::max(width, line.size());
  if (width == 0) return {};
  std::u16string frame_body = TemplateText(t, u"frame_space");
  for (size_t c = 0; c < width; ++c) {
    frame_body += TemplateText(t, u"frame_content") + TemplateText(t, u"frame_space");
  }
  std::u16string frame_row = ReplaceAll(TemplateText(t, u"frame_line"), u"[frame]", frame_body);
  std::u16string lines = frame_row;
  for (size_t r = 0; r < grid.size(); ++r) {
    std::u16string row = TemplateText(t, u"data_space");
    for (size_t c = 0; c < width; ++c) {
      std::u16string value = u" ";
      if (c < grid[r].size()) {
        std::u16string half = ToHalfWidth(grid[r].substr(c, 1));
        if (half >= u"0" && half <= u"3") value = half;
      }
      row += ReplaceAll(ReplaceAll(TemplateText(t, u"data_content"), u"[number]", value),
                        u"[number*]", ToFullWidth(value));
      row += TemplateText(t, u"data_space");
    }
    std::u16string number = DecimalText(static_cast<long long>(r + 1));
    row = ReplaceAll(ReplaceAll(row, u"[row]", number), u"[row*]", ToFullWidth(number));
    lines += ReplaceAll(TemplateText(t, u"data_line"), u"[data]", row) + frame_row;
  }
  std::u16string fragment = TemplateText(t, u"stagelist");
  fragment = ReplaceAll(fragment, u"[stage]", DecimalText(index));
  fragment = ReplaceAll(fragment, u"[title]", parts[0]);
  fragment = ReplaceAll(fragment, u"[lines]", lines);
  fragment = ReplaceAll(fragment, u"[width]", DecimalText(static_cast<long long>(width)));
  return ReplaceAll(fragment, u"[height]", DecimalText(static_cast<long long>(grid.size())));
}

std::u16string SequentialPage(const TemplateStore& t, const StageList& stages,
                              const std::u16string& path) {
  std::u16string list;
  for (size_t i = 0; i < stages.size(); ++i) {
    list += SequentialStage(t, static_cast<long long>(i + 1), stages[i]) + u"\r\n";
  }
  std::u16string page = ReplaceAll(TemplateText(t, u"body"), u"[stagelist]", list);
  page = ReplaceAll(page, u"[filename]", path);
  return ReplaceAll(page, u"[numstage]", DecimalText(static_cast<long long>(stages.size())));
}

// Random templates, titles and paths made of placeholders and their broken
// halves, so that matches straddle every boundary between template text and
// inserted text.
TEST(BuildDocument, StreamsWhatSequentialReplaceAllBuilds) {
  std::mt19937 random(11);
  const std::u16string tokens[] = {
      u"[", u"]", u"x", u"[filename]", u"[file", u"name]", u"[numstage]", u"[num",
      u"stage]", u"[stagelist]", u"[stage", u"list]", u"[stage]", u"[title]",
      u"[lines]", u"[li", u"nes]", u"[width]", u"[wid", u"th]", u"[height]",
      u"[row]", u"[row*]", u"[ro", u"w]", u"*]", u"[number]", u"[number*]",
      u"[numb", u"er]", u"[data]", u"[frame]", u"\r\n"};
  auto text = [&](size_t most) {
    std::u16string t;
    for (size_t n = random() % (most + 1); n > 0; --n) t += tokens[random() % std::size(tokens)];
    return t;
  };
  const char16_t cells[] = u"0123 \uFF12\uFF13x4";
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    TemplateStore store;
    for (const char16_t* name : {u"body", u"stagelist", u"frame_line", u"frame_space",
                                 u"frame_content", u"data_line", u"data_space",
                                 u"data_content"}) {
      store.Add(name, text(6));
    }
    StageList stages;
    for (size_t n = random() % 4; n > 0; --n) {
      std::u16string grid;
      for (size_t r = random() % 4; r > 0; --r) {
        if (!grid.empty()) grid += u"\r\n";
        for (size_t c = random() % 4; c > 0; --c) grid += cells[random() % (std::size(cells) - 1)];
      }
      std::u16string title = ReplaceAll(text(3), u"\r\n", u"");
      stages.push_back(Record(title, grid));
    }
    const std::u16string path = ReplaceAll(text(2), u"\r\n", u"");
    ASSERT_EQ(Utf8(BuildDocument(store, stages, path)),
              Utf8(SequentialPage(store, stages, path)));
  }
}

}  // namespace
}  // namespace quarnel
