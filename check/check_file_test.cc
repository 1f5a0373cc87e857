#include "check/check_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "puzzle/loop_generator.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

using K = FindingKind;

TEST(CheckFile, ReadsTheFileAsQuarnelDoes) {
  struct Case { std::u16string path; std::string bytes; CheckStatus status; K kind; size_t line; };
  const Case cases[] = {
      {u"/t/template.dat", "<p>[stagelist]</p>\r\n*stagelist\r\n", CheckStatus::Warnings, K::SectionEmpty, 2},
      {u"/t/s.dat", "a\r\nb\xff\r\n", CheckStatus::Errors, K::FileUnreadable, 2},
      {u"/t/s.dat", std::string("a\r\nb\r\nc", 7) + '\0', CheckStatus::Errors, K::FileUnreadable, 3},
      // Lines end as Quarnel reads them: a lone LF does not in a file with a CR,
      {u"/t/template.dat", "*stagelist\n*stagelist\r\n", CheckStatus::Warnings, K::UnknownSection, 1},
      // and does in a file without one.
      {u"/t/template.dat", "<p>[stagelist]</p>\n*stagelist\n", CheckStatus::Warnings, K::SectionEmpty, 2},
      {u"/t/s.dat", "T\r\n0x\r\n", CheckStatus::Warnings, K::BlankCell, 2},
      {u"/t/none.dat", "", CheckStatus::Errors, K::FileNotFound, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakePlatform fake;
    if (cases[i].path != u"/t/none.dat") fake.files.files[cases[i].path] = cases[i].bytes;
    CheckReport report = CheckFile(fake.files, fake.code_page, cases[i].path, KindChoice::Detect);
    EXPECT_EQ(report.status, cases[i].status);
    ASSERT_FALSE(report.findings.empty());
    EXPECT_EQ(report.findings[0].kind, cases[i].kind) << Utf8(report.findings[0].text);
    EXPECT_EQ(report.findings[0].line, cases[i].line);
  }
}

TEST(CheckFile, TellsATemplateFromAStageFile) {
  const std::string stages = "Stage 1\r\n0123\r\n";
  const std::string headed = "<ol>[stagelist]</ol>\r\n*StageList\r\n<li>\r\n";
  struct Case { std::u16string path; std::string bytes; KindChoice choice; FileKind want; };
  const Case cases[] = {
      {u"/t/s.dat", stages, KindChoice::Detect, FileKind::Stages},
      {u"/t/TEMPLATE.DAT", stages, KindChoice::Detect, FileKind::Template},  // by its name
      {u"/t/my.dat", headed, KindChoice::Detect, FileKind::Template},        // by its headers
      {u"/t/template.dat.bak", stages, KindChoice::Detect, FileKind::Stages},
      {u"/t/template.dat", stages, KindChoice::Stages, FileKind::Stages},
      {u"/t/s.dat", stages, KindChoice::Template, FileKind::Template},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakePlatform fake;
    fake.files.files[cases[i].path] = cases[i].bytes;
    EXPECT_EQ(CheckFile(fake.files, fake.code_page, cases[i].path, cases[i].choice).kind,
              cases[i].want);
  }
  std::u16string_view none[] = {u"x"};
  EXPECT_EQ(DetectFileKind(u"C:\\q\\Template.Dat", PathStyle::Windows, none), FileKind::Template);
  EXPECT_EQ(DetectFileKind(u"/q\\template.dat", PathStyle::Posix, none), FileKind::Stages);
}

TEST(CheckFile, TakesFilesAndOptionsFromTheArguments) {
  using std::chrono::milliseconds;
  const std::optional<milliseconds> ten = std::chrono::seconds(10), no_solve;
  struct Case {
    std::vector<std::u16string> args;
    KindChoice choice;
    std::vector<std::u16string> paths;
    bool usage_error;
    std::optional<milliseconds> budget;
  };
  const Case cases[] = {
      {{}, KindChoice::Detect, {u"/opt/q/template.dat"}, false, ten},
      {{u"a.dat", u"b c.dat"}, KindChoice::Detect, {u"a.dat", u"b c.dat"}, false, ten},
      {{u"--stages", u"template.dat"}, KindChoice::Stages, {u"template.dat"}, false, ten},
      {{u"--stages", u"--template"}, KindChoice::Template, {u"/opt/q/template.dat"}, false, ten},
      {{u"--", u"--stages", u"-"}, KindChoice::Detect, {u"--stages", u"-"}, false, ten},
      {{u"-x", u"a.dat"}, KindChoice::Detect, {u"a.dat"}, true, ten},
      // The budget of each stage, or none.
      {{u"--solve-seconds", u"60", u"a.dat"}, KindChoice::Detect, {u"a.dat"}, false, milliseconds(60000)},
      {{u"--no-solve", u"a.dat"}, KindChoice::Detect, {u"a.dat"}, false, no_solve},
      {{u"--no-solve", u"--solve-seconds", u"3"}, KindChoice::Detect, {u"/opt/q/template.dat"}, false,
       milliseconds(3000)},
      {{u"--solve-seconds", u"3", u"--no-solve"}, KindChoice::Detect, {u"/opt/q/template.dat"}, false,
       no_solve},
      {{u"--", u"--no-solve"}, KindChoice::Detect, {u"--no-solve"}, false, ten},
      // Every value of N: TakesEverySolveSecondsValueAsDocumented.
      {{u"--solve-seconds", u"ten", u"a.dat"}, KindChoice::Detect, {u"a.dat"}, true, ten},
      {{u"a.dat", u"--solve-seconds"}, KindChoice::Detect, {u"a.dat"}, true, ten},
  };
  EXPECT_FALSE(CheckRequestOf(std::vector<std::u16string>{u"a.dat"}, u"/", PathStyle::Posix).levels);
  EXPECT_TRUE(CheckRequestOf(std::vector<std::u16string>{u"--levels", u"a.dat"}, u"/", PathStyle::Posix).levels);
  EXPECT_FALSE(CheckRequestOf(std::vector<std::u16string>{u"a.dat"}, u"/", PathStyle::Posix).show);
  EXPECT_TRUE(CheckRequestOf(std::vector<std::u16string>{u"--show", u"a.dat"}, u"/", PathStyle::Posix).show);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    CheckRequest request = CheckRequestOf(cases[i].args, u"/opt/q", PathStyle::Posix);
    EXPECT_EQ(request.choice, cases[i].choice);
    EXPECT_EQ(request.paths, cases[i].paths);
    EXPECT_EQ(request.usage_error, cases[i].usage_error);
    if (cases[i].usage_error) continue;
    ASSERT_EQ(request.solve.has_value(), cases[i].budget.has_value());
    if (request.solve) {
      EXPECT_EQ(request.solve->work, SolveBudgetOfSeconds(*cases[i].budget).work);
    }
  }
  EXPECT_EQ(CheckedPath(u"", u"C:\\q", PathStyle::Windows), u"C:\\q\\template.dat");
  EXPECT_EQ(CheckedPath(u"\"C:\\a b\\s.dat\"", u"C:\\q", PathStyle::Windows), u"C:\\a b\\s.dat");
  EXPECT_EQ(CheckedPath(u"\"x\"", u"/opt/q", PathStyle::Posix), u"\"x\"");
}

