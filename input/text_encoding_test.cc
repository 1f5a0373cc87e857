#include "input/text_encoding.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

TEST(DecideTextEncoding, TakesUtf8OnlyWithAMarkOrALongSequence) {
  struct Case {
    std::string bytes;
    TextEncoding want;
    bool strict;  // IsStrictUtf8
  };
  const Case cases[] = {
      {"", TextEncoding::CodePage, true},                          // empty file
      {"\xEF\xBB\xBF", TextEncoding::Utf8WithBom, true},           // the mark alone
      {"\xEF\xBB\xBF" "abc", TextEncoding::Utf8WithBom, true},
      {"\xEF\xBB\xBF\xFF", TextEncoding::Utf8WithBom, false},      // mark, bad text
      {"\xEF\xBB", TextEncoding::CodePage, false},                 // half a mark
      {"stage\r\n0123", TextEncoding::CodePage, true},             // ASCII
      {"\xE3\x81\x82", TextEncoding::Utf8, true},                  // あ
      {"ab\xF0\x9F\x98\x80", TextEncoding::Utf8, true},            // four bytes
      {"\xC2\xBD", TextEncoding::CodePage, true},                  // ﾂｽ in Shift_JIS
      {"caf\xC3\xA9", TextEncoding::CodePage, true},               // two-byte only
      {"\x82\xA0", TextEncoding::CodePage, false},                 // あ in Shift_JIS
      {"\xE3\x81\x82\x82\xA0", TextEncoding::CodePage, false},     // both kinds
      {"\xC0\xAF\xE3\x81\x82", TextEncoding::CodePage, false},     // overlong, 2 bytes
      {"\xE0\x80\xAF", TextEncoding::CodePage, false},             // overlong, 3 bytes
      {"\xF0\x82\x82\xAC", TextEncoding::CodePage, false},         // overlong, 4 bytes
      {"\xED\xA0\x80", TextEncoding::CodePage, false},             // surrogate D800
      {"\xED\xBF\xBF", TextEncoding::CodePage, false},             // surrogate DFFF
      {"\xED\x9F\xBF", TextEncoding::Utf8, true},                  // U+D7FF
      {"\xF4\x8F\xBF\xBF", TextEncoding::Utf8, true},              // U+10FFFF
      {"\xF4\x90\x80\x80", TextEncoding::CodePage, false},         // U+110000
      {"\xE3\x81\x82\xE3\x81", TextEncoding::CodePage, false},     // cut off at the end
      {"\xE3\x81\x82\xF0\x9F\x98", TextEncoding::CodePage, false}, // cut off, 4 bytes
      {"\xE3\x81\x82\x80", TextEncoding::CodePage, false},         // stray trail byte
      {"\xE3\x81\r\n\x82", TextEncoding::CodePage, false},         // cut by a line end
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(DecideTextEncoding(cases[i].bytes), cases[i].want);
    EXPECT_EQ(IsStrictUtf8(TextBytes(cases[i].bytes, cases[i].want)), cases[i].strict);
  }
}

TEST(DecideLineEnds, ReadsLfOnlyWhereNoCrIsFound) {
  EXPECT_EQ(DecideLineEnds(""), LineEnds::Lf);
  EXPECT_EQ(DecideLineEnds("a\nb\n"), LineEnds::Lf);
  EXPECT_EQ(DecideLineEnds("a\r\nb\nc"), LineEnds::CrLf);  // one CR decides
  EXPECT_EQ(DecideLineEnds("a\rb"), LineEnds::CrLf);
}

}  // namespace
}  // namespace quarnel
