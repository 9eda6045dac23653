#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/error.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "thread_runner.h"

namespace {

constexpr const char* kClassName = "PlatformTestWindow";
const HWND kMadeUpWindow = reinterpret_cast<HWND>(0x7654321);

// What a window's procedure saw, in order. Touched only on the owner thread.
struct Log {
  std::vector<MSG> calls;
  std::function<void(HWND, UINT)> hook;
};

LRESULT record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
  auto* log = reinterpret_cast<Log*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (log) {
    log->calls.push_back(MSG{window, message, wParam, lParam, 0});
    if (log->hook) log->hook(window, message);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = record;
    windowClass.cbWndExtra = 4;  // the width the design asks for; word 0 must still hold a pointer
    windowClass.lpszClassName = kClassName;
    atom_ = RegisterClassA(&windowClass);
    ASSERT_NE(atom_, 0);
  }
  void TearDown() override {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_TRUE(UnregisterClassA(kClassName, nullptr)) << "a test left a window behind";
  }

  static HWND create(Log* log) {
    return CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, log);
  }

  WORD atom_ = 0;
};

TEST_F(Windows, ClassesAreFoundWithoutCaseAndBadRegistrationsFail) {
  WNDCLASSA same{};
  same.lpfnWndProc = record;
  same.lpszClassName = "platformtestWINDOW";
  EXPECT_EQ(RegisterClassA(&same), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

  HWND byName = CreateWindowExA(0, "PLATFORMTESTWINDOW", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                nullptr, nullptr);
  HWND byAtom = CreateWindowExA(0, reinterpret_cast<const char*>(static_cast<uintptr_t>(atom_)),
                                "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(byName, nullptr);
  EXPECT_NE(byAtom, nullptr);
  EXPECT_TRUE(DestroyWindow(byName));
  EXPECT_TRUE(DestroyWindow(byAtom));

  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_FALSE(UnregisterClassA("NoSuchClass", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_DOES_NOT_EXIST);

  WNDCLASSA bad{};
  bad.lpfnWndProc = record;
  EXPECT_EQ(RegisterClassA(&bad), 0) << "no name";
  bad.lpszClassName = "";
  EXPECT_EQ(RegisterClassA(&bad), 0) << "empty name";
  bad.lpszClassName = "Other";
  bad.cbWndExtra = -4;
  EXPECT_EQ(RegisterClassA(&bad), 0) << "negative extra bytes";
  bad.cbWndExtra = 0;
  bad.lpfnWndProc = nullptr;
  EXPECT_EQ(RegisterClassA(&bad), 0) << "no procedure";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegisterClassA(nullptr), 0);
}

TEST_F(Windows, ClassCannotBeUnregisteredWhileItHasWindows) {
  HWND window = create(nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(UnregisterClassA(kClassName, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  EXPECT_TRUE(IsWindow(window)) << "the failed unregister must leave the window alone";
  EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(Windows, WordZeroAndUserDataHoldPointersAndBadAccessFails) {
  HWND window = create(nullptr);
  ASSERT_NE(window, nullptr);
  const auto pointer = static_cast<LONG_PTR>(reinterpret_cast<intptr_t>(&window) | 0x7F00000000LL);
  EXPECT_EQ(SetWindowLongPtrA(window, 0, pointer), 0);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 17), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, 0), pointer);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 18), 17);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 18);

  EXPECT_EQ(GetWindowLongPtrA(window, static_cast<int>(sizeof(LONG_PTR))), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  EXPECT_EQ(SetWindowLongPtrA(window, -1, 5), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

  SetWindowLongPtrA(window, GWLP_USERDATA, 0);  // the procedure reads it as its log
  ASSERT_TRUE(DestroyWindow(window));
  for (HWND gone : {window, kMadeUpWindow, static_cast<HWND>(nullptr)}) {
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_EQ(GetWindowLongPtrA(gone, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(SetWindowLongPtrA(gone, GWLP_USERDATA, 1), 0);
    EXPECT_FALSE(DestroyWindow(gone));
    EXPECT_EQ(SendMessageA(gone, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetWindowThreadProcessId(gone, nullptr), 0u);
  }
}

TEST_F(Windows, DestroyDeliversWmDestroyAtOnceAndDropsOnlyThatWindowsMessages) {
  Log doomed, kept;
  HWND first = create(&doomed);
  HWND second = create(&kept);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(doomed.calls.size(), 1u);
  EXPECT_EQ(doomed.calls[0].message, WM_CREATE);
  EXPECT_EQ(doomed.calls[0].lParam, reinterpret_cast<LPARAM>(&doomed));
  EXPECT_EQ(GetWindowThreadProcessId(first, nullptr), GetCurrentThreadId());

  SetWindowLongPtrA(first, 0, 99);
  LONG_PTR word_during_destroy = 0;
  BOOL post_during_destroy = TRUE;
  doomed.hook = [&](HWND window, UINT message) {
    if (message != WM_DESTROY) return;
    word_during_destroy = GetWindowLongPtrA(window, 0);
    post_during_destroy = PostMessageA(window, WM_USER + 9, 0, 0);
    PostQuitMessage(5);
  };

  PostMessageA(first, WM_USER + 1, 0, 0);
  PostMessageA(second, WM_USER + 2, 0, 0);
  PostMessageA(first, WM_USER + 3, 0, 0);
  ASSERT_TRUE(DestroyWindow(first));
  ASSERT_EQ(doomed.calls.back().message, WM_DESTROY);
  EXPECT_EQ(word_during_destroy, 99);
  EXPECT_FALSE(post_during_destroy);
  EXPECT_FALSE(IsWindow(first));

  EXPECT_FALSE(PostMessageA(first, WM_USER + 4, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(PostMessageA(kMadeUpWindow, WM_USER + 4, 0, 0));

  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.hwnd, second);
  EXPECT_EQ(msg.message, WM_USER + 2);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE) << "only the quit should be left";
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  // DefWindowProcA closes a window that is sent WM_CLOSE.
  EXPECT_EQ(SendMessageA(second, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(kept.calls.back().message, WM_DESTROY);
}

TEST_F(Windows, PeekHonoursRemovalAndWindowAndRangeFilters) {
  HWND first = create(nullptr);
  HWND second = create(nullptr);
  PostMessageA(first, WM_USER + 1, 10, 0);
  PostMessageA(second, WM_USER + 2, 20, 0);
  PostMessageA(nullptr, WM_USER + 3, 30, 0);  // a thread message
  PostMessageA(first, WM_USER + 4, 40, 0);

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  ASSERT_TRUE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  EXPECT_EQ(msg.wParam, 20u);
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 3);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(DispatchMessageA(&msg), 0) << "thread messages go to no procedure";
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 4, WM_USER + 9, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 4);
  EXPECT_FALSE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, first, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1) << "the unremoved message stayed at the front";
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  EXPECT_FALSE(PeekMessageA(&msg, kMadeUpWindow, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  EXPECT_EQ(GetMessageA(&msg, kMadeUpWindow, 0, 0), -1);
  EXPECT_EQ(DispatchMessageA(nullptr), 0);

  DestroyWindow(first);
  DestroyWindow(second);
}

TEST_F(Windows, MessagesFromManyThreadsArriveInTheOrderEachPosted) {
  Log log;
  HWND window = create(&log);
  constexpr int kPosters = 4;
  constexpr int kEach = 500;
  {
    std::vector<std::unique_ptr<ThreadRunner>> posters;
    for (int poster = 0; poster < kPosters; ++poster) {
      posters.push_back(std::make_unique<ThreadRunner>([=] {
        for (int n = 0; n < kEach; ++n) EXPECT_TRUE(PostMessageA(window, WM_USER, n, poster));
      }));
    }
    // Reading while the posters still post: GetMessageA sleeps and wakes.
    MSG msg;
    for (int received = 0; received < kPosters * kEach; ++received) {
      ASSERT_EQ(GetMessageA(&msg, window, 0, 0), TRUE);
      DispatchMessageA(&msg);
    }
  }
  std::vector<int> next(kPosters, 0);
  for (const MSG& call : log.calls) {
    if (call.message != WM_USER) continue;
    ASSERT_EQ(call.wParam, static_cast<WPARAM>(next[call.lParam])) << "poster " << call.lParam;
    ++next[call.lParam];
  }
  EXPECT_EQ(next, std::vector<int>(kPosters, kEach));
  DestroyWindow(window);
}

TEST_F(Windows, APostFromAnotherThreadWakesAThreadBlockedInGetMessage) {
  ScopedEvent ready(true), got(false);
  HWND window = nullptr;
  BOOL last = -2;
  ThreadRunner owner([&] {
    Log log;
    log.hook = [&](HWND, UINT message) {
      if (message == WM_USER) SetEvent(got.get());
      if (message == WM_DESTROY) PostQuitMessage(0);
    };
    window = create(&log);
    SetEvent(ready.get());
    MSG msg;
    while ((last = GetMessageA(&msg, nullptr, 0, 0)) > 0) DispatchMessageA(&msg);
  });
  ASSERT_EQ(WaitForSingleObject(ready.get(), kPromptly), WAIT_OBJECT_0);
  ASSERT_TRUE(PostMessageA(window, WM_USER, 0, 0));
  EXPECT_EQ(WaitForSingleObject(got.get(), kPromptly), WAIT_OBJECT_0);
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  ASSERT_EQ(WaitForSingleObject(owner.handle(), kPromptly), WAIT_OBJECT_0);
  owner.join();
  EXPECT_EQ(last, FALSE);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Windows, MsgWaitReturnsForAnEventAMessageOrTheTimeLimit) {
  ScopedEvent event(false);
  HANDLE handles[] = {event.get()};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(MsgWaitForMultipleObjects(1, handles, FALSE, 30, QS_ALLINPUT), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);

  SetEvent(event.get());
  EXPECT_EQ(MsgWaitForMultipleObjects(1, handles, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);

  // A message a peek left in the queue still ends the wait.
  PostMessageA(nullptr, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(MsgWaitForMultipleObjects(1, handles, FALSE, kPromptly, QS_ALLINPUT),
            WAIT_OBJECT_0 + 1);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, handles, FALSE, 0, 0), WAIT_TIMEOUT)
      << "without QS_POSTMESSAGE messages do not count";
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  DWORD me = GetCurrentThreadId();
  ThreadRunner poster([&] { PostThreadMessageA(me, WM_USER + 1, 0, 0); });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, handles, FALSE, kPromptly, QS_ALLINPUT),
            WAIT_OBJECT_0 + 1);
  poster.join();
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);

  EXPECT_EQ(MsgWaitForMultipleObjects(1, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
  HANDLE made_up[] = {reinterpret_cast<HANDLE>(0x5555)};
  EXPECT_EQ(MsgWaitForMultipleObjects(1, made_up, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
}

TEST_F(Windows, OnlyTheOwnerThreadCallsTheProcedureOrDestroys) {
  Log log;
  HWND window = create(&log);
  ThreadRunner stranger([&] {
    EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_WINDOW_OF_OTHER_THREAD);
    EXPECT_FALSE(DestroyWindow(window));
    MSG msg{window, WM_USER, 0, 0, 0};
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(GetMessageA(&msg, window, 0, 0), -1);
    // Posting and reading words are open to every thread.
    EXPECT_TRUE(PostMessageA(window, WM_USER + 1, 0, 0));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&log));
  });
  stranger.join();
  EXPECT_EQ(log.calls.size(), 1u) << "only WM_CREATE reached the procedure";
  EXPECT_TRUE(IsWindow(window));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  DestroyWindow(window);
}

TEST_F(Windows, AThreadsWindowsAndQueueEndWithIt) {
  HWND window = nullptr;
  {
    ThreadRunner owner([&] { window = create(nullptr); });
  }
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));

  // The same for a thread the platform did not start.
  DWORD id = 0;
  std::thread([&] {
    window = create(nullptr);
    id = GetCurrentThreadId();
  }).join();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(PostThreadMessageA(id, WM_USER, 0, 0));
  // TearDown's unregister proves the class no longer counts the windows.
}

TEST_F(Windows, AFullQueueRefusesFurtherPosts) {
  HWND window = create(nullptr);
  int accepted = 0;
  while (PostMessageA(window, WM_USER, 0, 0) && accepted <= 10000) ++accepted;
  EXPECT_EQ(accepted, 10000);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
  EXPECT_FALSE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0));
  DestroyWindow(window);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "destroy dropped them all";
}

}  // namespace
