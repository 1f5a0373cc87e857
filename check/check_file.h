#ifndef QUARNEL_CHECK_CHECK_FILE_H_
#define QUARNEL_CHECK_CHECK_FILE_H_

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "check/finding.h"
#include "check/stage_check.h"
#include "input/text_encoding.h"
#include "puzzle/loop_solver.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace quarnel {

/// The two kinds of file quarnel-check reads.
enum class FileKind { Template, Stages };

/// How the kind of a file is chosen: from the file, or forced.
enum class KindChoice { Detect, Template, Stages };

/// The outcome of checking files; the value is the exit status.
enum class CheckStatus : int {
  Clean = 0,     // nothing found
  Warnings = 1,  // only warnings
  Usage = 2,     // arguments the checker does not take
  Errors = 3,    // Quarnel would stop on it, or it cannot be read
};

struct CheckReport {
  std::u16string path;
  FileKind kind = FileKind::Template;
  size_t stage_count = 0;  // for a stage file
  bool solved = false;     // whether its stages were solved
  bool read = false;       // whether the file was read; then how:
  TextEncoding encoding = TextEncoding::CodePage;
  LineEnds line_ends = LineEnds::CrLf;
  std::vector<Finding> findings;
  /// When asked for: the web address of each stage that has a grid, with
  /// its place on the page (from 1), in file order.
  std::vector<std::pair<size_t, std::string>> addresses;
  std::vector<StageLevel> levels;  // for a solved stage file: each stage solved
  CheckStatus status = CheckStatus::Clean;
};

/// What a run of quarnel-check is asked to do.
struct CheckRequest {
  KindChoice choice = KindChoice::Detect;
  std::vector<std::u16string> paths;
  /// The time each stage of a stage file may take to solve; none: the
  /// stages are not solved.
  std::optional<SolveBudget> solve = SolveBudget{};
  /// Whether each stage's web address is reported ("--urls").
  bool addresses = false;
  /// Whether each stage's rating is shown ("--levels").
  bool levels = false;
  /// Whether the two loops of a stage with several solutions, or the board
  /// of one with none, are drawn under its finding ("--show").
  bool show = false;
  bool usage_error = false;
  /// With a usage error, a line saying what is wrong (empty where the
  /// usage says it all).
  std::u16string usage_problem;
};

/// The longest budget "--solve-seconds" takes; more is a usage error.
inline constexpr std::chrono::seconds kMaxSolveTime{1'000'000};

/// The request of the POSIX program's arguments: "--template" or "--stages"
/// (the last one counts) force the kind of every file, "--solve-seconds N"
/// sets the budget of each stage (N seconds, more than 0, a decimal
/// fraction allowed, at most kMaxSolveTime) and "--no-solve" turns solving
/// off (again the last one counts), "--urls" reports each stage's web
/// address, "--levels" shows each stage's rating, "--show" draws what a
/// stage's verdict is about (StageDrawingLines), "--" ends the options,
/// and without a file the template beside the executable is read. Any
/// other argument starting with "-", and an N that is no such number, is a
/// usage error, the first one named in usage_problem.
CheckRequest CheckRequestOf(std::span<const std::u16string> arguments,
                            std::u16string_view executable_directory, PathStyle style);

/// The request of the Windows program's argument text: the options of
/// CheckRequestOf that set the budget, split as Windows splits arguments
/// and before the file; then "--", or an argument in quotation marks, or
/// any other that is no option, starts the file, which is the rest of the
/// text as CheckedPath takes it. One file, detected; "--template",
/// "--stages", "--urls", "--levels" and what CheckRequestOf refuses are
/// usage errors. "--show" is taken, though the box keeps to its lines of
/// text.
CheckRequest CheckRequestOfText(std::u16string_view argument_text,
                                std::u16string_view executable_directory, PathStyle style);

/// The file of an argument text without options: the text or, without
/// one, the "template.dat" beside the executable. A dropped file whose
/// name holds a blank comes in quotation marks, which are taken off.
std::u16string CheckedPath(std::u16string_view argument_text,
                           std::u16string_view executable_directory, PathStyle style);

/// A template is a file named "template.dat" (letter case aside) or one
/// whose header lines name a section Quarnel reads; anything else is a
/// stage file.
FileKind DetectFileKind(std::u16string_view path, PathStyle style,
                        std::span<const std::u16string_view> lines);

/// Reads the file at `path` as Quarnel reads it and checks it as the kind
/// `choice` gives. For either kind it also warns about a lone LF in a file
/// whose lines end at CR LF (it stays in the text), and about a file read
/// in the code page that is valid UTF-8 too, showing the first line where
/// the two readings differ both ways. With `solve`, a stage file's stages
/// are solved as loop puzzles within it (CheckStageLines); with
/// `addresses`, the report holds each stage's web address (AddressOfBoard).
/// The stages are solved on every core (`listener` may say otherwise), and
/// `listener` hears of each finding as soon as it is final.
/// What a run that reports as it goes is told while CheckFile works.
struct CheckListener {
  /// Each finding of the report as soon as it is final, in the report's
  /// order: a stage's verdict once it and every stage before it is decided.
  std::function<void(const Finding&)> finding;
  /// While stages are solved: how many are decided, of how many.
  std::function<void(size_t decided, size_t total)> progress;
  /// Where set ("--show"), each line StageDrawingLines draws of a stage's
  /// verdict, right after its finding.
  std::function<void(const std::u16string& line)> drawing;
  /// The threads that solve stages; 0: one per core. The report is the
  /// same for any number.
  unsigned threads = 0;
};

CheckReport CheckFile(FileSystem& files, CodePage& code_page, const std::u16string& path,
                      KindChoice choice, const SolveBudget* solve = nullptr,
                      bool addresses = false, const CheckListener* listener = nullptr);

/// The worse of two statuses.
CheckStatus Worse(CheckStatus a, CheckStatus b);

/// The report as lines for a terminal, "PATH:LINE: 警告: …", or one line
/// saying the file is clean (for a solved stage file: that each stage has
/// exactly one solution, and how many have each rating) and how it was
/// read: " (UTF-8, LF)"; then a line "PATH: ステージ N: ADDRESS" for each
/// address the report holds.
std::vector<std::u16string> ReportLines(const CheckReport& report);

/// A finding as ReportLines shows it: "PATH:LINE: 警告: …".
std::u16string FindingLine(const std::u16string& path, const Finding& finding);

/// The lines of ReportLines after the findings: the clean line, if there
/// are none, and the addresses.
std::vector<std::u16string> ReportTailLines(const CheckReport& report);

/// A solved stage file's ratings, one line per stage solved:
/// "PATH: ステージ 2「題名」 ★3 (6): 数字の辺の数、…".
std::vector<std::u16string> LevelLines(const CheckReport& report);

/// The report as the text of one message box: the path and how it was
/// read, then at most `max_findings` findings, then how many more there are.
std::u16string ReportBoxText(const CheckReport& report, size_t max_findings = 20);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_CHECK_FILE_H_
