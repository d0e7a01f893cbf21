#pragma once
// Events received from browsers in the receiving apartment, on their way to the window's
// thread. A connection's mailbox takes its events on any thread, in the order they arrive;
// the queue of the window's thread hands them over there in that order, across every
// connection, in slices short enough that input and painting go on during a flood. A
// mailbox closed on the window's thread delivers nothing more, not even what still waits.
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "framework/CopiedDispatchParams.h"

// One event as it came in: its DISPID, its arguments copied, and for each by-value dispatch
// argument that named an object, whether that object was the connected browser itself.
struct ReceivedEvent {
  struct Origin {
    size_t position;  // in the argument array
    bool connectedBrowser;
  };
  DISPID dispid = 0;
  CCopiedDispatchParams params;
  std::vector<Origin> origins;
};

class CReceivedEventQueue;

class CEventMailbox : public std::enable_shared_from_this<CEventMailbox> {
 public:
  using Delivery = std::function<void(ReceivedEvent&)>;

  // A mailbox of the calling thread's queue (this thread runs `delivery`).
  static std::shared_ptr<CEventMailbox> Create(Delivery delivery);

  // Any thread: queues `event` behind every event received before it. False when closed.
  bool Post(ReceivedEvent&& event);
  // The window's thread: nothing more is delivered or taken.
  void Close();

 private:
  friend class CReceivedEventQueue;
  CEventMailbox(CReceivedEventQueue* queue, Delivery delivery);
  void Deliver(ReceivedEvent& event);

  CReceivedEventQueue* m_queue;
  Delivery m_delivery;  // the window's thread only
  std::atomic<bool> m_open{true};
};

class CReceivedEventQueue {
 public:
  // The queue of the calling thread, made on first use and kept for the thread's life; NULL
  // when its window cannot be made.
  static CReceivedEventQueue* ForThisThread();

  void Push(std::shared_ptr<CEventMailbox> mailbox, ReceivedEvent&& event);
  // Delivers what waits now, whatever the time it takes (for a caller that must see every
  // event received so far, such as a test or the end of the program). Not while a delivery
  // is under way on this thread.
  void DeliverAll();

 private:
  struct Item;
  struct State;
  explicit CReceivedEventQueue(HWND window);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Delivers for up to `sliceMs` (0: until none waits); then, if some are left, asks to be
  // called again after input and painting.
  void Drain(DWORD sliceMs);

  HWND m_window;
  std::unique_ptr<State> m_state;
  bool m_delivering = false;  // this thread is inside a delivery
};
