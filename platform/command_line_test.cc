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

}  // namespace
}  // namespace quarnel
