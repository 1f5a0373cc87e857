#include "check/check_messages.h"

#include <vector>

namespace quarnel {

namespace {

constexpr bool MessagesInKindOrder() {
  for (size_t i = 0; i < kFindingKindCount; ++i) {
    if (static_cast<size_t>(kFindingMessages[i].kind) != i) return false;
  }
  return true;
}

}  // namespace

std::u16string FillText(std::u16string_view pattern,
                        std::initializer_list<std::u16string_view> args) {
  std::vector<std::u16string_view> list(args);
  std::u16string text;
  text.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'{' && i + 2 < pattern.size() && pattern[i + 2] == u'}' &&
        pattern[i + 1] >= u'1' && pattern[i + 1] <= u'9') {
      size_t n = static_cast<size_t>(pattern[i + 1] - u'1');
      if (n < list.size()) text += list[n];
      i += 2;
    } else {
      text.push_back(pattern[i]);
    }
  }
  return text;
}

Finding MakeFinding(FindingKind kind, size_t line,
                    std::initializer_list<std::u16string_view> args) {
  static_assert(MessagesInKindOrder(), "the messages are looked up by their kind");
  const FindingMessage& message = kFindingMessages[static_cast<size_t>(kind)];
  return {kind, message.severity, line, FillText(message.text, args)};
}

std::u16string_view EmptySectionEffect(Section s) {
  switch (s) {
    case Section::Body: return u"ページが空になり、ファイルは書かれません";
    case Section::Stagelist: return u"どのステージも空になり、ページに出ません";
    case Section::FrameLine: return u"格子の枠の行が出ません";
    case Section::FrameSpace: return u"枠の行で、列の前と後ろに何も出ません";
    case Section::FrameContent: return u"枠の行で、列の上に何も出ません";
    case Section::DataLine: return u"格子のデータの行が出ません";
    case Section::DataSpace: return u"データの行で、マスの前と後ろに何も出ません";
    case Section::DataContent: return u"マスに何も出ません";
  }
  return {};
}

std::u16string_view MissingInsertEffect(Placeholder p) {
  switch (p) {
    case Placeholder::Stagelist: return u"ステージがひとつもページに出ません";
    case Placeholder::Lines: return u"ステージの格子（frame_line と data_line）が出ません";
    case Placeholder::Frame: return u"枠の行に frame_space と frame_content が出ません";
    case Placeholder::Data: return u"データの行に data_space と data_content（マス）が出ません";
    default: return {};
  }
}

std::u16string_view MarkupPlaceText(Markup m) {
  switch (m) {
    case Markup::Tag: return u"タグの中";
    case Markup::Attribute: return u"属性値の中";
    case Markup::Comment: return u"コメントの中";
    case Markup::Title: return u" <title> 要素の中";
    case Markup::Script: return u" <script> 要素の中";
    case Markup::Style: return u" <style> 要素の中";
    case Markup::Text: break;
  }
  return {};
}

}  // namespace quarnel
