// The message loop: idle passes, one frame per visible window in handle
// order, hidden and minimised windows, dead handles and the quit message.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "window/MessageLoop.h"
#include "window/Window.h"
#include "window/WindowRegistry.h"

namespace {

std::vector<std::string> g_log;

class ScriptedWindow : public Window {
 public:
  explicit ScriptedWindow(std::string name) : name(std::move(name)) {}
  // The native window must not outlive the object its procedure calls.
  ~ScriptedWindow() override {
    quitOnDestroy = false;
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    g_WindowMap.erase(hwnd);
  }
  std::string name;
  std::function<void(int frame)> onFrame;
  int frames = 0;
  bool quitOnDestroy = true;

  void OnDestroy(HWND hwnd) override {
    if (quitOnDestroy) Window::OnDestroy(hwnd);
  }

  void OnFrame() override {
    g_log.push_back(name);
    ++frames;
    if (onFrame) onFrame(frames);
  }
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER) g_log.push_back("message");
    return Window::HandleMessage(hwnd, message, wParam, lParam);
  }
  bool Open() {
    return Create(L"t", 64, 48, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr, WS_OVERLAPPEDWINDOW, 0,
                  nullptr);
  }
};

class MessageLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void TearDown() override {
    for (auto& [hwnd, window] : g_WindowMap)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    g_WindowMap.clear();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

TEST_F(MessageLoop, TwoWindowsGetOneFrameEachPassInCreationOrder) {
  ScriptedWindow a("a"), b("b");
  ASSERT_TRUE(a.Open());
  ASSERT_TRUE(b.Open());
  b.onFrame = [](int frame) {
    if (frame == 3) PostQuitMessage(0);
  };
  RunMessageLoop();
  EXPECT_EQ(g_log, (std::vector<std::string>{"a", "b", "a", "b", "a", "b"}));
  // The quit message ends the loop while both windows are alive.
  EXPECT_TRUE(IsWindow(a.GetHandle()));
  EXPECT_TRUE(IsWindow(b.GetHandle()));
}

TEST_F(MessageLoop, WaitingMessagesComeBeforeFramesOnePerPass) {
  ScriptedWindow a("a");
  ASSERT_TRUE(a.Open());
  for (int i = 0; i < 3; ++i) PostMessageW(a.GetHandle(), WM_USER, 0, 0);
  a.onFrame = [](int) { PostQuitMessage(0); };
  RunMessageLoop();
  EXPECT_EQ(g_log, (std::vector<std::string>{"message", "message", "message", "a"}));
}

TEST_F(MessageLoop, MinimisedAndHiddenWindowsGetNoFramesUntilRestored) {
  ScriptedWindow a("a"), b("b");
  ASSERT_TRUE(a.Open());
  ASSERT_TRUE(b.Open());
  ShowWindow(b.GetHandle(), SW_MINIMIZE);
  HWND bHandle = b.GetHandle();
  a.onFrame = [bHandle](int frame) {
    if (frame == 2) ShowWindow(bHandle, SW_RESTORE);
    if (frame == 3) ShowWindow(bHandle, SW_HIDE);
    if (frame == 5) ShowWindow(bHandle, SW_SHOW);
    if (frame == 6) PostQuitMessage(0);
  };
  RunMessageLoop();
  // Frame 2 of a restores b within that pass, so b runs right after it.
  EXPECT_EQ(g_log, (std::vector<std::string>{"a", "a", "b", "a", "a", "a", "b", "a", "b"}));
}

TEST_F(MessageLoop, ADestroyedWindowIsDroppedOnTheNextPass) {
  ScriptedWindow a("a"), b("b");
  ASSERT_TRUE(a.Open());
  ASSERT_TRUE(b.Open());
  HWND bHandle = b.GetHandle();
  a.onFrame = [bHandle](int frame) {
    if (frame == 1) DestroyWindow(bHandle);
    if (frame == 3) PostQuitMessage(0);
  };
  b.quitOnDestroy = false;  // so that the loop goes on after b is gone
  RunMessageLoop();
  EXPECT_EQ(g_log.front(), "a");
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "b"), 0);
  EXPECT_EQ(g_WindowMap.count(bHandle), 0u);
}

TEST_F(MessageLoop, ClosingTheWindowDestroysItAndEndsTheLoop) {
  ScriptedWindow a("a");
  ASSERT_TRUE(a.Open());
  HWND handle = a.GetHandle();
  a.onFrame = [handle](int frame) {
    if (frame == 2) PostMessageW(handle, WM_CLOSE, 0, 0);
    if (frame > 10) PostQuitMessage(1);  // a safety net; never reached when closing works
  };
  RunMessageLoop();
  EXPECT_EQ(a.frames, 2);
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(MessageLoop, NoWindowsMeansNoFrames) {
  PostQuitMessage(0);
  RunMessageLoop();
  EXPECT_TRUE(g_log.empty());
}

}  // namespace
