#pragma once
// The items the simulator has open, by the ids the driving script gave them: browsers
// (automation object, documents, windows, the frames of their page), shell-folder windows,
// plain objects, and host programs with an embedded browser control. Keeps the ShellWindows
// collection in step with the items it lists (a host program's control is not among them)
// and has the incoming-call counter watch every browser object.
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/BrowserWindow.h"
#include "sim/EventArguments.h"
#include "sim/IncomingCallCounter.h"
#include "sim/PageFrames.h"
#include "sim/ShellWindowsCollection.h"
#include "sim/SimBrowser.h"
#include "sim/SimDocument.h"

namespace sim {

class BrowserSet {
 public:
  struct Entry {
    Microsoft::WRL::ComPtr<IDispatch> item;      // what the collection lists
    Microsoft::WRL::ComPtr<SimBrowser> browser;  // null for a plain object
    std::vector<Microsoft::WRL::ComPtr<SimDocument>> documents;
    std::unique_ptr<BrowserWindow> window;
    PageFrames frames;
  };
  using CommandQueue = std::function<void(const std::string& command)>;

  // `collection` may be null: the items of a thread of their own are listed by the main
  // thread.
  BrowserSet(ShellWindowsCollection* collection, CommandQueue queue);
  BrowserSet(const BrowserSet&) = delete;
  BrowserSet& operator=(const BrowserSet&) = delete;
  ~BrowserSet();

  bool OpenBrowser(const std::string& id, const std::wstring& title, const std::wstring& url, int panes,
                   bool visible, std::string* error);
  bool OpenFolder(const std::string& id, const std::wstring& title, bool visible, std::string* error);
  // `exitWhenAsked`: asking the item for a browser interface makes the simulator exit
  // (after answering).
  bool OpenOther(const std::string& id, bool exitWhenAsked, std::string* error);
  // A host program: a top-level window of its own class and caption embedding a browser
  // control that shows `title` at `url`; the shell's window list does not show it.
  bool OpenHost(const std::string& id, const std::wstring& caption, const std::wstring& title,
                const std::wstring& url, bool visible, std::string* error);
  // The browser's page gets `count` frames (0: none), each a browser object of its own.
  bool SetFrames(Entry& entry, size_t count, std::string* error);
  // A simulator that only hosts controls refuses the items the shell's window list shows.
  void RefuseListedItems() { m_hostOnly = true; }
  // Counts the calls other processes make into the browser objects from now on.
  void CountCalls(IncomingCallCounter* counter) { m_counter = counter; }
  // Calls other processes made into the browser (its connection point included) and into
  // each of its frames; -1 when calls are not counted.
  long CallsInto(const SimBrowser* browser) const;
  long TotalCalls() const { return m_counter ? m_counter->Total() : -1; }
  // Destroys the windows, takes the item out of the collection and lets go of the sinks.
  bool Close(const std::string& id);
  void CloseAll();

  Entry* Find(const std::string& id);
  size_t Count() const { return m_entries.size(); }
  size_t WindowCount() const;
  ArgumentObjects ObjectsFor(const Entry& entry) const;
  // Shows a new page title: frame caption, first document, location name.
  void SetTitle(Entry& entry, const std::wstring& title);
  void SetLocation(Entry& entry, const std::wstring& url);

 private:
  bool CheckNewId(const std::string& id, std::string* error) const;
  bool CheckListable(std::string* error) const;
  void Watch(SimBrowser* browser);
  void Forget(SimBrowser* browser);

  ShellWindowsCollection* m_collection;
  CommandQueue m_queue;
  Microsoft::WRL::ComPtr<IDispatch> m_other;  // the object "disp:other" names
  IncomingCallCounter* m_counter = nullptr;
  bool m_hostOnly = false;
  std::vector<std::string> m_order;
  std::map<std::string, Entry> m_entries;
};

}  // namespace sim
