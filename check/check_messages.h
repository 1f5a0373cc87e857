#ifndef QUARNEL_CHECK_CHECK_MESSAGES_H_
#define QUARNEL_CHECK_CHECK_MESSAGES_H_

#include <initializer_list>
#include <string>
#include <string_view>

#include "check/finding.h"
#include "check/markup_scanner.h"
#include "render/placeholders.h"

namespace quarnel {

/// Every text quarnel-check shows, as it stands. Gaps are "{1}", "{2}", …
struct FindingMessage {
  FindingKind kind;
  Finding::Severity severity;
  std::u16string_view text;
};

/// One row per kind, in the order of FindingKind.
// What happens, then what to do, as the user reads it.
inline constexpr FindingMessage kFindingMessages[kFindingKindCount] = {
    {FindingKind::FileNotFound, Finding::Severity::Error, u"ファイルが見つかりません"},
    // The program's own text for the fault.
    {FindingKind::FileUnreadable, Finding::Severity::Error, u"{1}"},
    {FindingKind::MixedLineEnds, Finding::Severity::Warning,
     u"改行に CR LF と LF だけのものがまざっていて、この行の LF は改行にならず、行の中に残ります。"
     u"改行を CR LF か LF のどちらかにそろえて保存しなおしてください"},
    {FindingKind::CodePageAlsoUtf8, Finding::Severity::Warning,
     u"このファイルは Shift_JIS として読みました。この行は「{1}」になりますが、UTF-8 なら「{2}」です。"
     u"UTF-8 のつもりなら、BOM つきの UTF-8 で保存しなおしてください"},
    {FindingKind::DuplicateSection, Finding::Severity::Error, u"{1}"},
    {FindingKind::UnnamedSection, Finding::Severity::Warning,
     u"名前のないセクション（「*」だけの行）は読まれません"},
    {FindingKind::SectionNameBlanks, Finding::Severity::Warning,
     u"セクション{1}は読まれません。名前の前後に空白があります。{2}のつもりなら、空白を取ってください"},
    {FindingKind::SectionNameFullWidth, Finding::Severity::Warning,
     u"セクション{1}は読まれません。名前に全角文字があります。{2}のつもりなら、半角で書いてください"},
    {FindingKind::SectionNameBlanksAndFullWidth, Finding::Severity::Warning,
     u"セクション{1}は読まれません。名前の前後に空白があり、全角文字もあります。{2}のつもりなら、"
     u"半角で、空白なしに書いてください"},
    {FindingKind::SectionNameMisspelt, Finding::Severity::Warning,
     u"セクション{1}は読まれません。{2}のつもりなら、つづりを直してください"},
    {FindingKind::UnknownSection, Finding::Severity::Warning,
     u"セクション{1}は読まれません。Quarnel が読むセクションではないので、ページに出ません"},
    {FindingKind::SectionMissing, Finding::Severity::Warning, u"セクション{1}がありません。{2}"},
    {FindingKind::SectionEmpty, Finding::Severity::Warning, u"セクション{1}が空です。{2}"},
    {FindingKind::InsertMissing, Finding::Severity::Warning, u"セクション{1}に{2}がないので、{3}"},
    {FindingKind::PlaceholderNotFilledHere, Finding::Severity::Warning,
     u"{1}は {2} では置きかえられず、そのまま出ます（置きかえられるのは {3} の中です）"},
    {FindingKind::NearMiss, Finding::Severity::Warning,
     u"{1}はプレースホルダーではないので、そのまま出ます（{2}のつもりでしょうか）"},
    {FindingKind::NearMissFilledElsewhere, Finding::Severity::Warning,
     u"{1}はプレースホルダーではないので、そのまま出ます（{2}のつもりでしょうか。"
     u"それが置きかえられるのは {3} の中です）"},
    {FindingKind::InsertedTextInMarkup, Finding::Severity::Warning,
     u"{1}が{2}にあります。{3}は手を加えずに入るので、その文字によってはマークアップがくずれます"},
    {FindingKind::TitleLooksLikeGrid, Finding::Severity::Warning,
     u"題名の行が格子の行のように見えます（0〜3 と空白だけです）。この行はステージ {1} の題名になり、"
     u"格子には入りません。題名を書き忘れたなら、この行の前に題名の行を入れてください"},
    {FindingKind::EmptyStageBetweenSeparators, Finding::Severity::Warning,
     u"{1} 行目の区切りとこの区切りの間にステージがないので、空のステージ {2} ができます。"
     u"ページには何も出ませんが、番号とステージの数に数えられます。どちらかの区切りを消してください"},
    {FindingKind::EmptyStageBeforeFirst, Finding::Severity::Warning,
     u"最初のステージの前に区切りがあるので、空のステージ 1 ができます。"
     u"ページには何も出ませんが、番号とステージの数に数えられます。この区切りを消してください"},
    {FindingKind::EmptyStageWithoutGrid, Finding::Severity::Warning,
     u"ステージ {1}「{2}」には格子の行がないので、空のステージになります。"
     u"ページには何も出ませんが、番号とステージの数に数えられます。格子の行を書くか、ステージを消してください"},
    {FindingKind::StageDroppedAtEnd, Finding::Severity::Warning,
     u"「{1}」には格子の行がなく、ファイルの終わりで捨てられます。ページに出ず、ステージの数にも数えられません。"
     u"格子の行を書くか、この行を消してください"},
    {FindingKind::BlankCell, Finding::Severity::Warning,
     u"{1} マス目の「{2}」は 0〜3 でも空白でもないので、空白のマスになります。"
     u"数字なら 0〜3 で、空白のマスなら空白で書いてください"},
    {FindingKind::BlankCells, Finding::Severity::Warning,
     u"{1} マス目の「{2}」をはじめ {3} マスが 0〜3 でも空白でもないので、空白のマスになります。"
     u"数字なら 0〜3 で、空白のマスなら空白で書いてください"},
    {FindingKind::TrailingEmptyRows, Finding::Severity::Warning,
     u"格子の終わりの空の行 {1} 行は、空白だけの行として格子に加わります。要らなければ消してください"},
    {FindingKind::RaggedRows, Finding::Severity::Warning,
     u"ステージ {1} の行の長さがそろっていません。いちばん長い {2} 行目（{3} マス）に合わせて、"
     u"短い {4} 行は右が空白のマスで埋められます。そのつもりでなければ、行の長さをそろえてください"},
    {FindingKind::SeparatorText, Finding::Severity::Warning,
     u"区切りの「*」の後ろの「{1}」は読まれません。題名なら次の行に書いてください"},
    {FindingKind::FullWidthSeparator, Finding::Severity::Warning,
     u"全角の「＊」で始まる行は区切りにならず、題名か格子の行になります。区切りなら半角の「*」で書いてください"},
    {FindingKind::IndentedSeparator, Finding::Severity::Warning,
     u"「*」の前に空白があるので、この行は区切りにならず、題名か格子の行になります。"
     u"区切りなら「*」を行の頭に書いてください"},
    {FindingKind::TitleLessThan, Finding::Severity::Warning,
     u"題名の {1} 文字目の「<」は手を加えずにページに入るので、マークアップがくずれることがあります。"
     u"「&lt;」と書いてください"},
    {FindingKind::TitleAmpersand, Finding::Severity::Warning,
     u"題名の {1} 文字目の「&」は文字参照を始めていないのに手を加えずにページに入るので、"
     u"表示がくずれることがあります。「&amp;」と書いてください"},
    {FindingKind::SeveralSolutions, Finding::Severity::Warning,
     u"ステージ {1}「{2}」には解が二つ以上あります。{3}を線が通る解と通らない解があります。{4}"},
    {FindingKind::NoSolution, Finding::Severity::Warning,
     u"ステージ {1}「{2}」には解がありません。{3}"},
    {FindingKind::SolveUndetermined, Finding::Severity::Warning,
     u"ステージ {1}「{2}」は、1 ステージに使える {3} 秒ぶんの探索のうち {4} 手を使っても、"
     u"解が一つかどうか決まりませんでした。"
     u"時間を増やすには「--solve-seconds 秒数」をつけて調べなおしてください"},
    {FindingKind::TooLargeToSolve, Finding::Severity::Warning,
     u"ステージ {1}「{2}」は {3} マスあり、解を調べられる {4} マスより多いので、解は調べませんでした。"
     u"解が一つか確かめるには、格子を小さくしてください"},
};


/// `pattern` with "{N}" replaced by args[N - 1]; one pass, so an argument
/// that holds "{2}" stays as it is.
std::u16string FillText(std::u16string_view pattern,
                        std::initializer_list<std::u16string_view> args);

// Pieces that go into the gaps of the texts above.
std::u16string_view EmptySectionEffect(Section s);
std::u16string_view MissingInsertEffect(Placeholder p);
/// Where in the markup, after "が" (the elements with a blank before them).
std::u16string_view MarkupPlaceText(Markup m);
inline constexpr char16_t kAllSectionsText[] = u"すべてのセクション";
inline constexpr char16_t kAllButBodyText[] = u"body 以外のセクション";
inline constexpr char16_t kTitleText[] = u"ステージの題名";
inline constexpr char16_t kFilenameText[] = u"ステージデータのパス";
/// A tab in a grid line, as a finding names it.
inline constexpr char16_t kTabName[] = u"タブ";

// The report around the findings.
inline constexpr char16_t kWarningWord[] = u"警告";
inline constexpr char16_t kErrorWord[] = u"エラー";
/// "{1}" the path, "{2}" how it was read (kHowReadText).
inline constexpr char16_t kTemplateCleanText[] = u"{1}: 問題は見つかりませんでした{2}";
/// "{1}" the path, "{2}" the number of stages, "{3}" how it was read.
inline constexpr char16_t kStagesCleanText[] = u"{1}: {2} ステージ、問題は見つかりませんでした{3}";
/// "{1}" the path, "{2}" the number of stages, each with exactly one
/// solution, "{3}" how many have each rating (kLevelCountText joined by
/// kListSeparator), "{4}" how it was read.
inline constexpr char16_t kStagesUniqueText[] = u"{1}: {2} ステージ、すべて解が一つです（{3}）{4}";
/// "{1}" the level, "{2}" the number of stages rated so.
inline constexpr char16_t kLevelCountText[] = u"★{1} {2}";
inline constexpr char16_t kListSeparator[] = u"、";
/// A line of "--levels": "{1}" the path, "{2}" the stage's number, "{3}"
/// its title, "{4}" its rating: kRatingText, kSearchRatingText or
/// kNoRatingText.
inline constexpr char16_t kLevelLineText[] = u"{1}: ステージ {2}「{3}」 {4}";
/// "{1}" the level (1-4), "{2}" how many sides that level fixed, "{3}" the
/// techniques that fixed sides, easiest first, joined by kListSeparator.
inline constexpr char16_t kRatingText[] = u"★{1} ({2}): {3}";
/// A stage that deduction up to ★4 does not solve: "{1}" the techniques
/// that fixed sides, then kSearchName; a search finished it.
inline constexpr char16_t kSearchRatingText[] = u"★5: {1}";
inline constexpr char16_t kSearchName[] = u"探索";
/// A stage without exactly one solution.
inline constexpr char16_t kNoRatingText[] = u"評価なし（解が一つではありません）";
/// A side of a cell, where two solutions differ: "{1}" the row, "{2}" the
/// column, from 1, "{3}" which side (kTopSide, …).
inline constexpr char16_t kCellSideText[] = u"{1} 行 {2} 列のマスの{3}の辺";
/// The end of a "several" finding: a clue that leaves one solution ("{1}"
/// the row, "{2}" the column, "{3}" the digit), one that only tells the two
/// apart, or none found in time.
inline constexpr char16_t kRepairText[] = u"{1} 行 {2} 列に {3} を書くと解が一つになります";
inline constexpr char16_t kPartRepairText[] =
    u"{1} 行 {2} 列に {3} を書くとこの二つは見分けられますが、解を一つにするには手がかりがもっと要ります";
inline constexpr char16_t kNoRepairText[] = u"手がかりの数字を足して、解を一つにしてください";
/// The end of a "none" finding: the clues that cannot hold together ("{1}"
/// the list), one alone, more than the list shows ("{2}" how many in all),
/// or no set found in time (a grid without cells, which the checker never
/// meets, blames no clue either).
inline constexpr char16_t kCoreText[] = u"{1} は同時には成り立ちません";
inline constexpr char16_t kLoneCoreText[] = u"{1} は、どう線を引いても成り立ちません";
inline constexpr char16_t kLongCoreText[] = u"{1} ほか、あわせて {2} 個の数字は同時には成り立ちません";
inline constexpr char16_t kNoCoreText[] =
    u"どう線を引いても、すべての数字に合う一つの輪になりません。数字を見なおしてください";
/// One clue of such a list: "{1}" the row, "{2}" the column, "{3}" the
/// digit; and what joins two.
inline constexpr char16_t kClueText[] = u"{1} 行 {2} 列の {3}";
inline constexpr char16_t kClueJoin[] = u"、";
/// The most clues a "none" finding lists.
inline constexpr size_t kMostCoreClues = 8;
inline constexpr char16_t kTopSide[] = u"上";
inline constexpr char16_t kBottomSide[] = u"下";
inline constexpr char16_t kLeftSide[] = u"左";
inline constexpr char16_t kRightSide[] = u"右";
/// "--show": the labels over the two loops of a stage with several
/// solutions, and over the board of one with none, whose clues that cannot
/// hold together are drawn as "[3]".
inline constexpr char16_t kShowFirstLabel[] = u"解 1";
inline constexpr char16_t kShowSecondLabel[] = u"解 2";
inline constexpr char16_t kShowCoreLabel[] = u"盤面（[ ] の数字は同時には成り立ちません）";
/// The encoding and the line ends a file was read in, "{1}" and "{2}".
inline constexpr char16_t kHowReadText[] = u" ({1}, {2})";
inline constexpr char16_t kCodePageName[] = u"Shift_JIS";
inline constexpr char16_t kUtf8Name[] = u"UTF-8";
inline constexpr char16_t kUtf8WithBomName[] = u"UTF-8 BOM つき";
inline constexpr char16_t kCrLfName[] = u"CR LF";
inline constexpr char16_t kLfName[] = u"LF";
/// A finding's line in the message box.
inline constexpr char16_t kBoxLineText[] = u"{1} 行目: ";
inline constexpr char16_t kBoxMoreText[] = u"ほかに {1} 件あります";
/// Standard error, for arguments the checker does not take.
inline constexpr char16_t kUsageText[] =
    u"使いかた: quarnel-check [--template | --stages] [--solve-seconds 秒数 | --no-solve] "
    u"[--urls] [--levels] [--show] [ファイル...]";
/// The Windows program's box, for an argument text it does not take.
inline constexpr char16_t kBoxUsageText[] =
    u"使いかた: quarnel-check.exe [--solve-seconds 秒数 | --no-solve] [--show] [ファイル]";
/// Before the usage, what is wrong with the arguments: "{1}" the value or
/// the option as given.
inline constexpr char16_t kSolveSecondsMissingText[] = u"--solve-seconds のあとに秒数がありません";
inline constexpr char16_t kSolveSecondsNotNumberText[] = u"--solve-seconds の値 {1} は数ではありません";
inline constexpr char16_t kSolveSecondsNotPositiveText[] =
    u"--solve-seconds の値 {1} は 0 より大きくありません";
inline constexpr char16_t kSolveSecondsTooLargeText[] =
    u"--solve-seconds の値 {1} は 1000000 より大きいので使えません";
inline constexpr char16_t kUnknownOptionText[] = u"{1} というオプションはありません";
/// The Windows program checks one file of the kind it is.
inline constexpr char16_t kBoxOnlyBudgetText[] = u"quarnel-check.exe では {1} は使えません";
/// A stage's web address after the report: "{1}" the path, "{2}" the
/// stage's place on the page, "{3}" the address.
inline constexpr char16_t kStageAddressText[] = u"{1}: ステージ {2}: {3}";
/// Standard error on a terminal while stages are solved, rewritten in
/// place: "{1}" the stages decided, "{2}" all to solve.
inline constexpr char16_t kProgressText[] = u"{1} / {2} ステージ…";
inline constexpr char16_t kCannotWriteOutputText[] = u"quarnel-check: 標準出力に書きこめません";

}  // namespace quarnel

#endif  // QUARNEL_CHECK_CHECK_MESSAGES_H_
