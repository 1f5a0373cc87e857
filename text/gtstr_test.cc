#include "text/gtstr.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning) {
  struct Case { std::u16string text, find, replacement, want; };
  const Case cases[] = {
      {u"", u"a", u"b", u""},                                // empty text
      {u"abc", u"x", u"y", u"abc"},                          // no match
      {u"aXbXc", u"X", u"", u"abc"},                         // deletion
      {u"[a]x[a]", u"[a]", u"<[a]>", u"<[a]>x<[a]>"},        // inserted text not rescanned
      {u"aaa", u"aa", u"b", u"ba"},                          // no overlapping matches
      {u"aaaa", u"aa", u"a", u"aa"},                         // resumes after the insertion
      {u"[x]", u"[x]", u"[x][x]", u"[x][x]"},                // replacement holds find
      {u"ab", u"ab", u"", u""},                              // whole text
      {u"[number*]", u"[number]", u"1", u"[number*]"},       // no match inside a longer name
      {u"x[row]y[row]", u"[row]", u"12", u"x12y12"},         // last position
      {u"abc", u"", u"z", u"abc"},                           // empty find changes nothing
      {u"ab", u"abc", u"z", u"ab"},                          // find longer than text
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(Utf8(ReplaceAll(cases[i].text, cases[i].find, cases[i].replacement)),
              Utf8(cases[i].want));
  }
}

TEST(ReplaceAll, HandlesManyMatches) {
  // Every unit a match: the result is built once, not per match.
  std::u16string text(200000, u'x');
  std::u16string result = ReplaceAll(text, u"x", u"yz");
  ASSERT_EQ(result.size(), 400000u);
  EXPECT_EQ(result.find(u'x'), std::u16string::npos);
}

TEST(SplitText, CutsAtEveryDelimiter) {
  struct Case { std::u16string text, delimiter; std::vector<std::u16string> want; };
  const std::u16string nul(1, u'\0');
  const Case cases[] = {
      {u"", u"\r\n", {u""}},
      {u"x", u"\r\n", {u"x"}},                 // shorter than the delimiter
      {u"ab\r\n", u"\r\n", {u"ab", u""}},
      {u"\r\n", u"\r\n", {u"", u""}},
      {u"a\rb\nc", u"\r\n", {u"a\rb\nc"}},     // lone CR and LF are not CR LF
      {u"\r\n\r\n", u"\r\n", {u"", u"", u""}},
      {u"t" + nul + u"b1" + nul + u"b2", nul, {u"t", u"b1", u"b2"}},
      {nul, nul, {u"", u""}},
      {u"abc", u"", {u"abc"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(SplitText(cases[i].text, cases[i].delimiter), cases[i].want);
  }
}

TEST(DecimalText, HasNoSignPaddingOrLeadingZeros) {
  EXPECT_EQ(DecimalText(0), u"0");
  EXPECT_EQ(DecimalText(7), u"7");
  EXPECT_EQ(DecimalText(1000), u"1000");
  EXPECT_EQ(DecimalText(-42), u"-42");
  EXPECT_EQ(DecimalText(9223372036854775807LL), u"9223372036854775807");
}

TEST(FindText, FindsTheFirstMatchAtEveryPosition) {
  // Long texts are passed over in blocks: a match, or a false start, at any
  // place of a block or across two must be found as the plain search does.
  for (size_t at = 0; at < 40; ++at) {
    SCOPED_TRACE(at);
    for (std::u16string_view find : {u"[", u"[a]", u"[ab]"}) {
      std::u16string text(40, u'x');
      text.replace(at, std::min(find.size(), text.size() - at), find.substr(0, text.size() - at));
      std::u16string decoy = text;
      if (at + 3 < decoy.size()) decoy[at + 1] = u'[';
      for (const std::u16string& t : {text, decoy, text + u"[" + text}) {
        for (size_t from : {size_t{0}, at, at + 1, t.size(), t.size() + 1}) {
          EXPECT_EQ(FindText(t, find, from), std::u16string_view(t).find(find, from))
              << Utf8(t) << " from " << from;
        }
      }
    }
  }
}

}  // namespace
}  // namespace quarnel
