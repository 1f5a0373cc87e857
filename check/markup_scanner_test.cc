#include "check/markup_scanner.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

// Scans `lines` up to the "|" (taken out) and says where that place lies.
Markup WhereBar(std::vector<std::u16string> lines) {
  MarkupScanner scanner;
  for (size_t l = 0; l < lines.size(); ++l) {
    if (l > 0) scanner.LineEnd();
    std::u16string& line = lines[l];
    size_t bar = line.find(u'|');
    if (bar != std::u16string::npos) line.erase(bar, 1);
    size_t end = bar == std::u16string::npos ? line.size() : bar;
    for (size_t i = 0; i < end;) i = scanner.Step(line, i);
    if (bar != std::u16string::npos) return scanner.Where();
  }
  ADD_FAILURE() << "no | in the case";
  return Markup::Text;
}

TEST(MarkupScanner, TellsWhereAPlaceLies) {
  struct Case { std::vector<std::u16string> lines; Markup want; };
  const Case cases[] = {
      {{u"|"}, Markup::Text},
      {{u"<p>|</p>"}, Markup::Text},
      {{u"a < b |"}, Markup::Text},                // "<" without a name starts no tag
      {{u"<p |>"}, Markup::Tag},
      {{u"<p|>"}, Markup::Tag},                    // still the tag's name
      {{u"</p |>"}, Markup::Tag},
      {{u"<a href=|>"}, Markup::Attribute},        // an unquoted value begins
      {{u"<a href=\"x |\">"}, Markup::Attribute},
      {{u"<a href='x\" |'>"}, Markup::Attribute},  // the other quote does not end it
      {{u"<a href=x |>"}, Markup::Tag},            // a blank ends an unquoted value
      {{u"<a href=\"x\">|"}, Markup::Text},
      {{u"<!-- |"}, Markup::Comment},
      {{u"<!-- <p> --> |"}, Markup::Text},
      {{u"<TITLE>|</TITLE>"}, Markup::Title},
      {{u"<title>x</title>|"}, Markup::Text},
      {{u"<script>if (a <b) |"}, Markup::Script},  // no tags inside raw text
      {{u"<style>a { } </STYLE >|"}, Markup::Text},
      {{u"<style>a { } </p>|"}, Markup::Style},
      {{u"<titles>|"}, Markup::Text},              // not the title element
      // Across lines.
      {{u"<!-- a", u"b | -->"}, Markup::Comment},
      {{u"<a", u"href=\"|\">"}, Markup::Attribute},
      {{u"<a href=x", u"|>"}, Markup::Tag},        // a line end ends the value
      {{u"<script>", u"|", u"</script>"}, Markup::Script},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i << ": " << Utf8(cases[i].lines.back()));
    EXPECT_EQ(WhereBar(cases[i].lines), cases[i].want);
  }
}

TEST(MarkupScanner, StepsAlwaysMoveOnAndEndAtTheLineEnd) {
  const std::u16string line = u"<!--<x a='<'>--><title></title><style></sty";
  MarkupScanner scanner;
  size_t steps = 0;
  for (size_t i = 0; i < line.size(); ++steps) {
    size_t next = scanner.Step(line, i);
    ASSERT_GT(next, i);
    ASSERT_LE(next, line.size());
    i = next;
  }
  EXPECT_LE(steps, line.size());
}

TEST(TitleMarkupFault, AcceptsWellFormedTitleTagsOnly) {
  constexpr size_t kNone = std::u16string_view::npos;
  struct Case { std::u16string_view title; size_t fault; };
  const Case cases[] = {
      // Allowed: every title tag, nested, with harmless attributes, any case.
      {u"<b>1</b> <i>2</i> <em>3</em> <strong>4</strong> <small>5</small>", kNone},
      {u"H<sub>2</sub>O x<sup>2</sup> <br> <br/> <BR />", kNone},
      {u"<ruby>漢<rp>(</rp><rt>かん</rt><rp>)</rp></ruby>", kNone},
      {u"<span class=\"a\" title='x > y' lang=ja>t</span>", kNone},
      {u"<B>bold</b>", kNone},
      {u"no markup", kNone},
      // Unknown tags.
      {u"<script>x</script>", 0},
      {u"ok <div>x</div>", 3},
      {u"<b>x</b><img src=a>", 8},
      // Unclosed: no ">", no end tag, crossed or stray end tags.
      {u"<b", 0},
      {u"a<b>x", 1},
      {u"<b><i>x</b></i>", 7},
      {u"x</b>", 1},
      {u"<span class=\"a>t</span>", 0},
      {u"<i/>", 0},
      // A "<" that starts no tag.
      {u"1 < 2", 2},
      {u"a<", 1},
      {u"<!-- c -->", 0},
      {u"<3", 0},
      // Script in an attribute.
      {u"<b onclick=\"f()\">x</b>", 0},
      {u"<span ONMOUSEOVER=f>x</span>", 0},
      {u"<span title=\" JavaScript:f()\">x</span>", 0},
      {u"<span title=java\tscript:f>x</span>", kNone},  // unquoted: the tab ends the value
      {u"<span title=\"java\tscript:f\">x</span>", 0},
      {u"<span one=1>x</span>", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title.begin(), c.title.end()));
    EXPECT_EQ(TitleMarkupFault(c.title), c.fault);
  }
}

}  // namespace
}  // namespace quarnel
