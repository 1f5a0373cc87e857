#include "check/check_messages.h"

#include <gtest/gtest.h>

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

// The gaps "{1}" … "{n}" of a text, n, or 0 when they do not run from 1
// without a hole.
size_t GapCount(std::u16string_view text) {
  size_t seen = 0;
  for (char16_t n = u'1'; n <= u'9'; ++n) {
    std::u16string gap = {u'{', n, u'}'};
    if (text.find(gap) == std::u16string_view::npos) break;
    ++seen;
  }
  return text.find(u'{') == std::u16string_view::npos || seen > 0 ? seen : 0;
}

// Reads every finding's text: each kind has one, with as many gaps as its
// callers fill, errors only where Quarnel stops, and every text about a
// stage file ends by saying what to do.
TEST(CheckMessages, EveryTextHasItsGapsAndSaysWhatToDo) {
  using K = FindingKind;
  struct Want { K kind; size_t gaps; };
  const Want wants[] = {
      {K::FileNotFound, 0}, {K::FileUnreadable, 1}, {K::MixedLineEnds, 0},
      {K::CodePageAlsoUtf8, 2}, {K::DuplicateSection, 1},
      {K::UnnamedSection, 0}, {K::SectionNameBlanks, 2}, {K::SectionNameFullWidth, 2},
      {K::SectionNameBlanksAndFullWidth, 2}, {K::SectionNameMisspelt, 2},
      {K::UnknownSection, 1}, {K::SectionMissing, 2}, {K::SectionEmpty, 2},
      {K::InsertMissing, 3}, {K::PlaceholderNotFilledHere, 3}, {K::NearMiss, 2},
      {K::NearMissFilledElsewhere, 3}, {K::InsertedTextInMarkup, 3},
      {K::TitleLooksLikeGrid, 1}, {K::EmptyStageBetweenSeparators, 2},
      {K::EmptyStageBeforeFirst, 0}, {K::EmptyStageWithoutGrid, 2},
      {K::StageDroppedAtEnd, 1}, {K::BlankCell, 2}, {K::BlankCells, 3},
      {K::TrailingEmptyRows, 1}, {K::RaggedRows, 4}, {K::SeparatorText, 1},
      {K::FullWidthSeparator, 0}, {K::IndentedSeparator, 0}, {K::TitleLessThan, 1},
      {K::TitleAmpersand, 1}, {K::SeveralSolutions, 4}, {K::NoSolution, 3},
      {K::SolveUndetermined, 4}, {K::TooLargeToSolve, 4},
  };
  ASSERT_EQ(std::size(wants), kFindingKindCount);
  for (const Want& want : wants) {
    const FindingMessage& message = kFindingMessages[static_cast<size_t>(want.kind)];
    SCOPED_TRACE(Utf8(message.text));
    EXPECT_EQ(message.kind, want.kind);
    EXPECT_EQ(GapCount(message.text), want.gaps);
    bool stops = want.kind == K::FileNotFound || want.kind == K::FileUnreadable ||
                 want.kind == K::DuplicateSection;
    EXPECT_EQ(message.severity, stops ? Finding::Severity::Error : Finding::Severity::Warning);
    Finding finding = MakeFinding(want.kind, 7, {u"A", u"B", u"C", u"D"});
    EXPECT_EQ(finding.line, 7u);
    EXPECT_EQ(finding.text.find(u'{'), std::u16string::npos);
    EXPECT_FALSE(finding.text.ends_with(u"。"));
    // A stage without solution or with several ends with the fix found for
    // it, which says what to do in its own words.
    const bool fix_at_end = want.kind == K::SeveralSolutions || want.kind == K::NoSolution;
    if ((want.kind >= K::TitleLooksLikeGrid || want.kind == K::MixedLineEnds ||
         want.kind == K::CodePageAlsoUtf8) && !fix_at_end) {
      EXPECT_TRUE(finding.text.ends_with(u"ください")) << "says what to do";
    }
  }
}

TEST(CheckMessages, FillsGapsOnce) {
  EXPECT_EQ(FillText(u"{1}と{2}", {u"{2}", u"x"}), u"{2}とx");
  EXPECT_EQ(FillText(u"{3}{1}", {u"a"}), u"a");  // a gap without argument stays empty
  EXPECT_EQ(FillText(u"{x} {", {}), u"{x} {");
  EXPECT_EQ(FillText(kStagesCleanText, {u"s.dat", u"5", u" (UTF-8, CR LF)"}),
            u"s.dat: 5 ステージ、問題は見つかりませんでした (UTF-8, CR LF)");
}

}  // namespace
}  // namespace quarnel
