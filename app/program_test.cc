#include "app/program.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/messages.h"

#include "testing/fake_platform.h"

namespace quarnel {
namespace {

const std::u16string kTemplatePath = u"/opt/quarnel/template.dat";
const char kTemplate[] =
    "<body>[numstage]:[stagelist]</body>\r\n"
    "*stagelist\r\n[stage]=[title]([width]x[height])[lines]\r\n"
    "*data_content\r\n[number]\r\n*data_line\r\n[data];\r\n";

class ProgramTest : public testing::Test {
 protected:
  ProgramTest() { fake.files.files[kTemplatePath] = kTemplate; }

  ExitStatus Run() {
    program = std::make_unique<Program>(fake.platform());
    return program->Main();
  }

  std::vector<std::u16string> Shown() const { return fake.boxes.shown; }

  FakePlatform fake;
  std::unique_ptr<Program> program;
};

TEST_F(ProgramTest, ConvertsTheStageFileNamedOnTheCommandLine) {
  fake.process.argument_text = u"d/s.dat";
  fake.files.files[u"d/s.dat"] = "A\r\n12\r\n*\r\nB\r\n3\r\n";
  EXPECT_EQ(Run(), ExitStatus::Ok);
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(fake.chooser.requests.empty());
  EXPECT_EQ(fake.files.files[u"d/s.html"],
            "<body>2:1=A(2x1)12;\r\n2=B(1x1)3;\r\n</body>\r\n");
}

TEST_F(ProgramTest, WritesThePageInTheTemplatesEncodingWhateverTheStageFiles) {
  // The stage file is UTF-8 with LF line ends; the template's byte order
  // mark goes to the page, and only there.
  fake.files.files[kTemplatePath] = "\xEF\xBB\xBF" + std::string(kTemplate);
  fake.process.argument_text = u"s.dat";
  fake.files.files[u"s.dat"] = "ステージ\n12\n";
  EXPECT_EQ(Run(), ExitStatus::Ok);
  EXPECT_EQ(fake.files.files[u"s.html"],
            "\xEF\xBB\xBF<body>1:1=ステージ(2x1)12;\r\n</body>\r\n");
}

TEST_F(ProgramTest, MissingTemplateShowsTwoBoxesBeforeLookingAtTheArguments) {
  fake.files.files.clear();
  fake.process.argument_text = u"s.dat";
  EXPECT_EQ(Run(), ExitStatus::InputMissing);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{
                         u"Quarnel: template.datが見つかりません",
                         u"エラー: template.datが正しく読みこめません"}));
  EXPECT_EQ(fake.process.argument_reads, 0);
  EXPECT_TRUE(fake.chooser.requests.empty());
  EXPECT_TRUE(fake.files.writes.empty());
}

TEST_F(ProgramTest, MissingStageFileShowsTwoBoxesWithThePathAsGiven) {
  fake.process.argument_text = u"\"my stages.dat\"";
  fake.files.files[u"my stages.dat"] = "A\r\n1\r\n";  // no unquoting
  EXPECT_EQ(Run(), ExitStatus::InputMissing);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{
                         u"Quarnel: \"my stages.dat\"が見つかりません",
                         u"エラー: \"my stages.dat\"が正しく読みこめません"}));
  EXPECT_TRUE(fake.files.writes.empty());
}

TEST_F(ProgramTest, WindowsPathInQuotesNamesTheFileAndThePage) {
  fake.files.style = PathStyle::Windows;
  fake.process.executable_directory = u"C:\\q";
  fake.files.files[u"C:\\q\\template.dat"] = "[filename]\r\n";
  fake.files.files[u"C:\\a b\\s.dat"] = "A\r\n1\r\n";
  fake.process.argument_text = u"\"C:\\a b\\s.dat\"";
  EXPECT_EQ(Run(), ExitStatus::Ok);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(program->stage_path(), u"C:\\a b\\s.dat");
  EXPECT_EQ(fake.files.files[u"C:\\a b\\s.html"], "C:\\a b\\s.dat\r\n");
}

