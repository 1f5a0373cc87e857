#include "check/check_file.h"

#include <algorithm>

#include "check/check_messages.h"
#include "check/stage_check.h"
#include "check/stage_drawing.h"
#include "check/template_check.h"
#include "input/file_error.h"
#include "input/stage_list.h"
#include "input/template_store.h"
#include "input/text_file.h"
#include "platform/command_line.h"
#include "platform/utf8.h"
#include "puzzle/puzz_link.h"
#include "check/stage_board.h"
#include "text/gtstr.h"

namespace quarnel {
namespace {

std::u16string_view FileName(std::u16string_view path, PathStyle style) {
  size_t slash = style == PathStyle::Windows ? path.find_last_of(u"\\/") : path.rfind(u'/');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

bool SameLetters(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
  };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

// " (UTF-8, LF)": how a file that was read was read.
std::u16string HowRead(const CheckReport& report) {
  if (!report.read) return {};
  std::u16string_view encoding = report.encoding == TextEncoding::CodePage ? kCodePageName
                                 : report.encoding == TextEncoding::Utf8   ? kUtf8Name
                                                                           : kUtf8WithBomName;
  return FillText(kHowReadText,
                  {encoding, report.line_ends == LineEnds::Lf ? kLfName : kCrLfName});
}

// "★1 2、★2 2、★4 1": how many stages have each rating.
std::u16string LevelCounts(const std::vector<StageLevel>& levels) {
  size_t counts[6] = {};
  for (const StageLevel& level : levels) ++counts[level.rating.level];
  std::u16string text;
  for (int level = 1; level <= 5; ++level) {
    if (counts[level] == 0) continue;
    if (!text.empty()) text += kListSeparator;
    text += FillText(kLevelCountText, {DecimalText(level), DecimalText(static_cast<long long>(counts[level]))});
  }
  return text;
}

std::u16string CleanText(const CheckReport& report) {
  if (report.kind == FileKind::Stages) {
    const std::u16string count = DecimalText(static_cast<long long>(report.stage_count));
    // Without findings, every stage of a solved file has a grid and one solution.
    if (report.solved && report.stage_count > 0) {
      return FillText(kStagesUniqueText, {report.path, count, LevelCounts(report.levels), HowRead(report)});
    }
    return FillText(kStagesCleanText, {report.path, count, HowRead(report)});
  }
  return FillText(kTemplateCleanText, {report.path, HowRead(report)});
}

// The line of `text_bytes` that holds byte `offset`, without its end.
std::string_view LineBytesAt(std::string_view text_bytes, size_t offset, LineEnds line_ends) {
  char end_byte = line_ends == LineEnds::Lf ? '\n' : '\r';
  size_t start = text_bytes.rfind(end_byte, offset);
  start = start == std::string_view::npos ? 0 : start + 1;
  // After a CR LF the line starts past the LF.
  if (line_ends == LineEnds::CrLf && start > 0 && start < text_bytes.size() &&
      text_bytes[start] == '\n' && start <= offset) {
    ++start;
  }
  size_t end = text_bytes.find(end_byte, offset);
  if (end == std::string_view::npos) end = text_bytes.size();
  return text_bytes.substr(start, end - start);
}

// Warnings about how the file's bytes were read, the same for both kinds.
void AddReadingFindings(std::string_view file_bytes, const TextFile& file, CodePage& code_page,
                        std::vector<Finding>* findings) {
  std::string_view bytes = TextBytes(file_bytes, file.encoding);
  if (file.line_ends == LineEnds::CrLf) {
    for (size_t lf = bytes.find('\n'); lf != std::string_view::npos; lf = bytes.find('\n', lf + 1)) {
      if (lf == 0 || bytes[lf - 1] != '\r') {
        findings->push_back(MakeFinding(FindingKind::MixedLineEnds,
                                        LineNumberAt(bytes, lf, file.line_ends)));
        break;
      }
    }
  }
  if (file.encoding != TextEncoding::CodePage) return;
  size_t first = 0;
  while (first < bytes.size() && static_cast<unsigned char>(bytes[first]) < 0x80) ++first;
  // Read as the code page, yet valid UTF-8 of two-byte sequences.
  if (first == bytes.size() || !IsStrictUtf8(bytes)) return;
  std::string_view line = LineBytesAt(bytes, first, file.line_ends);
  std::u16string as_code_page;
  if (!code_page.Decode(line, &as_code_page)) return;
  findings->push_back(MakeFinding(FindingKind::CodePageAlsoUtf8,
                                  LineNumberAt(bytes, first, file.line_ends),
                                  {as_code_page, DecodeUtf8(line)}));
}

// "--solve-seconds"'s N: digits with a decimal fraction if need be ("5",
// "5.", ".5", "0.25"), more than 0 and at most kMaxSolveTime, as work at
// the fixed rate; digits past nanoseconds count for nothing, yet a value
// this small still gives one unit of work. Without a budget, `*problem`
// says what is wrong with the value.
std::optional<SolveBudget> BudgetOf(std::u16string_view text, std::u16string* problem) {
  const bool negative = !text.empty() && text.front() == u'-';
  std::u16string_view number = negative ? text.substr(1) : text;
  size_t dot = number.find(u'.');
  std::u16string_view whole = number.substr(0, dot);
  std::u16string_view fraction =
      dot == std::u16string_view::npos ? u"" : number.substr(dot + 1);
  auto digits = [](std::u16string_view s) {
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
  };
  if (!digits(whole) || !digits(fraction) || whole.size() + fraction.size() == 0) {
    *problem = FillText(kSolveSecondsNotNumberText, {text});
    return std::nullopt;
  }
  auto nonzero = [](std::u16string_view s) { return s.find_first_not_of(u'0') != s.npos; };
  if (negative || (!nonzero(whole) && !nonzero(fraction))) {
    *problem = FillText(kSolveSecondsNotPositiveText, {text});
    return std::nullopt;
  }
  whole.remove_prefix(std::min(whole.size(), whole.find_first_not_of(u'0')));
  long long seconds = 0;
  for (char16_t c : whole.substr(0, 8)) seconds = seconds * 10 + (c - u'0');
  if (whole.size() > 8 || seconds > kMaxSolveTime.count() ||
      (seconds == kMaxSolveTime.count() && nonzero(fraction))) {
    *problem = FillText(kSolveSecondsTooLargeText, {text});
    return std::nullopt;
  }
  long long nanoseconds = 0;
  for (size_t i = 0; i < 9; ++i) {
    nanoseconds = nanoseconds * 10 + (i < fraction.size() ? fraction[i] - u'0' : 0);
  }
  return SolveBudgetOfSeconds(std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds));
}

// Takes the option at `arguments[*i]` (with its value, moving `*i` past it)
// into `request`; false for an argument that is no option: a file. An
// unknown option or a bad value is a usage error, and the request says why.
bool TakeOption(std::span<const std::u16string> arguments, size_t* i, CheckRequest* request) {
  const std::u16string& argument = arguments[*i];
  std::u16string problem;
  if (argument == u"--solve-seconds") {
    std::optional<SolveBudget> budget;
    if (*i + 1 < arguments.size()) {
      budget = BudgetOf(arguments[++*i], &problem);
    } else {
      problem = kSolveSecondsMissingText;
    }
    if (budget) request->solve = budget;
  } else if (argument == u"--no-solve") {
    request->solve.reset();
  } else if (argument == u"--urls") {
    request->addresses = true;
  } else if (argument == u"--levels") {
    request->levels = true;
  } else if (argument == u"--show") {
    request->show = true;
  } else if (argument == u"--template") {
    request->choice = KindChoice::Template;
  } else if (argument == u"--stages") {
    request->choice = KindChoice::Stages;
  } else if (argument.size() > 1 && argument.front() == u'-') {
    problem = FillText(kUnknownOptionText, {argument});
  } else {
    return false;
  }
  if (!problem.empty() && !request->usage_error) {
    request->usage_error = true;
    request->usage_problem = std::move(problem);
  }
  return true;
}

std::u16string_view SeverityText(Finding::Severity severity) {
  return severity == Finding::Severity::Error ? kErrorWord : kWarningWord;
}

}  // namespace

CheckRequest CheckRequestOf(std::span<const std::u16string> arguments,
                            std::u16string_view executable_directory, PathStyle style) {
  CheckRequest request;
  bool options = true;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (options && arguments[i] == u"--") {
      options = false;
    } else if (!options || !TakeOption(arguments, &i, &request)) {
      request.paths.push_back(arguments[i]);
    }
  }
  if (request.paths.empty()) request.paths.push_back(TemplatePath(executable_directory, style));
  return request;
}

