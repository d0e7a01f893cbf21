#include "support/MessagePump.h"

namespace testsupport {

namespace {
constexpr DWORD kRecheckMs = 20;
}  // namespace

void PumpPendingMessages(const PreTranslate& preTranslate) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (preTranslate && preTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, const PreTranslate& preTranslate) {
  const DWORD start = GetTickCount();
  for (;;) {
    PumpPendingMessages(preTranslate);
    if (done()) return true;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return done();
    // Wake now and then even without a message: the condition may watch another process,
    // which sends this thread nothing when it changes.
    const DWORD slice = timeoutMs - elapsed < kRecheckMs ? timeoutMs - elapsed : kRecheckMs;
    MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

DWORD WaitPumping(const HANDLE* handles, DWORD count, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
    const DWORD result = MsgWaitForMultipleObjectsEx(count, handles, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result < WAIT_OBJECT_0 + count) return result;
    if (result == WAIT_OBJECT_0 + count) {
      PumpPendingMessages();
      if (remaining == 0) return WAIT_TIMEOUT;
      continue;
    }
    return WAIT_TIMEOUT;
  }
}

}  // namespace testsupport
