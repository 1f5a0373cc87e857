#include "app/messages.h"

#include <algorithm>

#include "text/gtstr.h"

namespace quarnel {

std::u16string TemplateNotFoundText() {
  return std::u16string(kTemplateFileName) + kNotFoundSuffix;
}

std::u16string TemplateUnreadableText() {
  return std::u16string(kTemplateFileName) + kCannotReadSuffix;
}

std::u16string StageNotFoundText(const std::u16string& path) {
  return path + kNotFoundSuffix;
}

std::u16string StageUnreadableText(const std::u16string& path) {
  return path + kCannotReadSuffix;
}

std::u16string ChooserFailedText(const std::u16string& reason) {
  return WithReason(u"ファイルを選ぶダイアログを開けません", reason);
}

std::u16string SeveralFailedText(const std::vector<std::u16string>& failures) {
  std::u16string text = u"ページにできなかったステージデータがあります";
  size_t listed = std::min(failures.size(), kMaxListedFailures);
  for (size_t i = 0; i < listed; ++i) {
    text += u'\n';
    text += failures[i];
  }
  if (failures.size() > listed) {
    text += u"\nほか ";
    text += DecimalText(static_cast<long long>(failures.size() - listed));
    text += u" 件";
  }
  return text;
}

}  // namespace quarnel
