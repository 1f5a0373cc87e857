#include "render/build_document.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

std::u16string Record(std::u16string_view title, std::u16string_view body) {
  return std::u16string(title) + u'\0' + std::u16string(body);
}

TEST(BuildDocument, FillsThePageLevelPlaceholders) {
  struct Case { std::u16string body; StageList stages; std::u16string want; };
  const Case cases[] = {
      {u"<ul>[stagelist]</ul>", {Record(u"A", u"1"), Record(u"B", u"2")},
       u"<ul><li>1 A</li>\r\n<li>2 B</li>\r\n</ul>"},
      {u"[stagelist]|[numstage]", {}, u"|0"},
      // An empty record still counts and still adds its line end.
      {u"[stagelist]|[numstage]", {Record(u"", u""), Record(u"A", u"1")},
       u"\r\n<li>2 A</li>\r\n|2"},
      {u"[stagelist][stagelist]", {Record(u"A", u"1")}, u"<li>1 A</li>\r\n<li>1 A</li>\r\n"},
      {u"[stagelist]", {Record(u"see [filename] of [numstage]", u"1")},
       u"<li>1 see C:\\dir\\s.dat of 1</li>\r\n"},
      {u"[stagelist]", {Record(u"[stagelist]", u"1")}, u"<li>1 [stagelist]</li>\r\n"},
      {u"[filename]", {}, u"C:\\dir\\s.dat"},
      {u"plain", {Record(u"A", u"1")}, u"plain"},
      {u"", {Record(u"A", u"1")}, u""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    TemplateStore store;
    store.Add(u"body", cases[i].body);
    store.Add(u"stagelist", u"<li>[stage] [title]</li>");
    EXPECT_EQ(Utf8(BuildDocument(store, cases[i].stages, u"C:\\dir\\s.dat")),
              Utf8(cases[i].want));
  }
}

}  // namespace
}  // namespace quarnel
