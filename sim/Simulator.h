#pragma once
// The simulator's message loop and command queue. Commands come from a scenario file, the
// control pipe and the windows themselves (closing by hand, Quit, Navigate2); they are
// queued and carried out one at a time from this loop, never from inside an incoming COM
// call or a window procedure, because COM's modal loop re-enters the window procedures
// while an event call is out.
#include <windows.h>
#include <wrl/client.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "sim/BrowserSet.h"
#include "sim/CommandInterpreter.h"
#include "sim/ControlChannel.h"
#include "sim/IncomingCallCounter.h"
#include "sim/ShellWindowsCollection.h"
#include "sim/ShellWindowsFactory.h"

namespace sim {

struct SimOptions {
  std::string pipeName;      // --pipe NAME
  std::string scenarioPath;  // --scenario FILE
  bool embedding = false;    // started by COM (-Embedding)
  bool hostOnly = false;     // --host-only: a host program's process, no ShellWindows
};

class Simulator {
 public:
  explicit Simulator(const SimOptions& options);
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;
  ~Simulator();

  // Registers the class object, runs until told to exit, shuts down; the process exit code.
  int Run();

 private:
  struct Pending {
    std::string line;
    bool fromChannel;
  };

  bool Start();
  void Shutdown();
  void Queue(const std::string& line, bool fromChannel) { m_queue.push_back({line, fromChannel}); }
  void ExecuteNext();
  bool PumpMessages();  // false on WM_QUIT
  void Pump(DWORD ms, const std::function<bool()>& done);
  // Stops answering for `ms` (a hung browser): serves nothing, but still watches the pipe.
  void Hang(DWORD ms);
  // Takes the lines a completed read of the pipe brought into the queue; when the test's end
  // has gone, marks the simulator to exit and returns false.
  bool ReadChannel();
  bool ShouldStop() const;
  void RevokeClassObject();

  SimOptions m_options;
  Microsoft::WRL::ComPtr<ShellWindowsCollection> m_collection;
  Microsoft::WRL::ComPtr<ShellWindowsFactory> m_factory;
  DWORD m_registration = 0;
  Microsoft::WRL::ComPtr<IncomingCallCounter> m_calls;
  std::unique_ptr<BrowserSet> m_browsers;
  std::unique_ptr<CommandInterpreter> m_interpreter;
  ControlChannel m_channel;
  std::deque<Pending> m_queue;
  std::vector<std::string> m_scenario;
  size_t m_scenarioNext = 0;
  bool m_executing = false;
  bool m_exit = false;
  bool m_served = false;       // a client has created the collection (started by COM)
  DWORD m_startTick = 0;
  DWORD m_servedTick = 0;
  int m_exitCode = 0;
};

}  // namespace sim
