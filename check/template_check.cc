#include "check/template_check.h"

#include <algorithm>
#include <array>
#include <optional>

#include "check/check_messages.h"
#include "check/markup_scanner.h"
#include "input/file_error.h"
#include "input/template_store.h"
#include "input/text_file.h"
#include "text/gtstr.h"
#include "text/width.h"

namespace quarnel {
namespace {

using Lines = std::span<const std::u16string_view>;

// A bracketed name longer than this is no placeholder, nor near one.
constexpr size_t kMaxTokenInner = 24;

bool IsOpener(char16_t c) { return c == u'[' || c == u'［'; }
bool IsCloser(char16_t c) { return c == u']' || c == u'］'; }

char16_t LowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

std::u16string Lower(std::u16string_view s) {
  std::u16string lower(s);
  for (char16_t& c : lower) c = LowerAscii(c);
  return lower;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'　'; }

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Edit distance (insertions, deletions, substitutions), or `limit` + 1 when
// it exceeds `limit`. Used on short names only.
size_t EditDistance(std::u16string_view a, std::u16string_view b, size_t limit) {
  size_t gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (gap > limit || a.size() > 32 || b.size() > 32) return limit + 1;
  std::array<size_t, 33> prev{}, row{};
  for (size_t j = 0; j <= b.size(); ++j) prev[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      row[j] = std::min({prev[j] + 1, row[j - 1] + 1, prev[j - 1] + cost});
    }
    prev = row;
  }
  return std::min(prev[b.size()], limit + 1);
}

const SectionRule* KnownSection(std::u16string_view name) {
  std::u16string folded = Lower(name);
  for (const SectionRule& rule : kSectionRules) {
    if (folded == rule.name) return &rule;
  }
  return nullptr;
}

bool Fills(const PlaceholderRule& rule, Section s) {
  return (rule.filled_in & Bit(s)) != 0;
}

// The placeholder a bracketed token is, or probably means: the same name
// in another letter case, width, bracket or with blanks, a plural, or one
// edit away from a name of five or more letters.
const PlaceholderRule* MeantPlaceholder(std::u16string_view token, bool* near_miss) {
  for (const PlaceholderRule& rule : kPlaceholderRules) {
    if (token == rule.text) {
      *near_miss = false;
      return &rule;
    }
  }
  std::u16string normal;
  for (char16_t c : ToHalfWidth(token.substr(1, token.size() - 2))) {
    if (!IsBlank(c)) normal.push_back(LowerAscii(c));
  }
  const PlaceholderRule* best = nullptr;
  for (const PlaceholderRule& rule : kPlaceholderRules) {
    std::u16string_view name = rule.text.substr(1, rule.text.size() - 2);
    if (normal == name) {
      best = &rule;
      break;
    }
    if (!best && ((normal.size() == name.size() + 1 && normal.starts_with(name) &&
                   normal.back() == u's') ||
                  (name.size() >= 5 && EditDistance(normal, name, 1) <= 1))) {
      best = &rule;
    }
  }
  *near_miss = true;
  return best;
}

// The known sections of a template as Quarnel stores them: the first
// section of each name, and whether it reaches the page.
struct Layout {
  std::vector<TemplateSection> sections;
  std::vector<const SectionRule*> known;  // per section; null if never read
  std::vector<bool> duplicate;            // per section
  std::array<std::optional<size_t>, kSectionCount> index{};  // into sections
  std::array<std::u16string, kSectionCount> text{};
  std::array<bool, kSectionCount> reaches{};
};

bool Holds(const Layout& layout, Section s, Placeholder p) {
  return layout.text[static_cast<size_t>(s)].find(PlaceholderText(p)) !=
         std::u16string::npos;
}

Layout LayOut(Lines lines) {
  Layout layout;
  layout.sections = TemplateSections(lines);
  TemplateStore names;
  for (size_t i = 0; i < layout.sections.size(); ++i) {
    const TemplateSection& section = layout.sections[i];
    bool first = names.Add(section.name, {});
    const SectionRule* rule = KnownSection(section.name);
    layout.duplicate.push_back(!first);
    layout.known.push_back(first ? rule : nullptr);
    if (first && rule) {
      size_t s = static_cast<size_t>(rule->section);
      layout.index[s] = i;
      layout.text[s] = SectionText(lines, section);
    }
  }
  // Parents come before their children in the table.
  for (const SectionRule& rule : kSectionRules) {
    size_t s = static_cast<size_t>(rule.section);
    if (rule.section == Section::Body) {
      layout.reaches[s] = true;
    } else {
      layout.reaches[s] = layout.index[s] &&
                          layout.reaches[static_cast<size_t>(rule.parent)] &&
                          Holds(layout, rule.parent, rule.inserted_by);
    }
  }
  return layout;
}

std::vector<PlaceholderUse> UsesIn(Lines lines, const Layout& layout) {
  std::vector<PlaceholderUse> uses;
  for (size_t i = 0; i < layout.sections.size(); ++i) {
    const TemplateSection& section = layout.sections[i];
    const SectionRule* rule = layout.known[i];
    bool on_page = rule && layout.reaches[static_cast<size_t>(rule->section)];
    for (size_t l = section.first_line; l < section.end_line; ++l) {
      std::u16string_view line = lines[l];
      for (size_t start = 0; start < line.size(); ++start) {
        if (!IsOpener(line[start])) continue;
        size_t end = start + 1;
        size_t limit = std::min(line.size(), start + kMaxTokenInner + 2);
        while (end < limit && !IsOpener(line[end]) && !IsCloser(line[end])) ++end;
        if (end >= limit || !IsCloser(line[end]) || end == start + 1) continue;
        std::u16string_view token = line.substr(start, end - start + 1);
        bool near_miss = false;
        const PlaceholderRule* meant = MeantPlaceholder(token, &near_miss);
        if (!meant) continue;
        PlaceholderUse::Verdict verdict = PlaceholderUse::Verdict::NotOnPage;
        if (on_page) {
          verdict = !near_miss && Fills(*meant, rule->section)
                        ? PlaceholderUse::Verdict::Filled
                        : PlaceholderUse::Verdict::StaysAsWritten;
        }
        uses.push_back({l + 1, start, token, meant, near_miss, rule, verdict});
        start = end;
      }
    }
  }
  return uses;
}

// ---- Texts of the findings --------------------------------------------------

std::u16string Quoted(std::u16string_view s) {
  std::u16string quoted(u"「");
  quoted += s;
  quoted += u"」";
  return quoted;
}

std::u16string PlacesText(SectionSet set) {
  if (set == kAllSections) return kAllSectionsText;
  if (set == (kAllSections & ~Bit(Section::Body))) return kAllButBodyText;
  std::u16string text;
  for (const SectionRule& rule : kSectionRules) {
    if ((set & Bit(rule.section)) == 0) continue;
    if (!text.empty()) text += u"、";
    text += rule.name;
  }
  return text;
}

Finding UnreadSectionFinding(const TemplateSection& section) {
  size_t line = section.header_line;
  if (section.name.empty()) return MakeFinding(FindingKind::UnnamedSection, line);
  std::u16string folded = ToHalfWidth(section.name);
  bool wide = folded != section.name;
  std::u16string_view trimmed = TrimBlanks(folded);
  bool blanks = trimmed.size() != folded.size();
  std::u16string name = Quoted(section.name);
  if (const SectionRule* rule = KnownSection(trimmed)) {
    FindingKind kind = blanks && wide ? FindingKind::SectionNameBlanksAndFullWidth
                       : blanks       ? FindingKind::SectionNameBlanks
                                      : FindingKind::SectionNameFullWidth;
    return MakeFinding(kind, line, {name, Quoted(rule->name)});
  }
  std::u16string lower = Lower(trimmed);
  const SectionRule* best = nullptr;
  size_t best_distance = 3;
  for (const SectionRule& rule : kSectionRules) {
    size_t d = EditDistance(lower, rule.name, 2);
    if (d < best_distance) {
      best = &rule;
      best_distance = d;
    }
  }
  if (best) return MakeFinding(FindingKind::SectionNameMisspelt, line, {name, Quoted(best->name)});
  return MakeFinding(FindingKind::UnknownSection, line, {name});
}

Finding UseFinding(const PlaceholderUse& use) {
  Section s = use.section->section;
  std::u16string text = Quoted(use.text);
  std::u16string places = PlacesText(use.meant->filled_in);
  if (use.near_miss) {
    std::u16string meant = Quoted(use.meant->text);
    if (Fills(*use.meant, s)) return MakeFinding(FindingKind::NearMiss, use.line, {text, meant});
    return MakeFinding(FindingKind::NearMissFilledElsewhere, use.line, {text, meant, places});
  }
  return MakeFinding(FindingKind::PlaceholderNotFilledHere, use.line,
                     {text, SectionName(s), places});
}

void AddMarkupFindings(Lines lines, const Layout& layout,
                       const std::vector<PlaceholderUse>& uses,
                       std::vector<Finding>* findings) {
  size_t next = 0;
  for (size_t i = 0; i < layout.sections.size(); ++i) {
    const TemplateSection& section = layout.sections[i];
    // Only sections on the page have filled uses; skip the others' lines.
    if (!layout.known[i] || !layout.reaches[static_cast<size_t>(layout.known[i]->section)]) {
      continue;
    }
    MarkupScanner scanner;
    for (size_t l = section.first_line; l < section.end_line; ++l) {
      if (l > section.first_line) scanner.LineEnd();
      // Uses of earlier lines are done.
      while (next < uses.size() && uses[next].line < l + 1) ++next;
      std::u16string_view line = lines[l];
      for (size_t c = 0; c < line.size();) {
        while (next < uses.size() && uses[next].line == l + 1 && uses[next].column < c) ++next;
        if (next < uses.size() && uses[next].line == l + 1 && uses[next].column == c) {
          const PlaceholderUse& use = uses[next];
          bool risky = use.verdict == PlaceholderUse::Verdict::Filled &&
                       (use.meant->placeholder == Placeholder::Title ||
                        use.meant->placeholder == Placeholder::Filename);
          Markup where = scanner.Where();
          if (risky && where != Markup::Text) {
            std::u16string_view what =
                use.meant->placeholder == Placeholder::Title ? kTitleText : kFilenameText;
            findings->push_back(MakeFinding(FindingKind::InsertedTextInMarkup, use.line,
                                            {Quoted(use.text), MarkupPlaceText(where), what}));
          }
          ++next;
        }
        c = scanner.Step(line, c);
      }
    }
  }
}

}  // namespace

