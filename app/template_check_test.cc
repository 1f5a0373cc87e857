#include "app/template_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "input/template_store.h"
#include "render/build_document.h"
#include "text/gtstr.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

using Lines = std::vector<std::u16string_view>;
using Verdict = PlaceholderUse::Verdict;

// ---- The checker agrees with the renderer ----------------------------------

// What gets written into a random template: every placeholder and a set of
// near misses, each wrapped in markers of its own ("@7@[row]#7#"), so the
// page shows whether that one occurrence was filled, kept or left out.
const std::u16string_view kTokens[] = {
    u"[stagelist]", u"[filename]", u"[numstage]", u"[stage]", u"[title]",
    u"[lines]", u"[width]", u"[height]", u"[frame]", u"[data]", u"[number]",
    u"[number*]", u"[row]", u"[row*]",
    u"[Number]", u"[numbers]", u"[row *]", u"［row］", u"[TITLE]", u"[stage ]",
    u"[line]", u"［data]", u"[Frame]", u"[ｗｉｄｔｈ]",
};
const std::u16string_view kText[] = {u"<td>", u"x", u" ", u"</tr>", u"-", u"<p class=\"q\">", u""};
const std::u16string_view kUnreadNames[] = {u"stagelsit", u"frame_line ", u" data_line",
                                            u"ｆｒａｍｅ_ｃｏｎｔｅｎｔ", u"notes", u"",
                                            u"dataline"};

struct Placed {
  size_t line, column;
  std::u16string_view token;
  std::u16string marked;
};

struct RandomTemplate {
  std::vector<std::u16string> lines;
  std::vector<Placed> placed;
};

RandomTemplate MakeTemplate(std::mt19937& rng) {
  auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
  auto pick = [&](auto& list) {
    return list[std::uniform_int_distribution<size_t>(0, std::size(list) - 1)(rng)];
  };
  RandomTemplate t;
  int next_id = 0;
  auto add_line = [&](const std::vector<std::u16string_view>& tokens) {
    std::u16string line;
    for (std::u16string_view token : tokens) {
      line += pick(kText);
      std::u16string id = DecimalText(next_id++);
      std::u16string marked = u"@" + id + u"@" + std::u16string(token) + u"#" + id + u"#";
      t.placed.push_back({t.lines.size() + 1, line.size() + id.size() + 2, token, marked});
      line += marked;
    }
    line += pick(kText);
    t.lines.push_back(line);
  };
  auto add_body = [&](const SectionRule* rule) {
    int count = std::uniform_int_distribution<int>(0, 3)(rng);
    for (int l = 0; l < count; ++l) {
      std::vector<std::u16string_view> tokens;
      int n = std::uniform_int_distribution<int>(0, 3)(rng);
      for (int k = 0; k < n; ++k) tokens.push_back(pick(kTokens));
      // Mostly bring the next sections in, so that they reach the page.
      if (rule && l == 0) {
        for (const SectionRule& child : kSectionRules) {
          if (child.parent == rule->section && child.section != rule->section && chance(0.85)) {
            tokens.push_back(PlaceholderText(child.inserted_by));
            break;
          }
        }
      }
      add_line(tokens);
    }
  };

  std::vector<std::pair<std::u16string, const SectionRule*>> headers;
  for (const SectionRule& rule : kSectionRules) {
    if (rule.section == Section::Body || !chance(0.85)) continue;
    std::u16string name(rule.name);
    if (chance(0.2)) name[0] = static_cast<char16_t>(name[0] - u'a' + u'A');
    headers.emplace_back(name, &rule);
  }
  for (std::u16string_view unread : kUnreadNames) {
    if (chance(0.15)) headers.emplace_back(std::u16string(unread), nullptr);
  }
  std::shuffle(headers.begin(), headers.end(), rng);

  add_body(&kSectionRules[0]);
  for (const auto& [name, rule] : headers) {
    t.lines.push_back(u"*" + name);
    add_body(rule);
  }
  return t;
}

