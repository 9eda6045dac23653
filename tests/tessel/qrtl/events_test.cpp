#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "runtime_fixture.h"
#include "tessel/qrtl.h"

namespace {

// What the callbacks saw, in order: "<user data>:<event>".
std::vector<std::string> g_calls;

void Record(int32_t event, int32_t, uintptr_t userData, uintptr_t, uintptr_t) {
  g_calls.push_back(std::to_string(userData) + ":" + std::to_string(event));
}

class EventsTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    g_calls.clear();
  }
  void TearDown() override {
    for (QRTLEventHandle handle : handles_) QRTLRemoveEventHandler(handle);
    EXPECT_EQ(QRTLValidateContextCleanup(), 1);
    RuntimeTest::TearDown();
  }
  QRTLEventHandle Install(QRTLEventCallback callback, uintptr_t userData) {
    int32_t status = -1;
    QRTLEventHandle handle = QRTLInstallEventHandler(callback, userData, &status);
    EXPECT_EQ(status, 0);
    handles_.push_back(handle);
    return handle;
  }
  std::vector<QRTLEventHandle> handles_;
};

TEST_F(EventsTest, DeliveryReachesEnabledSubscribersNewestFirst) {
  QRTLEventHandle first = Install(Record, 1);
  QRTLEventHandle second = Install(Record, 2);
  QRTLEventHandle third = Install(Record, 3);
  ASSERT_EQ(QRTLAddEventRequest(first, 305), 0);
  ASSERT_EQ(QRTLAddEventRequest(second, 305), 0);
  ASSERT_EQ(QRTLAddEventRequest(third, 305), 0);
  ASSERT_EQ(QRTLAddEventRequest(third, 399), 0);
  ASSERT_EQ(QRTLDisableEvents(second), 0);
  EXPECT_EQ(QRTLAreEventsEnabled(second), 0);

  EXPECT_EQ(QRTLGenerateEvent(305, 3, 0, 0), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"3:305", "1:305"}));

  ASSERT_EQ(QRTLEnableEvents(second), 0);
  g_calls.clear();
  EXPECT_EQ(QRTLGenerateEvent(399, 3, 0, 0), 0);
  EXPECT_EQ(QRTLGenerateEvent(300, 3, 0, 0), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"3:399"}));
}

TEST_F(EventsTest, EventNumbersOutsideTheSubsystemAreRefusedAndLogged) {
  const std::string path = tessel_test::TempDirectory() + "/events.log";
  ASSERT_EQ(QRTLEnableLogging(path.c_str(), QRTL_LOG_ALL, 100), 0);
  QRTLEventHandle handle = Install(Record, 1);
  ASSERT_EQ(QRTLAddEventRequest(handle, 305), 0);
  EXPECT_EQ(QRTLGenerateEvent(305, 2, 0, 0), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLGenerateEvent(0, 0, 0, 0), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLGenerateEvent(200, 2, 0, 0), 0);
  EXPECT_EQ(QRTLGenerateEvent(299, 2, 0, 0), 0);
  EXPECT_TRUE(g_calls.empty());
  // The error line flushed the log on its own.
  EXPECT_NE(tessel_test::ReadFile(path).find(
                "\tQRTL\tError\tQRTLGenerateEvent event 305 is invalid for subsystem 2\r\n"),
            std::string::npos);
  QRTLDisableLogging();
  std::filesystem::remove(path);
}

TEST_F(EventsTest, ThreadWithoutHandlersIgnoresEverything) {
  EXPECT_EQ(QRTLGenerateEvent(305, 3, 0, 0), 0);
  EXPECT_EQ(QRTLGenerateEvent(0, 77, 0, 0), 0);
  EXPECT_EQ(QRTLValidateContextCleanup(), 1);
}

TEST_F(EventsTest, RequestsAndTheirListing) {
  QRTLEventHandle handle = Install(Record, 1);
  EXPECT_EQ(QRTLAddEventRequest(handle, 305), 0);
  EXPECT_EQ(QRTLAddEventRequest(handle, 305), QRTLWARN_DUP_EVENT);
  EXPECT_EQ(QRTLAddEventRequest(handle, 310), 0);
  EXPECT_EQ(QRTLIsEventHandled(handle, 310), 1);
  EXPECT_EQ(QRTLIsEventHandled(handle, 311), 0);

  int32_t status = -1;
  EXPECT_EQ(QRTLListEvents(handle, nullptr, &status), 12);
  EXPECT_EQ(status, 0);
  int32_t listed[3] = {-1, -1, -1};
  EXPECT_EQ(QRTLListEvents(handle, listed, nullptr), 12);
  EXPECT_EQ(listed[0], 310);
  EXPECT_EQ(listed[1], 305);
  EXPECT_EQ(listed[2], 0);

  EXPECT_EQ(QRTLRemoveEventRequest(handle, 305), 0);
  EXPECT_EQ(QRTLRemoveEventRequest(handle, 305), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLListEvents(handle, nullptr, nullptr), 8);
}

TEST_F(EventsTest, RequestEventsIsAllOrNothing) {
  QRTLEventHandle handle = Install(Record, 1);
  ASSERT_EQ(QRTLAddEventRequest(handle, 601), 0);
  const int32_t repeated[] = {305, 306, 305, 0};
  EXPECT_EQ(QRTLRequestEvents(handle, repeated, 0), 0);
  EXPECT_EQ(QRTLListEvents(handle, nullptr, nullptr), 12);
  EXPECT_EQ(QRTLIsEventHandled(handle, 601), 0);

  const int32_t zeroInside[] = {307, 0, 308};
  EXPECT_EQ(QRTLRequestEvents(handle, zeroInside, 3), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLListEvents(handle, nullptr, nullptr), 4);
  EXPECT_EQ(QRTLRequestEvents(handle, nullptr, 1), QRTLERR_INVALID_PARAM);
}

