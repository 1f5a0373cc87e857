#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(Utf8, RoundTripsAnyBytes) {
  const std::string cases[] = {
      "",
      "plain/path.dat",
      "ステージ データ.dat",
      "\xf0\x9f\x98\x80",        // outside the BMP: a surrogate pair
      "bad\xff\xfe name",        // not UTF-8 at all
      "\xe3\x81",                // cut-off sequence
      "\xc0\xaf",                // overlong
      "\xed\xa0\x80",            // an encoded surrogate
  };
  for (const std::string& bytes : cases) {
    EXPECT_EQ(EncodeUtf8(DecodeUtf8(bytes)), bytes);
  }
}

TEST(Utf8, DecodesValidText) {
  EXPECT_EQ(DecodeUtf8("a\xc3\xa9\xe3\x81\x82"), u"aéあ");
  EXPECT_EQ(DecodeUtf8("\xf0\x9f\x98\x80"), u"\U0001F600");
  EXPECT_EQ(DecodeUtf8("\xff"), std::u16string(1, char16_t{0xDCFF}));
  EXPECT_EQ(EncodeUtf8(std::u16string(1, char16_t{0xD800})), "\xef\xbf\xbd");
}

TEST(Utf8, EncodesTextAcrossItsBufferBoundaries) {
  // The bytes gather in pieces of a few thousand: every kind of character
  // must come out whole wherever a piece ends, after ASCII runs of any
  // length and after runs of three-byte characters.
  struct Case { std::u16string unit; std::string want; };
  const Case cases[] = {
      {u"ス", "\xe3\x82\xb9"},
      {u"\u00E9", "\xc3\xa9"},
      {u"\U0001F600", "\xf0\x9f\x98\x80"},
      {std::u16string(1, char16_t{0xDC81}), "\xef\xbf\xbd"},  // unpaired: U+FFFD
      {u"a", "a"},
  };
  for (size_t run = 1350; run < 1370; ++run) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << run << " " << c.want);
      std::string kana;
      for (size_t i = 0; i < run; ++i) kana += "\xe3\x82\xb9";
      for (const auto& [before, before_want] :
           {std::pair{std::u16string(run * 3, u'x'), std::string(run * 3, 'x')},
            std::pair{std::u16string(run, u'ス'), kana}}) {
        EXPECT_EQ(EncodeUtf8Text(before + c.unit + u"ab" + c.unit),
                  before_want + c.want + "ab" + c.want);
        EXPECT_EQ(EncodeUtf8Text(before + c.unit), before_want + c.want);
      }
    }
  }
}

}  // namespace
}  // namespace quarnel
