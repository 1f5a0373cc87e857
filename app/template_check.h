#ifndef QUARNEL_APP_TEMPLATE_CHECK_H_
#define QUARNEL_APP_TEMPLATE_CHECK_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "render/placeholders.h"

namespace quarnel {

/// One occurrence, in a template's lines, of a placeholder or of something
/// that looks like a misspelt one, and what becomes of it in the page.
struct PlaceholderUse {
  enum class Verdict {
    Filled,          // replaced in every copy of its section in the page
    StaysAsWritten,  // reaches the page as it is written
    NotOnPage,       // its section never reaches the page
  };
  size_t line;                   // from 1
  size_t column;                 // code units before it on its line
  std::u16string_view text;      // as written, brackets included
  const PlaceholderRule* meant;  // the placeholder it is, or probably means
  bool near_miss;                // not exactly `meant`, so never filled
  const SectionRule* section;    // the section it is written in; null if unread
  Verdict verdict;
};

/// Every placeholder and near miss in `lines` (a template file's lines), in
/// file order. A section reaches the page when its parent does and holds
/// the placeholder that inserts it, for a stage that has a grid.
std::vector<PlaceholderUse> PlaceholderUses(std::span<const std::u16string_view> lines);

/// A thing in a template that will not work as written.
struct Finding {
  enum class Severity { Warning, Error };
  Severity severity;
  size_t line;  // from 1; 0 for a section that is missing altogether
  std::u16string text;
};

/// The findings for the lines of a template file, by line; findings without
/// a line come last.
std::vector<Finding> CheckTemplateLines(std::span<const std::u16string_view> lines);

/// The outcome of checking one template file; the value is the exit status.
enum class CheckStatus : int {
  Clean = 0,     // nothing found
  Warnings = 1,  // only warnings
  Errors = 3,    // Quarnel would stop on it, or it cannot be read
};

struct CheckReport {
  std::u16string path;
  std::vector<Finding> findings;
  CheckStatus status = CheckStatus::Clean;
};

/// The template the checker reads: the argument text or, without one, the
/// "template.dat" beside the executable. On Windows a dropped file whose
/// name holds a blank comes in quotation marks, which are taken off.
std::u16string CheckedTemplatePath(std::u16string_view argument_text,
                                   std::u16string_view executable_directory,
                                   PathStyle style);

/// Reads the template at `path` as Quarnel reads it and checks it.
CheckReport CheckTemplateFile(FileSystem& files, CodePage& code_page,
                              const std::u16string& path);

/// The report as lines for a terminal, "PATH:LINE: 警告: …", or one line
/// saying the template is clean.
std::vector<std::u16string> ReportLines(const CheckReport& report);

/// The report as the text of one message box: the path, then at most
/// `max_findings` findings, then how many more there are.
std::u16string ReportBoxText(const CheckReport& report, size_t max_findings = 20);

}  // namespace quarnel

#endif  // QUARNEL_APP_TEMPLATE_CHECK_H_