TEST_F(EventsTest, UnknownHandles) {
  QRTLEventHandle handle = Install(Record, 1);
  auto* bogus = reinterpret_cast<QRTLEventHandle>(uintptr_t{0x1234});
  EXPECT_EQ(QRTLRemoveEventHandler(bogus), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLAddEventRequest(bogus, 305), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLDisableEvents(bogus), QRTLERR_INVALID_PARAM);
  EXPECT_EQ(QRTLAreEventsEnabled(bogus), 0);
  int32_t status = 0;
  EXPECT_EQ(QRTLListEvents(bogus, nullptr, &status), 0);
  EXPECT_EQ(status, QRTLERR_INVALID_PARAM);

  // Another thread does not know this thread's handle.
  int32_t elsewhere = 0;
  std::thread([&] { elsewhere = QRTLAddEventRequest(handle, 305); }).join();
  EXPECT_EQ(elsewhere, QRTLERR_INVALID_PARAM);
}

TEST_F(EventsTest, RemovingTheLastHandlerFreesTheContext) {
  QRTLEventHandle handle = QRTLInstallEventHandler(Record, 1, nullptr);
  ASSERT_NE(handle, nullptr);
  ASSERT_EQ(QRTLAddEventRequest(handle, 305), 0);
  EXPECT_EQ(QRTLValidateContextCleanup(), 0);
  EXPECT_EQ(QRTLRemoveEventHandler(handle), 0);
  EXPECT_EQ(QRTLValidateContextCleanup(), 1);
  EXPECT_EQ(QRTLGenerateEvent(305, 3, 0, 0), 0);
  EXPECT_TRUE(g_calls.empty());
}

// A callback that generates its own event again, and another event.
int32_t g_innerResult = 0;
void Regenerate(int32_t event, int32_t subsystem, uintptr_t userData, uintptr_t, uintptr_t) {
  g_calls.push_back(std::to_string(userData) + ":" + std::to_string(event));
  if (event == 305) {
    g_innerResult = QRTLGenerateEvent(305, subsystem, 0, 0);
    EXPECT_EQ(QRTLGenerateEvent(306, subsystem, 0, 0), 0);
  }
}

TEST_F(EventsTest, RecursiveEventIsRefusedWhileTheOuterDeliveryGoesOn) {
  QRTLEventHandle last = Install(Record, 1);
  QRTLEventHandle first = Install(Regenerate, 2);
  ASSERT_EQ(QRTLAddEventRequest(last, 305), 0);
  ASSERT_EQ(QRTLAddEventRequest(last, 306), 0);
  ASSERT_EQ(QRTLAddEventRequest(first, 305), 0);
  EXPECT_EQ(QRTLGenerateEvent(305, 3, 0, 0), 0);
  EXPECT_EQ(g_innerResult, QRTLERR_EVENT_RECURSION);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"2:305", "1:306", "1:305"}));
  // Once delivered, the event may be generated again.
  g_calls.clear();
  EXPECT_EQ(QRTLGenerateEvent(305, 3, 0, 0), 0);
  EXPECT_EQ(g_calls.size(), 3u);
}

// A one-shot handler that removes itself, and the other subscribers, while
// the event is being delivered.
std::vector<QRTLEventHandle> g_toRemove;
void RemoveAll(int32_t event, int32_t, uintptr_t userData, uintptr_t, uintptr_t) {
  g_calls.push_back(std::to_string(userData) + ":" + std::to_string(event));
  for (QRTLEventHandle handle : g_toRemove) QRTLRemoveEventHandler(handle);
  g_toRemove.clear();
}

TEST_F(EventsTest, HandlersRemovedDuringDeliveryAreNotCalled) {
  QRTLEventHandle other = QRTLInstallEventHandler(Record, 1, nullptr);
  QRTLEventHandle self = QRTLInstallEventHandler(RemoveAll, 2, nullptr);
  ASSERT_EQ(QRTLAddEventRequest(other, 305), 0);
  ASSERT_EQ(QRTLAddEventRequest(self, 305), 0);
  g_toRemove = {self, other};
  EXPECT_EQ(QRTLGenerateEvent(305, 3, 0, 0), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"2:305"}));
  EXPECT_EQ(QRTLValidateContextCleanup(), 1);
}

// A callback that throws: the exception reaches the caller of
// QRTLGenerateEvent, and the thread's delivery state is as before it.
void Throw(int32_t event, int32_t, uintptr_t userData, uintptr_t, uintptr_t) {
  g_calls.push_back(std::to_string(userData) + ":" + std::to_string(event));
  throw std::runtime_error("from the callback");
}

TEST_F(EventsTest, ACallbackThatThrowsLeavesNoDeliveryBehind) {
  QRTLEventHandle handle = QRTLInstallEventHandler(Throw, 1, nullptr);
  ASSERT_EQ(QRTLAddEventRequest(handle, 305), 0);
  EXPECT_THROW(QRTLGenerateEvent(305, 3, 0, 0), std::runtime_error);
  // The event is no longer being delivered, so it may be generated again.
  EXPECT_THROW(QRTLGenerateEvent(305, 3, 0, 0), std::runtime_error);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"1:305", "1:305"}));
  // And the delivery let go of the context.
  EXPECT_EQ(QRTLRemoveEventHandler(handle), 0);
  EXPECT_EQ(QRTLValidateContextCleanup(), 1);
}

}  // namespace
