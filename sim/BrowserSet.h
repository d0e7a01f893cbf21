#pragma once
// The items the simulator has open, by the ids the driving script gave them: browsers
// (automation object, documents, windows), shell-folder windows and plain objects. Keeps
// the ShellWindows collection in step with them and raises events on a browser's sinks.
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/BrowserWindow.h"
#include "sim/EventArguments.h"
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
  };
  using CommandQueue = std::function<void(const std::string& command)>;

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

  ShellWindowsCollection* m_collection;
  CommandQueue m_queue;
  Microsoft::WRL::ComPtr<IDispatch> m_other;  // the object "disp:other" names
  std::vector<std::string> m_order;
  std::map<std::string, Entry> m_entries;
};

}  // namespace sim
