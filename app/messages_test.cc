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
