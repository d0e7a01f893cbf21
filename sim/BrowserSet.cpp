#include "sim/BrowserSet.h"

#include <algorithm>

#include "sim/PlainDispatch.h"

namespace sim {

BrowserSet::BrowserSet(ShellWindowsCollection* collection, CommandQueue queue)
    : m_collection(collection), m_queue(std::move(queue)) {
  m_other.Attach(new PlainDispatch);
}

BrowserSet::~BrowserSet() { CloseAll(); }

bool BrowserSet::CheckNewId(const std::string& id, std::string* error) const {
  if (m_entries.count(id)) {
    *error = "id in use: " + id;
    return false;
  }
  return true;
}

bool BrowserSet::CheckListable(std::string* error) const {
  if (!m_hostOnly) return true;
  *error = "this simulator only hosts browser controls";
  return false;
}

void BrowserSet::Watch(SimBrowser* browser) {
  if (m_counter)
    m_counter->Watch(browser, {static_cast<IWebBrowser2*>(browser), static_cast<IConnectionPointContainer*>(browser),
                               browser->ConnectionPoint(), static_cast<IConnectionPoint*>(browser->ConnectionPoint())});
}

void BrowserSet::Forget(SimBrowser* browser) {
  if (m_counter) m_counter->Forget(browser);
}

long BrowserSet::CallsInto(const SimBrowser* browser) const { return m_counter ? m_counter->Count(browser) : -1; }

bool BrowserSet::OpenBrowser(const std::string& id, const std::wstring& title, const std::wstring& url,
                             int panes, bool visible, std::string* error) {
  if (!CheckNewId(id, error) || !CheckListable(error)) return false;
  Entry entry;
  entry.browser.Attach(new SimBrowser(id, m_queue));
  std::vector<SimDocument*> documents;
  for (int i = 0; i < panes; ++i) {
    // Panes after the first stand for frames: their documents say which pane they are.
    const std::wstring suffix = i == 0 ? L"" : L" (pane " + std::to_wstring(i + 1) + L")";
    Microsoft::WRL::ComPtr<SimDocument> document;
    document.Attach(new SimDocument(entry.browser.Get(), title + suffix, url + (i == 0 ? L"" : L"#pane" + std::to_wstring(i + 1))));
    documents.push_back(document.Get());
    entry.documents.push_back(document);
  }
  entry.window = std::make_unique<BrowserWindow>(BrowserWindow::Kind::kBrowser, title, documents, visible,
                                                 [this, id]() { m_queue("close " + id + " quit"); });
  if (!entry.window->Frame()) {
    *error = "window not created";
    return false;
  }
  entry.browser->SetWindow(entry.window->Frame());
  entry.browser->SetDocument(static_cast<IHTMLDocument2*>(entry.documents[0].Get()));
  entry.browser->SetLocation(title, url);
  entry.item = static_cast<IWebBrowser2*>(entry.browser.Get());
  Watch(entry.browser.Get());
  if (m_collection) m_collection->Append(entry.item.Get());
  m_order.push_back(id);
  m_entries.emplace(id, std::move(entry));
  return true;
}

bool BrowserSet::OpenHost(const std::string& id, const std::wstring& caption, const std::wstring& title,
                          const std::wstring& url, bool visible, std::string* error) {
  if (!CheckNewId(id, error)) return false;
  Entry entry;
  entry.browser.Attach(new SimBrowser(id, m_queue));
  entry.browser->SetRole(SimBrowser::Role::kControl);
  Microsoft::WRL::ComPtr<SimDocument> document;
  document.Attach(new SimDocument(entry.browser.Get(), title, url));
  entry.documents.push_back(document);
  entry.window = std::make_unique<BrowserWindow>(BrowserWindow::Kind::kHost, caption,
                                                 std::vector<SimDocument*>{document.Get()}, visible,
                                                 [this, id]() { m_queue("close " + id); });
  if (!entry.window->Frame()) {
    *error = "window not created";
    return false;
  }
  entry.browser->SetWindow(entry.window->Frame());
  entry.browser->SetDocument(static_cast<IHTMLDocument2*>(document.Get()));
  entry.browser->SetLocation(title, url);
  entry.item = static_cast<IWebBrowser2*>(entry.browser.Get());
  Watch(entry.browser.Get());
  m_order.push_back(id);
  m_entries.emplace(id, std::move(entry));
  return true;
}

bool BrowserSet::SetFrames(Entry& entry, size_t count, std::string* error) {
  if (!entry.browser || entry.documents.empty()) {
    *error = "only a page in a browser has frames";
    return false;
  }
  for (const PageFrames::Frame& frame : entry.frames.Frames()) Forget(frame.browser.Get());
  entry.frames.Reset(count, entry.browser.Get(), entry.documents[0]->Title(), entry.browser->LocationUrl());
  for (const PageFrames::Frame& frame : entry.frames.Frames()) Watch(frame.browser.Get());
  return true;
}

bool BrowserSet::OpenFolder(const std::string& id, const std::wstring& title, bool visible, std::string* error) {
  if (!CheckNewId(id, error) || !CheckListable(error)) return false;
  Entry entry;
  entry.browser.Attach(new SimBrowser(id, m_queue));
  entry.window = std::make_unique<BrowserWindow>(BrowserWindow::Kind::kFolder, title, std::vector<SimDocument*>(), visible,
                                                 [this, id]() { m_queue("close " + id); });
  entry.browser->SetWindow(entry.window->Frame());
  Microsoft::WRL::ComPtr<IDispatch> view;
  view.Attach(new PlainDispatch);
  entry.browser->SetDocument(view.Get());
  entry.browser->SetLocation(title, L"file:///C:/" + title);
  entry.item = static_cast<IWebBrowser2*>(entry.browser.Get());
  Watch(entry.browser.Get());
  if (m_collection) m_collection->Append(entry.item.Get());
  m_order.push_back(id);
  m_entries.emplace(id, std::move(entry));
  return true;
}

bool BrowserSet::OpenOther(const std::string& id, bool exitWhenAsked, std::string* error) {
  if (!CheckNewId(id, error) || !CheckListable(error)) return false;
  Entry entry;
  std::function<void()> onAsked;
  if (exitWhenAsked) onAsked = [this]() { m_queue("exit"); };
  entry.item.Attach(new PlainDispatch(E_NOINTERFACE, onAsked));
  if (m_collection) m_collection->Append(entry.item.Get());
  m_order.push_back(id);
  m_entries.emplace(id, std::move(entry));
  return true;
}

bool BrowserSet::Close(const std::string& id) {
  auto it = m_entries.find(id);
  if (it == m_entries.end()) return false;
  Entry entry = std::move(it->second);
  m_entries.erase(it);
  m_order.erase(std::remove(m_order.begin(), m_order.end(), id), m_order.end());
  if (m_collection) m_collection->Remove(entry.item.Get());
  entry.window.reset();
  for (const PageFrames::Frame& frame : entry.frames.Frames()) Forget(frame.browser.Get());
  entry.frames.Clear();
  for (auto& document : entry.documents) {
    document->DetachBrowser();
    CoDisconnectObject(static_cast<IHTMLDocument2*>(document.Get()), 0);
  }
  if (entry.browser) {
    Forget(entry.browser.Get());
    entry.browser->Close();
    CoDisconnectObject(static_cast<IWebBrowser2*>(entry.browser.Get()), 0);
    CoDisconnectObject(entry.browser->ConnectionPoint(), 0);
  }
  return true;
}

void BrowserSet::CloseAll() {
  while (!m_order.empty()) Close(m_order.back());
  if (m_other) CoDisconnectObject(m_other.Get(), 0);
}

BrowserSet::Entry* BrowserSet::Find(const std::string& id) {
  auto it = m_entries.find(id);
  return it == m_entries.end() ? nullptr : &it->second;
}

size_t BrowserSet::WindowCount() const {
  size_t count = 0;
  for (const auto& entry : m_entries)
    if (entry.second.window) ++count;
  return count;
}

ArgumentObjects BrowserSet::ObjectsFor(const Entry& entry) const {
  ArgumentObjects objects;
  objects.browser = entry.item.Get();
  objects.document = entry.documents.empty() ? nullptr : static_cast<IHTMLDocument2*>(entry.documents[0].Get());
  objects.other = m_other.Get();
  for (const PageFrames::Frame& frame : entry.frames.Frames())
    objects.frames.push_back(static_cast<IWebBrowser2*>(frame.browser.Get()));
  return objects;
}

void BrowserSet::SetTitle(Entry& entry, const std::wstring& title) {
  if (!entry.documents.empty()) entry.documents[0]->SetTitle(title);
  if (entry.window) entry.window->ShowPageTitle(title);
  if (entry.browser) entry.browser->SetLocation(title, entry.browser->LocationUrl());
}

void BrowserSet::SetLocation(Entry& entry, const std::wstring& url) {
  if (!entry.documents.empty()) entry.documents[0]->SetUrl(url);
  if (entry.browser) entry.browser->SetLocation(entry.browser->LocationName(), url);
  if (entry.window) entry.window->Repaint();
}

}  // namespace sim