std::vector<PlaceholderUse> PlaceholderUses(Lines lines) {
  return UsesIn(lines, LayOut(lines));
}

std::vector<Finding> CheckTemplateLines(Lines lines) {
  Layout layout = LayOut(lines);
  std::vector<Finding> findings;

  // Sections Quarnel stops on, and sections it never reads.
  for (size_t i = 0; i < layout.sections.size(); ++i) {
    const TemplateSection& section = layout.sections[i];
    if (layout.duplicate[i]) {
      FileError error{FileError::Kind::DuplicateSection, {}, section.header_line,
                      std::u16string(section.name)};
      findings.push_back(MakeFinding(FindingKind::DuplicateSection, section.header_line,
                                     {LineProblemText(error)}));
    } else if (!layout.known[i]) {
      findings.push_back(UnreadSectionFinding(section));
    }
  }

  // Sections that are missing or empty where the page needs them, and
  // sections that lack the placeholder that brings in the next ones.
  for (const SectionRule& rule : kSectionRules) {
    size_t s = static_cast<size_t>(rule.section);
    bool wanted = rule.section == Section::Body ||
                  (layout.reaches[static_cast<size_t>(rule.parent)] &&
                   Holds(layout, rule.parent, rule.inserted_by));
    if (!wanted) continue;
    std::u16string name = Quoted(rule.name);
    if (!layout.index[s]) {
      findings.push_back(MakeFinding(FindingKind::SectionMissing, 0,
                                     {name, EmptySectionEffect(rule.section)}));
      continue;
    }
    size_t header = std::max<size_t>(layout.sections[*layout.index[s]].header_line, 1);
    if (layout.text[s].empty()) {
      findings.push_back(MakeFinding(FindingKind::SectionEmpty, header,
                                     {name, EmptySectionEffect(rule.section)}));
      continue;
    }
    for (const SectionRule& child : kSectionRules) {
      if (child.section == rule.section || child.parent != rule.section) continue;
      if (!Holds(layout, rule.section, child.inserted_by)) {
        findings.push_back(MakeFinding(
            FindingKind::InsertMissing, header,
            {name, Quoted(PlaceholderText(child.inserted_by)), MissingInsertEffect(child.inserted_by)}));
      }
      break;  // children that share a placeholder need one finding
    }
  }

  // Placeholders that stay as written, and filled ones whose text can break
  // the markup around them.
  std::vector<PlaceholderUse> uses = UsesIn(lines, layout);
  for (const PlaceholderUse& use : uses) {
    if (use.verdict == PlaceholderUse::Verdict::StaysAsWritten) {
      findings.push_back(UseFinding(use));
    }
  }
  AddMarkupFindings(lines, layout, uses, &findings);

  return SortedByLine(std::move(findings), lines.size());
}

bool LooksLikeTemplate(Lines lines) {
  for (const TemplateSection& section : TemplateSections(lines)) {
    if (section.header_line != 0 && KnownSection(section.name)) return true;
  }
  return false;
}

}  // namespace quarnel
