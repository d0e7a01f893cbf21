#include "receiving/EventMailbox.h"

#include "threads/Dispatcher.h"

std::shared_ptr<CEventMailbox> CEventMailbox::Create(Delivery delivery) {
  CDispatcher* dispatcher = CDispatcher::ForThisThread();
  if (!dispatcher) return nullptr;
  return std::shared_ptr<CEventMailbox>(new CEventMailbox(dispatcher, std::move(delivery)));
}

CEventMailbox::CEventMailbox(CDispatcher* dispatcher, Delivery delivery)
    : m_dispatcher(dispatcher), m_delivery(std::move(delivery)) {}

bool CEventMailbox::Post(ReceivedEvent&& event) {
  if (!m_open.load()) return false;
  // The task holds the mailbox until the event is delivered or dropped.
  auto waiting = std::make_shared<ReceivedEvent>(std::move(event));
  m_dispatcher->Post([self = shared_from_this(), waiting] { self->Deliver(*waiting); });
  return true;
}

void CEventMailbox::Resume() {
  m_held = false;
  while (!m_kept.empty() && m_open.load()) {
    ReceivedEvent event = std::move(m_kept.front());
    m_kept.pop_front();
    Deliver(event);
  }
  m_kept.clear();
}

void CEventMailbox::Close() {
  m_open.store(false);
  m_kept.clear();
  m_delivery = nullptr;  // what it holds goes now, on this thread
}

void CEventMailbox::Deliver(ReceivedEvent& event) {
  if (!m_open.load() || !m_delivery) return;
  if (m_held) {
    m_kept.push_back(std::move(event));
    return;
  }
  const Delivery delivery = m_delivery;  // a delivery may close this mailbox
  delivery(event);
}
