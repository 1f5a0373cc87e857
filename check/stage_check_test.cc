#include "check/stage_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "input/stage_list.h"
#include "input/template_store.h"
#include "check/stage_board.h"
#include "render/build_document.h"
#include "text/gtstr.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

using K = FindingKind;
using Lines = std::vector<std::u16string_view>;

struct Found {
  K kind;
  size_t line;
  bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
  return out << "{" << static_cast<int>(f.kind) << ", " << f.line << "}";
}

// The findings' kinds and lines are `want`; their texts show on failure.
void ExpectFound(const std::vector<Finding>& findings, const std::vector<Found>& want) {
  std::vector<Found> seen;
  std::string texts;
  for (const Finding& f : findings) {
    seen.push_back({f.kind, f.line});
    texts += Utf8(f.text) + "\n";
  }
  EXPECT_EQ(seen, want) << texts;
}

TEST(StageCheck, FindsWhatQuarnelReadsOtherwiseThanMeant) {
  struct Case {
    std::vector<std::u16string> lines;
    size_t stages;
    std::vector<Found> want;
  };
  const Case cases[] = {
      {{}, 0, {}},
      {{u"Stage 1", u"0 1", u"2 3", u"*", u"Stage 2", u"０１２３", u"3　 1"}, 2, {}},
      {{u"", u"T", u"", u"01", u"*", u"*****", u"* ＊ *"}, 3,  // stars alone are decoration
       {{K::EmptyStageBetweenSeparators, 6}, {K::EmptyStageBetweenSeparators, 7}}},
      {{u"0123", u"3210"}, 1, {{K::TitleLooksLikeGrid, 1}}},
      {{u"１ ２", u"3210"}, 1, {{K::TitleLooksLikeGrid, 1}}},
      {{u"*", u"T", u"01"}, 2, {{K::EmptyStageBeforeFirst, 1}}},
      {{u"", u"*", u"T", u"01"}, 2, {{K::EmptyStageBeforeFirst, 2}}},
      {{u"T", u"01", u"*", u"", u"*", u"U", u"1"}, 3, {{K::EmptyStageBetweenSeparators, 5}}},
      {{u"T", u"", u"", u"*", u"U", u"1"}, 2, {{K::EmptyStageWithoutGrid, 1}}},
      {{u"T", u"01", u"*", u"U", u""}, 1, {{K::StageDroppedAtEnd, 4}}},
      {{u"T", u"01", u"*", u"0123"}, 1, {{K::StageDroppedAtEnd, 4}}},  // no title finding then
      {{u"T", u"0.1", u"ガ3", u"x\t4"}, 1,
       {{K::BlankCell, 2}, {K::BlankCells, 3}, {K::BlankCells, 4}}},
      // A row left empty inside the grid is a short row.
      {{u"T", u"01", u"", u"12", u"", u"", u"*"}, 1,
       {{K::RaggedRows, 3}, {K::TrailingEmptyRows, 5}}},
      {{u"T", u"0123", u"1", u"", u"012"}, 1, {{K::RaggedRows, 3}}},  // one per stage
      {{u"T", u"01", u"*Stage 2", u"12", u"*", u"U", u"3"}, 3,
       {{K::SeparatorText, 3}, {K::TitleLooksLikeGrid, 4}, {K::EmptyStageWithoutGrid, 4}}},
      {{u"T", u"01", u"*Stage 2", u"12"}, 1, {{K::SeparatorText, 3}, {K::StageDroppedAtEnd, 4}}},
      // The false separator becomes a row; its cells need no second finding.
      {{u"T", u"01", u"＊", u"U", u"12"}, 1,
       {{K::RaggedRows, 3}, {K::FullWidthSeparator, 3}, {K::BlankCell, 4}}},
      {{u"T", u"01", u" *", u"U", u"12"}, 1,
       {{K::IndentedSeparator, 3}, {K::BlankCell, 4}, {K::RaggedRows, 4}}},
      {{u"a<b & c", u"01"}, 1, {{K::TitleLessThan, 1}, {K::TitleAmpersand, 1}}},
      // Well-formed markup of a title's tags is no finding.
      {{u"<b>強</b><ruby>漢<rp>(</rp><rt>かん</rt><rp>)</rp></ruby><br/>", u"01"}, 1, {}},
      {{u"&amp; &#38; &#x26; &copy;", u"01"}, 1, {}},
      {{u"&amp &#; &#x;", u"01"}, 1, {{K::TitleAmpersand, 1}}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    Lines views(cases[i].lines.begin(), cases[i].lines.end());
    StageFileCheck check = CheckStageLines(views);
    ExpectFound(check.findings, cases[i].want);
    // The count is the renderer's.
    StageList stages;
    ParseStages(views, &stages);
    EXPECT_EQ(check.stage_count, stages.size());
    EXPECT_EQ(check.stage_count, cases[i].stages);
  }
}

TEST(StageCheck, NamesTheCellsTheRowsAndTheWidestRow) {
  std::vector<std::u16string> lines = {u"T", u"01", u"ガx𝟘3🌸", u"0", u"", u""};
  Lines views(lines.begin(), lines.end());
  std::vector<Finding> findings = CheckStageLines(views).findings;
  ASSERT_EQ(findings.size(), 3u);
  // At the first short row, naming the widest.
  EXPECT_EQ(findings[0].kind, K::RaggedRows);
  EXPECT_EQ(findings[0].line, 2u);
  EXPECT_NE(findings[0].text.find(u"いちばん長い 3 行目（6 マス）に合わせて、短い 2 行は"), std::u16string::npos);
  // ガ folds to two cells; 𝟘 and 🌸, two code units each, are a cell each:
  // five blank cells from 1.
  EXPECT_EQ(findings[1].kind, K::BlankCells);
  EXPECT_EQ(findings[1].column, 1u);
  EXPECT_EQ(findings[1].row, 2u);
  EXPECT_NE(findings[1].text.find(u"1 マス目の「ガ」をはじめ 5 マス"), std::u16string::npos);
  EXPECT_EQ(findings[2].kind, K::TrailingEmptyRows);
  EXPECT_EQ(findings[2].line, 5u);
  EXPECT_EQ(findings[2].row, 4u);
}

// ---- Each stage as a loop puzzle ------------------------------------------

TEST(StageCheck, CountsACharacterBeyondTheBasicPlaneAsOneColumn) {
  struct Case { std::u16string title; K kind; const char16_t* column; };
  const Case cases[] = {
      {u"🌸<q>", K::TitleLessThan, u"題名の 2 文字目"},
      {u"あ<q>", K::TitleLessThan, u"題名の 2 文字目"},
      {u"🌸🌸 & x", K::TitleAmpersand, u"題名の 4 文字目"},
      {u"<b>🌸</b><i>", K::TitleLessThan, u"題名の 9 文字目"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title.begin(), c.title.end()));
    std::vector<std::u16string> lines = {c.title, u"01"};
    Lines views(lines.begin(), lines.end());
    std::vector<Finding> findings = CheckStageLines(views).findings;
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, c.kind);
    EXPECT_NE(findings[0].text.find(c.column), std::u16string::npos);
  }
}

