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

}  // namespace
}  // namespace quarnel
