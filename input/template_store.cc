#include "input/template_store.h"

#include "input/text_file.h"

namespace quarnel {
namespace {

std::u16string FoldCase(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return folded;
}

bool IsHeader(std::u16string_view line) {
  return !line.empty() && line.front() == u'*';
}

}  // namespace

bool TemplateStore::Add(std::u16string_view name, std::u16string text) {
  return sections_.try_emplace(FoldCase(name), std::move(text)).second;
}

const std::u16string* TemplateStore::Find(std::u16string_view name) const {
  auto it = sections_.find(FoldCase(name));
  return it == sections_.end() ? nullptr : &it->second;
}

std::u16string TemplateText(const TemplateStore& store, std::u16string_view name) {
  const std::u16string* text = store.Find(name);
  return text ? *text : std::u16string();
}

std::vector<TemplateSection> TemplateSections(std::span<const std::u16string_view> lines) {
  std::vector<TemplateSection> sections;
  TemplateSection current{u"body", 0, 0, 0};
  for (size_t i = 0; i < lines.size(); ++i) {
    if (IsHeader(lines[i])) {
      current.end_line = i;
      sections.push_back(current);
      current = {lines[i].substr(1), i + 1, i + 1, i + 1};
    }
  }
  current.end_line = lines.size();
  sections.push_back(current);
  return sections;
}

std::u16string SectionText(std::span<const std::u16string_view> lines,
                           const TemplateSection& section) {
  std::u16string text;
  for (size_t i = section.first_line; i < section.end_line; ++i) {
    if (!text.empty()) text += u"\r\n";
    text += lines[i];
  }
  return text;
}

bool ParseTemplate(std::span<const std::u16string_view> lines,
                   TemplateStore* store, FileError* error) {
  for (const TemplateSection& section : TemplateSections(lines)) {
    if (!store->Add(section.name, SectionText(lines, section))) {
      *error = {FileError::Kind::DuplicateSection, {}, section.header_line,
                std::u16string(section.name)};
      return false;
    }
  }
  return true;
}

std::u16string TemplatePath(std::u16string_view directory, PathStyle style) {
  std::u16string path(directory);
  char16_t separator = style == PathStyle::Windows ? u'\\' : u'/';
  if (path.empty() || path.back() != separator) path.push_back(separator);
  path += kTemplateFileName;
  return path;
}

LoadStatus LoadTemplate(FileSystem& files, CodePage& code_page,
                        std::u16string_view directory, TemplateStore* store,
                        FileError* error) {
  std::u16string path = TemplatePath(directory, files.Style());
  if (!files.IsOrdinaryFile(path)) return LoadStatus::NotFound;
  TextFile file;
  if (!ReadTextFile(files, code_page, path, &file, error)) return LoadStatus::Failed;
  store->set_encoding(file.encoding);
  if (!ParseTemplate(file.lines, store, error)) {
    error->path = path;
    return LoadStatus::Failed;
  }
  return LoadStatus::Loaded;
}

}  // namespace quarnel