TEST(TemplateCheck, AgreesWithTheRendererOnRandomTemplates) {
  // QUARNEL_AGREEMENT_CASES runs more of them by hand.
  int cases = 300;
  if (const char* more = std::getenv("QUARNEL_AGREEMENT_CASES")) cases = std::atoi(more);
  const StageList stages = {std::u16string(u"T") + u'\0' + u"0123\r\n3 1", u""};
  std::map<Verdict, int> seen;
  for (int seed = 1; seed <= cases; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(static_cast<unsigned>(seed));
    RandomTemplate t = MakeTemplate(rng);
    Lines lines(t.lines.begin(), t.lines.end());
    TemplateStore store;
    FileError error;
    ASSERT_TRUE(ParseTemplate(lines, &store, &error));
    std::u16string page = BuildDocument(store, stages, u"stages.dat");

    std::vector<PlaceholderUse> uses = PlaceholderUses(lines);
    ASSERT_EQ(uses.size(), t.placed.size());
    for (size_t i = 0; i < uses.size(); ++i) {
      const Placed& placed = t.placed[i];
      const PlaceholderUse& use = uses[i];
      SCOPED_TRACE(Utf8(placed.marked));
      ASSERT_EQ(use.line, placed.line);
      ASSERT_EQ(use.column, placed.column);
      EXPECT_EQ(use.text, placed.token);
      std::u16string start = placed.marked.substr(0, placed.marked.find(u'@', 1) + 1);
      bool kept = page.find(placed.marked) != std::u16string::npos;
      bool shown = page.find(start) != std::u16string::npos;
      switch (use.verdict) {
        case Verdict::Filled: EXPECT_TRUE(shown && !kept); break;
        case Verdict::StaysAsWritten: EXPECT_TRUE(kept); break;
        case Verdict::NotOnPage: EXPECT_FALSE(shown); break;
      }
      ++seen[use.verdict];
    }
  }
  // The experiment covers each outcome many times.
  for (Verdict v : {Verdict::Filled, Verdict::StaysAsWritten, Verdict::NotOnPage}) {
    EXPECT_GT(seen[v], cases) << static_cast<int>(v);
  }
}

// ---- Findings ---------------------------------------------------------------

// A template whose sections are all there and all used.
std::vector<std::u16string> Complete() {
  return {u"<ol>[stagelist]</ol>", u"*stagelist", u"<li>[title][lines]</li>",
          u"*frame_line", u"<tr>[frame]</tr>", u"*frame_space", u"<td>",
          u"*frame_content", u"<td>-", u"*data_line", u"<tr>[data]</tr>",
          u"*data_space", u"<td>", u"*data_content", u"<td>[number]"};
}

std::vector<std::u16string> Texts(std::vector<std::u16string> lines) {
  Lines views(lines.begin(), lines.end());
  std::vector<std::u16string> texts;
  for (const Finding& f : CheckTemplateLines(views)) {
    texts.push_back(DecimalText(static_cast<long long>(f.line)) +
                    (f.severity == Finding::Severity::Error ? u" E " : u" W ") + f.text);
  }
  return texts;
}

TEST(TemplateCheck, CompleteTemplateIsClean) {
  EXPECT_TRUE(Texts(Complete()).empty());
}

