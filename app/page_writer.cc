#include "app/page_writer.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/utf8.h"

namespace quarnel {
namespace {

// Text is encoded, and its bytes written, in pieces of this many code units.
constexpr size_t kEncodeSize = 1 << 18;
// and encoded in slices of this many.
constexpr size_t kSliceSize = 1 << 15;
// The most pieces that wait for the writing thread; a producer that is
// ahead waits for room.
constexpr size_t kMostWaiting = 2;

bool IsSeparator(char16_t c, PathStyle style) {
  return c == u'/' || (style == PathStyle::Windows && c == u'\\');
}

// Starts the page at `out`, refusing to replace the stage file itself; on
// failure `error` names the page and says why.
std::unique_ptr<FileWriter> StartPage(FileSystem& files, const std::u16string& out,
                                      const std::u16string& stage_path, FileError* error) {
  // A stage file named like its page ("stages.html") would be overwritten.
  if (files.IsSameFile(out, stage_path)) {
    *error = {FileError::Kind::OutputIsInput, out, 0, {}};
    return nullptr;
  }
  StartFailure failure;
  std::unique_ptr<FileWriter> file = files.StartFile(out, &failure);
  if (!file && failure.kind == StartFailure::Kind::Refused) {
    *error = {FileError::Kind::MayNotWrite, out, 0, {}};
  } else if (!file) {
    *error = {FileError::Kind::CannotWrite, out, 0, failure.reason};
  }
  return file;
}

}  // namespace

std::unique_ptr<FileWriter> StartOutputFile(FileSystem& files, const std::u16string& out,
                                            const std::u16string& input_path, FileError* error) {
  return StartPage(files, out, input_path, error);
}

std::u16string OutputPath(std::u16string_view stage_path, PathStyle style,
                          std::u16string_view extension) {
  std::u16string out(stage_path);
  // Only the file name's last "." counts, so "C:\my.data\stages" keeps its
  // directory and gains ".html".
  for (size_t i = stage_path.size(); i > 0; --i) {
    char16_t c = stage_path[i - 1];
    if (IsSeparator(c, style)) break;
    if (c == u'.') {
      out.resize(i - 1);
      out += extension;
      break;
    }
  }
  if (!out.ends_with(extension)) out += extension;
  return out;
}

PageWriter::PageWriter(FileSystem& files, CodePage& code_page,
                       std::u16string stage_path, TextEncoding encoding)
    : files_(files),
      code_page_(code_page),
      stage_path_(std::move(stage_path)),
      encoding_(encoding) {}

PageWriter::~PageWriter() {
  failed_ = true;  // what still waits is not written
  StopWriting();
}

void PageWriter::Write(std::u16string_view text) {
  if (failed_ || text.empty()) return;
  empty_ = false;
  text_ += text;
  if (text_.size() >= kEncodeSize) Hand(false);
}

void PageWriter::Hand(bool last) {
  // A surrogate pair is encoded as one character, so its first half waits
  // for the second.
  size_t end = text_.size();
  if (!last && end > 0 && text_[end - 1] >= 0xD800 && text_[end - 1] <= 0xDBFF) --end;
  Piece piece{{}, last};
  if (end == text_.size()) {
    piece.text = std::move(text_);
    text_ = SpareText();
  } else {
    piece.text = text_.substr(0, end);
    text_.erase(0, end);
  }
  if (!writer_.joinable() && !last) {
    try {
      writer_ = std::thread([this] { WriteOut(); });
    } catch (const std::system_error&) {
      // No second thread to be had: the page is written on this one.
    }
  }
  if (!writer_.joinable()) {
    Put(piece);
    return;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return pieces_.size() < kMostWaiting; });
  pieces_.push_back(std::move(piece));
  changed_.notify_all();
}

std::u16string PageWriter::SpareText() {
  {
    std::lock_guard lock(mutex_);
    if (!spare_.empty()) {
      std::u16string text = std::move(spare_.back());
      spare_.pop_back();
      return text;
    }
  }
  std::u16string text;
  text.reserve(kEncodeSize + kEncodeSize / 4);
  return text;
}

void PageWriter::StopWriting() {
  if (!writer_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  writer_.join();
}

void PageWriter::WriteOut() {
  for (;;) {
    Piece piece;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !pieces_.empty() || closing_; });
      if (pieces_.empty()) return;
      piece = std::move(pieces_.front());
      pieces_.pop_front();
    }
    changed_.notify_all();
    Put(piece);
    piece.text.clear();
    std::lock_guard lock(mutex_);
    // As many as can be in use at once; a buffer one long write made huge
    // is let go.
    if (spare_.size() < kMostWaiting + 1 && piece.text.capacity() <= 2 * kEncodeSize) {
      spare_.push_back(std::move(piece.text));
    }
  }
}

void PageWriter::Put(const Piece& piece) {
  try {
    // In slices whose bytes are small blocks, which the heap hands out
    // again: a large block may be fresh pages from the system each time.
    std::u16string_view text = piece.text;
    do {
      size_t size = std::min(text.size(), kSliceSize);
      // A surrogate pair is encoded as one character.
      if (size < text.size() && text[size - 1] >= 0xD800 && text[size - 1] <= 0xDBFF) ++size;
      std::u16string_view slice = text.substr(0, size);
      text.remove_prefix(size);
      if (failed_) return;
      std::string bytes = encoding_ == TextEncoding::CodePage ? code_page_.Encode(slice)
                                                              : EncodeUtf8Text(slice);
      // The byte order mark goes before the first bytes.
      if (!file_ && encoding_ == TextEncoding::Utf8WithBom) {
        bytes.insert(0, kUtf8ByteOrderMark);
      }
      if (piece.last && text.empty()) bytes += "\r\n";
      Flush(bytes);
    } while (!text.empty());
  } catch (...) {
    exception_ = std::current_exception();
    failed_ = true;
    file_.reset();  // removes the temporary file
  }
}

void PageWriter::Flush(std::string_view bytes) {
  if (!file_) {
    file_ = StartPage(files_, OutputPath(stage_path_, files_.Style()), stage_path_, &error_);
    if (!file_) {
      failed_ = true;
      return;
    }
  }
  std::u16string reason;
  if (!file_->Write(bytes, &reason)) {
    error_ = {FileError::Kind::CannotWrite, OutputPath(stage_path_, files_.Style()),
              0, reason};
    failed_ = true;
    file_.reset();  // removes the temporary file
  }
}

bool PageWriter::Finish(FileError* error) {
  if (!failed_ && !empty_) Hand(true);
  StopWriting();
  if (exception_) std::rethrow_exception(exception_);
  if (!failed_ && file_) {
    std::u16string reason;
    if (!file_->Commit(&reason)) {
      error_ = {FileError::Kind::CannotWrite, OutputPath(stage_path_, files_.Style()),
                0, reason};
      failed_ = true;
    }
  }
  file_.reset();
  if (failed_) *error = error_;
  return !failed_;
}

}  // namespace quarnel
