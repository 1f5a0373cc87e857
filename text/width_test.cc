#include "text/width.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

TEST(ToHalfWidth, FoldsFullWidthForms) {
  struct Case { std::u16string from, want; };
  const Case cases[] = {
      {u"０１２３", u"0123"},
      {u"４５６７８９", u"456789"},
      {u"　", u" "},                            // ideographic space
      {u"ＡＺａｚ！～", u"AZaz!~"},             // ends of the full-width ASCII block
      {u"0 1 2 abc", u"0 1 2 abc"},             // ASCII stays
      {u"アイウ", u"ｱｲｳ"},
      {u"ガパヴ", u"ｶﾞﾊﾟｳﾞ"},                   // voiced: two code units each
      {u"ヷヺ", u"ﾜﾞｦﾞ"},
      {u"。「」、・ー゛゜", u"｡｢｣､･ｰﾞﾟ"},
      {u"ァッョ", u"ｧｯｮ"},
      {u"ヵヶヮヰ", u"ヵヶヮヰ"},                // no half-width form
      {u"漢字ひらがな", u"漢字ひらがな"},
      {u"＊", u"*"},
      {u"ｱ", u"ｱ"},                              // already half-width
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(Utf8(ToHalfWidth(cases[i].from)), Utf8(cases[i].want));
    std::u16string appended = u"＊ ";
    AppendHalfWidth(cases[i].from, &appended);
    EXPECT_EQ(Utf8(appended), Utf8(u"＊ " + cases[i].want));
  }
}

TEST(AppendGridCells, MakesOneCellOfEachCharacterBeyondTheBasicPlane) {
  struct Case { std::u16string from, want; };
  const Case cases[] = {
      {u"0🌸1", u"0\uFFFD1"},
      {u"🌸🌸", u"\uFFFD\uFFFD"},
      {u"２ガ𝟘", u"2ｶﾞ\uFFFD"},
      {u"\xD83D" u"1\xDE00", u"\xD83D" u"1\xDE00"},  // unpaired halves stay, a cell each
      {u"0123", u"0123"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::u16string cells = u"🌸\r\n";  // what is already there is kept
    AppendGridCells(cases[i].from, &cells);
    EXPECT_EQ(cells, u"🌸\r\n" + cases[i].want);
  }
}

TEST(ToFullWidth, WidensAsciiSpaceAndKana) {
  struct Case { std::u16string from, want; };
  const Case cases[] = {
      {u"0123", u"０１２３"},
      {u" ", u"　"},
      {u"12", u"１２"},
      {u"!Az~", u"！Ａｚ～"},
      {u"ｱｶﾞ", u"アカ゛"},                      // per unit: the mark stays a mark
      {u"｡ｰﾟ", u"。ー゜"},
      {u"漢字", u"漢字"},
      {u"\t\r\n", u"\t\r\n"},                   // controls stay
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(Utf8(ToFullWidth(cases[i].from)), Utf8(cases[i].want));
  }
}

TEST(WidthFolding, HalfWidthKanaRoundTrips) {
  for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) {
    std::u16string half(1, c);
    EXPECT_EQ(ToHalfWidth(ToFullWidth(half)), half) << std::hex << int{c};
  }
}

}  // namespace
}  // namespace quarnel
