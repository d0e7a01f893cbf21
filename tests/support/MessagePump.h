#pragma once
// Waiting without blocking the test thread's single-threaded apartment: incoming COM calls
// (browser events, releases) arrive as window messages, so every wait here keeps
// dispatching messages until its condition holds or its deadline passes.
#include <windows.h>

#include <functional>

namespace testsupport {

// Dispatches the messages already queued.
void PumpPendingMessages();
// Pumps until `done()` holds or `timeoutMs` has passed; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Pumps until one of the handles is signalled or `timeoutMs` has passed: WAIT_OBJECT_0 + i
// for handle i, or WAIT_TIMEOUT.
DWORD WaitPumping(const HANDLE* handles, DWORD count, DWORD timeoutMs);

}  // namespace testsupport
