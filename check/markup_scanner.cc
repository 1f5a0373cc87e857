#include "check/markup_scanner.h"

namespace quarnel {
namespace {

char16_t LowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f'; }

}  // namespace

Markup MarkupScanner::Where() const {
  switch (state_) {
    case State::Text: return Markup::Text;
    case State::TagName: case State::InTag: return Markup::Tag;
    // Right after "=" an unquoted value begins.
    case State::AfterEquals: case State::Quoted: case State::Unquoted:
      return Markup::Attribute;
    case State::Comment: return Markup::Comment;
    case State::Raw:
      return raw_ == u"title" ? Markup::Title : raw_ == u"script" ? Markup::Script : Markup::Style;
  }
  return Markup::Text;
}

size_t MarkupScanner::Step(std::u16string_view line, size_t i) {
  char16_t c = line[i];
  // Whether `s` (lower case) starts here, letter case aside.
  auto ahead = [&](std::u16string_view s) {
    if (line.size() - i < s.size()) return false;
    for (size_t k = 0; k < s.size(); ++k) {
      if (LowerAscii(line[i + k]) != s[k]) return false;
    }
    return true;
  };
  switch (state_) {
    case State::Text:
      if (ahead(u"<!--")) {
        state_ = State::Comment;
        return i + 4;
      }
      if (c == u'<' && i + 1 < line.size()) {
        bool end_tag = line[i + 1] == u'/';
        size_t name = i + (end_tag ? 2 : 1);
        if (name < line.size() && IsLetter(line[name])) {
          state_ = State::TagName;
          end_tag_ = end_tag;
          tag_.clear();
          return name;
        }
      }
      return i + 1;
    case State::TagName:
      if (IsLetter(c) || (c >= u'0' && c <= u'9')) {
        tag_.push_back(LowerAscii(c));
      } else if (c == u'>') {
        EndTag();
      } else {
        state_ = State::InTag;
      }
      return i + 1;
    case State::InTag:
      if (c == u'>') EndTag();
      if (c == u'=') state_ = State::AfterEquals;
      return i + 1;
    case State::AfterEquals:
      if (c == u'"' || c == u'\'') {
        quote_ = c;
        state_ = State::Quoted;
      } else if (c == u'>') {
        EndTag();
      } else if (!IsSpace(c)) {
        state_ = State::Unquoted;
      }
      return i + 1;
    case State::Quoted:
      if (c == quote_) state_ = State::InTag;
      return i + 1;
    case State::Unquoted:
      if (c == u'>') EndTag();
      else if (IsSpace(c)) state_ = State::InTag;
      return i + 1;
    case State::Comment:
      if (ahead(u"-->")) {
        state_ = State::Text;
        return i + 3;
      }
      return i + 1;
    case State::Raw:
      if (c == u'<' && i + 1 < line.size() && line[i + 1] == u'/' &&
          ahead(u"</" + raw_)) {
        state_ = State::InTag;
        end_tag_ = true;
        return i + 2 + raw_.size();
      }
      return i + 1;
  }
  return i + 1;
}

void MarkupScanner::LineEnd() {
  if (state_ == State::TagName || state_ == State::Unquoted) state_ = State::InTag;
}

void MarkupScanner::EndTag() {
  if (!end_tag_ && (tag_ == u"title" || tag_ == u"script" || tag_ == u"style")) {
    state_ = State::Raw;
    raw_ = tag_;
  } else {
    state_ = State::Text;
  }
}

}  // namespace quarnel
