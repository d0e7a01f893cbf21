// The way back to the window's thread, without a browser: the dispatcher's order, its guard
// against running tasks inside a task, its wake-up after a failed post and its slices; the
// mailboxes that carry received events through it.
#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "receiving/EventMailbox.h"
#include "threads/Dispatcher.h"
#include "support/MessagePump.h"

namespace {

constexpr DWORD kDeadlineMs = 10000;

CDispatcher& Dispatcher() {
  CDispatcher* dispatcher = CDispatcher::ForThisThread();
  EXPECT_NE(nullptr, dispatcher);
  return *dispatcher;
}

ReceivedEvent EventOf(DISPID dispid) {
  ReceivedEvent event;
  event.dispid = dispid;
  return event;
}

}  // namespace

// Tasks posted from other threads run here, in the order they were posted; one that handles
// messages while it runs (a modal loop) does not let those behind it run first.
TEST(DispatcherTest, RunsTasksInOrderAndNeverInsideAnother) {
  CDispatcher& dispatcher = Dispatcher();
  std::vector<int> ran;
  const DWORD here = ::GetCurrentThreadId();
  bool allHere = true;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i)
      dispatcher.Post([&, i] {
        allHere = allHere && ::GetCurrentThreadId() == here;
        ran.push_back(i);
        if (i == 10) testsupport::PumpUntil([] { return false; }, 50);  // a nested loop
      });
  });
  poster.join();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return ran.size() == 50; }, kDeadlineMs));
  for (int i = 0; i < 50; ++i) EXPECT_EQ(i, ran[i]);
  EXPECT_TRUE(allHere);
}

// A wake-up that cannot be posted strands nothing: it is tried again until it goes through,
// with no further task to carry it.
TEST(DispatcherTest, AFailedWakeUpIsTriedAgain) {
  CDispatcher& dispatcher = Dispatcher();
  // Idle first: no wake-up already on its way, nor a tick still awake after an earlier task.
  testsupport::PumpUntil([] { return false; }, 100);
  int failuresLeft = 3;
  dispatcher.SetWake([&failuresLeft](HWND window, UINT message) {
    if (failuresLeft > 0) {
      --failuresLeft;
      return false;
    }
    return ::PostMessageA(window, message, 0, 0) != FALSE;
  });
  bool ran = false;
  std::thread([&] { dispatcher.Post([&ran] { ran = true; }); }).join();
  EXPECT_TRUE(testsupport::PumpUntil([&] { return ran; }, kDeadlineMs));
  EXPECT_EQ(0, failuresLeft);
  dispatcher.SetWake(nullptr);
}

// A flood of tasks is run in slices: a window waiting to be painted is painted before the
// flood has been run.
TEST(DispatcherTest, AFloodLetsPaintingGoOn) {
  CDispatcher& dispatcher = Dispatcher();
  static int s_ran;
  static int s_ranWhenPainted;
  s_ran = 0;
  s_ranWhenPainted = -1;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message != WM_PAINT) return ::DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    ::BeginPaint(window, &paint);
    ::EndPaint(window, &paint);
    if (s_ranWhenPainted < 0) s_ranWhenPainted = s_ran;
    return 0;
  };
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "DispatcherTestPainted";
  ::RegisterClassA(&windowClass);
  const HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                        nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(nullptr, window);
  ::ValidateRect(window, nullptr);
  testsupport::PumpPendingMessages();
  s_ranWhenPainted = -1;
  constexpr int kFlood = 1000;  // a millisecond each: about a second in all
  for (int i = 0; i < kFlood; ++i)
    dispatcher.Post([] {
      ::Sleep(1);
      ++s_ran;
    });
  ::InvalidateRect(window, nullptr, FALSE);
  ASSERT_TRUE(testsupport::PumpUntil([] { return s_ran == kFlood; }, kDeadlineMs * 3));
  EXPECT_GE(s_ranWhenPainted, 0);
  EXPECT_LT(s_ranWhenPainted, kFlood);
  ::DestroyWindow(window);
}

// Events of several connections come in the order they were received, across mailboxes; a
// mailbox on hold keeps its events until resumed, then delivers them before later ones; a
// closed mailbox drops what still waits.
TEST(EventMailboxTest, DeliversInArrivalOrderHoldsAndDrops) {
  std::vector<std::string> delivered;
  auto deliverAs = [&delivered](const char* name) {
    return [&delivered, name](ReceivedEvent& event) { delivered.push_back(name + std::to_string(event.dispid)); };
  };
  const std::shared_ptr<CEventMailbox> a = CEventMailbox::Create(deliverAs("a"));
  const std::shared_ptr<CEventMailbox> b = CEventMailbox::Create(deliverAs("b"));
  const std::shared_ptr<CEventMailbox> held = CEventMailbox::Create(deliverAs("h"));
  const std::shared_ptr<CEventMailbox> closed = CEventMailbox::Create(deliverAs("c"));
  ASSERT_TRUE(a && b && held && closed);
  held->Hold();
  std::thread([&] {
    a->Post(EventOf(1));
    held->Post(EventOf(1));
    b->Post(EventOf(1));
    closed->Post(EventOf(1));
    a->Post(EventOf(2));
    b->Post(EventOf(2));
  }).join();
  closed->Close();
  EXPECT_FALSE(closed->Post(EventOf(2)));
  Dispatcher().RunAll();
  EXPECT_EQ((std::vector<std::string>{"a1", "b1", "a2", "b2"}), delivered);

  held->Post(EventOf(2));
  held->Resume();  // what it kept, at once
  Dispatcher().RunAll();  // then what came after
  EXPECT_EQ((std::vector<std::string>{"a1", "b1", "a2", "b2", "h1", "h2"}), delivered);
}
