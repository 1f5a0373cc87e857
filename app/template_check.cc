#include "app/template_check.h"

#include <algorithm>
#include <array>
#include <optional>

#include "app/messages.h"
#include "app/program.h"
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

// ---- Where inserted text lands in the markup -------------------------------

enum class Markup { Text, Tag, Attribute, Comment, Title, Script, Style };

// Follows a section's markup far enough to tell whether a position is in
// text, inside a tag or an attribute value, in a comment, or in the raw
// text of a title, script or style element.
class MarkupScanner {
 public:
  Markup Where() const {
    switch (state_) {
      case State::Text: return Markup::Text;
      case State::TagName: case State::InTag: return Markup::Tag;
      // Right after "=" an unquoted value begins.
      case State::AfterEquals: case State::Quoted: case State::Unquoted:
        return Markup::Attribute;
      case State::Comment: return Markup::Comment;
      case State::Raw:
        return raw_ == u"title" ? Markup::Title : raw_ == u"script" ? Markup::Script : Markup::Style;
    }
    return Markup::Text;
  }

  // Reads line[i] (looking ahead within the line) and returns the index of
  // the next character to read.
  size_t Step(std::u16string_view line, size_t i) {
    char16_t c = line[i];
    // Whether `s` (lower case) starts here, letter case aside.
    auto ahead = [&](std::u16string_view s) {
      if (line.size() - i < s.size()) return false;
      for (size_t k = 0; k < s.size(); ++k) {
        if (LowerAscii(line[i + k]) != s[k]) return false;
      }
      return true;
    };
    switch (state_) {
      case State::Text:
        if (ahead(u"<!--")) {
          state_ = State::Comment;
          return i + 4;
        }
        if (c == u'<' && i + 1 < line.size()) {
          bool end_tag = line[i + 1] == u'/';
          size_t name = i + (end_tag ? 2 : 1);
          if (name < line.size() && IsLetter(line[name])) {
            state_ = State::TagName;
            end_tag_ = end_tag;
            tag_.clear();
            return name;
          }
        }
        return i + 1;
      case State::TagName:
        if (IsLetter(c) || (c >= u'0' && c <= u'9')) {
          tag_.push_back(LowerAscii(c));
        } else if (c == u'>') {
          EndTag();
        } else {
          state_ = State::InTag;
        }
        return i + 1;
      case State::InTag:
        if (c == u'>') EndTag();
        if (c == u'=') state_ = State::AfterEquals;
        return i + 1;
      case State::AfterEquals:
        if (c == u'"' || c == u'\'') {
          quote_ = c;
          state_ = State::Quoted;
        } else if (c == u'>') {
          EndTag();
        } else if (!IsSpace(c)) {
          state_ = State::Unquoted;
        }
        return i + 1;
      case State::Quoted:
        if (c == quote_) state_ = State::InTag;
        return i + 1;
      case State::Unquoted:
        if (c == u'>') EndTag();
        else if (IsSpace(c)) state_ = State::InTag;
        return i + 1;
      case State::Comment:
        if (ahead(u"-->")) {
          state_ = State::Text;
          return i + 3;
        }
        return i + 1;
      case State::Raw:
        if (c == u'<' && i + 1 < line.size() && line[i + 1] == u'/' &&
          ahead(u"</" + raw_)) {
          state_ = State::InTag;
          end_tag_ = true;
          return i + 2 + raw_.size();
        }
        return i + 1;
    }
    return i + 1;
  }

  // A line end, between two lines of a section.
  void LineEnd() {
    if (state_ == State::TagName || state_ == State::Unquoted) state_ = State::InTag;
  }

 private:
  enum class State { Text, TagName, InTag, AfterEquals, Quoted, Unquoted, Comment, Raw };

  static bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
  }
  static bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f';
  }
  void EndTag() {
    if (!end_tag_ && (tag_ == u"title" || tag_ == u"script" || tag_ == u"style")) {
      state_ = State::Raw;
      raw_ = tag_;
    } else {
      state_ = State::Text;
    }
  }

  State state_ = State::Text;
  bool end_tag_ = false;
  std::u16string tag_;
  std::u16string raw_;
  char16_t quote_ = u'"';
};

// ---- Texts of the findings --------------------------------------------------

// Texts are put together by appending, never with a literal on the left of
// "+": GCC 12 warns wrongly about that in 32-bit builds (its bug 105329).
std::u16string Quoted(std::u16string_view s) {
  std::u16string quoted(u"「");
  quoted += s;
  quoted += u"」";
  return quoted;
}

std::u16string PlacesText(SectionSet set) {
  if (set == kAllSections) return u"すべてのセクション";
  if (set == (kAllSections & ~Bit(Section::Body))) return u"body 以外のセクション";
  std::u16string text;
  for (const SectionRule& rule : kSectionRules) {
    if ((set & Bit(rule.section)) == 0) continue;
    if (!text.empty()) text += u"、";
    text += rule.name;
  }
  return text;
}

