#ifndef QUARNEL_IMPORT_IMPORT_MESSAGES_H_
#define QUARNEL_IMPORT_IMPORT_MESSAGES_H_

#include <string_view>

#include "puzzle/puzz_link.h"

namespace quarnel {

/// Every text quarnel-import shows, as it stands.
inline constexpr char16_t kImportUsageText[] =
    u"使いかた: quarnel-import ファイル...（- は標準入力から読み、標準出力に書きます）";
inline constexpr char16_t kImportBoxUsageText[] =
    u"アドレスを並べたテキストファイルを quarnel-import.exe にドロップしてください";
inline constexpr char16_t kInputNotFoundText[] = u"見つかりません";
inline constexpr char16_t kCannotReadInputText[] = u"読みこめません";
inline constexpr char16_t kDefaultTitleText[] = u"ステージ {1}";
inline constexpr char16_t kTitleWithoutAddressText[] = u"タイトルの次の行がアドレスではありません";
inline constexpr char16_t kTitleSeparatorText[] =
    u"「*」で始まるタイトルはステージの区切りになってしまいます";
inline constexpr char16_t kNoAddressText[] = u"アドレスがひとつもありません";
inline constexpr char16_t kOutputIsInputText[] = u"出力先 ";
inline constexpr char16_t kOutputIsInputSuffix[] = u" は読んだファイルそのものなので、書きこみません";
inline constexpr char16_t kStandardInputName[] = u"-";
inline constexpr char16_t kCannotWriteStdoutText[] = u"標準出力に書きこめません";

/// What is wrong with an address or a pzprv3 file.
std::u16string_view AddressProblemText(AddressProblem problem);

}  // namespace quarnel

#endif  // QUARNEL_IMPORT_IMPORT_MESSAGES_H_
