#ifndef QUARNEL_TESTING_FAKE_PLATFORM_H_
#define QUARNEL_TESTING_FAKE_PLATFORM_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace quarnel {

/// Message boxes that remember what was shown, as "title: text": whole
/// boxes in `shown`, console lines alone in `printed`, windows alone in
/// `windows`.
class FakeMessageBoxes final : public MessageBoxService {
 public:
  void Show(const std::u16string& text, const std::u16string& title) override {
    shown.push_back(title + u": " + text);
  }
  void Print(const std::u16string& text, const std::u16string& title) override {
    printed.push_back(title + u": " + text);
  }
  void ShowBoxWindow(const std::u16string& text, const std::u16string& title) override {
    windows.push_back(title + u": " + text);
  }
  std::vector<std::u16string> shown, printed, windows;
};

/// A dialog that answers `choice` and counts how often it was opened.
class FakeFileChooser final : public FileChooser {
 public:
  FileChoice Choose(const FileChooserRequest& request) override {
    requests.push_back(request);
    return choice;
  }
  FileChoice choice{FileChoice::Status::Cancelled, {}, {}};
  std::vector<FileChooserRequest> requests;
};

class FakeProcessInfo final : public ProcessInfo {
 public:
  std::u16string ArgumentText() override {
    ++argument_reads;
    return argument_text;
  }
  std::vector<std::u16string> Arguments() override { return arguments; }
  std::u16string ExecutableDirectory() override { return executable_directory; }
  std::u16string argument_text;
  std::vector<std::u16string> arguments;  // as the system splits argument_text
  std::u16string executable_directory = u"/opt/quarnel";
  int argument_reads = 0;
};

/// Files in memory, keyed by their path exactly as spelled.
class FakeFileSystem final : public FileSystem {
 public:
  PathStyle Style() const override { return style; }
  bool IsOrdinaryFile(const std::u16string& path) override {
    return files.count(path) != 0;
  }
  bool IsSameFile(const std::u16string& a, const std::u16string& b) override {
    return files.count(a) != 0 && (a == b || same_files.count({a, b}) != 0 ||
                                   same_files.count({b, a}) != 0);
  }
  ReadStatus ReadFile(const std::u16string& path, std::string* bytes,
                      std::u16string* error) override;
  std::unique_ptr<FileWriter> StartFile(const std::u16string& path,
                                        StartFailure* failure) override;

  PathStyle style = PathStyle::Posix;
  std::map<std::u16string, std::string> files;
  std::set<std::pair<std::u16string, std::u16string>> same_files;
  std::set<std::u16string> fail_reads_of;  // exist, but reading them fails
  std::u16string fail_writes_to;           // a commit here fails as on a full disk
  std::u16string refuse_writes_to;         // a page here is refused from the start
  // A started file is written as it comes, as the systems' own file systems
  // do: into PATH + ".tmp", renamed on commit (recorded in `writes`),
  // removed when dropped; a write that would make it longer than
  // `disk_room` fails as on a full disk.
  size_t disk_room = SIZE_MAX;
  std::vector<std::u16string> reads;
  std::vector<std::u16string> writes;
};

/// A code page that is UTF-8, so tests can spell file contents plainly;
/// bytes that are not valid UTF-8 are not valid text.
class FakeCodePage final : public CodePage {
 public:
  bool Decode(std::string_view bytes, std::u16string* text) override;
  std::string Encode(std::u16string_view text) override;
};

/// All fakes of one run, and the Platform that refers to them.
struct FakePlatform {
  FakeMessageBoxes boxes;
  FakeFileChooser chooser;
  FakeProcessInfo process;
  FakeFileSystem files;
  FakeCodePage code_page;
  Platform platform() { return {boxes, chooser, process, files, code_page}; }
};

/// UTF-16 text as UTF-8, for readable failure messages.
std::string Utf8(std::u16string_view text);

}  // namespace quarnel

#endif  // QUARNEL_TESTING_FAKE_PLATFORM_H_
