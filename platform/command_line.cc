#include "platform/command_line.h"

namespace quarnel {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::u16string ArgumentTextOf(std::u16string_view command_line) {
  size_t i = 0;
  if (!command_line.empty() && command_line[0] == u'"') {
    // A quoted name has no escapes: it ends at the next quotation mark.
    size_t close = command_line.find(u'"', 1);
    i = close == std::u16string_view::npos ? command_line.size() : close + 1;
  } else {
    while (i < command_line.size() && !IsBlank(command_line[i])) ++i;
  }
  while (i < command_line.size() && IsBlank(command_line[i])) ++i;
  return std::u16string(command_line.substr(i));
}

}  // namespace quarnel
