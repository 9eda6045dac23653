#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "platform/error.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "thread_runner.h"

namespace {

struct Blocked {
  HANDLE release;
  DWORD id = 0;
};

DWORD wait_then_return_id(void* parameter) {
  auto* blocked = static_cast<Blocked*>(parameter);
  blocked->id = GetCurrentThreadId();
  WaitForSingleObject(blocked->release, kPromptly);
  return 42;
}

TEST(Threads, HandleIsSignalledWithTheExitCodeWhenTheThreadEnds) {
  ScopedEvent release(true);
  Blocked blocked{release.get()};
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, wait_then_return_id, &blocked, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);

  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

  SetEvent(release.get());
  ASSERT_EQ(WaitForSingleObject(thread, kPromptly), WAIT_OBJECT_0);
  EXPECT_EQ(blocked.id, id);
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(CloseHandle(thread));

  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GetExitCodeThread(release.get(), &code)) << "an event is not a thread";
}

TEST(Threads, LivingThreadsHaveDistinctNonZeroIds) {
  ScopedEvent release(true);
  std::vector<Blocked> blocked(8, Blocked{release.get()});
  std::vector<HANDLE> threads;
  std::set<DWORD> ids{GetCurrentThreadId()};
  for (auto& one : blocked) {
    DWORD id = 0;
    threads.push_back(CreateThread(nullptr, 0, wait_then_return_id, &one, 0, &id));
    ASSERT_NE(threads.back(), nullptr);
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), blocked.size() + 1);
  EXPECT_FALSE(ids.contains(0u));
  SetEvent(release.get());
  EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE,
                                   kPromptly),
            WAIT_OBJECT_0);
  for (HANDLE thread : threads) CloseHandle(thread);
}

TEST(Threads, NewThreadTakesPostsAtOnceAndEndedThreadTakesNone) {
  UINT received = 0;
  DWORD id;
  {
    ThreadRunner receiver([&] {
      MSG msg;
      if (GetMessageA(&msg, nullptr, 0, 0) > 0) received = msg.message;
    });
    id = receiver.id();
    // Posted before the thread may have run at all.
    EXPECT_TRUE(PostThreadMessageA(id, WM_USER + 7, 0, 0));
  }
  EXPECT_EQ(received, WM_USER + 7);
  EXPECT_FALSE(PostThreadMessageA(id, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST(ThreadLocalSlots, ValuesArePerThreadAndAReusedSlotReadsNullEverywhere) {
  DWORD slot = TlsAlloc();
  ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
  int mine = 0, theirs = 0;
  ASSERT_TRUE(TlsSetValue(slot, &mine));

  ScopedEvent set(false), reused(false);
  void* seen_before = nullptr;
  void* seen_after = &theirs;
  ThreadRunner other([&] {
    seen_before = TlsGetValue(slot);
    TlsSetValue(slot, &theirs);
    SetEvent(set.get());
    WaitForSingleObject(reused.get(), kPromptly);
    seen_after = TlsGetValue(slot);
  });
  ASSERT_EQ(WaitForSingleObject(set.get(), kPromptly), WAIT_OBJECT_0);
  EXPECT_EQ(TlsGetValue(slot), &mine);

  ASSERT_TRUE(TlsFree(slot));
  EXPECT_FALSE(TlsFree(slot));
  EXPECT_EQ(TlsGetValue(slot), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(TlsSetValue(slot, &mine));

  // The lowest free slot comes back, so this is the same index again.
  ASSERT_EQ(TlsAlloc(), slot);
  SetLastError(ERROR_INVALID_HANDLE);
  EXPECT_EQ(TlsGetValue(slot), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  SetEvent(reused.get());
  other.join();
  EXPECT_EQ(seen_before, nullptr);
  EXPECT_EQ(seen_after, nullptr);
  EXPECT_TRUE(TlsFree(slot));

  EXPECT_EQ(TlsGetValue(100000), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(TickCount, AdvancesAtLeastAsFarAsASleep) {
  DWORD before = GetTickCount();
  Sleep(20);
  // Unsigned difference: correct across the counter's wrap.
  EXPECT_GE(GetTickCount() - before, 20u);
}

}  // namespace
