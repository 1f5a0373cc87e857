#include "text/code_points.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

// The reference of the character at a place, and where the caller goes on.
TEST(AppendCharacterReferenceAt, TakesAPairAsOneCharacterAndAnUnpairedHalfAsFFFD) {
  struct Case { std::u16string text; size_t at; std::string want; size_t next; };
  const Case cases[] = {
      {u"a\U0001F600b", 1, "&#128512;", 2},
      {u"\U00010000", 0, "&#65536;", 1},
      {u"\U0010FFFF", 0, "&#1114111;", 1},
      {u"\xD83D", 0, "&#65533;", 0},         // a first half at the end
      {u"\xD83Dx", 0, "&#65533;", 0},        // a first half before no second
      {u"\xD83D\xD83D\xDE00", 0, "&#65533;", 0},
      {u"\xDE00\xD83D", 0, "&#65533;", 0},   // a second half first
      {u"é", 0, "&#233;", 0},
      {u"\u2460", 0, "&#9312;", 0},
      {std::u16string(1, u'\0'), 0, "&#0;", 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::string bytes = "<";
    size_t at = cases[i].at;
    AppendCharacterReferenceAt(cases[i].text, &at, &bytes);
    EXPECT_EQ(bytes, "<" + cases[i].want);
    EXPECT_EQ(at, cases[i].next);
  }
}

}  // namespace
}  // namespace quarnel
