// Socket notifications under load: many selected sockets opened, used and
// closed from several threads at once (run under the thread sanitizer),
// and cancellation racing with a stream of arriving data.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "thread_runner.h"
#include "winsock_api.h"

namespace {

using Wsock32Notifier = WinsockTest;

// Each thread owns a window and pairs of datagram sockets; every datagram
// it sends must come back to it as an FD_READ and a receive.
TEST_F(Wsock32Notifier, ManySocketsFromSeveralThreads) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  constexpr int kPairs = 4;
  constexpr int kDatagrams = 5;
  std::vector<std::unique_ptr<ThreadRunner>> threads;
  std::atomic<int> received{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.push_back(std::make_unique<ThreadRunner>([&] {
      MessageWindow window;
      for (int round = 0; round < kRounds; ++round) {
        std::vector<SOCKET> receivers, senders;
        for (int i = 0; i < kPairs; ++i) {
          receivers.push_back(ws.bound_socket(SOCK_DGRAM));
          senders.push_back(ws.bound_socket(SOCK_DGRAM));
          ASSERT_EQ(ws.WSAAsyncSelect(receivers.back(), window.get(), kSocketMessage,
                                      FD_READ | FD_WRITE),
                    0);
          ASSERT_EQ(ws.WSAAsyncSelect(senders.back(), window.get(), kSocketMessage, FD_WRITE), 0);
        }
        for (int i = 0; i < kPairs; ++i) {
          for (int d = 0; d < kDatagrams; ++d) {
            ASSERT_EQ(ws.send_to(senders[i], receivers[i], "datagram"), 8);
          }
        }
        int left = kPairs * kDatagrams;
        MSG msg;
        while (left > 0 && window.next(msg, kPromptly)) {
          if (WSAGETSELECTEVENT(msg.lParam) != FD_READ) continue;
          char buffer[16];
          // Drain as the transport layer does, until the socket would block.
          while (ws.recvfrom(static_cast<SOCKET>(msg.wParam), buffer, sizeof(buffer), 0, nullptr,
                             nullptr) == 8) {
            --left;
            ++received;
          }
        }
        EXPECT_EQ(left, 0);
        // Half the receivers are cancelled first, the rest closed while
        // still selected.
        for (int i = 0; i < kPairs; ++i) {
          if (i % 2 == 0) {
            EXPECT_EQ(ws.WSAAsyncSelect(receivers[i], window.get(), 0, 0), 0);
          }
          EXPECT_EQ(ws.closesocket(receivers[i]), 0);
          EXPECT_EQ(ws.closesocket(senders[i]), 0);
        }
        window.clear();
      }
    }));
  }
  threads.clear();
  EXPECT_EQ(received.load(), kThreads * kRounds * kPairs * kDatagrams);
}

// Datagrams keep arriving from another thread while the selection is
// cancelled on a third: once the cancel has returned, the owner's queue
// gets nothing more for the socket.
TEST_F(Wsock32Notifier, CancelledSelectionPostsNothingMore) {
  SOCKET s = ws.bound_socket(SOCK_DGRAM);
  SOCKET sender = ws.bound_socket(SOCK_DGRAM);
  std::atomic<bool> stop{false};
  ThreadRunner blaster([&] {
    while (!stop) {
      ws.send_to(sender, s, "x");
      Sleep(0);
    }
  });

  ScopedEvent selected(true), cancelled(true), checked(true);
  int lateMessages = 0;
  ThreadRunner owner([&] {
    MessageWindow window;
    ASSERT_EQ(ws.WSAAsyncSelect(s, window.get(), kSocketMessage, FD_READ), 0);
    SetEvent(selected.get());
    // Keep receiving (and so re-enabling FD_READ) until the cancel is done.
    MSG msg;
    char buffer[8];
    while (WaitForSingleObject(cancelled.get(), 0) != WAIT_OBJECT_0) {
      if (window.next(msg, 10)) {
        while (ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr) > 0) {
        }
      }
    }
    window.clear();
    while (ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr) > 0) {
    }
    while (window.next(msg, 300)) ++lateMessages;
    SetEvent(checked.get());
  });
  ASSERT_EQ(WaitForSingleObject(selected.get(), kPromptly), WAIT_OBJECT_0);
  Sleep(50);
  EXPECT_EQ(ws.WSAAsyncSelect(s, nullptr, 0, 0), 0);
  SetEvent(cancelled.get());
  EXPECT_EQ(WaitForSingleObject(checked.get(), kPromptly), WAIT_OBJECT_0);
  stop = true;
  blaster.join();
  owner.join();
  EXPECT_EQ(lateMessages, 0);
  EXPECT_EQ(ws.closesocket(s), 0);
  EXPECT_EQ(ws.closesocket(sender), 0);
}

// A receive blocked on one thread ends when another thread closes the
// socket, instead of waiting for ever on a socket that is gone.
TEST_F(Wsock32Notifier, ClosingWakesABlockedReceive) {
  SOCKET s = ws.bound_socket(SOCK_DGRAM);
  ScopedEvent returned(true);
  int result = 0;
  ThreadRunner reader([&] {
    char buffer[8];
    result = ws.recvfrom(s, buffer, sizeof(buffer), 0, nullptr, nullptr);
    SetEvent(returned.get());
  });
  Sleep(100);
  EXPECT_EQ(ws.closesocket(s), 0);
  EXPECT_EQ(WaitForSingleObject(returned.get(), kPromptly), WAIT_OBJECT_0);
  reader.join();
  EXPECT_LE(result, 0);
}

}  // namespace
