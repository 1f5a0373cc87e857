#include <windows.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/win32_util.h"
#include "platform/working_window.h"

namespace quarnel {
namespace {

constexpr wchar_t kClassName[] = L"QuarnelWorkingWindow";
// Posted to the window when the task has said a new text.
constexpr UINT kTextSaid = WM_APP + 1;
// Shows the window once the task has taken longer than the delay.
constexpr UINT_PTR kShowTimer = 1;
constexpr int kTextControl = 100;

// What the task's thread and the window share.
struct SaidText {
  std::mutex mutex;
  std::u16string text;  // guarded by mutex
  // Whether a kTextSaid is on its way: a task that says many texts while
  // the window is busy posts one message, not a queue full.
  std::atomic<bool> posted{false};
};

LRESULT CALLBACK WorkingWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      // Alt+F4 and the like: closing would lose the result being worked for.
      return 0;
    case WM_TIMER:
      if (wparam != kShowTimer) break;
      KillTimer(window, kShowTimer);
      ShowWindow(window, SW_SHOWNORMAL);
      return 0;
    case kTextSaid: {
      auto* said = reinterpret_cast<SaidText*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (said == nullptr) return 0;
      // Cleared before the text is read, so a text said after it posts again.
      said->posted.store(false);
      std::u16string text;
      {
        std::lock_guard<std::mutex> lock(said->mutex);
        text = said->text;
      }
      SetDlgItemTextW(window, kTextControl, Wide(text));
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

bool RegisterWorkingClass(HINSTANCE instance) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WorkingWindowProc;
  window_class.hInstance = instance;
  // The arrow with an hourglass: the program works, and still answers.
  window_class.hCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kClassName;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The window and its font, destroyed together.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  ~Window() { Destroy(); }

  // Makes the window, hidden, in the middle of the work area: one line of
  // `text` in the message font, with room for longer ones.
  bool Create(const std::u16string& title, const std::u16string& text, SaidText* said) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterWorkingClass(instance)) return false;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    HFONT shown = font_ != nullptr ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    int em = 16;
    SIZE extent = {0, 0};
    if (HDC dc = GetDC(nullptr)) {
      HGDIOBJ before = SelectObject(dc, shown);
      TEXTMETRICW text_metrics;
      if (GetTextMetricsW(dc, &text_metrics) && text_metrics.tmHeight > 0) em = text_metrics.tmHeight;
      GetTextExtentPoint32W(dc, Wide(text), static_cast<int>(text.size()), &extent);
      SelectObject(dc, before);
      ReleaseDC(nullptr, dc);
    }
    // Wide enough for the text with a count of stages added to it.
    RECT frame = {0, 0, std::max<LONG>(26 * em, extent.cx + 12 * em), 4 * em};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION;  // no system menu: no close button
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    window_ = CreateWindowExW(0, kClassName, Wide(title), style,
                              area.left + (area.right - area.left - width) / 2,
                              area.top + (area.bottom - area.top - height) / 2, width, height,
                              nullptr, nullptr, instance, nullptr);
    if (window_ == nullptr) return false;
    RECT client;
    GetClientRect(window_, &client);
    HWND control = CreateWindowExW(
        0, L"STATIC", Wide(text), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
        em, 0, std::max<LONG>(client.right - 2 * em, 1), client.bottom, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextControl)), instance, nullptr);
    if (control == nullptr) {
      Destroy();
      return false;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(shown), FALSE);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(said));
    return true;
  }

  HWND get() const { return window_; }

  void Destroy() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    if (font_ != nullptr) DeleteObject(font_);
    font_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
};

// Handles this thread's messages until `event` is set.
void HandleMessagesUntil(HANDLE event) {
  for (;;) {
    DWORD woken =
        MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0) return;
    if (woken == WAIT_FAILED) {
      WaitForSingleObject(event, INFINITE);
      return;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

class Win32WorkingWindow final : public WorkingWindow {
 public:
  Win32WorkingWindow(std::u16string title, std::chrono::milliseconds delay)
      : title_(std::move(title)), delay_(delay) {}

  void Run(const std::u16string& text, const std::function<void(const SayText&)>& task) override {
    const SayText unshown = [](const std::u16string&) {};
    SaidText said;
    said.text = text;
    Window window;
    Handle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.ok() || !window.Create(title_, text, &said)) {
      window.Destroy();
      task(unshown);
      return;
    }
    HWND target = window.get();
    const SayText say = [&said, target](const std::u16string& new_text) {
      {
        std::lock_guard<std::mutex> lock(said.mutex);
        said.text = new_text;
      }
      if (!said.posted.exchange(true) && !PostMessageW(target, kTextSaid, 0, 0)) {
        said.posted.store(false);
      }
    };
    std::exception_ptr failure;
    std::thread worker;
    try {
      worker = std::thread([&] {
        try {
          task(say);
        } catch (...) {
          failure = std::current_exception();
        }
        SetEvent(done.get());
      });
    } catch (const std::system_error&) {
      window.Destroy();
      task(unshown);
      return;
    }
    // A timer that cannot be set leaves the window hidden: the task still runs.
    SetTimer(target, kShowTimer, static_cast<UINT>(delay_.count()), nullptr);
    HandleMessagesUntil(done.get());
    worker.join();
    // Closing the active window hands the activation to another program's;
    // the right to take it back stays with this one, so that the box that
    // follows comes to the front.
    if (GetForegroundWindow() == target) AllowSetForegroundWindow(GetCurrentProcessId());
    window.Destroy();
    if (failure) std::rethrow_exception(failure);
  }

 private:
  std::u16string title_;
  std::chrono::milliseconds delay_;
};

}  // namespace

std::unique_ptr<WorkingWindow> MakeWorkingWindow(const std::u16string& title,
                                                 std::chrono::milliseconds delay) {
  return std::make_unique<Win32WorkingWindow>(title, delay);
}

}  // namespace quarnel
