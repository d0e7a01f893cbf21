#pragma once
// Where the events one connection receives from its browser wait for the window's thread.
// The receiving thread posts each event here as it comes; the window's thread's dispatcher
// delivers them there, in the order they came, in turn with everything else it runs. A
// mailbox on hold keeps what comes until it is resumed (a connection whose outcome is not
// yet known: its events are delivered after what the outcome writes). A closed mailbox
// delivers nothing more, not even what still waits.
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <cstdint>
#include <vector>

#include "framework/CopiedDispatchParams.h"

class CDispatcher;

// One event as it came in: its DISPID, its arguments copied, and for each by-value dispatch
// argument that named an object, whether that object was the connected browser itself, or
// else which of its frames.
struct ReceivedEvent {
  struct Origin {
    size_t position;  // in the argument array
    bool connectedBrowser;
    // A frame's number within the connection, the same for every event of that frame; 0 for
    // the connected browser, or for a frame beyond those told apart.
    uint32_t frame = 0;
  };
  DISPID dispid = 0;
  CCopiedDispatchParams params;
  std::vector<Origin> origins;
};

class CEventMailbox : public std::enable_shared_from_this<CEventMailbox> {
 public:
  using Delivery = std::function<void(ReceivedEvent&)>;

  // A mailbox delivering on the calling thread (which runs `delivery`); NULL when the thread
  // has no dispatcher.
  static std::shared_ptr<CEventMailbox> Create(Delivery delivery);

  // Any thread: queues `event` behind every event received before it. False when closed.
  bool Post(ReceivedEvent&& event);
  // The window's thread: events that come are kept until Resume.
  void Hold() { m_held = true; }
  // The window's thread: delivers what was kept, in order, and what comes from now on.
  void Resume();
  // The window's thread: nothing more is delivered or taken.
  void Close();
  bool IsOpen() const { return m_open.load(); }

 private:
  CEventMailbox(CDispatcher* dispatcher, Delivery delivery);
  void Deliver(ReceivedEvent& event);

  CDispatcher* m_dispatcher;
  Delivery m_delivery;  // the window's thread only
  std::atomic<bool> m_open{true};
  bool m_held = false;                 // the window's thread only
  std::deque<ReceivedEvent> m_kept;    // the window's thread only
};
