#include "browser/ReceivedEventQueue.h"

#include <deque>
#include <mutex>

#include "framework/MessageOnlyWindow.h"

namespace {

const char kQueueWindowClass[] = "OrmixReceivedEvents";
// Posted when the queue has gone from empty to holding events.
constexpr UINT kEventsWaitingMessage = WM_APP + 0x2F2;
// Set when a slice ended with events left while input or painting waited: a timer's message
// comes after those.
constexpr UINT_PTR kResumeTimerId = 1;
// Set when the queue has been emptied: events that come within its period are taken at its
// tick, so that during a burst the receiving thread queues them without waking this thread
// each time (a posted message costs the browser a call into the window system). The tick
// after one that found nothing ends it, and the next event posts again.
constexpr UINT_PTR kLingerTimerId = 2;
constexpr UINT kLingerMs = 10;
// How long one slice delivers: at most, and at least before input or painting that wait
// get their turn (so that a flood still moves while the window is busy).
constexpr DWORD kSliceMs = 30;
constexpr DWORD kMinSliceMs = 8;
// Deliveries between two looks at the clock and the input queue.
constexpr int kDeliveriesPerLook = 16;

}  // namespace

struct CReceivedEventQueue::Item {
  std::shared_ptr<CEventMailbox> mailbox;
  ReceivedEvent event;
};

struct CReceivedEventQueue::State {
  std::mutex lock;
  std::deque<Item> items;
  bool wakePending = false;  // a message or timer will come to drain
};

std::shared_ptr<CEventMailbox> CEventMailbox::Create(Delivery delivery) {
  CReceivedEventQueue* queue = CReceivedEventQueue::ForThisThread();
  if (!queue) return nullptr;
  return std::shared_ptr<CEventMailbox>(new CEventMailbox(queue, std::move(delivery)));
}

CEventMailbox::CEventMailbox(CReceivedEventQueue* queue, Delivery delivery)
    : m_queue(queue), m_delivery(std::move(delivery)) {}

bool CEventMailbox::Post(ReceivedEvent&& event) {
  if (!m_open.load()) return false;
  // The queue holds the mailbox until the event is delivered or dropped.
  m_queue->Push(shared_from_this(), std::move(event));
  return true;
}

void CEventMailbox::Close() {
  m_open.store(false);
  m_delivery = nullptr;  // what it holds goes now, on this thread
}

void CEventMailbox::Deliver(ReceivedEvent& event) {
  if (m_open.load() && m_delivery) {
    const Delivery delivery = m_delivery;  // a delivery may close this mailbox
    delivery(event);
  }
}

CReceivedEventQueue* CReceivedEventQueue::ForThisThread() {
  static thread_local CReceivedEventQueue* queue = nullptr;
  if (queue) return queue;
  HWND window = CreateMessageOnlyWindow(kQueueWindowClass, &CReceivedEventQueue::WindowProc);
  if (!window) return nullptr;
  queue = new CReceivedEventQueue(window);  // kept for the thread's life, as its window
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(queue));
  return queue;
}

CReceivedEventQueue::CReceivedEventQueue(HWND window) : m_window(window), m_state(std::make_unique<State>()) {}

void CReceivedEventQueue::Push(std::shared_ptr<CEventMailbox> mailbox, ReceivedEvent&& event) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->items.push_back(Item{std::move(mailbox), std::move(event)});
    wake = !m_state->wakePending;
    m_state->wakePending = true;
  }
  if (wake && !::PostMessageA(m_window, kEventsWaitingMessage, 0, 0)) {
    // The window's queue is full (and a timer can be set only by the window's own thread):
    // the next event tries again.
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->wakePending = false;
  }
}

void CReceivedEventQueue::DeliverAll() { Drain(0); }

void CReceivedEventQueue::Drain(DWORD sliceMs) {
  // One delivery at a time: a delivery that dispatches messages (a wait inside a listener)
  // must not deliver the events behind its own, which would then come first.
  if (m_delivering) return;
  const DWORD start = ::GetTickCount();
  int sinceLook = 0;
  bool delivered = false;
  for (;;) {
    Item item;
    {
      std::lock_guard<std::mutex> hold(m_state->lock);
      if (m_state->items.empty()) {
        // Still awake for the next tick if this drain found anything; asleep otherwise.
        if (!delivered || sliceMs == 0 || !::SetTimer(m_window, kLingerTimerId, kLingerMs, nullptr))
          m_state->wakePending = false;
        return;
      }
      item = std::move(m_state->items.front());
      m_state->items.pop_front();
    }
    m_delivering = true;
    item.mailbox->Deliver(item.event);
    m_delivering = false;
    delivered = true;
    if (sliceMs == 0 || ++sinceLook < kDeliveriesPerLook) continue;
    sinceLook = 0;
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed < kMinSliceMs) continue;
    const bool othersWait = HIWORD(::GetQueueStatus(QS_INPUT | QS_PAINT)) != 0;
    if (!othersWait && elapsed < sliceMs) continue;
    // Input and painting first when they wait; otherwise straight on after what is queued.
    if (othersWait || !::PostMessageA(m_window, kEventsWaitingMessage, 0, 0))
      ::SetTimer(m_window, kResumeTimerId, USER_TIMER_MINIMUM, nullptr);
    return;
  }
}

LRESULT CALLBACK CReceivedEventQueue::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* queue = reinterpret_cast<CReceivedEventQueue*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (queue && (message == kEventsWaitingMessage ||
                (message == WM_TIMER && (wParam == kResumeTimerId || wParam == kLingerTimerId)))) {
    if (message == WM_TIMER) ::KillTimer(window, wParam);
    queue->Drain(kSliceMs);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
