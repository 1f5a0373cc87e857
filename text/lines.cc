#include "text/lines.h"

namespace quarnel {

std::vector<std::u16string_view> SplitLines(std::u16string_view text, LineEnds line_ends) {
  const char16_t end_mark = line_ends == LineEnds::Lf ? u'\n' : u'\r';
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != end_mark) {
      ++i;
      continue;
    }
    lines.push_back(text.substr(start, i - start));
    // Only a CR can be followed by the LF that completes it.
    i += (end_mark == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<std::u16string_view> GridLines(std::u16string_view body) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  for (size_t end = body.find(u"\r\n"); end != std::u16string_view::npos;
       end = body.find(u"\r\n", start)) {
    lines.push_back(body.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(body.substr(start));
  return lines;
}

}  // namespace quarnel
