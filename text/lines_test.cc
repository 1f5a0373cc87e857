#include "text/lines.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(SplitLines, EndsLinesAtCrLfAndLoneCr) {
  struct Case { std::u16string text; std::vector<std::u16string_view> want; };
  const Case cases[] = {
      {u"", {}},
      {u"a", {u"a"}},                          // no final terminator
      {u"a\r\n", {u"a"}},                      // final terminator adds no line
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\rb\r", {u"a", u"b"}},               // lone CR ends a line
      {u"a\nb\n", {u"a\nb\n"}},                // LF alone stays in the line
      {u"\r\n\r\n", {u"", u""}},
      {u"a\r\r\nb", {u"a", u"", u"b"}},        // CR then CR LF
      {u"a\n\r\nb", {u"a\n", u"b"}},
      {u"\r", {u""}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(SplitLines(cases[i].text), cases[i].want);
  }
}

TEST(SplitLines, EndsLinesAtLfInAFileWithoutCr) {
  struct Case { std::u16string text; std::vector<std::u16string_view> want; };
  const Case cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\n", {u"a"}},                       // final LF adds no line
      {u"a\nb", {u"a", u"b"}},
      {u"\n\n", {u"", u""}},
      {u"a\n\nb\n", {u"a", u"", u"b"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(SplitLines(cases[i].text, LineEnds::Lf), cases[i].want);
  }
}

TEST(GridLines, CutsOnlyAtCrLfAndKeepsEmptyLines) {
  struct Case { std::u16string text; std::vector<std::u16string_view> want; };
  const Case cases[] = {
      {u"", {u""}},                            // an empty grid is one empty line
      {u"12\r\n3", {u"12", u"3"}},
      {u"12\r\n", {u"12", u""}},               // a final CR LF ends an empty line
      {u"1\r2\n3", {u"1\r2\n3"}},              // lone CR and LF are cell text
      {u"\r\n\r\n", {u"", u"", u""}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(GridLines(cases[i].text), cases[i].want);
  }
}

}  // namespace
}  // namespace quarnel
