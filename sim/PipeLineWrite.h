#pragma once
// Writes one line to an overlapped pipe with a bound on every wait, shared by the simulator's
// control channel and the test side that drives it: a write that does not end in time is
// cancelled, and one whose cancel does not end either is left to the system with its buffer
// and OVERLAPPED (kept on the heap), never finished by the system into freed memory.
#include <windows.h>

#include <string>

namespace sim {

// How long a cancelled write may take to end: cancelling completes it at once.
constexpr DWORD kPipeCancelLimitMs = 1000;

// `waitWritten(event)` waits for the pending write's event and says whether it was signalled
// within the caller's limit. Writes `line` and a line feed; whether all of it was written.
template <typename WaitWritten>
bool WritePipeLine(HANDLE pipe, const std::string& line, WaitWritten waitWritten) {
  struct Write {
    OVERLAPPED overlapped = {};
    std::string data;
  };
  auto* write = new Write;
  write->data = line + "\n";
  write->overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD written = 0;
  BOOL ok = WriteFile(pipe, write->data.data(), static_cast<DWORD>(write->data.size()), nullptr, &write->overlapped);
  if (!ok && GetLastError() == ERROR_IO_PENDING) {
    ok = waitWritten(write->overlapped.hEvent);
    if (!ok) {
      CancelIo(pipe);
      if (WaitForSingleObject(write->overlapped.hEvent, kPipeCancelLimitMs) != WAIT_OBJECT_0) return false;  // leaked
    }
  }
  const size_t size = write->data.size();
  if (ok) ok = GetOverlappedResult(pipe, &write->overlapped, &written, FALSE);
  CloseHandle(write->overlapped.hEvent);
  delete write;
  return ok && written == size;
}

}  // namespace sim
