#include "import/import_messages.h"

namespace quarnel {

std::u16string_view AddressProblemText(AddressProblem problem) {
  switch (problem) {
    case AddressProblem::None: return {};
    case AddressProblem::NotAnAddress:
      return u"puzz.link などのアドレスの形（https://puzz.link/p?slither/列/行/盤面）ではありません";
    case AddressProblem::NotLoopPuzzle: return u"スリザーリンク（slither）のアドレスではありません";
    case AddressProblem::MissingPart: return u"盤面の前でアドレスが終わっています";
    case AddressProblem::BadSize: return u"盤面の大きさが 1 以上の数ではありません";
    case AddressProblem::TooLarge: return u"盤面が大きすぎます（400 万マスまで）";
    case AddressProblem::EmptyBody: return u"盤面がありません";
    case AddressProblem::ClueFour: return u"4 のヒントはステージデータに書けません";
    case AddressProblem::UnknownClue: return u"数の分からないヒントはステージデータに書けません";
    case AddressProblem::BadCharacter: return u"盤面に使われない文字です";
    case AddressProblem::NonAscii: return u"アドレスに使えない文字です";
    case AddressProblem::BodyTooLong: return u"盤面のマスを使いきった後にまだ文字があります";
    case AddressProblem::RowTooShort: return u"行のマスが盤面の列より少なくなっています";
    case AddressProblem::MissingRows: return u"盤面の行が足りません";
  }
  return {};
}

}  // namespace quarnel
