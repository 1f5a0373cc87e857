#ifndef QUARNEL_PLATFORM_MESSAGE_BOX_H_
#define QUARNEL_PLATFORM_MESSAGE_BOX_H_

#include <memory>
#include <string>

namespace quarnel {

/// Modal message boxes: no owner window, one OK button, no icon.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  /// Shows `text` under `title` and returns when the user has dismissed it.
  virtual void Show(const std::u16string& text, const std::u16string& title) = 0;
};

/// Message boxes for a console: each box is one line on standard error,
/// "<title>: <text>", in UTF-8.
std::unique_ptr<MessageBoxService> MakeConsoleMessageBoxes();

/// Windows: MessageBoxW boxes.
std::unique_ptr<MessageBoxService> MakeSystemMessageBoxes();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_MESSAGE_BOX_H_
