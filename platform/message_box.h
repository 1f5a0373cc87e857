#ifndef QUARNEL_PLATFORM_MESSAGE_BOX_H_
#define QUARNEL_PLATFORM_MESSAGE_BOX_H_

#include <memory>
#include <string>

namespace quarnel {

/// Modal message boxes: no owner window, one OK button, no icon.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  /// Shows `text` under `title` and returns when the user has dismissed it:
  /// the console's line and the window, where each is to be had.
  virtual void Show(const std::u16string& text, const std::u16string& title) {
    Print(text, title);
    ShowBoxWindow(text, title);
  }
  /// Only the console's line of a box, for a message that a terminal shows
  /// but a window does not; nothing where there is no console (Windows).
  virtual void Print(const std::u16string& text, const std::u16string& title) = 0;
  /// Only the window of a box, where windows can be shown; nothing on a
  /// console.
  virtual void ShowBoxWindow(const std::u16string& text, const std::u16string& title) = 0;
};

/// Message boxes for a console: each box is one line on standard error,
/// "<title>: <text>", in UTF-8.
std::unique_ptr<MessageBoxService> MakeConsoleMessageBoxes();

/// The message boxes of this process. Each box is the console's line on
/// standard error and, where standard input is not a terminal and a display
/// can be opened, also a window that waits for OK. The display is tried on
/// the first box or dialog, not before; a build without GTK has the console
/// lines only. On Windows: MessageBoxW boxes.
std::unique_ptr<MessageBoxService> MakeSystemMessageBoxes();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_MESSAGE_BOX_H_
