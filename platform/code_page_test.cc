// The system code page backend of either build, where both must agree:
// code page 932, with ASCII copied in blocks.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/code_page.h"

namespace quarnel {
namespace {

TEST(SystemCodePage, EncodesLongTextsAtEveryPosition) {
  // ASCII goes by whole words: a character of another kind, or a pair, at
  // each position of a word must still come out in its place.
  auto code_page = MakeSystemCodePage();
  for (size_t at = 0; at < 9; ++at) {
    SCOPED_TRACE(at);
    std::u16string ascii(at, u'a');
    EXPECT_EQ(code_page->Encode(ascii + u"ス~\\" + ascii + u"\U0001F600bcdefghi" + ascii),
              std::string(at, 'a') + "\x83X~\\" + std::string(at, 'a') + "&#128512;bcdefghi" +
                  std::string(at, 'a'));
  }
}

TEST(SystemCodePage, EncodesAcrossItsBufferBoundaries) {
  // The bytes gather in pieces of a few thousand: every kind of character
  // must come out whole wherever a piece ends, after ASCII runs of any
  // length and after runs of two-byte characters.
  auto code_page = MakeSystemCodePage();
  struct Case { std::u16string unit; std::string want; };
  const Case cases[] = {
      {u"ス", "\x83X"},                    // an ASCII run, then kana
      {u"\u00E9", "&#233;"},               // a reference after the run
      {u"\u00A5", "\\"},                   // as iconv has it, not best fit
      {u"\U0001F600", "&#128512;"},        // a pair, one reference
      {std::u16string(1, char16_t{0xD800}), "&#65533;"},
      {u"a", "a"},
  };
  for (size_t run = 4080; run < 4100; ++run) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << run << " " << c.want);
      for (const auto& [before, before_want] :
           {std::pair{std::u16string(run, u'x'), std::string(run, 'x')},
            std::pair{std::u16string(run / 2, u'ス'), [run] {
                        std::string s;
                        for (size_t i = 0; i < run / 2; ++i) s += "\x83X";
                        return s;
                      }()}}) {
        EXPECT_EQ(code_page->Encode(before + c.unit + u"ab" + c.unit),
                  before_want + c.want + "ab" + c.want);
        EXPECT_EQ(code_page->Encode(before + c.unit), before_want + c.want);
      }
    }
  }
}

TEST(SystemCodePage, DecodesAcrossItsPieces) {
  // A long text may be decoded a piece at a time: a character of either
  // width must come out whole wherever a piece ends, and a byte sequence
  // the code page lacks must fail the text however far into it.
  auto code_page = MakeSystemCodePage();
  for (size_t run = 16380; run < 16390; ++run) {
    SCOPED_TRACE(run);
    const std::string bytes = std::string(run, 'x') + "\x83X" "a\x83X";
    std::u16string text = u"left over";
    ASSERT_TRUE(code_page->Decode(bytes, &text));
    EXPECT_TRUE(text == std::u16string(run, u'x') + u"スaス");
    for (std::string bad : {"\x81\x20", "\x80", "\x85\x40"}) {
      EXPECT_FALSE(code_page->Decode(bytes + bad + bytes, &text)) << bad;
    }
    EXPECT_FALSE(code_page->Decode(bytes + bytes + "\x82", &text));  // cut short
  }
}

}  // namespace
}  // namespace quarnel