CheckRequest CheckRequestOfText(std::u16string_view argument_text,
                                std::u16string_view executable_directory, PathStyle style) {
  CheckRequest request;
  std::vector<size_t> starts;
  std::vector<std::u16string> arguments = SplitArgumentText(argument_text, &starts);
  // The options come first; a quoted argument is the file.
  size_t i = 0;
  for (; i < arguments.size() && argument_text[starts[i]] != u'"'; ++i) {
    if (arguments[i] == u"--") {
      ++i;
      break;
    }
    if (!TakeOption(arguments, &i, &request)) break;
  }
  // Only the budget's options: one box reports one file, of the kind it is.
  // The box has no room for a line per stage.
  if ((request.choice != KindChoice::Detect || request.addresses || request.levels) &&
      !request.usage_error) {
    request.usage_error = true;
    auto forced = std::find_if(arguments.begin(), arguments.begin() + i, [](const auto& a) {
      return a == u"--template" || a == u"--stages" || a == u"--urls" || a == u"--levels";
    });
    request.usage_problem = FillText(kBoxOnlyBudgetText, {*forced});
  }
  std::u16string_view file;
  if (i == 0) {
    file = argument_text;
  } else if (i < arguments.size()) {
    file = argument_text.substr(starts[i]);
  }
  request.paths.push_back(CheckedPath(file, executable_directory, style));
  return request;
}