// Each value of "--solve-seconds" on both programs' arguments: the budget
// it gives, or the line that says what is wrong with it.
TEST(CheckFile, TakesEverySolveSecondsValueAsDocumented) {
  using std::chrono::nanoseconds;
  struct Case {
    std::u16string value;
    nanoseconds budget;    // when taken
    std::u16string problem;  // otherwise
  };
  const std::u16string too_large = u"は 1000000 より大きいので使えません";
  const std::u16string not_number = u"は数ではありません", not_positive = u"は 0 より大きくありません";
  const std::u16string digits401 = u"1" + std::u16string(400, u'0');
  const Case cases[] = {
      {u"5", std::chrono::seconds(5), {}},
      {u"5.", std::chrono::seconds(5), {}},
      {u".5", std::chrono::milliseconds(500), {}},
      {u"0.25", std::chrono::milliseconds(250), {}},
      {u"007.5", std::chrono::milliseconds(7500), {}},
      {u"0.0000000000001", nanoseconds(10), {}},  // more than 0: the smallest budget
      {u"1000000", kMaxSolveTime, {}},
      {u"1000000.000", kMaxSolveTime, {}},
      {u"0001000000", kMaxSolveTime, {}},
      {u"1000000.0000000001", {}, too_large},
      {u"1000001", {}, too_large},
      {u"99999999", {}, too_large},
      {digits401, {}, too_large},
      {u"0", {}, not_positive},
      {u"0.000", {}, not_positive},
      {u".0", {}, not_positive},
      {u"-5", {}, not_positive},
      {u"abc", {}, not_number},
      {u"1e3", {}, not_number},
      {u"+5", {}, not_number},
      {u".", {}, not_number},
      {u"-", {}, not_number},
      {u"1.2.3", {}, not_number},
      {u"5 ", {}, not_number},
      {u"0x10", {}, not_number},
      {u"５", {}, not_number},  // a full-width digit
      {u"", {}, not_number},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "value \"" << EncodeUtf8(c.value).substr(0, 40) << "\"");
    std::vector<std::u16string> args = {u"--solve-seconds", c.value, u"s.dat"};
    const CheckRequest posix = CheckRequestOf(args, u"/opt/q", PathStyle::Posix);
    const CheckRequest windows = CheckRequestOfText(u"--solve-seconds \"" + c.value + u"\" s.dat",
                                                    u"C:\\q", PathStyle::Windows);
    for (const CheckRequest* request : {&posix, &windows}) {
      if (c.problem.empty()) {
        EXPECT_FALSE(request->usage_error);
        ASSERT_TRUE(request->solve.has_value());
        EXPECT_EQ(request->solve->work, c.budget.count() / 10);  // 100,000,000 a second
      } else {
        EXPECT_TRUE(request->usage_error);
        EXPECT_EQ(request->usage_problem, u"--solve-seconds の値 " + c.value + u" " + c.problem);
      }
    }
  }
  // The other usage errors say what they are too.
  const std::vector<std::u16string> missing = {u"a.dat", u"--solve-seconds"};
  EXPECT_EQ(CheckRequestOf(missing, u"/q", PathStyle::Posix).usage_problem,
            u"--solve-seconds のあとに秒数がありません");
  const std::vector<std::u16string> unknown = {u"-x", u"--solve-seconds", u"0"};
  EXPECT_EQ(CheckRequestOf(unknown, u"/q", PathStyle::Posix).usage_problem,
            u"-x というオプションはありません");
  EXPECT_EQ(CheckRequestOfText(u"--no-solve --stages s.dat", u"C:\\q", PathStyle::Windows).usage_problem,
            u"quarnel-check.exe では --stages は使えません");
}

