#pragma once
// The simulator's message loop and command queue. Commands come from a scenario file, the
// control pipe and the windows themselves (closing by hand, Quit, Navigate2); they are
// queued and carried out one at a time from this loop, never from inside an incoming COM
// call or a window procedure, because COM's modal loop re-enters the window procedures
// while an event call is out.
#include <windows.h>
#include <wrl/client.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "sim/BrowserSet.h"
#include "sim/BrowserThread.h"
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
  // Stops answering for `ms` (a hung browser `item`): serves nothing, but still watches the
  // pipe, and ends early when an `unhang` of the item is read.
  void Hang(DWORD ms, const std::string& item);
  // Takes the lines a completed read of the pipe brought into the queue; when the test's end
  // has gone, marks the simulator to exit and returns false.
  bool ReadChannel();
  // Notes an `unhang` line as soon as it is read: a hang holding the thread that would carry
  // it out (this one, or an item's own) must end before the command's turn can come.
  void NoteUnhang(const std::string& line);
  bool UnhangNoted(const std::string& item) const { return m_unhangs.count("") || m_unhangs.count(item); }
  // Carries out `unhang [ITEM]`: ends the hangs of the item (every item for ""), running or
  // waiting for their call; the reply.
  std::string Unhang(const std::string& item);
  bool ShouldStop() const;
  void RevokeClassObject();
  void ReserveFactoryReferences();
  // Loads the type libraries of the browser's and the document's interfaces and keeps them,
  // as a browser does: COM builds each stub from them, and would otherwise load them again
  // for every object it hands out.
  void KeepTypeLibraries();
  // Carries out a command for an item of a thread of its own (opening one included);
  // false when the command is the main thread's.
  bool ExecuteOnItemThread(const std::string& line, std::string* reply);
  // `all ID,ID,... COMMAND`: COMMAND, with `{id}` standing for each id, handed to every
  // named item's own thread at once (browsers that fire at the same moment); the reply
  // once all have answered.
  std::string ExecuteOnAll(const std::string& line, const std::vector<std::string>& tokens);
  // Waits for `handle` at most `ms`, pumping messages and watching the pipe; false when the
  // simulator is to end.
  bool WaitFor(HANDLE handle, DWORD ms);
  // Takes the commands that items of their own threads queued.
  void TakeThreadCommands();
  size_t ItemCount() const { return m_browsers->Count() + m_threads.size(); }

  SimOptions m_options;
  Microsoft::WRL::ComPtr<ShellWindowsCollection> m_collection;
  Microsoft::WRL::ComPtr<ShellWindowsFactory> m_factory;
  DWORD m_registration = 0;
  // References to the registered class object that no client holds (see ReserveFactoryReferences).
  std::vector<Microsoft::WRL::ComPtr<IStream>> m_factoryReserve;
  Microsoft::WRL::ComPtr<IncomingCallCounter> m_calls;
  std::unique_ptr<BrowserSet> m_browsers;
  std::unique_ptr<CommandInterpreter> m_interpreter;
  ControlChannel m_channel;
  std::vector<Microsoft::WRL::ComPtr<ITypeLib>> m_typeLibraries;
  // Items of threads of their own, by id; `m_stop` ends their waits when the simulator ends.
  std::map<std::string, std::unique_ptr<BrowserThread>> m_threads;
  HANDLE m_stop = nullptr;
  std::mutex m_threadCommandsLock;
  std::vector<std::string> m_threadCommands;
  HANDLE m_threadCommandsQueued = nullptr;
  std::deque<Pending> m_queue;
  // Items named by `unhang` lines read but not yet carried out ("" for every item).
  std::set<std::string> m_unhangs;
  // The item whose hang of the main thread waits for an incoming call, if any.
  std::string m_pendingHangItem;
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
