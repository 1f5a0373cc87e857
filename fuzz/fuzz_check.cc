// Any bytes as a file for quarnel-check: the first byte says how it is
// checked (as a template named template.dat, as a stage file, as a stage
// file whose stages are solved, or of the kind the checker finds), the rest
// is the file, read through the real code page as CheckFile reads it.
// Checks that every finding has a line inside the file (only a section
// missing from a template names none), that the reports are made of it,
// and that a second check of the same bytes finds the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/check_file.h"
#include "fuzz/fuzz_support.h"
#include "testing/fake_platform.h"

namespace quarnel {
namespace {

bool SameFindings(const std::vector<Finding>& a, const std::vector<Finding>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].severity != b[i].severity || a[i].line != b[i].line ||
        a[i].text != b[i].text || a[i].stage != b[i].stage || a[i].row != b[i].row ||
        a[i].column != b[i].column) {
      return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace quarnel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarnel;
  if (size == 0) return 0;
  static std::unique_ptr<CodePage> code_page = MakeSystemCodePage();
  const uint8_t mode = data[0] % 4;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  // A template is told by its name too.
  const std::u16string path = mode == 0 ? u"/opt/quarnel/template.dat" : u"/d/s.dat";
  const KindChoice choice = mode == 0   ? KindChoice::Detect
                            : mode == 3 ? KindChoice::Detect
                                        : KindChoice::Stages;
  // A ten-thousandth of a second's worth a stage (and as much again for a
  // repair): a file may hold hundreds of stages, and the sanitizers slow the
  // search tenfold. The budget is counted in work, so even a verdict it cuts
  // off is the same both times.
  const SolveBudget budget = SolveBudgetOfWork(kSolveWorkPerSecond / 10'000);
  const SolveBudget* solve = mode == 2 ? &budget : nullptr;

  CheckReport reports[2];
  for (CheckReport& report : reports) {
    FakeFileSystem files;
    files.files[path] = bytes;
    report = CheckFile(files, *code_page, path, choice, solve);
    Check(files.reads.size() == 1);
  }
  const CheckReport& report = reports[0];
  // A file read is checked as the kind asked for, or by its name.
  Check(!report.read || mode != 0 || report.kind == FileKind::Template);
  Check(!report.read || mode != 1 || report.kind == FileKind::Stages);
  const size_t last_line = LastLineOf(bytes);
  for (const Finding& finding : report.findings) {
    if (finding.kind == FindingKind::SectionMissing) {
      Check(finding.line == 0);
    } else {
      Check(finding.line >= 1 && finding.line <= last_line);
    }
    Check(!finding.text.empty());
  }
  Check(report.findings.empty() == (report.status == CheckStatus::Clean));
  Check(reports[0].kind == reports[1].kind && reports[0].status == reports[1].status &&
        reports[0].stage_count == reports[1].stage_count &&
        SameFindings(reports[0].findings, reports[1].findings));
  // Both ways of reporting hold every finding.
  Check(ReportLines(report).size() == std::max<size_t>(report.findings.size(), 1));
  Check(ReportBoxText(report, report.findings.size()).size() >= report.path.size());
  return 0;
}
