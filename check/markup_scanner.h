#ifndef QUARNEL_CHECK_MARKUP_SCANNER_H_
#define QUARNEL_CHECK_MARKUP_SCANNER_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

/// Where a position in HTML markup lies, as far as inserted text cares.
enum class Markup { Text, Tag, Attribute, Comment, Title, Script, Style };

/// Follows markup line by line far enough to tell whether a position is in
/// text, inside a tag or an attribute value, in a comment, or in the raw
/// text of a title, script or style element. It is no full HTML parser:
/// character references, doctype and CDATA are read as text, and a tag name
/// or unquoted value that a line end cuts is taken as ended.
class MarkupScanner {
 public:
  /// Where the next character to be read lies.
  Markup Where() const;

  /// Reads line[i], looking ahead within the line at most as far as the
  /// longest thing it matches, and returns the index of the next character
  /// to read (always past i).
  size_t Step(std::u16string_view line, size_t i);

  /// A line end between two lines.
  void LineEnd();

 private:
  enum class State { Text, TagName, InTag, AfterEquals, Quoted, Unquoted, Comment, Raw };

  void EndTag();

  State state_ = State::Text;
  bool end_tag_ = false;
  std::u16string tag_;
  std::u16string raw_;
  char16_t quote_ = u'"';
};

/// The tags a stage's title may hold: inline text markup.
inline constexpr std::u16string_view kTitleTags[] = {
    u"b", u"i", u"em", u"strong", u"small", u"sub", u"sup", u"ruby", u"rt", u"rp", u"span", u"br"};

/// Where the markup of a title goes wrong: the index of the "<" of the
/// first tag that is not one of kTitleTags, is not closed (by ">", and
/// by its end tag, "br" aside), closes another tag than the one open, or
/// has an attribute with script ("on…=", a "javascript:" value); or of a
/// "<" that starts no tag. npos when the markup is well formed.
size_t TitleMarkupFault(std::u16string_view title);

}  // namespace quarnel

#endif  // QUARNEL_CHECK_MARKUP_SCANNER_H_
