#include <windows.h>

#include "platform/message_box.h"
#include "platform/win32_util.h"

namespace quarnel {
namespace {

class Win32MessageBoxes final : public MessageBoxService {
 public:
  // A GUI program has no console to print on.
  void Print(const std::u16string&, const std::u16string&) override {}
  void ShowBoxWindow(const std::u16string& text, const std::u16string& title) override {
    // No owner window, one OK button and no icon.
    MessageBoxW(nullptr, Wide(text), Wide(title), MB_OK);
  }
};

}  // namespace

std::unique_ptr<MessageBoxService> MakeSystemMessageBoxes() {
  return std::make_unique<Win32MessageBoxes>();
}

}  // namespace quarnel
