#ifndef QUARNEL_CHECK_FINDING_H_
#define QUARNEL_CHECK_FINDING_H_

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

/// Every kind of thing quarnel-check reports. Each has one text, with
/// numbered gaps, in the table of check/check_messages.h.
enum class FindingKind {
  // Reading the file.
  FileNotFound,
  FileUnreadable,
  MixedLineEnds,
  CodePageAlsoUtf8,
  // Templates.
  DuplicateSection,
  UnnamedSection,
  SectionNameBlanks,
  SectionNameFullWidth,
  SectionNameBlanksAndFullWidth,
  SectionNameMisspelt,
  UnknownSection,
  SectionMissing,
  SectionEmpty,
  InsertMissing,
  PlaceholderNotFilledHere,
  NearMiss,
  NearMissFilledElsewhere,
  InsertedTextInMarkup,
  // Stage files.
  TitleLooksLikeGrid,
  EmptyStageBetweenSeparators,
  EmptyStageBeforeFirst,
  EmptyStageWithoutGrid,
  StageDroppedAtEnd,
  BlankCell,
  BlankCells,
  TrailingEmptyRows,
  RaggedRows,
  SeparatorText,
  FullWidthSeparator,
  IndentedSeparator,
  TitleLessThan,
  TitleAmpersand,
  // Stage files as loop puzzles.
  SeveralSolutions,
  NoSolution,
  SolveUndetermined,
  TooLargeToSolve,
};
inline constexpr size_t kFindingKindCount = 36;

/// A thing in a file that will not work as written.
struct Finding {
  enum class Severity { Warning, Error };
  FindingKind kind;
  Severity severity;
  size_t line;  // from 1; 0 where no line applies
  std::u16string text;
  // Where on the page a stage file's finding lands, for those that name it
  // (0 otherwise): the stage's number, the grid row and the cell, from 1.
  // For several solutions: a cell one of whose sides the two differ on.
  size_t stage = 0;
  size_t row = 0;
  size_t column = 0;
};

/// The finding of `kind` on `line`, its text filled from the table with
/// `args` ("{1}" is the first).
Finding MakeFinding(FindingKind kind, size_t line,
                    std::initializer_list<std::u16string_view> args = {});

/// `findings` in line order, findings without a line last, keeping the
/// order within a line; `line_count` is the file's number of lines.
std::vector<Finding> SortedByLine(std::vector<Finding> findings, size_t line_count);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_FINDING_H_
