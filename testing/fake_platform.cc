#include "testing/fake_platform.h"

#include "platform/utf8.h"

namespace quarnel {

FileSystem::ReadStatus FakeFileSystem::ReadFile(const std::u16string& path,
                                                std::string* bytes,
                                                std::u16string* error) {
  reads.push_back(path);
  auto it = files.find(path);
  if (it == files.end()) {
    *error = u"no such file";
    return ReadStatus::NotFound;
  }
  if (fail_reads_of.count(path) != 0) {
    *error = u"read failed";
    return ReadStatus::Failed;
  }
  *bytes = it->second;
  return ReadStatus::Ok;
}

namespace {

// A file written as it comes into PATH + ".tmp", renamed on commit.
class StreamingFakeWriter final : public FileWriter {
 public:
  StreamingFakeWriter(FakeFileSystem& files, const std::u16string& path)
      : files_(files), path_(path), temporary_(path + u".tmp") {
    files_.files[temporary_].clear();
  }
  ~StreamingFakeWriter() override { files_.files.erase(temporary_); }
  bool Write(std::string_view bytes, std::u16string* error) override {
    std::string& file = files_.files[temporary_];
    if (bytes.size() > files_.disk_room - file.size()) {
      *error = u"disk full";
      return false;
    }
    file += bytes;
    return true;
  }
  bool Commit(std::u16string* error) override {
    files_.writes.push_back(path_);
    if (path_ == files_.fail_writes_to) {
      *error = u"disk full";
      return false;
    }
    files_.files[path_] = std::move(files_.files[temporary_]);
    return true;
  }

 private:
  FakeFileSystem& files_;
  std::u16string path_;
  std::u16string temporary_;
};

}  // namespace

std::unique_ptr<FileWriter> FakeFileSystem::StartFile(const std::u16string& path,
                                                      StartFailure* failure) {
  if (path == refuse_writes_to) {
    *failure = {StartFailure::Kind::Refused, u"refused"};
    return nullptr;
  }
  return std::make_unique<StreamingFakeWriter>(*this, path);
}

bool FakeCodePage::Decode(std::string_view bytes, std::u16string* text) {
  *text = DecodeUtf8(bytes);
  // DecodeUtf8 keeps bad bytes as lone surrogates; here they are errors.
  for (size_t i = 0; i < text->size(); ++i) {
    char16_t c = (*text)[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      ++i;  // a pair from a valid four-byte sequence
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

std::string FakeCodePage::Encode(std::u16string_view text) { return EncodeUtf8(text); }

std::string Utf8(std::u16string_view text) { return EncodeUtf8(text); }

}  // namespace quarnel