std::u16string CheckedPath(std::u16string_view argument_text,
                           std::u16string_view executable_directory, PathStyle style) {
  // A dropped file's path comes as Quarnel's stage file path does.
  std::u16string path = StagePathOf(std::u16string(argument_text), style);
  if (path.empty()) return TemplatePath(executable_directory, style);
  return path;
}

FileKind DetectFileKind(std::u16string_view path, PathStyle style,
                        std::span<const std::u16string_view> lines) {
  if (SameLetters(FileName(path, style), kTemplateFileName) || LooksLikeTemplate(lines)) {
    return FileKind::Template;
  }
  return FileKind::Stages;
}

CheckStatus Worse(CheckStatus a, CheckStatus b) {
  return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

CheckReport CheckFile(FileSystem& files, CodePage& code_page, const std::u16string& path,
                      KindChoice choice, const SolveBudget* solve, bool addresses,
                      const CheckListener* listener) {
  CheckReport report;
  report.path = path;
  // Each finding goes into the report, and to the listener, once it is final.
  auto emit = [&](Finding finding) {
    report.status = Worse(report.status, finding.severity == Finding::Severity::Error
                                             ? CheckStatus::Errors
                                             : CheckStatus::Warnings);
    if (listener != nullptr && listener->finding) listener->finding(finding);
    report.findings.push_back(std::move(finding));
  };
  if (!files.IsOrdinaryFile(path)) {
    emit(MakeFinding(FindingKind::FileNotFound, 0));
    return report;
  }
  TextFile file;
  FileError error;
  std::string bytes;
  if (!ReadTextFile(files, code_page, path, &file, &error, &bytes)) {
    emit(MakeFinding(FindingKind::FileUnreadable, error.line, {LineProblemText(error)}));
    return report;
  }
  report.read = true;
  report.encoding = file.encoding;
  report.line_ends = file.line_ends;
  report.kind = choice == KindChoice::Template ? FileKind::Template
                : choice == KindChoice::Stages ? FileKind::Stages
                                               : DetectFileKind(path, files.Style(), file.lines);
  std::vector<Finding> findings;
  std::vector<StageSolve> solves;
  if (report.kind == FileKind::Template) {
    findings = CheckTemplateLines(file.lines);
  } else {
    StageFileCheck stages = CheckStageLinesUnsolved(file.lines, solve != nullptr);
    report.stage_count = stages.stage_count;
    report.solved = solve != nullptr;
    findings = std::move(stages.findings);
    solves = std::move(stages.solves);
    if (addresses) {
      StageList list;
      ParseStages(file.lines, &list);
      for (size_t i = 0; i < list.size(); ++i) {
        std::string address = AddressOfBoard(BoardFromStage(list[i]));
        if (!address.empty()) report.addresses.emplace_back(i + 1, std::move(address));
      }
    }
  }
  const size_t checked = findings.size();
  AddReadingFindings(bytes, file, code_page, &findings);
  if (findings.size() > checked) findings = SortedByLine(std::move(findings), file.lines.size());
  // The findings go out in order as far as the stages before them are decided.
  size_t emitted = 0;
  auto flush = [&]() {
    for (; emitted < findings.size(); ++emitted) {
      Finding& finding = findings[emitted];
      if (finding.pending != 0 && !solves[finding.pending - 1].decided) return;
      const size_t pending = finding.pending;
      if (!ResolvePending(solves, &finding)) continue;
      emit(std::move(finding));
      if (pending == 0) continue;
      // The loops are drawn once; then they are let go.
      StageSolve& stage = solves[pending - 1];
      if (listener != nullptr && listener->drawing) {
        for (const std::u16string& line : StageDrawingLines(stage)) listener->drawing(line);
      }
      stage.solution = {};
      stage.other = {};
      stage.core = {};
    }
  };
  flush();
  if (!solves.empty()) {
    SolveStages(solves, *solve, listener != nullptr ? listener->threads : 0, [&](size_t decided) {
      if (listener != nullptr && listener->progress) listener->progress(decided, solves.size());
      flush();
    });
  }
  flush();
  for (const StageSolve& stage : solves) report.levels.push_back(stage.level);
  return report;
}

std::u16string FindingLine(const std::u16string& path, const Finding& finding) {
  std::u16string line = path;
  if (finding.line != 0) {
    line += u":";
    line += DecimalText(static_cast<long long>(finding.line));
  }
  line += u": ";
  line += SeverityText(finding.severity);
  line += u": ";
  line += finding.text;
  return line;
}

std::vector<std::u16string> ReportLines(const CheckReport& report) {
  std::vector<std::u16string> lines;
  for (const Finding& finding : report.findings) lines.push_back(FindingLine(report.path, finding));
  std::vector<std::u16string> tail = ReportTailLines(report);
  lines.insert(lines.end(), tail.begin(), tail.end());
  return lines;
}

std::vector<std::u16string> ReportTailLines(const CheckReport& report) {
  std::vector<std::u16string> lines;
  if (report.findings.empty()) lines.push_back(CleanText(report));
  for (const auto& [stage, address] : report.addresses) {
    lines.push_back(FillText(kStageAddressText,
                             {report.path, DecimalText(static_cast<long long>(stage)),
                              DecodeUtf8(address)}));
  }
  return lines;
}

std::vector<std::u16string> LevelLines(const CheckReport& report) {
  std::vector<std::u16string> lines;
  for (const StageLevel& level : report.levels) {
    std::u16string techniques;
    for (size_t t = 0; t < kTechniqueCount; ++t) {
      if (level.uses[t] == 0) continue;
      if (!techniques.empty()) techniques += kListSeparator;
      techniques += TechniqueName(static_cast<Technique>(t));
    }
    std::u16string rating;
    if (level.rating.level == 0) {
      rating = kNoRatingText;
    } else if (level.rating.level == 5) {
      if (!techniques.empty()) techniques += kListSeparator;
      rating = FillText(kSearchRatingText, {techniques + kSearchName});
    } else {
      rating = FillText(kRatingText, {DecimalText(level.rating.level), DecimalText(level.rating.count), techniques});
    }
    lines.push_back(FillText(kLevelLineText, {report.path, DecimalText(static_cast<long long>(level.stage)),
                                              level.title, rating}));
  }
  return lines;
}

std::u16string ReportBoxText(const CheckReport& report, size_t max_findings) {
  if (report.findings.empty()) return CleanText(report);
  std::u16string text = report.path + HowRead(report);
  size_t shown = std::min(max_findings, report.findings.size());
  for (size_t i = 0; i < shown; ++i) {
    const Finding& finding = report.findings[i];
    text += u"\r\n";
    if (finding.line != 0) {
      text += FillText(kBoxLineText, {DecimalText(static_cast<long long>(finding.line))});
    }
    text += SeverityText(finding.severity);
    text += u": ";
    text += finding.text;
  }
  if (shown < report.findings.size()) {
    text += u"\r\n";
    text += FillText(kBoxMoreText,
                     {DecimalText(static_cast<long long>(report.findings.size() - shown))});
  }
  return text;
}

}  // namespace quarnel
