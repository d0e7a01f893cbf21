#pragma once
// Waiting without blocking the test thread's single-threaded apartment: incoming COM calls
// (browser events, releases) arrive as window messages, so every wait here keeps
// dispatching messages until its condition holds or its deadline passes.
#include <windows.h>

#include <functional>

namespace testsupport {

// Offered each message before it is dispatched, as a program's loop offers it to its
// PreTranslateMessage; true when it has handled the message.
using PreTranslate = std::function<bool(MSG&)>;

// Dispatches the messages already queued.
void PumpPendingMessages(const PreTranslate& preTranslate = nullptr);
// Pumps until `done()` holds or `timeoutMs` has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs, const PreTranslate& preTranslate = nullptr);
// Pumps until one of the handles is signalled or `timeoutMs` has passed: WAIT_OBJECT_0 + i
// for handle i, or WAIT_TIMEOUT.
DWORD WaitPumping(const HANDLE* handles, DWORD count, DWORD timeoutMs);

}  // namespace testsupport