TEST(StageCheck, SolvesEachStageWithAGridAsThePageDrawsIt) {
  const SolveBudget enough;
  const SolveBudget none = SolveBudgetOfWork(0);
  std::vector<std::u16string> square(200, std::u16string(200, u' '));
  square.insert(square.begin(), u"Square");
  // A long row over short ones: the page pads them all to its width.
  std::vector<std::u16string> ragged(300, u"3");
  ragged.insert(ragged.begin(), {u"Ragged", std::u16string(1000, u' ')});
  struct Case {
    std::vector<std::u16string> lines;
    const SolveBudget* budget;
    std::vector<Found> want;
    size_t unique;
  };
  const Case cases[] = {
      // A 3 beside a cell without clue: the loop goes round both.
      {{u"One", u"3 "}, &enough, {}, 1},
      {{u"One", u"３　"}, &enough, {}, 1},  // full width
      {{u"None", u"3"}, &enough, {{K::NoSolution, 1}}, 0},  // a cell alone has four sides
      {{u"One", u"x"}, &enough, {{K::BlankCell, 2}}, 1},  // a cell without clue
      {{u"None", u"0"}, &enough, {{K::NoSolution, 1}}, 0},
      {{u"Two", u"  "}, &enough, {{K::SeveralSolutions, 1}}, 0},
      // ガ folds to two cells, either of which may be the loop.
      {{u"Two", u"ガ"}, &enough, {{K::SeveralSolutions, 1}, {K::BlankCells, 2}}, 0},
      // A row shorter than the widest has no clues past its end.
      // An empty row at the end is a row of cells without clue: the loop
      // can go round the cell below the blank one only then.
      {{u"Padded", u"0 ", u""}, &enough, {{K::TrailingEmptyRows, 3}}, 1},
      {{u"A", u"3 ", u"*", u"B", u"0", u"*", u"", u"C", u"", u" 3", u"*", u"D"}, &enough,
       {{K::NoSolution, 4}, {K::StageDroppedAtEnd, 12}}, 2},
      // A stage without a grid has its own finding and no verdict.
      {{u"T", u"", u"*", u"U", u"3 "}, &enough, {{K::EmptyStageWithoutGrid, 1}}, 1},
      // Deduction settles a stage without the search and its budget; a
      // stage it leaves open is searched.
      {{u"One", u"3 "}, &none, {}, 1},
      {{u"None", u"3"}, &none, {{K::NoSolution, 1}}, 0},
      {{u"Open", u"  ", u"  "}, &none, {{K::SolveUndetermined, 1}}, 0},
      {{u"One", u"3"}, nullptr, {}, 0},
      // A blank board's several loops are found at once, whatever the budget.
      {square, &none, {{K::SeveralSolutions, 1}}, 0},
      {ragged, &enough, {{K::TooLargeToSolve, 1}, {K::RaggedRows, 3}}, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    Lines views(cases[i].lines.begin(), cases[i].lines.end());
    StageFileCheck check = CheckStageLines(views, cases[i].budget);
    ExpectFound(check.findings, cases[i].want);
    EXPECT_EQ(check.unique_count, cases[i].unique);
  }
}

// Each stage solved has its rating: by deduction, ★5 when a search had to
// finish it, none without exactly one solution.
TEST(StageCheck, RatesEachStageSolved) {
  std::vector<std::u16string> lines = {u"Easy", u"  0", u"331", u"*", u"Open", u"  ", u"*",
                                       u"Several", u"   ", u"   ", u"*", u"Hard", u"0   ", u"   0", u" 0  ",
                                       u"*", u"Blank"};
  Lines views(lines.begin(), lines.end());
  const SolveBudget enough;
  StageFileCheck check = CheckStageLines(views, &enough);
  ASSERT_EQ(check.levels.size(), 4u);
  EXPECT_EQ(check.levels[0].stage, 1u);
  EXPECT_EQ(check.levels[0].title, u"Easy");
  EXPECT_EQ(check.levels[0].rating, (Rating{1, 17}));
  EXPECT_EQ(check.levels[0].uses[static_cast<size_t>(Technique::ClueCount)] +
                check.levels[0].uses[static_cast<size_t>(Technique::DotRule)] +
                check.levels[0].uses[static_cast<size_t>(Technique::LoopComplete)],
            17);
  EXPECT_EQ(check.levels[1].rating, (Rating{}));  // two loops
  EXPECT_EQ(check.levels[2].rating, (Rating{}));
  EXPECT_EQ(check.levels[3].stage, 4u);
  EXPECT_EQ(check.levels[3].rating.level, 5);
  EXPECT_TRUE(CheckStageLines(views).levels.empty());
}

TEST(StageCheck, NamesTheStageTheBudgetAndWhereTwoSolutionsDiffer) {
  std::vector<std::u16string> lines = {u"Pair", u"ガ", u"*", u"Slow", u"3"};
  Lines views(lines.begin(), lines.end());
  const SolveBudget none = SolveBudgetOfWork(0);
  std::vector<Finding> findings = CheckStageLines(views, &none).findings;
  ASSERT_EQ(findings.size(), 3u);
  EXPECT_NE(findings[0].text.find(u"ステージ 1「Pair」は、1 ステージに使える 0 秒ぶんの探索のうち 0 手を使っても、"),
            std::u16string::npos) << Utf8(findings[0].text);
  EXPECT_NE(findings[0].text.find(u"--solve-seconds"), std::u16string::npos);
  EXPECT_EQ(findings[2].stage, 2u);

  const SolveBudget half = SolveBudgetOfSeconds(std::chrono::milliseconds(500));
  findings = CheckStageLines(std::span(views).first(2), &half).findings;
  ASSERT_EQ(findings.size(), 2u);
  const Finding& several = findings[0];
  EXPECT_EQ(several.kind, K::SeveralSolutions);
  EXPECT_EQ(several.stage, 1u);
  EXPECT_EQ(several.row, 1u);
  ASSERT_GE(several.column, 1u);
  ASSERT_LE(several.column, 2u);
  EXPECT_NE(several.text.find(u"ステージ 1「Pair」には解が二つ以上あります。1 行 " +
                              DecimalText(static_cast<long long>(several.column)) + u" 列のマスの"),
            std::u16string::npos) << Utf8(several.text);
}

TEST(StageCheck, NamesAnEdgeAsASideOfACellOnTheBoard) {
  const Board board = Board::Empty(3, 2);
  using S = CellSide::Side;
  struct Case { EdgePlace place; CellSide want; };
  const Case cases[] = {
      {{true, 0, 0}, {1, 1, S::Top}},     {{true, 1, 2}, {2, 3, S::Top}},
      {{true, 2, 1}, {2, 2, S::Bottom}},  // the frame's bottom
      {{false, 0, 0}, {1, 1, S::Left}},   {{false, 1, 2}, {2, 3, S::Left}},
      {{false, 1, 3}, {2, 3, S::Right}},  // the frame's right side
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SideOfEdge(board, c.place), c.want) << c.place.horizontal << c.place.row << c.place.column;
  }
}