TEST_F(ProgramTest, AsksForTheFileAfterLoadingTheTemplate) {
  fake.chooser.choice = {FileChoice::Status::Chosen, u"C:\\data\\s.dat", {}};
  fake.files.style = PathStyle::Windows;
  fake.process.executable_directory = u"C:\\q";
  fake.files.files[u"C:\\q\\template.dat"] = kTemplate;
  fake.files.files[u"C:\\data\\s.dat"] = "A\r\n1\r\n";
  EXPECT_EQ(Run(), ExitStatus::Ok);
  ASSERT_EQ(fake.chooser.requests.size(), 1u);
  EXPECT_EQ(fake.chooser.requests[0].title, u"ステージデータ");
  EXPECT_EQ(fake.chooser.requests[0].filter_name, u"ステージデータ(*.dat)");
  EXPECT_EQ(fake.chooser.requests[0].filter_pattern, u"*.dat");
  EXPECT_EQ(program->stage_path(), u"C:\\data\\s.dat");
  EXPECT_EQ(fake.files.files[u"C:\\data\\s.html"], "<body>1:1=A(1x1)1;\r\n</body>\r\n");
}

TEST_F(ProgramTest, EndsWithoutAWordWhenTheDialogCloses) {
  struct Case { FileChoice choice; ExitStatus want; size_t boxes; };
  const Case cases[] = {
      {{FileChoice::Status::Cancelled, {}, {}}, ExitStatus::Ok, 0},
      {{FileChoice::Status::Chosen, {}, {}}, ExitStatus::Ok, 0},
      {{FileChoice::Status::Unavailable, {}, {}}, ExitStatus::Usage, 0},
      {{FileChoice::Status::Failed, {}, u"no display"}, ExitStatus::Fatal, 1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakePlatform local;
    local.files.files[kTemplatePath] = kTemplate;
    local.chooser.choice = cases[i].choice;
    Program run(local.platform());
    EXPECT_EQ(run.Main(), cases[i].want);
    EXPECT_EQ(local.boxes.shown.size(), cases[i].boxes);
    EXPECT_EQ(local.chooser.requests.size(), 1u);
    EXPECT_EQ(run.templates().size(), 4u);  // loaded before the dialog
    EXPECT_TRUE(local.files.writes.empty());
  }
}

TEST_F(ProgramTest, WritesNothingForAnEmptyPage) {
  fake.files.files[kTemplatePath] = "";
  fake.process.argument_text = u"s.dat";
  fake.files.files[u"s.dat"] = "A\r\n1\r\n";
  EXPECT_EQ(Run(), ExitStatus::Ok);
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(fake.files.writes.empty());
}

TEST_F(ProgramTest, FatalErrorsShowOneBoxAndWriteNothing) {
  struct Case { std::string template_bytes, stage_bytes; std::u16string fail_write; std::u16string says; };
  const Case cases[] = {
      {"x\r\n*a\r\n*A\r\n", "A\r\n1\r\n", {}, u"「A」"},
      {"x\xff\r\n", "A\r\n1\r\n", {}, u"template.dat の 1 行目"},
      {kTemplate, "A\r\n1\r\n\xfe", {}, u"s.dat の 3 行目"},
      {kTemplate, std::string("A\r\n1\0 2\r\n", 9), {}, u"NUL"},
      {kTemplate, "A\r\n1\r\n", u"s.html", u"s.html に書きこめません"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    FakePlatform local;
    local.files.files[kTemplatePath] = cases[i].template_bytes;
    local.files.files[u"s.dat"] = cases[i].stage_bytes;
    local.files.fail_writes_to = cases[i].fail_write;
    local.process.argument_text = u"s.dat";
    EXPECT_EQ(Program(local.platform()).Main(), ExitStatus::Fatal);
    ASSERT_EQ(local.boxes.shown.size(), 1u);
    const std::u16string& shown = local.boxes.shown[0];
    EXPECT_TRUE(shown.starts_with(u"エラー: ")) << Utf8(shown);
    EXPECT_NE(shown.find(cases[i].says), std::u16string::npos) << Utf8(shown);
    EXPECT_EQ(local.files.files.count(u"s.html"), 0u);
  }
}

TEST_F(ProgramTest, RefusesToReplaceTheStageFileWithItsPage) {
  fake.process.argument_text = u"s.html";
  fake.files.files[u"s.html"] = "A\r\n1\r\n";
  EXPECT_EQ(Run(), ExitStatus::Fatal);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(fake.files.files[u"s.html"], "A\r\n1\r\n");
  EXPECT_TRUE(fake.files.writes.empty());
}

TEST_F(ProgramTest, SeveralFilesEachGetTheirPageWithOneTemplateRead) {
  fake.process.argument_text = u"a.dat b c.dat";
  fake.process.arguments = {u"a.dat", u"b c.dat"};
  fake.files.files[u"a.dat"] = "A\r\n1\r\n";
  fake.files.files[u"b c.dat"] = "B\r\n2\r\n";
  EXPECT_EQ(Run(), ExitStatus::Ok);
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(fake.boxes.printed.empty());
  EXPECT_TRUE(fake.boxes.windows.empty());
  EXPECT_EQ(fake.files.files[u"a.html"], "<body>1:1=A(1x1)1;\r\n</body>\r\n");
  EXPECT_EQ(fake.files.files[u"b c.html"], "<body>1:1=B(1x1)2;\r\n</body>\r\n");
  EXPECT_EQ(std::count(fake.files.reads.begin(), fake.files.reads.end(), kTemplatePath), 1);
}

TEST_F(ProgramTest, TextThatNamesAFileIsThatFileHoweverItSplits) {
  fake.process.argument_text = u"my stages.dat";
  fake.process.arguments = {u"my", u"stages.dat"};
  fake.files.files[u"my stages.dat"] = "A\r\n1\r\n";
  fake.files.files[u"stages.dat"] = "B\r\n2\r\n";
  EXPECT_EQ(Run(), ExitStatus::Ok);
  EXPECT_EQ(fake.files.writes, std::vector<std::u16string>{u"my stages.html"});
}

TEST_F(ProgramTest, FailuresAmongSeveralArePrintedAndListedInOneBox) {
  fake.process.argument_text = u"a.dat gone.dat bad.dat d.dat";
  fake.process.arguments = {u"a.dat", u"gone.dat", u"bad.dat", u"d.dat"};
  fake.files.files[u"a.dat"] = "A\r\n1\r\n";
  fake.files.files[u"bad.dat"] = "A\r\n1\r\n\xfe";
  fake.files.files[u"d.dat"] = "D\r\n3\r\n";
  fake.files.files[u"d.html"] = "old";
  fake.files.fail_writes_to = u"d.html";
  EXPECT_EQ(Run(), ExitStatus::Fatal);  // the highest status of the runs
  EXPECT_TRUE(Shown().empty());
  const std::u16string bad = FatalErrorText({FileError::Kind::InvalidText, u"bad.dat", 3, {}});
  ASSERT_EQ(fake.boxes.printed.size(), 4u);
  EXPECT_EQ(fake.boxes.printed[0], u"Quarnel: " + StageNotFoundText(u"gone.dat"));
  EXPECT_EQ(fake.boxes.printed[1], u"エラー: " + StageUnreadableText(u"gone.dat"));
  EXPECT_EQ(fake.boxes.printed[2], u"エラー: " + bad);
  EXPECT_TRUE(fake.boxes.printed[3].starts_with(u"エラー: d.html に書きこめません"));
  ASSERT_EQ(fake.boxes.windows.size(), 1u);
  EXPECT_EQ(fake.boxes.windows[0],
            u"エラー: " + SeveralFailedText({StageNotFoundText(u"gone.dat"), bad,
                                           fake.boxes.printed[3].substr(5)}));
  EXPECT_EQ(fake.files.files[u"a.html"], "<body>1:1=A(1x1)1;\r\n</body>\r\n");
  EXPECT_EQ(fake.files.files[u"d.html"], "old");
  EXPECT_EQ(fake.files.files.count(u"bad.html"), 0u);
}

TEST_F(ProgramTest, MissingTemplateAmongSeveralFilesConvertsNone) {
  fake.files.files.clear();
  fake.process.argument_text = u"a.dat b.dat";
  fake.process.arguments = {u"a.dat", u"b.dat"};
  fake.files.files[u"a.dat"] = "A\r\n1\r\n";
  fake.files.files[u"b.dat"] = "B\r\n1\r\n";
  EXPECT_EQ(Run(), ExitStatus::InputMissing);
  EXPECT_EQ(Shown().size(), 2u);
  EXPECT_TRUE(fake.files.writes.empty());
}

}  // namespace
}  // namespace quarnel
