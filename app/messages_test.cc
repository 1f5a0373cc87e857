#include "app/messages.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"
#include "text/gtstr.h"

namespace quarnel {
namespace {

TEST(Messages, FixedTextsStandAsGiven) {
  EXPECT_EQ(TemplateNotFoundText(), u"template.datが見つかりません");
  EXPECT_EQ(TemplateUnreadableText(), u"template.datが正しく読みこめません");
  EXPECT_EQ(StageNotFoundText(u"\"C:\\a b.dat\""), u"\"C:\\a b.dat\"が見つかりません");
  EXPECT_EQ(StageUnreadableText(u"x.dat"), u"x.datが正しく読みこめません");
  EXPECT_EQ(std::u16string(kAppTitle), u"Quarnel");
  EXPECT_EQ(std::u16string(kErrorTitle), u"エラー");
}

TEST(Messages, FatalErrorsNameFileProblemAndLine) {
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

TEST(Messages, SeveralFailedListsTwentyFilesThenACount) {
  std::vector<std::u16string> failures;
  for (int i = 1; i <= 25; ++i) failures.push_back(u"f" + DecimalText(i));
  const std::u16string heading = u"ページにできなかったステージデータがあります";
  struct Case { size_t count; std::u16string tail; };
  const Case cases[] = {
      {1, u"\nf1"},
      {20, u"\nf19\nf20"},
      {21, u"\nf20\nほか 1 件"},
      {25, u"\nf20\nほか 5 件"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " failures");
    std::u16string text = SeveralFailedText({failures.begin(), failures.begin() + c.count});
    EXPECT_TRUE(text.starts_with(heading + u"\nf1")) << Utf8(text);
    EXPECT_TRUE(text.ends_with(c.tail)) << Utf8(text);
    EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), std::min<long>(c.count, 21));
  }
}

}  // namespace
}  // namespace quarnel