TEST(CheckFile, TakesTheBudgetBeforeTheFileOfAWindowsArgumentText) {
  using std::chrono::milliseconds;
  const std::optional<milliseconds> ten = std::chrono::seconds(10), no_solve;
  const std::u16string beside = u"C:\\q\\template.dat", usage = u"(usage)";
  struct Case {
    std::u16string text;
    std::u16string path;  // or `usage`
    std::optional<milliseconds> budget;
  };
  const Case cases[] = {
      // Without options, the text is the file as it always was.
      {u"", beside, ten},
      {u"C:\\a b\\s.dat", u"C:\\a b\\s.dat", ten},
      {u"\"C:\\a b\\s.dat\"", u"C:\\a b\\s.dat", ten},
      {u"\"C:\\-a\\-s.dat\"", u"C:\\-a\\-s.dat", ten},
      {u"\"--no-solve\"", u"--no-solve", ten},  // quoted: a file
      {u"-", u"-", ten},
      // Options, then the rest of the text, quoted or not.
      {u"--solve-seconds 60 \"C:\\パス\\stages.dat\"", u"C:\\パス\\stages.dat", milliseconds(60000)},
      {u"--solve-seconds\t0.5  C:\\a b\\s.dat", u"C:\\a b\\s.dat", milliseconds(500)},
      {u"--no-solve \"C:\\a b\\s.dat\"", u"C:\\a b\\s.dat", no_solve},
      {u"--solve-seconds 3 --no-solve s.dat", u"s.dat", no_solve},
      {u"--no-solve --solve-seconds \"3\" s.dat", u"s.dat", milliseconds(3000)},
      {u"--no-solve \"-s.dat\"", u"-s.dat", no_solve},
      {u"--no-solve -- -s.dat", u"-s.dat", no_solve},
      {u"-- --no-solve", u"--no-solve", ten},
      {u"s.dat --no-solve", u"s.dat --no-solve", ten},  // options come first
      // No file: the template beside the program.
      {u"--no-solve", beside, no_solve},
      {u"--solve-seconds 2 -- ", beside, milliseconds(2000)},
      // Taken, though the box draws nothing.
      {u"--show \"C:\\a b\\s.dat\"", u"C:\\a b\\s.dat", ten},
      {u"--no-solve --show s.dat", u"s.dat", no_solve},
      // Unknown options, bad values, the kind options.
      {u"-x s.dat", usage, ten},
      {u"-s.dat", usage, ten},
      {u"--solve-seconds", usage, ten},
      {u"--solve-seconds ten s.dat", usage, ten},
      {u"--solve-seconds \"\" s.dat", usage, ten},
      {u"--solve-seconds s.dat", usage, ten},
      {u"--stages s.dat", usage, ten},
      {u"--no-solve --template", usage, ten},
      {u"--urls s.dat", usage, ten},  // the box shows no addresses
      {u"--levels s.dat", usage, ten},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    CheckRequest request = CheckRequestOfText(cases[i].text, u"C:\\q", PathStyle::Windows);
    EXPECT_EQ(request.usage_error, cases[i].path == usage);
    if (request.usage_error || cases[i].path == usage) continue;
    EXPECT_EQ(request.choice, KindChoice::Detect);
    EXPECT_EQ(request.paths, std::vector<std::u16string>{cases[i].path});
    ASSERT_EQ(request.solve.has_value(), cases[i].budget.has_value());
    if (request.solve) {
      EXPECT_EQ(request.solve->work, SolveBudgetOfSeconds(*cases[i].budget).work);
    }
  }
}

