#include "app/page_writer.h"

namespace quarnel {
namespace {

constexpr std::u16string_view kExtension = u".html";
// Text is encoded, and its bytes written, in pieces of this many code units.
constexpr size_t kEncodeSize = 1 << 18;

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

PageWriter::PageWriter(FileSystem& files, CodePage& code_page,
                       std::u16string stage_path)
    : files_(files), code_page_(code_page), stage_path_(std::move(stage_path)) {}

void PageWriter::Write(std::u16string_view text) {
  if (failed_ || text.empty()) return;
  empty_ = false;
  text_ += text;
  if (text_.size() >= kEncodeSize) Encode(false);
}

void PageWriter::Encode(bool last) {
  // A surrogate pair is encoded as one character, so its first half waits
  // for the second.
  size_t end = text_.size();
  if (!last && end > 0 && text_[end - 1] >= 0xD800 && text_[end - 1] <= 0xDBFF) --end;
  std::string bytes = code_page_.Encode(std::u16string_view(text_).substr(0, end));
  text_.erase(0, end);
  if (last) bytes += "\r\n";
  Flush(bytes);
}

bool PageWriter::Flush(std::string_view bytes) {
  if (failed_) return false;
  std::u16string reason;
  if (!file_) {
    std::u16string out = OutputPath(stage_path_, files_.Style());
    // A stage file named like its page ("stages.html") would be overwritten.
    if (files_.IsSameFile(out, stage_path_)) {
      error_ = {FileError::Kind::OutputIsInput, out, 0, {}};
      failed_ = true;
      return false;
    }
    file_ = files_.StartFile(out, &reason);
    if (!file_) {
      error_ = {FileError::Kind::CannotWrite, out, 0, reason};
      failed_ = true;
      return false;
    }
  }
  if (!file_->Write(bytes, &reason)) {
    error_ = {FileError::Kind::CannotWrite, OutputPath(stage_path_, files_.Style()),
              0, reason};
    failed_ = true;
    file_.reset();  // removes the temporary file
    return false;
  }
  return true;
}

bool PageWriter::Finish(FileError* error) {
  if (!failed_ && !empty_) {
    Encode(true);
    std::u16string reason;
    if (!failed_ && !file_->Commit(&reason)) {
      error_ = {FileError::Kind::CannotWrite, OutputPath(stage_path_, files_.Style()),
                0, reason};
      failed_ = true;
    }
    file_.reset();
  }
  if (failed_) *error = error_;
  return !failed_;
}

bool WriteDocument(FileSystem& files, CodePage& code_page,
                   const std::u16string& stage_path, std::u16string_view page,
                   FileError* error) {
  if (page.empty()) {
    // Still a file of one line end, unlike a PageWriter that got no text.
    std::u16string out = OutputPath(stage_path, files.Style());
    if (files.IsSameFile(out, stage_path)) {
      *error = {FileError::Kind::OutputIsInput, out, 0, {}};
      return false;
    }
    std::u16string reason;
    if (!files.WriteFile(out, "\r\n", &reason)) {
      *error = {FileError::Kind::CannotWrite, out, 0, reason};
      return false;
    }
    return true;
  }
  PageWriter writer(files, code_page, stage_path);
  writer.Write(page);
  return writer.Finish(error);
}

}  // namespace quarnel
