#ifndef QUARNEL_CHECK_TEMPLATE_CHECK_H_
#define QUARNEL_CHECK_TEMPLATE_CHECK_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/finding.h"
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

/// The findings for the lines of a template file, by line; findings without
/// a line come last.
std::vector<Finding> CheckTemplateLines(std::span<const std::u16string_view> lines);

/// Whether a header line of `lines` names a section Quarnel reads, exactly
/// as Quarnel looks it up (letter case aside).
bool LooksLikeTemplate(std::span<const std::u16string_view> lines);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_TEMPLATE_CHECK_H_
