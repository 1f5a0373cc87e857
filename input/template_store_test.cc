#include "input/template_store.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

using Lines = std::vector<std::u16string_view>;

TemplateStore Parse(const Lines& lines) {
  TemplateStore store;
  FileError error;
  EXPECT_TRUE(ParseTemplate(lines, &store, &error)) << Utf8(error.detail);
  return store;
}

TEST(ParseTemplate, BuildsSectionTexts) {
  struct Case { Lines lines; std::u16string name, want; };
  const Case cases[] = {
      {{}, u"body", u""},                                            // empty file
      {{u"<p>", u"[stagelist]"}, u"body", u"<p>\r\n[stagelist]"},
      {{u"*frame_line", u"x"}, u"body", u""},                        // header first
      {{u"*frame_line", u"x"}, u"frame_line", u"x"},
      {{u"*a", u"a", u"", u"b", u"", u""}, u"a", u"a\r\n\r\nb\r\n\r\n"},  // trailing empties stay
      {{u"*a", u"", u"a"}, u"a", u"a"},                               // leading empties vanish
      {{u"*frame_space", u"*x"}, u"frame_space", u""},               // empty section
      {{u" *x", u"y"}, u"body", u" *x\r\ny"},                        // blank before star: content
      {{u"＊x"}, u"body", u"＊x"},                                   // full-width star: content
      {{u"*DATA_LINE", u"d"}, u"data_line", u"d"},                   // names ignore case
      {{u"*", u"e"}, u"", u"e"},                                     // empty name
      {{u"*x", u"a\nb"}, u"x", u"a\nb"},                             // LF kept in a line
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    TemplateStore store = Parse(cases[i].lines);
    const std::u16string* text = store.Find(cases[i].name);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Utf8(*text), Utf8(cases[i].want));
  }
}

TEST(ParseTemplate, KeepsHeaderNamesVerbatim) {
  TemplateStore store = Parse({u"*frame_line ", u"x"});
  EXPECT_EQ(TemplateText(store, u"frame_line"), u"");
  EXPECT_EQ(TemplateText(store, u"frame_line "), u"x");
  EXPECT_EQ(TemplateText(store, u"missing"), u"");
  // Only ASCII letters fold: a full-width letter is another name.
  TemplateStore wide = Parse({u"*ａ", u"x"});
  EXPECT_EQ(TemplateText(wide, u"a"), u"");
  EXPECT_EQ(TemplateText(wide, u"Ａ"), u"");
}

TEST(ParseTemplate, RefusesARepeatedSection) {
  struct Case { Lines lines; size_t line; std::u16string name; };
  const Case cases[] = {
      {{u"*body"}, 1, u"body"},
      {{u"x", u"*BoDy", u"y"}, 2, u"BoDy"},
      {{u"*a", u"*b", u"*A"}, 3, u"A"},
      {{u"*data_line", u"1", u"*Data_Line", u"2", u"*x"}, 3, u"Data_Line"},
      {{u"*", u"*"}, 2, u""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    TemplateStore store;
    FileError error;
    EXPECT_FALSE(ParseTemplate(cases[i].lines, &store, &error));
    EXPECT_EQ(error.kind, FileError::Kind::DuplicateSection);
    EXPECT_EQ(error.line, cases[i].line);
    EXPECT_EQ(error.detail, cases[i].name);
  }
}

TEST(TemplatePath, AddsOneSeparator) {
  EXPECT_EQ(TemplatePath(u"/opt/q", PathStyle::Posix), u"/opt/q/template.dat");
  EXPECT_EQ(TemplatePath(u"/", PathStyle::Posix), u"/template.dat");
  EXPECT_EQ(TemplatePath(u"C:\\Tools", PathStyle::Windows), u"C:\\Tools\\template.dat");
  EXPECT_EQ(TemplatePath(u"C:\\", PathStyle::Windows), u"C:\\template.dat");
}

TEST(LoadTemplate, ReadsTheFileBesideTheExecutable) {
  FakeFileSystem files;
  FakeCodePage code_page;
  files.files[u"/opt/q/template.dat"] = "top\r\n*Stagelist\r\n<li>[title]</li>\r\n";
  TemplateStore store;
  FileError error;
  ASSERT_EQ(LoadTemplate(files, code_page, u"/opt/q", &store, &error), LoadStatus::Loaded);
  EXPECT_EQ(TemplateText(store, u"body"), u"top");
  EXPECT_EQ(TemplateText(store, u"stagelist"), u"<li>[title]</li>");
}

TEST(LoadTemplate, TellsMissingFromUnusable) {
  FakeFileSystem files;
  FakeCodePage code_page;
  TemplateStore store;
  FileError error;
  EXPECT_EQ(LoadTemplate(files, code_page, u"/opt/q", &store, &error), LoadStatus::NotFound);
  EXPECT_EQ(store.size(), 0u);

  files.files[u"/opt/q/template.dat"] = "a\r\n*x\r\n*X\r\n";
  EXPECT_EQ(LoadTemplate(files, code_page, u"/opt/q", &store, &error), LoadStatus::Failed);
  EXPECT_EQ(error.kind, FileError::Kind::DuplicateSection);
  EXPECT_EQ(error.path, u"/opt/q/template.dat");
  EXPECT_EQ(error.line, 3u);
}

}  // namespace
}  // namespace quarnel
