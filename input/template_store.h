#ifndef QUARNEL_INPUT_TEMPLATE_STORE_H_
#define QUARNEL_INPUT_TEMPLATE_STORE_H_

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "input/file_error.h"
#include "input/load_status.h"
#include "input/text_encoding.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace quarnel {

/// The sections of the template, keyed by name. Names compare without regard
/// to the case of ASCII letters; each name is stored once.
class TemplateStore {
 public:
  /// Stores a section; false, storing nothing, if the name is taken.
  bool Add(std::u16string_view name, std::u16string text);
  /// The section's text, or null when there is none of that name.
  const std::u16string* Find(std::u16string_view name) const;
  size_t size() const { return sections_.size(); }
  /// The encoding the template file was read in, which its pages keep.
  TextEncoding encoding() const { return encoding_; }
  void set_encoding(TextEncoding encoding) { encoding_ = encoding; }

 private:
  std::unordered_map<std::u16string, std::u16string> sections_;
  TextEncoding encoding_ = TextEncoding::CodePage;
};

/// The text of section `name`, or an empty text when the store has none.
std::u16string TemplateText(const TemplateStore& store, std::u16string_view name);

/// One section as the lines of a template file lay it out: its name, the
/// line of its header (from 1; 0 for "body", which has none) and its content
/// lines, `first_line` to before `end_line` (0-based indexes into the lines).
struct TemplateSection {
  std::u16string_view name;
  size_t header_line;
  size_t first_line;
  size_t end_line;
};

/// The sections of a template file in the order they appear, "body" first,
/// by the header rule of ParseTemplate. Names are views into `lines`.
std::vector<TemplateSection> TemplateSections(std::span<const std::u16string_view> lines);

/// The text of `section`: its content lines joined with CR LF, leading
/// empty lines dropped.
std::u16string SectionText(std::span<const std::u16string_view> lines,
                           const TemplateSection& section);

/// Fills `store` from the lines of a template file. A line that is not empty
/// and starts with "*" opens the section named by the rest of it; the lines
/// before the first such header form "body". A section's text is its lines
/// joined with CR LF, leading empty lines dropped. A repeated section name
/// fails with DuplicateSection on the repeating header's line (`error->path`
/// is left to the caller).
bool ParseTemplate(std::span<const std::u16string_view> lines,
                   TemplateStore* store, FileError* error);

/// The template's file name, beside the programs.
inline constexpr char16_t kTemplateFileName[] = u"template.dat";

/// The path of "template.dat" in `directory`.
std::u16string TemplatePath(std::u16string_view directory, PathStyle style);

/// Reads "template.dat" from `directory` into `store`, with the encoding it
/// was read in; the store is left untouched when the file is missing.
LoadStatus LoadTemplate(FileSystem& files, CodePage& code_page,
                        std::u16string_view directory, TemplateStore* store,
                        FileError* error);

}  // namespace quarnel

#endif  // QUARNEL_INPUT_TEMPLATE_STORE_H_
