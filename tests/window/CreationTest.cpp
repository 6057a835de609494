// Window creation through the layer and the window layer: the message order
// Windows uses, frame metrics, and failures.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "compat/testing.h"
#include "window/Window.h"
#include "window/WindowRegistry.h"

namespace {

std::vector<UINT> g_messages;
CREATESTRUCTW g_createStruct;
LRESULT g_createAnswer = 0;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_messages.push_back(message);
  if (message == WM_CREATE) {
    g_createStruct = *reinterpret_cast<CREATESTRUCTW*>(lParam);
    return g_createAnswer;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterRecordingClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.lpszClassName = L"RECORDING";
  registered = RegisterClassExW(&windowClass) != 0;
}

class CountingWindow : public Window {
 public:
  int createAnswer = 1;
  int creates = 0;
  int OnCreate(HWND, CREATESTRUCTW* createStruct) override {
    ++creates;
    outerWidth = createStruct->cx;
    outerHeight = createStruct->cy;
    return createAnswer;
  }
  int outerWidth = 0, outerHeight = 0;
};

TEST(WindowCreation, MessagesArriveInTheOrderWindowsSendsThem) {
  RegisterRecordingClass();
  g_messages.clear();
  g_createAnswer = 0;
  HWND hwnd = CreateWindowExW(0, L"recording", L"t", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_GE(g_messages.size(), 4u);
  EXPECT_EQ(std::vector<UINT>(g_messages.begin(), g_messages.begin() + 4),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
  EXPECT_EQ(g_createStruct.cx, 300);
  EXPECT_EQ(g_createStruct.cy, 200);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 300 - 16);
  EXPECT_EQ(client.bottom, 200 - 39);
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowCreation, MinusOneFromCreateDestroysTheWindowAndFails) {
  RegisterRecordingClass();
  g_messages.clear();
  g_createAnswer = -1;
  HWND hwnd = CreateWindowExW(0, L"RECORDING", L"t", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                              nullptr);
  g_createAnswer = 0;
  EXPECT_EQ(hwnd, nullptr);
  EXPECT_NE(std::find(g_messages.begin(), g_messages.end(), static_cast<UINT>(WM_DESTROY)), g_messages.end());
}

TEST(WindowCreation, UnknownClassFails) {
  EXPECT_EQ(CreateWindowExW(0, L"NO_SUCH_CLASS", L"t", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), 1407u);
}

TEST(WindowCreation, OverlappedFrameMakesTheClientAreaSomewhatLarger) {
  RECT rect = {0, 0, 640, 480};
  ASSERT_TRUE(AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, FALSE, 0));
  EXPECT_EQ(rect.left, -8);
  EXPECT_EQ(rect.top, -31);
  EXPECT_EQ(rect.right - rect.left, 656);
  EXPECT_EQ(rect.bottom - rect.top, 519);
}

TEST(WindowObject, CreateRunsOnCreateWithTheOuterSizeAndRegistersTheWindow) {
  CountingWindow window;
  ASSERT_TRUE(window.Create(L"Application", 640, 480, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr,
                            WS_OVERLAPPEDWINDOW, 0, nullptr));
  EXPECT_EQ(window.creates, 1);
  EXPECT_EQ(window.outerWidth, 656);
  EXPECT_EQ(window.outerHeight, 519);
  EXPECT_EQ(g_CreatingWindow, nullptr);
  HWND hwnd = window.GetHandle();
  EXPECT_EQ(g_WindowMap.at(hwnd), &window);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & 0x02CF0000u, 0x02CF0000u);
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd, &placement);
  EXPECT_NE(placement.showCmd, static_cast<UINT>(SW_HIDE));
  // The pointer survives in pointer-sized window data.
  EXPECT_EQ(reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)), &window);
  DestroyWindow(hwnd);
  g_WindowMap.clear();
}

TEST(WindowObject, FailedCreateLeavesNoHandleAndAnEmptyMap) {
  CountingWindow window;
  window.createAnswer = 0;
  EXPECT_FALSE(window.Create(L"Application", 640, 480, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr,
                             WS_OVERLAPPEDWINDOW, 0, nullptr));
  EXPECT_EQ(window.GetHandle(), nullptr);
  EXPECT_TRUE(g_WindowMap.empty());
  EXPECT_EQ(g_CreatingWindow, nullptr);
  // Windows destroys the half-made window, which posts the quit message.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(WindowObject, CommandLineRoundTripsThroughTheWindowsRules) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(L"prog \"a b\" c\\\\\"d e\" \\\"x", &argc);
  ASSERT_EQ(argc, 4);
  EXPECT_STREQ(argv[1], L"a b");
  EXPECT_STREQ(argv[2], L"c\\d e");
  EXPECT_STREQ(argv[3], L"\"x");
  LocalFree(argv);
}

}  // namespace