// Each row changes one line of the complete template and names what the
// single finding must say (its line, kind and a part of its text).
TEST(TemplateCheck, FindsWhatWillNotWork) {
  struct Case { size_t line; std::u16string replacement, want; };
  const Case cases[] = {
      {5, u"*Frame_Line", u"6 E セクション「Frame_Line」はすでにあります"},
      {3, u"*frame_line ", u"名前の前後に空白があります。「frame_line」のつもりなら、空白を取ってください"},
      {3, u"*ｆｒａｍｅ_ｌｉｎｅ", u"名前に全角文字があります。「frame_line」のつもりなら、半角で"},
      {1, u"*stagelsit", u"「stagelist」のつもりなら、つづりを直してください"},
      {1, u"*notes", u"Quarnel が読むセクションではない"},
      {1, u"*", u"名前のないセクション"},
      {0, u"<ol></ol>", u"1 W セクション「body」に「[stagelist]」がないので、ステージがひとつもページに出ません"},
      {2, u"<li>[title]</li>", u"に「[lines]」がないので"},
      {4, u"<tr></tr>", u"に「[frame]」がないので"},
      {12, u"", u"12 W セクション「data_space」が空です"},
      {10, u"<tr>[row][data]</tr>", u"11 W 「[row]」は data_line では置きかえられず、そのまま出ます（置きかえられるのは data_space、data_content の中です）"},
      {0, u"[stage][stagelist]", u"1 W 「[stage]」は body では置きかえられず"},
      {14, u"<td>[Number]", u"「[Number]」はプレースホルダーではないので、そのまま出ます（「[number]」のつもりでしょうか）"},
      {12, u"<td>[numbers]", u"（「[number]」のつもりでしょうか。それが置きかえられるのは data_content の中です）"},
      {14, u"<td>［number］", u"「［number］」はプレースホルダーではない"},
      {2, u"<li title=\"[title]\">[lines]</li>", u"「[title]」が属性値の中にあります。ステージの題名は"},
      {0, u"<title>[filename]</title>[stagelist]", u"「[filename]」が <title> 要素の中にあります"},
      {0, u"<!-- [filename] -->[stagelist]", u"コメントの中"},
      {0, u"<script>x = '[filename]';</script>[stagelist]", u"<script> 要素の中"},
      {0, u"<a [filename]>[stagelist]", u"タグの中"},
      {0, u"<a href=[filename]>[stagelist]", u"属性値の中"},
      {0, u"<STYLE>a { }</STYLE><p title='[stage]'>[filename]</p>[stagelist]", u"「[stage]」は body では"},
      {1, u"*　ｓｔａｇｅｌｉｓｔ", u"名前の前後に空白があり、全角文字もあります。「stagelist」"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::vector<std::u16string> lines = Complete();
    lines[cases[i].line] = cases[i].replacement;
    std::vector<std::u16string> texts = Texts(lines);
    bool found = false;
    for (const std::u16string& text : texts) found |= text.find(cases[i].want) != std::u16string::npos;
    EXPECT_TRUE(found) << Utf8(cases[i].want) << "\n in:\n" << [&] {
      std::string all;
      for (const auto& t : texts) all += Utf8(t) + "\n";
      return all;
    }();
  }
}

TEST(TemplateCheck, MarkupCarriesAcrossLinesOfASection) {
  std::vector<std::u16string> lines = Complete();
  lines[0] = u"<p>[filename]</p><!-- note";
  lines.insert(lines.begin() + 1, {u"[filename] --><a", u"href=[filename]>[filename]</a>[stagelist]"});
  EXPECT_EQ(Texts(lines), (std::vector<std::u16string>{
      u"2 W 「[filename]」がコメントの中にあります。ステージデータのパスは手を加えずに入るので、その文字によってはマークアップがくずれます",
      u"3 W 「[filename]」が属性値の中にあります。ステージデータのパスは手を加えずに入るので、その文字によってはマークアップがくずれます"}));
  // Each section starts over: a comment left open in body does not reach
  // stagelist.
  lines = Complete();
  lines[0] = u"<!-- [stagelist]";
  lines[2] = u"<li>[title][lines]</li>";
  EXPECT_EQ(Texts(lines).size(), 0u);
}

TEST(TemplateCheck, MissingSectionsComeLastWithoutLine) {
  std::vector<std::u16string> lines = Complete();
  lines[1] = u"*stagelsit";
  std::vector<std::u16string> texts = Texts(lines);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].substr(0, 4), u"2 W ");
  EXPECT_EQ(texts[1], u"0 W セクション「stagelist」がありません。どのステージも空になり、ページに出ません");
}

