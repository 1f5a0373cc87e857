#ifndef QUARNEL_PLATFORM_COMMAND_LINE_H_
#define QUARNEL_PLATFORM_COMMAND_LINE_H_

#include <string>
#include <string_view>

namespace quarnel {

/// The argument text of a Windows command line: everything after the
/// program's own name and the blanks that end it, exactly as it stands (not
/// split, not unquoted). The name runs to the next quotation mark when it
/// starts with one, else to the first blank or tab, as Windows itself reads
/// it (CommandLineToArgvW).
std::u16string ArgumentTextOf(std::u16string_view command_line);

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_COMMAND_LINE_H_