TEST(CheckFile, ReportsEachStagesAddressAfterTheFindings) {
  FakePlatform fake;
  // A stage without grid has no address; a ragged one is padded as drawn.
  fake.files.files[u"s.dat"] = "One\r\n3\r\n3\r\n 22\r\n 2 1\r\n*\r\nNone\r\n*\r\nThree\r\n2\r\n";
  const std::u16string arguments[] = {u"--urls", u"s.dat"};
  CheckRequest request = CheckRequestOf(arguments, u"/q", PathStyle::Posix);
  ASSERT_TRUE(request.addresses);
  CheckReport report = CheckFile(fake.files, fake.code_page, u"s.dat", KindChoice::Detect,
                                 nullptr, request.addresses);
  std::vector<std::u16string> lines = ReportLines(report);
  ASSERT_EQ(lines.size(), report.findings.size() + 2);
  EXPECT_EQ(Utf8(lines[lines.size() - 2]),
            "s.dat: ステージ 1: https://puzz.link/p?slither/4/4/dgdh2c7b");
  EXPECT_EQ(Utf8(lines.back()), "s.dat: ステージ 3: https://puzz.link/p?slither/1/1/c");
  // Without the option, none.
  EXPECT_TRUE(CheckFile(fake.files, fake.code_page, u"s.dat", KindChoice::Detect).addresses.empty());
}

TEST(CheckFile, ReportsLineByLineOrInOneBox) {
  CheckReport report;
  report.path = u"C:\\s.dat";
  report.kind = FileKind::Stages;
  report.status = CheckStatus::Warnings;
  for (size_t i = 1; i <= 23; ++i) report.findings.push_back({K::BlankCell, Finding::Severity::Warning, i, u"w"});
  report.findings.push_back({K::FileNotFound, Finding::Severity::Error, 0, u"z"});
  std::u16string box = ReportBoxText(report);
  EXPECT_TRUE(box.starts_with(u"C:\\s.dat\r\n1 行目: 警告: w\r\n2 行目"));
  EXPECT_NE(box.find(u"20 行目: 警告: w\r\nほかに 4 件あります"), std::u16string::npos);
  EXPECT_EQ(box.find(u"21 行目"), std::u16string::npos);
  std::vector<std::u16string> lines = ReportLines(report);
  EXPECT_EQ(lines.front(), u"C:\\s.dat:1: 警告: w");
  EXPECT_EQ(lines.back(), u"C:\\s.dat: エラー: z");

  CheckReport clean;
  clean.path = u"s.dat";
  clean.kind = FileKind::Stages;
  clean.stage_count = 5;
  clean.read = true;
  clean.encoding = TextEncoding::Utf8;
  EXPECT_EQ(ReportBoxText(clean), u"s.dat: 5 ステージ、問題は見つかりませんでした (UTF-8, CR LF)");
  // Solved and clean: every stage has a grid and exactly one solution.
  // How many have each rating, the levels without stages left out.
  clean.solved = true;
  for (int level : {2, 4, 1, 2, 5}) clean.levels.push_back({0, u"", {level, 1}, {}});
  const std::u16string unique = u"s.dat: 5 ステージ、すべて解が一つです（★1 1、★2 2、★4 1、★5 1） (UTF-8, CR LF)";
  EXPECT_EQ(ReportBoxText(clean), unique);
  EXPECT_EQ(ReportLines(clean), std::vector<std::u16string>{unique});
  // A file without stages has nothing to solve.
  clean.stage_count = 0;
  EXPECT_EQ(ReportBoxText(clean), u"s.dat: 0 ステージ、問題は見つかりませんでした (UTF-8, CR LF)");
  clean.kind = FileKind::Template;
  clean.encoding = TextEncoding::CodePage;
  clean.line_ends = LineEnds::Lf;
  EXPECT_EQ(ReportLines(clean),
            std::vector<std::u16string>{u"s.dat: 問題は見つかりませんでした (Shift_JIS, LF)"});
}

