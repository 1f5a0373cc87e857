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

std::vector<std::u16string> SplitArgumentText(std::u16string_view text,
                                              std::vector<size_t>* starts) {
  std::vector<std::u16string> arguments;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  while (i < text.size()) {
    if (starts) starts->push_back(i);
    std::u16string argument;
    bool quoted = false;
    size_t backslashes = 0;
    for (; i < text.size() && (quoted || !IsBlank(text[i])); ++i) {
      char16_t c = text[i];
      if (c == u'\\') {
        ++backslashes;
        argument += c;
        continue;
      }
      if (c != u'"') {
        backslashes = 0;
        argument += c;
        continue;
      }
      // Backslashes before a mark are halved; an odd one left escapes it.
      argument.resize(argument.size() - (backslashes + 1) / 2);
      bool escaped = backslashes % 2 == 1;
      backslashes = 0;
      if (escaped) {
        argument += u'"';
        continue;
      }
      // A run of marks: with the one that opened the quoted part (if any),
      // every third is a literal mark; 3n+1 closes the part, so does 3n+2
      // after one more literal mark.
      size_t run = quoted ? 2 : 1;
      while (i + 1 < text.size() && text[i + 1] == u'"') {
        ++i;
        if (++run == 3) {
          argument += u'"';
          run = 0;
        }
      }
      quoted = run == 1;
    }
    arguments.push_back(std::move(argument));
    while (i < text.size() && IsBlank(text[i])) ++i;
  }
  return arguments;
}

std::u16string StagePathOf(const std::u16string& argument_text, PathStyle style) {
  if (style == PathStyle::Windows && argument_text.size() >= 2 &&
      argument_text.front() == u'"' && argument_text.back() == u'"' &&
      argument_text.find(u'"', 1) == argument_text.size() - 1) {
    return argument_text.substr(1, argument_text.size() - 2);
  }
  return argument_text;
}

}  // namespace quarnel