// ---- The checker agrees with the renderer ----------------------------------

// The pieces of a random stage file: titles and grid rows that come out
// as meant and that do not, separators true and false, and empty lines.
const std::u16string_view kTitles[] = {u"Stage", u"ステージ", u"0123", u"1 2", u"３",
                                       u"a<b", u"R&D", u"&amp;", u"T&#9;", u"x"};
const std::u16string_view kCells[] = {u"0", u"1", u"2", u"3", u" ", u"０", u"３", u"　"};
const std::u16string_view kBlankCells[] = {u".", u"x", u"4", u"\t", u"ガ", u"ﾊﾟ", u"-", u"𝟘"};
const std::u16string_view kSeparators[] = {u"*", u"*", u"**", u"*Stage", u"＊", u" *"};

std::vector<std::u16string> MakeStageFile(std::mt19937& rng) {
  auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
  auto pick = [&](auto& list) {
    return list[std::uniform_int_distribution<size_t>(0, std::size(list) - 1)(rng)];
  };
  auto count = [&](int most) { return std::uniform_int_distribution<int>(0, most)(rng); };
  std::vector<std::u16string> lines;
  int stages = count(5);
  for (int s = 0; s < stages; ++s) {
    if (s > 0 || chance(0.1)) lines.push_back(std::u16string(pick(kSeparators)));
    for (int e = count(1); e > 0 && chance(0.3); --e) lines.emplace_back();
    if (chance(0.85)) lines.push_back(std::u16string(pick(kTitles)));
    for (int e = count(1); e > 0 && chance(0.3); --e) lines.emplace_back();
    int rows = count(4);
    int width = 1 + count(4);
    for (int r = 0; r < rows; ++r) {
      std::u16string row;
      int w = chance(0.7) ? width : count(width + 1);
      for (int c = 0; c < w; ++c) row += chance(0.9) ? pick(kCells) : pick(kBlankCells);
      lines.push_back(row);
    }
    for (int e = count(2); e > 0 && chance(0.3); --e) lines.emplace_back();
    if (chance(0.1)) lines.emplace_back(u"*");  // two separators in a row
  }
  return lines;
}

