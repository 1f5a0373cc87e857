#ifndef QUARNEL_PLATFORM_COMMAND_LINE_H_
#define QUARNEL_PLATFORM_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace quarnel {

/// The argument text of a Windows command line: everything after the
/// program's own name and the blanks that end it, exactly as it stands (not
/// split, not unquoted). The name runs to the next quotation mark when it
/// starts with one, else to the first blank or tab, as Windows itself reads
/// it (CommandLineToArgvW).
std::u16string ArgumentTextOf(std::u16string_view command_line);

/// The arguments of an argument text as Windows splits them
/// (CommandLineToArgvW): blanks and tabs outside quotation marks separate
/// them; a quotation mark opens or closes a quoted part and is dropped;
/// backslashes before a quotation mark are halved, and an odd one left
/// makes the mark literal; other backslashes stay. Inside a quoted part,
/// each third of a run of marks (counting the one that opened it) is a
/// literal mark. Blanks at either end make no argument; "" is an empty one.
/// With `starts`, where each argument starts in the text.
std::vector<std::u16string> SplitArgumentText(std::u16string_view text,
                                              std::vector<size_t>* starts = nullptr);

/// The stage file's path given by the argument text (the checker reads a
/// dropped file's path the same way). On Windows, where no file name holds
/// a quotation mark, a text that starts and ends with one and holds no other
/// (as Explorer passes a path with blanks) is the path between them; any
/// other text, and every text on POSIX, is the path as it stands.
std::u16string StagePathOf(const std::u16string& argument_text, PathStyle style);

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_COMMAND_LINE_H_
