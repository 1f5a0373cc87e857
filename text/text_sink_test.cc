#include "text/text_sink.h"

#include <gtest/gtest.h>

#include <random>

#include "testing/fake_platform.h"
#include "text/gtstr.h"

namespace quarnel {
namespace {

// Writes `pieces` through one ReplaceAllSink and returns what came out.
std::u16string Streamed(const std::vector<std::u16string>& pieces,
                        std::u16string_view find, std::u16string_view replacement) {
  StringSink out;
  ReplaceAllSink sink(find, replacement, out);
  for (const std::u16string& piece : pieces) sink.Write(piece);
  sink.Finish();
  return out.text();
}

TEST(ReplaceAllSink, MatchesReplaceAllOnTheWholeText) {
  struct Case { std::vector<std::u16string> pieces; std::u16string find, to; };
  const Case cases[] = {
      {{}, u"[a]", u"x"},                                // nothing written
      {{u"", u"", u""}, u"[a]", u"x"},                   // empty pieces
      {{u"[a]"}, u"[a]", u"x"},                          // the whole text
      {{u"[", u"a", u"]"}, u"[a]", u"x"},                // one character a piece
      {{u"p[a", u"]q[", u"a]"}, u"[a]", u""},            // straddling, deleted
      {{u"[a", u"[a]"}, u"[a]", u"x"},                   // a false start first
      {{u"aaa", u"a"}, u"aa", u"b"},                     // no overlapping matches
      {{u"[a"}, u"[a]", u"x"},                           // cut off at the end
      {{u"x[a]", u"]"}, u"[a]", u"[a]"},                 // inserted text not searched
      {{u"abc", u"def"}, u"", u"x"},                     // empty find
      {{std::u16string(40000, u'x') + u"[a", u"]" + std::u16string(40000, u'y')},
       u"[a]", u"z"},                                    // straddling a full pass
      {{std::u16string(20000, u'x') + u"[", std::u16string(20000, u'y') + u"[a",
        u"]" + std::u16string(40000, u'[') + u"a]"},
       u"[a]", u"z"},                                    // held text, then long pieces
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::u16string whole;
    for (const std::u16string& piece : cases[i].pieces) whole += piece;
    EXPECT_EQ(Streamed(cases[i].pieces, cases[i].find, cases[i].to),
              ReplaceAll(whole, cases[i].find, cases[i].to));
  }
}

// Chains of sinks on random texts cut at random places give what the plain
// ReplaceAll passes, one after the other, give on the whole text: this is
// how the page-level and fragment-level placeholders are filled.
TEST(ReplaceAllSink, ChainsLikeSequentialReplaceAll) {
  std::mt19937 random(5);
  const std::u16string tokens[] = {u"[", u"]", u"f", u"n", u"[f]", u"[n]", u"[f", u"n]",
                                   u"x", u"[[f]]"};
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    std::u16string whole;
    size_t count = random() % (round % 10 == 0 ? 20000 : 60);
    for (size_t i = 0; i < count; ++i) whole += tokens[random() % std::size(tokens)];
    // The first replacement may make matches for the second one.
    const std::u16string to_f = random() % 2 ? u"[n" : u"<f>";
    StringSink out;
    ReplaceAllSink second(u"[n]", u"7", out);
    ReplaceAllSink first(u"[f]", to_f, second);
    for (size_t at = 0; at < whole.size();) {
      size_t length = std::min<size_t>(whole.size() - at, random() % 8);
      // Now and then a piece longer than a pass, searched where it lies.
      if (random() % 40 == 0) length = std::min<size_t>(whole.size() - at, random() % 70000);
      if (random() % 50 == 0) length = whole.size() - at;
      first.Write(std::u16string_view(whole).substr(at, length));
      at += length;
    }
    first.Finish();
    second.Finish();
    ASSERT_EQ(Utf8(out.text()), Utf8(ReplaceAll(ReplaceAll(whole, u"[f]", to_f), u"[n]", u"7")));
  }
}

// Random finds and replacements, some that one search can take at once and
// some that need one search each, against ReplaceAll one after another.
TEST(ReplaceChainSink, MatchesReplaceAllOneAfterAnother) {
  std::mt19937 random(11);
  const std::u16string finds[] = {u"[w]", u"[h]", u"[wh]", u"[w", u"[", u"w]", u"ww"};
  const std::u16string texts[] = {u"12", u"", u"w", u"]", u"h]", u"[h", u"x[w]", u"/path"};
  const std::u16string tokens[] = {u"[", u"]", u"w", u"h", u"[w]", u"[h]", u"[wh]", u"x", u"1"};
  for (int round = 0; round < 2000; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    const std::u16string find_a = finds[random() % 3], find_b = finds[random() % std::size(finds)];
    const std::u16string to_a = texts[random() % std::size(texts)], to_b = texts[random() % std::size(texts)];
    std::u16string whole;
    // Every fifth text longer than a pass, cut anywhere: a match may
    // straddle the end of what one search sees.
    const bool long_text = round % 5 == 0;
    const size_t count = long_text ? 20000 : random() % 40;
    for (size_t i = 0; i < count; ++i) whole += tokens[random() % std::size(tokens)];
    StringSink out;
    ReplaceChainSink sink({{find_a, to_a}, {find_b, to_b}}, out);
    for (size_t at = 0; at < whole.size();) {
      const size_t length = std::min<size_t>(whole.size() - at, random() % (long_text ? 40000 : 6));
      const std::u16string_view piece = std::u16string_view(whole).substr(at, length);
      // A piece without "[" said to be so may pass unsearched.
      if (piece.find(u'[') == std::u16string_view::npos && random() % 2) {
        sink.WriteWithout(u'[', piece);
      } else {
        sink.Write(piece);
      }
      at += length;
    }
    sink.Finish();
    ASSERT_EQ(Utf8(out.text()), Utf8(ReplaceAll(ReplaceAll(whole, find_a, to_a), find_b, to_b)))
        << Utf8(find_a) << " -> " << Utf8(to_a) << ", " << Utf8(find_b) << " -> " << Utf8(to_b);
  }
}

}  // namespace
}  // namespace quarnel
