#include "sim/ControlChannel.h"

#include "sim/PipeLineWrite.h"

namespace sim {

namespace {

// How long a reply may take to go into the pipe. A reply is a line; the pipe holds 64 KB, so
// a write waits only when the test has stopped reading.
constexpr DWORD kWriteLimitMs = 10000;

}  // namespace

ControlChannel::~ControlChannel() { Close(); }

bool ControlChannel::Open(const std::string& name) {
  const std::string path = "\\\\.\\pipe\\" + name;
  m_pipe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                       nullptr);
  if (m_pipe == INVALID_HANDLE_VALUE) return false;
  m_overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return StartRead();
}

void ControlChannel::Close() {
  if (m_pipe != INVALID_HANDLE_VALUE) {
    CancelIo(m_pipe);
    CloseHandle(m_pipe);
    m_pipe = INVALID_HANDLE_VALUE;
  }
  if (m_overlapped.hEvent) {
    CloseHandle(m_overlapped.hEvent);
    m_overlapped.hEvent = nullptr;
  }
}

bool ControlChannel::StartRead() {
  ResetEvent(m_overlapped.hEvent);
  if (ReadFile(m_pipe, m_buffer, sizeof(m_buffer), nullptr, &m_overlapped)) return true;  // event is set
  if (GetLastError() == ERROR_IO_PENDING) return true;
  Close();
  return false;
}

bool ControlChannel::OnReadCompleted(std::vector<std::string>* lines) {
  if (!IsOpen()) return false;
  DWORD count = 0;
  if (!GetOverlappedResult(m_pipe, &m_overlapped, &count, FALSE)) {
    if (GetLastError() == ERROR_IO_INCOMPLETE) return true;
    Close();
    return false;
  }
  m_partial.append(m_buffer, count);
  size_t end;
  while ((end = m_partial.find('\n')) != std::string::npos) {
    std::string line = m_partial.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(line);
    m_partial.erase(0, end + 1);
  }
  return StartRead();
}

bool ControlChannel::WriteLine(const std::string& line) {
  if (!IsOpen()) return false;
  // A test that stops reading must not hold this thread, and with it every browser it
  // serves: the reply is given up after a while.
  return WritePipeLine(m_pipe, line,
                       [](HANDLE written) { return WaitForSingleObject(written, kWriteLimitMs) == WAIT_OBJECT_0; });
}

}  // namespace sim
