#include "input/file_error.h"

#include "text/gtstr.h"

namespace quarnel {
namespace {

// "<path> の <line> 行目" or just "<path>" where no line applies.
std::u16string Where(const FileError& error) {
  std::u16string where = error.path;
  if (error.line != 0) {
    where += u" の ";
    where += DecimalText(static_cast<long long>(error.line));
    where += u" 行目";
  }
  return where;
}

}  // namespace

std::u16string WithReason(std::u16string text, const std::u16string& reason) {
  if (!reason.empty()) {
    text += u"（";
    text += reason;
    text += u"）";
  }
  return text;
}

std::u16string FatalErrorText(const FileError& error) {
  switch (error.kind) {
    case FileError::Kind::CannotRead:
      return WithReason(error.path + u" を読みこめません", error.detail);
    case FileError::Kind::InvalidText:
    case FileError::Kind::NulCharacter:
      return Where(error) + u"に " + LineProblemText(error);
    case FileError::Kind::DuplicateSection:
      return Where(error) + u": " + LineProblemText(error);
    case FileError::Kind::CannotWrite:
      return WithReason(error.path + u" に書きこめません", error.detail);
    case FileError::Kind::OutputIsInput:
      return u"出力先 " + error.path +
             u" はステージデータのファイルそのものなので、書きこみません";
    case FileError::Kind::MayNotWrite:
      return u"出力先 " + error.path + u" は書きこんではいけないファイルなので、書きこみません";
    case FileError::Kind::None:
      break;
  }
  return error.path;
}

std::u16string LineProblemText(const FileError& error) {
  switch (error.kind) {
    case FileError::Kind::InvalidText:
      return u"Shift_JIS (コードページ 932) としても UTF-8 としても正しくない文字があります";
    case FileError::Kind::NulCharacter:
      return u"NUL 文字があります";
    case FileError::Kind::DuplicateSection:
      return u"セクション「" + error.detail +
             u"」はすでにあります（セクション名は大文字と小文字を区別しません）";
    default:
      return FatalErrorText(error);
  }
}

}  // namespace quarnel
