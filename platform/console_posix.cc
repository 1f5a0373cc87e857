// Message boxes and the file chooser for a terminal: text on standard error.
#include <cstdio>

#include "platform/file_chooser.h"
#include "platform/message_box.h"
#include "platform/utf8.h"

namespace quarnel {
namespace {

class ConsoleMessageBoxes final : public MessageBoxService {
 public:
  void Print(const std::u16string& text, const std::u16string& title) override {
    std::string line = EncodeUtf8(title) + ": " + EncodeUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }
  void ShowBoxWindow(const std::u16string&, const std::u16string&) override {}
};

class ConsoleFileChooser final : public FileChooser {
 public:
  FileChoice Choose(const FileChooserRequest&) override {
    std::fputs("使い方: quarnel ステージデータのファイル"
               "（ページは拡張子を .html にした名前で書かれます）\n",
               stderr);
    return {FileChoice::Status::Unavailable, {}, {}};
  }
};

}  // namespace

std::unique_ptr<MessageBoxService> MakeConsoleMessageBoxes() {
  return std::make_unique<ConsoleMessageBoxes>();
}

std::unique_ptr<FileChooser> MakeConsoleFileChooser() {
  return std::make_unique<ConsoleFileChooser>();
}

}  // namespace quarnel
