#include "input/file_error.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

TEST(FatalErrorText, NamesFileProblemAndLine) {
  using Kind = FileError::Kind;
  struct Case { FileError error; std::vector<std::u16string> parts; };
  const Case cases[] = {
      {{Kind::CannotRead, u"/d/s.dat", 0, u"read: I/O error"}, {u"/d/s.dat", u"読みこめません", u"I/O error"}},
      {{Kind::InvalidText, u"/d/s.dat", 12, {}}, {u"/d/s.dat", u"12 行目", u"Shift_JIS (コードページ 932) としても UTF-8 としても正しくない文字があります"}},
      {{Kind::NulCharacter, u"t.dat", 3, {}}, {u"t.dat", u"3 行目", u"NUL"}},
      {{Kind::DuplicateSection, u"t.dat", 9, u"Frame_Line"}, {u"t.dat", u"9 行目", u"「Frame_Line」"}},
      {{Kind::CannotWrite, u"s.html", 0, u"write: No space"}, {u"s.html", u"書きこめません", u"No space"}},
      {{Kind::OutputIsInput, u"s.html", 0, {}}, {u"s.html", u"ステージデータのファイルそのもの"}},
      {{Kind::MayNotWrite, u"/tmp/s.html", 0, {}}, {u"出力先 /tmp/s.html は書きこんではいけない"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::u16string text = FatalErrorText(cases[i].error);
    for (const std::u16string& part : cases[i].parts) {
      EXPECT_NE(text.find(part), std::u16string::npos) << Utf8(text) << " lacks " << Utf8(part);
    }
  }
}

}  // namespace
}  // namespace quarnel
