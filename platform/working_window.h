#ifndef QUARNEL_PLATFORM_WORKING_WINDOW_H_
#define QUARNEL_PLATFORM_WORKING_WINDOW_H_

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace quarnel {

/// A small window that says the program is working while a long task runs,
/// for a program whose only other output is a box at the end.
class WorkingWindow {
 public:
  /// What the task calls to change the window's text; it may be called
  /// from any thread, as often as the task likes.
  using SayText = std::function<void(const std::u16string& text)>;
  virtual ~WorkingWindow() = default;
  /// Runs `task`, the window showing `text` until the task says another,
  /// and returns once the task has returned and the window is gone. What
  /// the task throws is thrown here.
  virtual void Run(const std::u16string& text, const std::function<void(const SayText&)>& task) = 0;
};

/// The Win32 window: the task runs on a thread of its own while this
/// thread keeps the window's messages flowing, so it paints, moves and
/// answers. The window, titled `title`, appears only when the task has
/// not ended within `delay`, so a quick task shows nothing. It cannot be
/// closed: it has no close button, and Alt+F4 does nothing, since closing
/// it would lose the result the task is working for. Where no thread or
/// window can be had, the task runs on this thread without one. (POSIX
/// programs have a terminal to say it on instead.)
std::unique_ptr<WorkingWindow> MakeWorkingWindow(const std::u16string& title,
                                                 std::chrono::milliseconds delay);

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_WORKING_WINDOW_H_
