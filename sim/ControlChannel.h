#pragma once
// The simulator's end of the control pipe a test opens for it: reads command lines with
// overlapped I/O (so the message loop keeps running while it waits) and writes one reply
// line per command.
#include <windows.h>

#include <string>
#include <vector>

namespace sim {

class ControlChannel {
 public:
  ControlChannel() = default;
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;
  ~ControlChannel();

  // Connects to the named pipe "\\.\pipe\NAME" and starts reading.
  bool Open(const std::string& name);
  bool IsOpen() const { return m_pipe != INVALID_HANDLE_VALUE; }
  // Signalled when a read has completed; wait on it together with the message queue.
  HANDLE ReadEvent() const { return m_overlapped.hEvent; }
  // Takes what the completed read brought, appends whole lines to `lines` and starts the
  // next read. False (and closed) when the other end has gone.
  bool OnReadCompleted(std::vector<std::string>* lines);
  bool WriteLine(const std::string& line);
  void Close();

 private:
  bool StartRead();

  HANDLE m_pipe = INVALID_HANDLE_VALUE;
  OVERLAPPED m_overlapped = {};
  char m_buffer[4096];
  std::string m_partial;
};

}  // namespace sim
