#pragma once
// Starts the browser simulator (ormix-sim.exe) for a test, drives it over its control pipe
// and ends it cleanly. Send() returns the simulator's reply line while pumping the calling
// thread's messages, because the events it triggers arrive in this thread's apartment as
// re-entrant COM calls.
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

class SimulatorProcess {
 public:
  SimulatorProcess() = default;
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;
  // Stops a simulator still running.
  ~SimulatorProcess();

  // Starts the simulator (stopping one this object still runs) with nothing kept from an
  // earlier one, and waits (pumping) for it to report ready; its ShellWindows
  // class is registered by then, and the shell's window list that this process reaches is
  // this simulator's, unless it is a host program's process (Problem() says what went
  // wrong otherwise). A window list left to a dead simulator is recovered from once.
  bool Start(DWORD timeoutMs = 20000);
  // Before Start: run as a host program's process instead (--host-only, under the file
  // name HostExecutablePath()), which embeds browser controls and serves no ShellWindows.
  void HostOnly() { m_hostOnly = true; }
  // Why the last Start failed, for a test's failure message.
  const std::string& Problem() const { return m_problem; }
  DWORD ProcessId() const { return m_processId; }
  // Writes command lines without waiting for replies; Reply() reads them in turn.
  bool Write(const std::string& lines) { return WriteLine(lines); }
  // The next reply line, or "" if none came in time.
  std::string Reply(DWORD timeoutMs = 20000);
  // Closes this end of the control pipe without a word, as a test that dies does; replies
  // not yet read go with it.
  void BreakPipe();
  // One command line; the reply line, or "" if the simulator did not answer in time.
  std::string Send(const std::string& command, DWORD timeoutMs = 20000);
  // As Send, but this thread handles no message while it waits, so no call into its
  // apartment is served meanwhile.
  std::string SendUnpumped(const std::string& command, DWORD timeoutMs = 20000);
  // Asks the simulator to exit and waits for its process, pumping; kills it by its own
  // handle only if it does not exit in time. True when it exited by itself.
  bool Stop(DWORD timeoutMs = 20000);
  bool IsRunning() const;
  DWORD ExitCode() const { return m_exitCode; }
  HANDLE Process() const { return m_process; }

  // Writes the COM registration that routes ShellWindows to the simulator.
  static bool Register(DWORD timeoutMs = 20000);
  static std::string ExecutablePath();
  // The simulator's copy for host programs, beside ExecutablePath().
  static std::string HostExecutablePath();

  // "key=value" fields of a reply: Field("OK count=2", "count") is "2".
  static std::string Field(const std::string& reply, const char* key);
  // Window handles of a field written as hexadecimal numbers, separated by commas.
  static std::vector<HWND> Windows(const std::string& reply, const char* key);
  static HWND Window(const std::string& reply, const char* key);
  // The HRESULTs of the "hr=" field.
  static std::vector<HRESULT> Results(const std::string& reply);

 private:
  bool StartOnce(DWORD timeoutMs);
  // Ends the COM service of this Wine session, with every class registration it holds.
  static void RestartComService();
  bool ReadLine(std::string* line, DWORD timeoutMs);
  // Empty when the shell's window list reached from another apartment of this process is
  // served by this simulator; otherwise what is wrong, and in `stale` whether no live
  // simulator answers for it.
  std::string CheckWindowList(bool* stale) const;
  bool WriteLine(const std::string& line);
  void CloseHandles();
  // Closes the pipe with everything read from it and not yet taken: what one simulator
  // wrote is never read as another's.
  void ClosePipe();

  HANDLE m_pipe = INVALID_HANDLE_VALUE;
  HANDLE m_process = nullptr;
  HANDLE m_readEvent = nullptr;
  // The read under way: members, so that a read whose cancelling does not end in time
  // (m_readStuck) never writes into freed memory.
  char m_chunk[4096] = {};
  OVERLAPPED m_overlapped = {};
  bool m_readStuck = false;
  std::string m_buffer;
  DWORD m_exitCode = STILL_ACTIVE;
  bool m_hostOnly = false;
  bool m_pumping = true;  // whether a wait for a reply handles this thread's messages
  DWORD m_processId = 0;
  std::string m_problem;
  // The last start found the shell's window list dead or not answering (not served by
  // another simulator that lives).
  bool m_staleWindowList = false;
};

}  // namespace testsupport