// A template whose page shows each stage's number, title, size and cells
// between markers of their own.
TemplateStore MarkerTemplate() {
  TemplateStore store;
  store.Add(u"body", u"N=[numstage]\r\n[stagelist]");
  store.Add(u"stagelist", u"<S[stage]|[width]x[height]>[title]</T>[lines]</S>");
  store.Add(u"frame_line", u"");
  store.Add(u"data_line", u"<R>[data]</R>");
  store.Add(u"data_space", u"");
  store.Add(u"data_content", u"[number]");
  return store;
}

// What the page shows of one stage.
struct ShownStage {
  bool shown = false;
  size_t width = 0, height = 0;
  std::u16string title;
  std::vector<std::u16string> rows;
};

ShownStage Shown(const std::u16string& page, size_t stage) {
  ShownStage shown;
  std::u16string start = u"<S" + DecimalText(static_cast<long long>(stage)) + u"|";
  size_t at = page.find(start);
  if (at == std::u16string::npos) return shown;
  shown.shown = true;
  size_t end = page.find(u"</S>", at);
  std::u16string_view text = std::u16string_view(page).substr(at + start.size(), end - at - start.size());
  size_t x = text.find(u'x'), gt = text.find(u'>'), title_end = text.find(u"</T>");
  shown.width = std::stoul(Utf8(text.substr(0, x)));
  shown.height = std::stoul(Utf8(text.substr(x + 1, gt - x - 1)));
  shown.title = std::u16string(text.substr(gt + 1, title_end - gt - 1));
  for (size_t r = text.find(u"<R>", title_end); r != std::u16string_view::npos;
       r = text.find(u"<R>", r + 1)) {
    shown.rows.emplace_back(text.substr(r + 3, text.find(u"</R>", r) - r - 3));
  }
  return shown;
}

