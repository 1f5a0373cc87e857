#include "check/finding.h"

namespace quarnel {

std::vector<Finding> SortedByLine(std::vector<Finding> findings, size_t line_count) {
  // A counting sort keeps the time linear.
  std::vector<size_t> starts(line_count + 3, 0);
  auto slot = [&](const Finding& f) {
    return f.line == 0 || f.line > line_count ? line_count + 1 : f.line;
  };
  for (const Finding& f : findings) ++starts[slot(f) + 1];
  for (size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
  std::vector<Finding> sorted(findings.size());
  for (Finding& f : findings) sorted[starts[slot(f)]++] = std::move(f);
  return sorted;
}

}  // namespace quarnel