TEST(TemplateCheck, PlainBracketsAndSafePlacesAreNotFindings) {
  std::vector<std::u16string> lines = Complete();
  lines[0] = u"<style>a[href] { } [data-row] </style><h1>[filename]</h1>[stagelist]<p>[0] [date]</p>";
  lines[2] = u"<li id=\"s[stage]\"><h2>[title]</h2>[lines]</li>";
  lines[14] = u"<td class=\"[row]\">[number][row*]";
  EXPECT_TRUE(Texts(lines).empty());
}

// ---- Reading the file and reporting ----------------------------------------

TEST(TemplateCheck, ReadsTheFileAsQuarnelDoes) {
  struct Case { std::string bytes; CheckStatus status; std::u16string first; };
  const Case cases[] = {
      {"<p>[stagelist]</p>\r\n*stagelist\r\n", CheckStatus::Warnings, u"2 セクション「stagelist」が空です"},
      {"a\r\nb\xff\r\n", CheckStatus::Errors, u"2 Shift_JIS (コードページ 932) としても UTF-8 としても正しくない文字があります"},
      {std::string("a\r\nb\r\nc", 7) + '\0', CheckStatus::Errors, u"3 NUL 文字があります"},
      // Lines end as Quarnel reads them: a lone LF does not in a file with a CR,
      {"*stagelist\n*stagelist\r\n", CheckStatus::Warnings, u"1 セクション「stagelist\n*stagelist」は読まれません。Quarnel が読む"},
      // and does in a file without one.
      {"<p>[stagelist]</p>\n*stagelist\n", CheckStatus::Warnings, u"2 セクション「stagelist」が空です"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakePlatform fake;
    fake.files.files[u"/t/template.dat"] = cases[i].bytes;
    CheckReport report = CheckTemplateFile(fake.files, fake.code_page, u"/t/template.dat");
    EXPECT_EQ(report.status, cases[i].status);
    ASSERT_FALSE(report.findings.empty());
    const Finding& f = report.findings[0];
    std::u16string seen = DecimalText(static_cast<long long>(f.line)) + u" " + f.text;
    EXPECT_EQ(Utf8(seen.substr(0, cases[i].first.size())), Utf8(cases[i].first));
  }
  FakePlatform fake;
  CheckReport missing = CheckTemplateFile(fake.files, fake.code_page, u"/t/none.dat");
  EXPECT_EQ(missing.status, CheckStatus::Errors);
}

TEST(TemplateCheck, TakesThePathFromTheArgumentOrBesideTheProgram) {
  EXPECT_EQ(CheckedTemplatePath(u"", u"/opt/q", PathStyle::Posix), u"/opt/q/template.dat");
  EXPECT_EQ(CheckedTemplatePath(u"", u"C:\\q", PathStyle::Windows), u"C:\\q\\template.dat");
  EXPECT_EQ(CheckedTemplatePath(u"\"C:\\a b\\t.dat\"", u"C:\\q", PathStyle::Windows), u"C:\\a b\\t.dat");
  EXPECT_EQ(CheckedTemplatePath(u"\"x\"", u"/opt/q", PathStyle::Posix), u"\"x\"");
}

TEST(TemplateCheck, BoxShowsTwentyFindingsThenHowManyMore) {
  CheckReport report{u"C:\\t.dat", {}, CheckStatus::Warnings};
  for (size_t i = 1; i <= 23; ++i) report.findings.push_back({Finding::Severity::Warning, i, u"w"});
  report.findings.push_back({Finding::Severity::Warning, 0, u"z"});
  std::u16string box = ReportBoxText(report);
  EXPECT_TRUE(box.starts_with(u"C:\\t.dat\r\n1 行目: 警告: w\r\n2 行目"));
  EXPECT_NE(box.find(u"20 行目: 警告: w\r\nほかに 4 件あります"), std::u16string::npos);
  EXPECT_EQ(box.find(u"21 行目"), std::u16string::npos);
  EXPECT_EQ(ReportBoxText({u"t.dat", {}, CheckStatus::Clean}), u"t.dat: 問題は見つかりませんでした");
}

}  // namespace
}  // namespace quarnel
