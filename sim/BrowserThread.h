#pragma once
// An item served by a thread of its own (`open ... thread=own`), as a real browser runs each
// window on a thread of its own: the item's objects, windows, call counter and message loop
// live there, so a browser that hangs holds its own thread and no other. The simulator's
// main thread hands it the commands that name the item, one at a time, and waits for each
// reply. The main thread's window list holds the item as a reference marshalled on the
// item's thread, which it hands to other processes without asking that thread anything.
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

class BrowserThread {
 public:
  using CommandQueue = std::function<void(const std::string& command)>;
  // How the main thread waits for a reply: pumping its messages and watching its pipe until
  // the event is signalled or the time is up; false when it must not wait any more (the
  // simulator is ending).
  using Wait = std::function<bool(HANDLE replied, DWORD ms)>;

  // `toMain` takes the commands the item queues itself (closed by hand, Quit, Navigate2);
  // `stop`, signalled when the simulator ends, also ends any wait of the thread.
  BrowserThread(CommandQueue toMain, HANDLE stop, bool showWindows);
  BrowserThread(const BrowserThread&) = delete;
  BrowserThread& operator=(const BrowserThread&) = delete;
  // Closes the item and ends the thread, waiting for it a bounded time.
  ~BrowserThread();

  // Starts the thread and opens the item there with `openLine`; the reply. On "OK ...",
  // Listed() is the item as the window list holds it.
  std::string Start(const std::string& openLine, const Wait& wait);
  // Carries out `line` on the thread; its reply, or "ERR ..." when none came in time.
  std::string Execute(const std::string& line, const Wait& wait) { return Await(Post(line), wait); }
  // Hands `line` to the thread without waiting for it, so that several items' threads can
  // work at once; the number its reply is awaited by.
  unsigned Post(const std::string& line);
  // The reply to the command of that number, or "ERR ..." when none came in time.
  std::string Await(unsigned number, const Wait& wait);
  // The item for the main thread's window list: handed to another process, it is the item's
  // own reference, marshalled table-strong on the item's thread when it opened (so whoever
  // unmarshals it asks the item's thread, never the main thread, for its references); called
  // within this process, it is the main thread's proxy.
  IDispatch* Listed() const { return m_listed.Get(); }
  // Called from the main thread: ends the item's hang at once, and any hang it starts until
  // the thread has carried out an `unhang` command (which also forgets a hang waiting for
  // its call).
  void EndHang() { SetEvent(m_unhang); }

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Run();
  // Takes the command handed over, if any, carries it out and replies.
  void ExecutePending(class CommandInterpreter& interpreter, class BrowserSet& browsers,
                      class IncomingCallCounter* counter);
  void Hang(DWORD ms) const;
  void Pump(DWORD ms, const std::function<bool()>& done) const;

  CommandQueue m_toMain;
  HANDLE m_stop;
  bool m_showWindows;
  HANDLE m_thread = nullptr;
  HANDLE m_commandReady = nullptr;
  HANDLE m_replied = nullptr;
  HANDLE m_quit = nullptr;
  HANDLE m_unhang = nullptr;
  Microsoft::WRL::ComPtr<IDispatch> m_item;
  Microsoft::WRL::ComPtr<IDispatch> m_listed;

  // Handed between the threads under m_lock: a command and its number, the reply to the
  // command of that number, and the item marshalled by the open command, for this thread and
  // for other processes.
  std::mutex m_lock;
  std::string m_command;
  unsigned m_commandNumber = 0;
  bool m_commandPending = false;
  std::string m_reply;
  unsigned m_replyNumber = 0;
  IStream* m_itemStream = nullptr;
  std::vector<BYTE> m_itemReference;
  bool m_itemIsBrowser = false;
};

}  // namespace sim