// How a file was read, and the warnings about it, are the same for both kinds.
TEST(CheckFile, SaysHowItReadTheFileAndWarnsWhereThatMayBeWrong) {
  const std::string stages = "T\r\n0\r\n";
  struct Case {
    std::string bytes;
    std::u16string clean;  // the clean line, or
    K kind = K::FileNotFound;  // a finding's kind
    size_t line = 0;           // and its line
    bool solved = false;       // with the stages solved
  };
  const Case cases[] = {
      {"T\r\n0\r\n", u"s.dat: 1 ステージ、問題は見つかりませんでした (Shift_JIS, CR LF)"},
      {"T\n0\n", u"s.dat: 1 ステージ、問題は見つかりませんでした (Shift_JIS, LF)"},
      {"\xEF\xBB\xBFT\r\n0", u"s.dat: 1 ステージ、問題は見つかりませんでした (UTF-8 BOM つき, CR LF)"},
      {"\xE3\x81\x82\n0\n", u"s.dat: 1 ステージ、問題は見つかりませんでした (UTF-8, LF)"},
      // The first lone LF stays in line 3's text.
      {"T\r\n0\r\n1\n2\r\n3\n", {}, K::MixedLineEnds, 3},
      // Valid two-byte UTF-8 read in the code page: line 4 is the first
      // that reads otherwise (the real code page shows both readings in
      // testing/cases/check/).
      {"T\r\n0\r\n*\r\ncaf\xC3\xA9\r\n1\r\n", {}, K::CodePageAlsoUtf8, 4},
      {"T\n0\n\xC3\xA9\n", {}, K::CodePageAlsoUtf8, 3},
      // Solved, the clean line says so, and keeps how the file was read.
      {"T\r\n3 \r\n", u"s.dat: 1 ステージ、すべて解が一つです（★2 1） (Shift_JIS, CR LF)", {}, 0, true},
      {"\xEF\xBB\xBFT\n3 \n*\nU\n　３\n", u"s.dat: 2 ステージ、すべて解が一つです（★2 2） (UTF-8 BOM つき, LF)",
       {}, 0, true},
      {"T\r\n0\r\n", {}, K::NoSolution, 1, true},
      {"T\r\n0\r\n1\n2\r\n3\n", {}, K::MixedLineEnds, 3, true},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakePlatform fake;
    fake.files.files[u"s.dat"] = cases[i].bytes;
    const SolveBudget budget;
    CheckReport report = CheckFile(fake.files, fake.code_page, u"s.dat", KindChoice::Stages,
                                   cases[i].solved ? &budget : nullptr);
    if (!cases[i].clean.empty()) {
      EXPECT_EQ(Utf8(ReportLines(report).at(0)), Utf8(cases[i].clean));
      continue;
    }
    size_t found = 0;
    for (const Finding& f : report.findings) found += f.kind == cases[i].kind ? f.line : 0;
    EXPECT_EQ(found, cases[i].line);
    // What the warnings look at is what was read: the file, once.
    EXPECT_EQ(fake.files.reads.size(), 1u);
  }
  // A template gets the same.
  FakePlatform fake;
  fake.files.files[u"template.dat"] = "<p>[stagelist]\r\n</p>\n";
  CheckReport report = CheckFile(fake.files, fake.code_page, u"template.dat", KindChoice::Detect);
  ASSERT_FALSE(report.findings.empty());
  EXPECT_EQ(report.findings[0].kind, K::MixedLineEnds);
}

