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

}  // namespace
}  // namespace quarnel