TEST(StageCheck, AgreesWithTheRendererOnRandomStageFiles) {
  // QUARNEL_AGREEMENT_CASES runs more of them by hand.
  int cases = 300;
  if (const char* more = std::getenv("QUARNEL_AGREEMENT_CASES")) cases = std::atoi(more);
  const TemplateStore store = MarkerTemplate();
  std::map<K, int> seen;
  for (int seed = 1; seed <= cases; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(static_cast<unsigned>(seed));
    std::vector<std::u16string> lines = MakeStageFile(rng);
    Lines views(lines.begin(), lines.end());
    StageList stages;
    ParseStages(views, &stages);
    std::u16string page = BuildDocument(store, stages, u"s.dat");
    StageFileCheck check = CheckStageLines(views);
    // The stages solved are the renderer's: the verdict on each is that of
    // the board the page draws.
    const SolveBudget budget;
    StageFileCheck solved = CheckStageLines(views, &budget);
    std::vector<K> verdicts(check.stage_count + 1, K::FileNotFound);
    for (const Finding& f : solved.findings) {
      if (f.kind == K::SeveralSolutions || f.kind == K::NoSolution) verdicts[f.stage] = f.kind;
    }
    size_t unique = 0;
    for (size_t s = 1; s <= stages.size(); ++s) {
      if (!Shown(page, s).shown) continue;
      const Verdict verdict = Solve(BoardFromStage(stages[s - 1]));
      unique += verdict.outcome == Verdict::Outcome::Unique;
      EXPECT_EQ(verdicts[s], verdict.outcome == Verdict::Outcome::Several ? K::SeveralSolutions
                             : verdict.outcome == Verdict::Outcome::None  ? K::NoSolution
                                                                          : K::FileNotFound)
          << "stage " << s;
    }
    EXPECT_EQ(solved.unique_count, unique);

    ASSERT_TRUE(page.starts_with(u"N=" + DecimalText(static_cast<long long>(check.stage_count)) + u"\r\n"));
    std::vector<bool> flagged_empty(check.stage_count + 1);
    for (const Finding& f : check.findings) {
      if (f.kind == K::EmptyStageBetweenSeparators || f.kind == K::EmptyStageBeforeFirst ||
          f.kind == K::EmptyStageWithoutGrid) {
        ASSERT_LE(f.stage, check.stage_count);
        flagged_empty[f.stage] = true;
      }
    }
    for (const Finding& f : check.findings) {
      SCOPED_TRACE(Utf8(f.text));
      ++seen[f.kind];
      switch (f.kind) {
        case K::EmptyStageBetweenSeparators:
        case K::EmptyStageBeforeFirst:
        case K::EmptyStageWithoutGrid:
          // Counted, but nothing on the page.
          EXPECT_FALSE(Shown(page, f.stage).shown);
          break;
        case K::StageDroppedAtEnd:
          // Not counted, and not on the page.
          EXPECT_EQ(f.stage, check.stage_count + 1);
          EXPECT_FALSE(Shown(page, f.stage).shown);
          break;
        case K::TitleLooksLikeGrid:
        case K::TitleLessThan:
        case K::TitleAmpersand: {
          // This line is that stage's title, unchanged.
          ShownStage shown = Shown(page, f.stage);
          if (shown.shown) {
            EXPECT_EQ(shown.title, lines[f.line - 1]);
          } else {
            EXPECT_TRUE(flagged_empty[f.stage]);
          }
          break;
        }
        case K::BlankCell:
        case K::BlankCells: {
          ShownStage shown = Shown(page, f.stage);
          ASSERT_TRUE(shown.shown);
          ASSERT_LE(f.row, shown.rows.size());
          ASSERT_LE(f.column, shown.rows[f.row - 1].size());
          EXPECT_EQ(shown.rows[f.row - 1][f.column - 1], u' ');
          break;
        }
        case K::TrailingEmptyRows: {
          // The rows from there on are on the page, all blank.
          ShownStage shown = Shown(page, f.stage);
          ASSERT_TRUE(shown.shown);
          ASSERT_LT(f.row, shown.height + 1);
          for (size_t r = f.row; r <= shown.height; ++r) {
            EXPECT_EQ(shown.rows[r - 1], std::u16string(shown.width, u' '));
          }
          break;
        }
        case K::RaggedRows: {
          // The widest row sets the stage's width.
          ShownStage shown = Shown(page, f.stage);
          ASSERT_TRUE(shown.shown);
          EXPECT_EQ(shown.width, f.column);
          break;
        }
        default:
          break;
      }
    }
    // And every stage the page leaves out was said to be empty.
    for (size_t s = 1; s <= check.stage_count; ++s) {
      EXPECT_TRUE(Shown(page, s).shown || flagged_empty[s]) << "stage " << s;
    }
  }
  // The experiment covers each claim many times.
  for (K kind : {K::EmptyStageBetweenSeparators, K::EmptyStageWithoutGrid, K::StageDroppedAtEnd,
                 K::TitleLooksLikeGrid, K::BlankCell, K::BlankCells, K::TrailingEmptyRows,
                 K::RaggedRows, K::TitleLessThan, K::TitleAmpersand}) {
    EXPECT_GT(seen[kind], cases / 20) << static_cast<int>(kind);
  }
}

}  // namespace
}  // namespace quarnel