// What a section that is missing or empty does to the page.
std::u16string_view EmptySectionEffect(Section s) {
  switch (s) {
    case Section::Body: return u"ページが空になり、ファイルは書かれません";
    case Section::Stagelist: return u"どのステージも空になり、ページに出ません";
    case Section::FrameLine: return u"格子の枠の行が出ません";
    case Section::FrameSpace: return u"枠の行で、列の前と後ろに何も出ません";
    case Section::FrameContent: return u"枠の行で、列の上に何も出ません";
    case Section::DataLine: return u"格子のデータの行が出ません";
    case Section::DataSpace: return u"データの行で、マスの前と後ろに何も出ません";
    case Section::DataContent: return u"マスに何も出ません";
  }
  return {};
}

// What a section without the placeholder that inserts its children does.
std::u16string_view MissingInsertEffect(Placeholder p) {
  switch (p) {
    case Placeholder::Stagelist: return u"ステージがひとつもページに出ません";
    case Placeholder::Lines: return u"ステージの格子（frame_line と data_line）が出ません";
    case Placeholder::Frame: return u"枠の行に frame_space と frame_content が出ません";
    case Placeholder::Data: return u"データの行に data_space と data_content（マス）が出ません";
    default: return {};
  }
}

std::u16string_view MarkupPlace(Markup m) {
  switch (m) {
    case Markup::Tag: return u"タグの中";
    case Markup::Attribute: return u"属性値の中";
    case Markup::Comment: return u"コメントの中";
    case Markup::Title: return u"<title> 要素の中";
    case Markup::Script: return u"<script> 要素の中";
    case Markup::Style: return u"<style> 要素の中";
    case Markup::Text: break;
  }
  return {};
}

std::optional<Finding> UnreadSectionFinding(const TemplateSection& section) {
  if (section.name.empty()) {
    return Finding{Finding::Severity::Warning, section.header_line,
                   u"名前のないセクション（「*」だけの行）は読まれません"};
  }
  std::u16string folded = ToHalfWidth(section.name);
  bool wide = folded != section.name;
  std::u16string_view trimmed = TrimBlanks(folded);
  bool blanks = trimmed.size() != folded.size();
  std::u16string start = u"セクション" + Quoted(section.name) +
                         u"は読まれません。";
  if (const SectionRule* rule = KnownSection(trimmed)) {
    std::u16string why = blanks && wide ? u"名前の前後に空白があり、全角文字もあります。"
                         : blanks       ? u"名前の前後に空白があります。"
                                        : u"名前に全角文字があります。";
    std::u16string fix = blanks && wide ? u"半角で、空白なしに書いてください"
                         : blanks       ? u"空白を取ってください"
                                        : u"半角で書いてください";
    return Finding{Finding::Severity::Warning, section.header_line,
                   start + why + Quoted(rule->name) + u"のつもりなら、" + fix};
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
  if (best) {
    return Finding{Finding::Severity::Warning, section.header_line,
                   start + Quoted(best->name) + u"のつもりなら、つづりを直してください"};
  }
  return Finding{Finding::Severity::Warning, section.header_line,
                 start + u"Quarnel が読むセクションではないので、ページに出ません"};
}

std::u16string UseText(const PlaceholderUse& use) {
  Section s = use.section->section;
  std::u16string text = Quoted(use.text);
  if (use.near_miss) {
    text += u"はプレースホルダーではないので、そのまま出ます（" + Quoted(use.meant->text) +
            u"のつもりでしょうか";
    if (!Fills(*use.meant, s)) {
      text += u"。それが置きかえられるのは " + PlacesText(use.meant->filled_in) + u" の中です";
    }
    return text + u"）";
  }
  return text + u"は " + std::u16string(SectionName(s)) +
         u" では置きかえられず、そのまま出ます（置きかえられるのは " +
         PlacesText(use.meant->filled_in) + u" の中です）";
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
            std::u16string_view what = use.meant->placeholder == Placeholder::Title
                                           ? u"ステージの題名"
                                           : u"ステージデータのパス";
            findings->push_back(
                {Finding::Severity::Warning, use.line,
                 Quoted(use.text) + (where >= Markup::Title ? u"が " : u"が") +
                     std::u16string(MarkupPlace(where)) +
                     u"にあります。" + std::u16string(what) +
                     u"は手を加えずに入るので、その文字によってはマークアップがくずれます"});
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
      findings.push_back({Finding::Severity::Error, section.header_line,
                          LineProblemText(error)});
    } else if (!layout.known[i]) {
      if (auto finding = UnreadSectionFinding(section)) findings.push_back(*finding);
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
      findings.push_back({Finding::Severity::Warning, 0,
                          u"セクション" + name + u"がありません。" +
                              std::u16string(EmptySectionEffect(rule.section))});
      continue;
    }
    size_t header = std::max<size_t>(layout.sections[*layout.index[s]].header_line, 1);
    if (layout.text[s].empty()) {
      findings.push_back({Finding::Severity::Warning, header,
                          u"セクション" + name + u"が空です。" +
                              std::u16string(EmptySectionEffect(rule.section))});
      continue;
    }
    for (const SectionRule& child : kSectionRules) {
      if (child.section == rule.section || child.parent != rule.section) continue;
      if (!Holds(layout, rule.section, child.inserted_by)) {
        findings.push_back({Finding::Severity::Warning, header,
                            u"セクション" + name + u"に" +
                                Quoted(PlaceholderText(child.inserted_by)) + u"がないので、" +
                                std::u16string(MissingInsertEffect(child.inserted_by))});
      }
      break;  // children that share a placeholder need one finding
    }
  }

  // Placeholders that stay as written, and filled ones whose text can break
  // the markup around them.
  std::vector<PlaceholderUse> uses = UsesIn(lines, layout);
  for (const PlaceholderUse& use : uses) {
    if (use.verdict == PlaceholderUse::Verdict::StaysAsWritten) {
      findings.push_back({Finding::Severity::Warning, use.line, UseText(use)});
    }
  }
  AddMarkupFindings(lines, layout, uses, &findings);

  // In line order, findings without a line last; a counting sort keeps
  // the order within a line and the time linear.
  std::vector<size_t> starts(lines.size() + 3, 0);
  auto slot = [&](const Finding& f) { return f.line == 0 ? lines.size() + 1 : f.line; };
  for (const Finding& f : findings) ++starts[slot(f) + 1];
  for (size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
  std::vector<Finding> sorted(findings.size());
  for (Finding& f : findings) sorted[starts[slot(f)]++] = std::move(f);
  return sorted;
}

