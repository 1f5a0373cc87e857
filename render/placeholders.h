#ifndef QUARNEL_RENDER_PLACEHOLDERS_H_
#define QUARNEL_RENDER_PLACEHOLDERS_H_

#include <cstddef>
#include <string_view>

namespace quarnel {

/// The template sections the page is drawn from. A section reaches the page
/// through the placeholder that inserts it into its parent (body is the page
/// itself).
enum class Section { Body, Stagelist, FrameLine, FrameSpace, FrameContent,
                     DataLine, DataSpace, DataContent };
inline constexpr size_t kSectionCount = 8;

/// The placeholders the renderer fills.
enum class Placeholder { Stagelist, Filename, Numstage, Stage, Title, Lines,
                         Width, Height, Frame, Data, Number, NumberFull, Row,
                         RowFull, Level };
inline constexpr size_t kPlaceholderCount = 15;

/// A set of sections, one bit each.
using SectionSet = unsigned;
constexpr SectionSet Bit(Section s) { return 1u << static_cast<unsigned>(s); }
inline constexpr SectionSet kAllSections = (1u << kSectionCount) - 1;

struct SectionRule {
  Section section;
  std::u16string_view name;  // as looked up; names ignore letter case
  Section parent;            // where it is inserted (body: itself)
  Placeholder inserted_by;   // the parent's placeholder that inserts it
};

/// Every section the renderer reads, in the order of Section.
inline constexpr SectionRule kSectionRules[kSectionCount] = {
    {Section::Body, u"body", Section::Body, Placeholder::Stagelist},
    {Section::Stagelist, u"stagelist", Section::Body, Placeholder::Stagelist},
    {Section::FrameLine, u"frame_line", Section::Stagelist, Placeholder::Lines},
    {Section::FrameSpace, u"frame_space", Section::FrameLine, Placeholder::Frame},
    {Section::FrameContent, u"frame_content", Section::FrameLine, Placeholder::Frame},
    {Section::DataLine, u"data_line", Section::Stagelist, Placeholder::Lines},
    {Section::DataSpace, u"data_space", Section::DataLine, Placeholder::Data},
    {Section::DataContent, u"data_content", Section::DataLine, Placeholder::Data},
};

struct PlaceholderRule {
  Placeholder placeholder;
  std::u16string_view text;
  // The sections in whose own text, as written in the template, an
  // occurrence is filled. Anywhere else it stays as written: each
  // replacement runs before or beside the insertion of the other sections.
  SectionSet filled_in;
};

/// Every placeholder, in the order of Placeholder.
inline constexpr PlaceholderRule kPlaceholderRules[kPlaceholderCount] = {
    {Placeholder::Stagelist, u"[stagelist]", Bit(Section::Body)},
    // Filled last, in the whole page.
    {Placeholder::Filename, u"[filename]", kAllSections},
    {Placeholder::Numstage, u"[numstage]", kAllSections},
    {Placeholder::Stage, u"[stage]", Bit(Section::Stagelist)},
    {Placeholder::Title, u"[title]", Bit(Section::Stagelist)},
    {Placeholder::Lines, u"[lines]", Bit(Section::Stagelist)},
    // Filled in the fragment after the lines went in.
    {Placeholder::Width, u"[width]", kAllSections & ~Bit(Section::Body)},
    {Placeholder::Height, u"[height]", kAllSections & ~Bit(Section::Body)},
    {Placeholder::Frame, u"[frame]", Bit(Section::FrameLine)},
    {Placeholder::Data, u"[data]", Bit(Section::DataLine)},
    {Placeholder::Number, u"[number]", Bit(Section::DataContent)},
    {Placeholder::NumberFull, u"[number*]", Bit(Section::DataContent)},
    // Filled in the row body: the data pieces, not data_line around them.
    {Placeholder::Row, u"[row]", Bit(Section::DataSpace) | Bit(Section::DataContent)},
    {Placeholder::RowFull, u"[row*]", Bit(Section::DataSpace) | Bit(Section::DataContent)},
    // The stage's difficulty: filled with the title, before the lines.
    {Placeholder::Level, u"[level]", Bit(Section::Stagelist)},
};

constexpr bool RulesInEnumOrder() {
  for (size_t i = 0; i < kSectionCount; ++i) {
    if (static_cast<size_t>(kSectionRules[i].section) != i) return false;
  }
  for (size_t i = 0; i < kPlaceholderCount; ++i) {
    if (static_cast<size_t>(kPlaceholderRules[i].placeholder) != i) return false;
  }
  return true;
}
static_assert(RulesInEnumOrder(), "the rules are looked up by their enum value");

constexpr std::u16string_view SectionName(Section s) {
  return kSectionRules[static_cast<size_t>(s)].name;
}

constexpr std::u16string_view PlaceholderText(Placeholder p) {
  return kPlaceholderRules[static_cast<size_t>(p)].text;
}

/// The character every placeholder starts with, and holds nowhere else.
inline constexpr char16_t kPlaceholderStart = u'[';
constexpr bool PlaceholdersStartAlike() {
  for (const PlaceholderRule& rule : kPlaceholderRules) {
    if (rule.text.empty() || rule.text[0] != kPlaceholderStart ||
        rule.text.find(kPlaceholderStart, 1) != std::u16string_view::npos) {
      return false;
    }
  }
  return true;
}
static_assert(PlaceholdersStartAlike(), "text without kPlaceholderStart holds no placeholder");

}  // namespace quarnel

#endif  // QUARNEL_RENDER_PLACEHOLDERS_H_
