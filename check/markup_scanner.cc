#include "check/markup_scanner.h"

#include <algorithm>
#include <vector>

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

namespace {

bool IsTitleTag(std::u16string_view name) {
  return std::find(std::begin(kTitleTags), std::end(kTitleTags), name) != std::end(kTitleTags);
}

// Whether an attribute value runs script when followed: "javascript:",
// letter case, blanks and control characters aside, as browsers read it.
bool IsScriptValue(std::u16string_view value) {
  constexpr std::u16string_view kScheme = u"javascript:";
  size_t k = 0;
  for (char16_t c : value) {
    if (c <= u' ') continue;
    if (LowerAscii(c) != kScheme[k]) return false;
    if (++k == kScheme.size()) return true;
  }
  return false;
}

// Reads the tag whose "<" is at `at`: its lower-case name, whether it is an
// end tag, and the index past its ">". False when it is no sound tag.
struct Tag {
  std::u16string name;
  bool end = false;
  size_t next = 0;
};
bool ReadTag(std::u16string_view s, size_t at, Tag* tag) {
  size_t i = at + 1;
  tag->end = i < s.size() && s[i] == u'/';
  if (tag->end) ++i;
  tag->name.clear();
  while (i < s.size() && (IsLetter(s[i]) || (s[i] >= u'0' && s[i] <= u'9'))) {
    tag->name.push_back(LowerAscii(s[i++]));
  }
  if (tag->name.empty() || !IsLetter(tag->name[0])) return false;
  while (true) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i == s.size()) return false;
    if (s[i] == u'>') break;
    // "/>" closes only a tag without content.
    if (s[i] == u'/' && i + 1 < s.size() && s[i + 1] == u'>' && !tag->end && tag->name == u"br") {
      ++i;
      break;
    }
    if (tag->end) return false;
    size_t name = i;
    while (i < s.size() && !IsSpace(s[i]) && s[i] != u'>' && s[i] != u'/' && s[i] != u'=' &&
           s[i] != u'"' && s[i] != u'\'' && s[i] != u'<') {
      ++i;
    }
    if (i == name) return false;
    if (i - name >= 2 && LowerAscii(s[name]) == u'o' && LowerAscii(s[name + 1]) == u'n') return false;
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i == s.size() || s[i] != u'=') continue;
    ++i;
    while (i < s.size() && IsSpace(s[i])) ++i;
    if (i == s.size()) return false;
    size_t value = i, value_end;
    if (s[i] == u'"' || s[i] == u'\'') {
      value_end = s.find(s[i], i + 1);
      if (value_end == std::u16string_view::npos) return false;
      ++value;
      i = value_end + 1;
    } else {
      while (i < s.size() && !IsSpace(s[i]) && s[i] != u'>') ++i;
      value_end = i;
    }
    if (IsScriptValue(s.substr(value, value_end - value))) return false;
  }
  tag->next = i + 1;
  return true;
}

}  // namespace

size_t TitleMarkupFault(std::u16string_view title) {
  // The "<" of each tag still open, with its name.
  std::vector<std::pair<size_t, std::u16string>> open;
  Tag tag;
  for (size_t i = title.find(u'<'); i != std::u16string_view::npos; i = title.find(u'<', i)) {
    if (!ReadTag(title, i, &tag) || !IsTitleTag(tag.name)) return i;
    if (tag.end) {
      if (open.empty() || open.back().second != tag.name) return i;
      open.pop_back();
    } else if (tag.name != u"br") {
      open.emplace_back(i, tag.name);
    }
    i = tag.next;
  }
  return open.empty() ? std::u16string_view::npos : open.front().first;
}

}  // namespace quarnel
