#ifndef QUARNEL_APP_MESSAGES_H_
#define QUARNEL_APP_MESSAGES_H_

#include <string>
#include <vector>

#include "input/file_error.h"
#include "input/template_store.h"

namespace quarnel {

/// Every text the program shows, as it stands.
inline constexpr char16_t kAppTitle[] = u"Quarnel";
inline constexpr char16_t kErrorTitle[] = u"エラー";
inline constexpr char16_t kNotFoundSuffix[] = u"が見つかりません";
inline constexpr char16_t kCannotReadSuffix[] = u"が正しく読みこめません";

/// The one box of a run that ran out of memory (the Windows program, which
/// has no console to die on).
inline constexpr char16_t kOutOfMemoryText[] = u"メモリが足りないため、処理を続けられません";

/// The window quarnel-check.exe shows while it checks a file that takes a
/// while: its title and text, and the text once stages are being solved,
/// "{1}" the stages decided, "{2}" all to solve.
inline constexpr char16_t kCheckWorkingTitle[] = u"Quarnel の確認";
inline constexpr char16_t kCheckWorkingText[] = u"確認しています…";
inline constexpr char16_t kCheckWorkingStagesText[] = u"確認しています… {1} / {2} ステージ";

inline constexpr char16_t kChooserTitle[] = u"ステージデータ";
inline constexpr char16_t kChooserFilterName[] = u"ステージデータ(*.dat)";
inline constexpr char16_t kChooserFilterPattern[] = u"*.dat";

/// "template.datが見つかりません": the template is missing (first box).
std::u16string TemplateNotFoundText();
/// "template.datが正しく読みこめません": the run ends without a template.
std::u16string TemplateUnreadableText();
/// `<path>が見つかりません`: no stage file at the path (first box).
std::u16string StageNotFoundText(const std::u16string& path);
/// `<path>が正しく読みこめません`: the run ends without stages.
std::u16string StageUnreadableText(const std::u16string& path);

/// The message when the open-file dialog itself failed.
std::u16string ChooserFailedText(const std::u16string& reason);

// Several stage files in one run.

/// How many failed files the box after several stage files lists by line.
inline constexpr size_t kMaxListedFailures = 20;

/// The one box after several stage files, when some got no page: a heading,
/// then a line for each file that failed (the first message its own run
/// would have shown), at most kMaxListedFailures of them, then how many more.
std::u16string SeveralFailedText(const std::vector<std::u16string>& failures);

}  // namespace quarnel

#endif  // QUARNEL_APP_MESSAGES_H_
