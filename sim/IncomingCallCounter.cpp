#include "sim/IncomingCallCounter.h"

namespace sim {

namespace {

// IRemUnknown {00000131-0000-0000-C000-000000000046} and IRemUnknown2 {00000143-...}: the
// interfaces on which one COM runtime asks another for an object's interfaces and counts
// its references. Their methods after IUnknown: RemQueryInterface (3), RemAddRef (4),
// RemRelease (5), RemQueryInterface2 (6).
const IID kRemUnknown = {0x00000131, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kRemUnknown2 = {0x00000143, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool IsRemoteQuery(const INTERFACEINFO& info) {
  if (info.iid != kRemUnknown && info.iid != kRemUnknown2) return false;
  return info.wMethod == 3 || info.wMethod == 6;
}

}  // namespace

thread_local IncomingCallCounter* IncomingCallCounter::s_installed = nullptr;

const IncomingCallCounter::Entry IncomingCallCounter::kInterfaces[] = {
    {&IID_IUnknown, As<IMessageFilter>},
    {&IID_IMessageFilter, As<IMessageFilter>},
    {},
};

bool IncomingCallCounter::Install() {
  IMessageFilter* previous = nullptr;
  if (FAILED(CoRegisterMessageFilter(this, &previous))) return false;
  if (previous) previous->Release();
  s_installed = this;
  g_queryInterfaceObserver = ObserveQuery;
  return true;
}

void IncomingCallCounter::Uninstall() {
  if (s_installed != this) return;
  s_installed = nullptr;
  IMessageFilter* previous = nullptr;
  CoRegisterMessageFilter(nullptr, &previous);
  if (previous) previous->Release();
}

void IncomingCallCounter::Watch(const void* object, std::initializer_list<const void*> pointers) {
  m_owners[object] = object;
  for (const void* pointer : pointers) m_owners[pointer] = object;
  m_counts.emplace(object, 0);
}

void IncomingCallCounter::Forget(const void* object) {
  for (auto it = m_owners.begin(); it != m_owners.end();) {
    if (it->second == object) it = m_owners.erase(it);
    else ++it;
  }
  m_counts.erase(object);
}

long IncomingCallCounter::Count(const void* object) const {
  auto it = m_counts.find(object);
  return it == m_counts.end() ? 0 : it->second;
}

void IncomingCallCounter::CountFor(const void* pointer) {
  auto owner = m_owners.find(pointer);
  if (owner != m_owners.end()) ++m_counts[owner->second];
}

void IncomingCallCounter::ObserveQuery(const void* object) {
  IncomingCallCounter* self = s_installed;
  // Only the first query after a remote one is its target; the simulator's own queries
  // (marshalling an event argument, a service lookup) are not calls from outside.
  if (!self || !self->m_remoteQueryPending) return;
  self->m_remoteQueryPending = false;
  self->CountFor(object);
}

bool IncomingCallCounter::HangAtCall(long calls, std::function<void()> hang) {
  const bool pending = m_hangAt != 0;
  m_hangAt = calls > 0 ? m_total + calls : 0;
  m_hang = calls > 0 ? std::move(hang) : nullptr;
  return pending;
}

DWORD IncomingCallCounter::HandleInComingCall(DWORD, HTASK, DWORD, INTERFACEINFO* info) {
  ++m_total;
  if (m_hangAt && m_total == m_hangAt) {
    std::function<void()> hang = std::move(m_hang);
    m_hangAt = 0;
    m_hang = nullptr;
    hang();
  }
  m_remoteQueryPending = false;
  if (!info) return SERVERCALL_ISHANDLED;
  if (IsRemoteQuery(*info)) m_remoteQueryPending = true;
  else CountFor(info->pUnk);
  return SERVERCALL_ISHANDLED;
}

// A rejected call is given up at once, as without a filter.
DWORD IncomingCallCounter::RetryRejectedCall(HTASK, DWORD, DWORD) { return static_cast<DWORD>(-1); }

DWORD IncomingCallCounter::MessagePending(HTASK, DWORD, DWORD) { return PENDINGMSG_WAITDEFPROCESS; }

}  // namespace sim
