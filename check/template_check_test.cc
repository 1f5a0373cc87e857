#include "check/template_check.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    u"[number*]", u"[row]", u"[row*]", u"[level]",
    u"[Level]", u"[Number]", u"[numbers]", u"[row *]", u"［row］", u"[TITLE]", u"[stage ]",
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

// Each row changes one line of the complete template and names the kind
// and line of the finding it must bring.
TEST(TemplateCheck, FindsWhatWillNotWork) {
  using K = FindingKind;
  struct Case { size_t line; std::u16string replacement; K kind; size_t at; };
  const Case cases[] = {
      {5, u"*Frame_Line", K::DuplicateSection, 6},
      {3, u"*frame_line ", K::SectionNameBlanks, 4},
      {3, u"*ｆｒａｍｅ_ｌｉｎｅ", K::SectionNameFullWidth, 4},
      {1, u"*　ｓｔａｇｅｌｉｓｔ", K::SectionNameBlanksAndFullWidth, 2},
      {1, u"*stagelsit", K::SectionNameMisspelt, 2},
      {1, u"*notes", K::UnknownSection, 2},
      {1, u"*", K::UnnamedSection, 2},
      {0, u"<ol></ol>", K::InsertMissing, 1},
      {2, u"<li>[title]</li>", K::InsertMissing, 2},
      {4, u"<tr></tr>", K::InsertMissing, 4},
      {12, u"", K::SectionEmpty, 12},
      {10, u"<tr>[row][data]</tr>", K::PlaceholderNotFilledHere, 11},
      {0, u"[stage][stagelist]", K::PlaceholderNotFilledHere, 1},
      {14, u"<td>[Number]", K::NearMiss, 15},
      {12, u"<td>[numbers]", K::NearMissFilledElsewhere, 13},
      {14, u"<td>［number］", K::NearMiss, 15},
      {2, u"<li title=\"[title]\">[lines]</li>", K::InsertedTextInMarkup, 3},
      {0, u"<title>[filename]</title>[stagelist]", K::InsertedTextInMarkup, 1},
      {0, u"<a href=[filename]>[stagelist]", K::InsertedTextInMarkup, 1},
      {0, u"<STYLE>a { }</STYLE><p title='[stage]'>[filename]</p>[stagelist]",
       K::PlaceholderNotFilledHere, 1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    std::vector<std::u16string> lines = Complete();
    lines[cases[i].line] = cases[i].replacement;
    Lines views(lines.begin(), lines.end());
    std::vector<Finding> findings = CheckTemplateLines(views);
    auto found = std::find_if(findings.begin(), findings.end(), [&](const Finding& f) {
      return f.kind == cases[i].kind && f.line == cases[i].at;
    });
    std::string texts;
    for (const Finding& f : findings) texts += Utf8(f.text) + "\n";
    EXPECT_NE(found, findings.end()) << texts;
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

TEST(TemplateCheck, TellsATemplateByItsHeaders) {
  struct Case { std::vector<std::u16string> lines; bool want; };
  const Case cases[] = {
      {Complete(), true},
      {{u"<p>", u"*DATA_LINE", u"x"}, true},  // letter case aside, as Quarnel looks it up
      {{u"<p>", u"*data_line ", u"*notes"}, false},
      {{u"Stage 1", u"0123", u"*", u"Stage 2", u"12"}, false},
      {{u"body"}, false},  // body has no header
      {{}, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    Lines views(cases[i].lines.begin(), cases[i].lines.end());
    EXPECT_EQ(LooksLikeTemplate(views), cases[i].want);
  }
}

}  // namespace
}  // namespace quarnel
