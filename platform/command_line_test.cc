#include "platform/command_line.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

TEST(ArgumentTextOf, TakesEverythingAfterTheProgramName) {
  struct Case { std::u16string line, want; };
  const Case cases[] = {
      {u"", u""},
      {u"quarnel.exe", u""},
      {u"\"C:\\Program Files\\q\\quarnel.exe\"", u""},
      {u"quarnel.exe stages.dat", u"stages.dat"},
      {u"C:\\q\\quarnel.exe   stages.dat", u"stages.dat"},        // blanks between
      {u"quarnel.exe\tstages.dat", u"stages.dat"},
      {u"\"C:\\a b\\quarnel.exe\" C:\\x\\s.dat", u"C:\\x\\s.dat"},
      {u"\"C:\\a b\\quarnel.exe\"s.dat", u"s.dat"},              // no blank after quotes
      {u"quarnel.exe \"C:\\my stages.dat\"", u"\"C:\\my stages.dat\""},  // kept quoted
      {u"quarnel.exe my  stages.dat ", u"my  stages.dat "},     // not split, not trimmed at the end
      {u"quarnel.exe \\\"a\\\" *.dat", u"\\\"a\\\" *.dat"},      // no escapes either
      {u"\"unterminated name", u""},
      {u"quarnel.exe ステージ 一覧.dat", u"ステージ 一覧.dat"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i << ": " << Utf8(cases[i].line));
    EXPECT_EQ(Utf8(ArgumentTextOf(cases[i].line)), Utf8(cases[i].want));
  }
}

TEST(SplitArgumentText, SplitsAsWindowsSplitsACommandLine) {
  using Args = std::vector<std::u16string>;
  struct Case { std::u16string text; Args want; };
  const Case cases[] = {
      {u"", {}},
      {u"  \t ", {}},
      {u"a.dat", {u"a.dat"}},
      {u"C:\\x\\a.dat C:\\x\\b.dat", {u"C:\\x\\a.dat", u"C:\\x\\b.dat"}},
      // As Explorer passes a drop: quoted only where a path holds a blank.
      {u"C:\\x\\a.dat \"C:\\新しいフォルダー (2)\\b c.dat\" C:\\x\\d.dat",
       {u"C:\\x\\a.dat", u"C:\\新しいフォルダー (2)\\b c.dat", u"C:\\x\\d.dat"}},
      {u" a\t\tb  ", {u"a", u"b"}},                      // blanks at the ends make none
      {u"\"\" a", {u"", u"a"}},                          // an empty argument
      {u"a\"b c\"d e", {u"ab cd", u"e"}},                // quotes inside an argument
      {u"\"a b", {u"a b"}},                              // unclosed at the end
      {u"a\\b \\\\c\\", {u"a\\b", u"\\\\c\\"}},         // backslashes before no quote
      {u"\\\"a\\\" b", {u"\"a\"", u"b"}},                // odd: a literal mark
      {u"\\\\\"a b\"", {u"\\a b"}},                      // even: halved, the mark quotes
      {u"\\\\\\\"a", {u"\\\"a"}},                        // three: one, and a literal mark
      {u"\"C:\\a b\\\\\" c", {u"C:\\a b\\", u"c"}},     // a quoted folder's last backslash
      // Runs of marks: each third, counting the one that opened the quoted
      // part, is a literal mark; what is left closes or reopens it.
      {u"\"a\"\"b\" c", {u"a\"b c"}},                   // the last mark opens again
      {u"\"a\"\"\"b c", {u"a\"b c"}},
      {u"a\"\"\"b c", {u"a\"b", u"c"}},
      {u"\"\"\"\" x", {u"\" x"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i << ": " << Utf8(cases[i].text));
    Args got = SplitArgumentText(cases[i].text);
    std::vector<std::string> got8, want8;
    for (const auto& a : got) got8.push_back(Utf8(a));
    for (const auto& a : cases[i].want) want8.push_back(Utf8(a));
    EXPECT_EQ(got8, want8);
  }
}

TEST(SplitArgumentText, TellsWhereEachArgumentStarts) {
  std::vector<size_t> starts;
  EXPECT_EQ(SplitArgumentText(u" a \"b c\"\t\"\" d\"e", &starts).size(), 4u);
  EXPECT_EQ(starts, (std::vector<size_t>{1, 3, 9, 12}));
}

TEST(StagePathOf, TakesOffTheQuotesAroundAWholeWindowsPath) {
  struct Case { std::u16string text; std::u16string windows, posix; };
  const Case cases[] = {
      {u"", u"", u""},
      {u"s.dat", u"s.dat", u"s.dat"},
      {u"\"C:\\新しいフォルダー (2)\\s.dat\"", u"C:\\新しいフォルダー (2)\\s.dat",
       u"\"C:\\新しいフォルダー (2)\\s.dat\""},
      {u"\"s.dat\"", u"s.dat", u"\"s.dat\""},
      {u"\"\"", u"", u"\"\""},                          // an empty path: the dialog asks
      {u"\"", u"\"", u"\""},                            // one mark is no pair
      {u"\"a\" \"b\"", u"\"a\" \"b\"", u"\"a\" \"b\""},     // a third mark: as it stands
      {u"\"a\"b\"", u"\"a\"b\"", u"\"a\"b\""},
      {u"\"s.dat\" ", u"\"s.dat\" ", u"\"s.dat\" "},       // must end with the mark
      {u" \"s.dat\"", u" \"s.dat\"", u" \"s.dat\""},
      {u"\"s.dat", u"\"s.dat", u"\"s.dat"},
      {u"s\".dat\"", u"s\".dat\"", u"s\".dat\""},
      {u"\" s.dat \"", u" s.dat ", u"\" s.dat \""},       // blanks inside are kept
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i << ": " << Utf8(cases[i].text));
    EXPECT_EQ(Utf8(StagePathOf(cases[i].text, PathStyle::Windows)), Utf8(cases[i].windows));
    EXPECT_EQ(Utf8(StagePathOf(cases[i].text, PathStyle::Posix)), Utf8(cases[i].posix));
  }
}

}  // namespace
}  // namespace quarnel