// A stage file whose stages are quick to decide but for the last, a
// 200 x 200 board with two fifths of a random loop's clues, which takes the
// whole budget; a lone LF in it adds a finding of the reading.
std::string StagesEndingInALongOne() {
  std::string text =
      "Several\r\n  \r\n  \r\n*\r\nNone\r\n00\r\n00\r\n*\r\nOne\r\n22\r\n22\r\n*\r\n"
      "Blank x\r\n2x\r\n22\r\n*\r\nLone\nLF\r\n333\r\n*\r\nLong\r\n";
  std::mt19937_64 random(7);
  const int size = 200;
  const Board board = CluesOf(size, size, RandomLoop(size, size, random));
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      int clue = board.Clue(row, column);
      text += clue != Board::kNoClue && random() % 5 < 2 ? static_cast<char>('0' + clue) : ' ';
    }
    text += "\r\n";
  }
  return text;
}

TEST(CheckFile, ReportsEachFindingOnceItAndTheStagesBeforeItAreDecided) {
  FakePlatform fake;
  fake.files.files[u"s.dat"] = StagesEndingInALongOne();
  const SolveBudget budget = SolveBudgetOfWork(30'000'000);
  std::vector<std::vector<std::u16string>> runs, drawn_runs;
  for (unsigned threads : {1u, 2u}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    // What the listener hears, in order: "F" and a finding's stage, or "P"
    // and the stages decided.
    std::vector<std::string> heard;
    std::vector<std::u16string> lines, drawn;
    CheckListener listener;
    listener.threads = threads;
    // "--show": the drawings of a verdict right after its finding.
    listener.drawing = [&](const std::u16string& line) {
      if (heard.back()[0] != 'D') heard.push_back("D" + heard.back().substr(1));
      drawn.push_back(line);
    };
    listener.finding = [&](const Finding& finding) {
      heard.push_back("F" + std::to_string(finding.stage));
      lines.push_back(FindingLine(u"s.dat", finding));
    };
    listener.progress = [&](size_t decided, size_t total) {
      EXPECT_EQ(total, 6u);
      heard.push_back("P" + std::to_string(decided));
    };
    CheckReport report = CheckFile(fake.files, fake.code_page, u"s.dat", KindChoice::Stages, &budget,
                                   false, &listener);
    // The listener heard the report's findings, in its order.
    std::vector<std::u16string> reported = ReportLines(report);
    EXPECT_EQ(lines, reported);
    ASSERT_EQ(report.findings.size(), 6u);
    EXPECT_EQ(report.findings[0].kind, K::SeveralSolutions);
    EXPECT_EQ(report.findings[1].kind, K::NoSolution);
    EXPECT_EQ(report.findings[2].kind, K::BlankCell);
    // On one line, the stage's verdict comes before how the line was read.
    EXPECT_EQ(report.findings[3].kind, K::NoSolution);
    EXPECT_EQ(report.findings[4].kind, K::MixedLineEnds);
    EXPECT_EQ(report.findings[5].stage, 6u);
    // The first stage's finding came before the last stage was decided.
    auto at = [&](const std::string& event) {
      return std::find(heard.begin(), heard.end(), event) - heard.begin();
    };
    EXPECT_LT(at("F1"), at("P6"));
    EXPECT_LT(at("P6"), static_cast<long>(heard.size()));
    // The two loops of the several stage, the board of the stage without
    // solution, each right after its finding; none of the others.
    EXPECT_EQ(at("D1"), at("F1") + 1);
    EXPECT_EQ(at("D2"), at("F2") + 1);
    EXPECT_EQ(std::count_if(heard.begin(), heard.end(), [](auto& e) { return e[0] == 'D'; }), 3);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(Utf8(drawn.front()), "  解 1         解 2");
    runs.push_back(std::move(reported));
    drawn_runs.push_back(std::move(drawn));
  }
  // Two threads report exactly what one does.
  EXPECT_EQ(runs[0], runs[1]);
  EXPECT_EQ(drawn_runs[0], drawn_runs[1]);
}

}  // namespace
}  // namespace quarnel
