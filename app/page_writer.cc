#include "app/page_writer.h"

namespace quarnel {
namespace {

constexpr std::u16string_view kExtension = u".html";

bool IsSeparator(char16_t c, PathStyle style) {
  return c == u'/' || (style == PathStyle::Windows && c == u'\\');
}

}  // namespace

std::u16string OutputPath(std::u16string_view stage_path, PathStyle style) {
  std::u16string out(stage_path);
  // Only the file name's last "." counts, so "C:\my.data\stages" keeps its
  // directory and gains ".html".
  for (size_t i = stage_path.size(); i > 0; --i) {
    char16_t c = stage_path[i - 1];
    if (IsSeparator(c, style)) break;
    if (c == u'.') {
      out.resize(i - 1);
      out += kExtension;
      break;
    }
  }
  if (!out.ends_with(kExtension)) out += kExtension;
  return out;
}

bool WriteDocument(FileSystem& files, CodePage& code_page,
                   const std::u16string& stage_path, std::u16string_view page,
                   FileError* error) {
  std::u16string out = OutputPath(stage_path, files.Style());
  // A stage file named like its page ("stages.html") would be overwritten.
  if (files.IsSameFile(out, stage_path)) {
    *error = {FileError::Kind::OutputIsInput, out, 0, {}};
    return false;
  }
  std::string bytes = code_page.Encode(page);
  bytes += "\r\n";
  std::u16string reason;
  if (!files.WriteFile(out, bytes, &reason)) {
    *error = {FileError::Kind::CannotWrite, out, 0, reason};
    return false;
  }
  return true;
}

}  // namespace quarnel
