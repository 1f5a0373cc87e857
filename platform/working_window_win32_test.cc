// The Win32 working window with a delay no test reaches: the window is made
// but stays hidden, so nothing appears on the screen the GUI tests use.
#include <windows.h>

#include <chrono>
#include <new>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/win32_util.h"
#include "platform/working_window.h"

namespace quarnel {
namespace {

constexpr char16_t kTitle[] = u"Quarnel working window test";

HWND FindWorkingWindow() { return FindWindowW(nullptr, Wide(kTitle)); }

std::unique_ptr<WorkingWindow> HiddenWindow() {
  return MakeWorkingWindow(kTitle, std::chrono::hours(1));
}

TEST(Win32WorkingWindow, RunsTheTaskOnAThreadOfItsOwnAndShowsTheLastTextSaid) {
  auto window = HiddenWindow();
  const std::thread::id caller = std::this_thread::get_id();
  std::thread::id runner;
  std::u16string shown;
  bool hidden = false;
  window->Run(u"working", [&](const WorkingWindow::SayText& say) {
    runner = std::this_thread::get_id();
    // Far more texts than a message queue holds while the window is busy.
    for (int i = 0; i <= 20000; ++i) say(u"stage " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)));
    HWND found = FindWorkingWindow();
    hidden = found != nullptr && !IsWindowVisible(found);
    // The window's thread takes the last text within moments.
    for (int tries = 0; found != nullptr && tries < 500; ++tries) {
      wchar_t text[64] = {};
      GetWindowTextW(GetWindow(found, GW_CHILD), text, 64);
      shown = FromWide(text, wcslen(text));
      if (shown == u"stage 0") break;
      Sleep(10);
    }
  });
  EXPECT_NE(runner, caller);
  EXPECT_TRUE(hidden) << "the window is shown before its delay, or was not made";
  EXPECT_EQ(shown, u"stage 0");
  EXPECT_EQ(FindWorkingWindow(), nullptr) << "the window outlives the task";
}

TEST(Win32WorkingWindow, ThrowsWhatTheTaskThrewAndIsGone) {
  auto window = HiddenWindow();
  EXPECT_THROW(window->Run(u"working", [](const WorkingWindow::SayText&) { throw std::bad_alloc(); }),
               std::bad_alloc);
  EXPECT_EQ(FindWorkingWindow(), nullptr);
  // And it runs the next task as well.
  int runs = 0;
  window->Run(u"working", [&](const WorkingWindow::SayText&) { ++runs; });
  EXPECT_EQ(runs, 1);
}

TEST(Win32WorkingWindow, RefusesToClose) {
  auto window = HiddenWindow();
  bool stayed = false;
  window->Run(u"working", [&](const WorkingWindow::SayText&) {
    HWND found = FindWorkingWindow();
    ASSERT_NE(found, nullptr);
    // Alt+F4 and the taskbar's "close" come as these.
    SendMessageW(found, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageW(found, WM_CLOSE, 0, 0);
    stayed = IsWindow(found) != 0;
  });
  EXPECT_TRUE(stayed);
}

}  // namespace
}  // namespace quarnel