std::u16string CheckedTemplatePath(std::u16string_view argument_text,
                                   std::u16string_view executable_directory,
                                   PathStyle style) {
  // A dropped template's path comes as Quarnel's stage file path does.
  std::u16string path = StagePathOf(std::u16string(argument_text), style);
  if (path.empty()) return TemplatePath(executable_directory, style);
  return path;
}

CheckReport CheckTemplateFile(FileSystem& files, CodePage& code_page,
                              const std::u16string& path) {
  CheckReport report;
  report.path = path;
  if (!files.IsOrdinaryFile(path)) {
    report.findings.push_back({Finding::Severity::Error, 0, u"ファイルが見つかりません"});
    report.status = CheckStatus::Errors;
    return report;
  }
  TextFile file;
  FileError error;
  if (!ReadTextFile(files, code_page, path, &file, &error)) {
    report.findings.push_back({Finding::Severity::Error, error.line, LineProblemText(error)});
    report.status = CheckStatus::Errors;
    return report;
  }
  report.findings = CheckTemplateLines(file.lines);
  for (const Finding& finding : report.findings) {
    if (finding.severity == Finding::Severity::Error) {
      report.status = CheckStatus::Errors;
    } else if (report.status == CheckStatus::Clean) {
      report.status = CheckStatus::Warnings;
    }
  }
  return report;
}

namespace {

std::u16string_view SeverityText(Finding::Severity severity) {
  return severity == Finding::Severity::Error ? u"エラー" : u"警告";
}

std::u16string CleanText(const std::u16string& path) {
  std::u16string text = path;
  text += u": 問題は見つかりませんでした";
  return text;
}

}  // namespace

std::vector<std::u16string> ReportLines(const CheckReport& report) {
  if (report.findings.empty()) return {CleanText(report.path)};
  std::vector<std::u16string> lines;
  for (const Finding& finding : report.findings) {
    std::u16string line = report.path;
    if (finding.line != 0) {
      line += u":";
      line += DecimalText(static_cast<long long>(finding.line));
    }
    line += u": ";
    line += SeverityText(finding.severity);
    line += u": ";
    line += finding.text;
    lines.push_back(std::move(line));
  }
  return lines;
}

std::u16string ReportBoxText(const CheckReport& report, size_t max_findings) {
  if (report.findings.empty()) return CleanText(report.path);
  std::u16string text = report.path;
  size_t shown = std::min(max_findings, report.findings.size());
  for (size_t i = 0; i < shown; ++i) {
    const Finding& finding = report.findings[i];
    text += u"\r\n";
    if (finding.line != 0) {
      text += DecimalText(static_cast<long long>(finding.line)) + u" 行目: ";
    }
    text += SeverityText(finding.severity);
    text += u": ";
    text += finding.text;
  }
  if (shown < report.findings.size()) {
    text += u"\r\nほかに " +
            DecimalText(static_cast<long long>(report.findings.size() - shown)) +
            u" 件あります";
  }
  return text;
}

}  // namespace quarnel
