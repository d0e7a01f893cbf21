#pragma once
// Listeners that write down every call they receive: its slot and a text of its arguments, so
// tests can check which operation an automation call reached and with what values. Texts are
// quoted, numbers and flags written as numbers, pointers as addresses; a derived class may
// write them otherwise, or keep the calls in its own way.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "browser/BrowserEventListener.h"
#include "events/EventCatalog.h"

struct ListenerCall {
  size_t slot;
  std::string args;
  bool operator==(const ListenerCall& other) const { return slot == other.slot && args == other.args; }
};
inline std::ostream& operator<<(std::ostream& out, const ListenerCall& call) {
  return out << kEventCatalog[call.slot].name << "(" << call.args << ")";
}

inline std::string DescribePointer(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

// Records the calls `Base` (a listener, or a connection holder that is one) receives.
template <class Base>
class RecordingOf : public Base {
 public:
  std::vector<ListenerCall> calls;

  void StatusTextChange(const char* t) override { Record(kStatusTextChange, t); }
  void ProgressChange(long p, long m) override { Record(kProgressChange, p, m); }
  void CommandStateChange(long c, BOOL e) override { Record(kCommandStateChange, c, e); }
  void DownloadBegin() override { Record(kDownloadBegin); }
  void DownloadComplete() override { Record(kDownloadComplete); }
  void TitleChange(const char* t) override { Record(kTitleChange, t); }
  void PropertyChange(const char* p) override { Record(kPropertyChange, p); }
  void BeforeNavigate2(IDispatch* b, VARIANT* u, VARIANT* f, VARIANT* t, VARIANT* p, VARIANT* h,
                       VARIANT_BOOL* c) override {
    Record(kBeforeNavigate2, b, u, f, t, p, h, c);
  }
  void NewWindow2(IDispatch** b, VARIANT_BOOL* c) override { Record(kNewWindow2, b, c); }
  void NavigateComplete2(IDispatch* b, VARIANT* u) override { Record(kNavigateComplete2, b, u); }
  void DocumentComplete(IDispatch* b, VARIANT* u) override { Record(kDocumentComplete, b, u); }
  void OnQuit() override {
    Base::OnQuit();
    Record(kOnQuit);
  }
  void OnVisible(BOOL v) override { Record(kOnVisible, v); }
  void OnToolBar(BOOL v) override { Record(kOnToolBar, v); }
  void OnMenuBar(BOOL v) override { Record(kOnMenuBar, v); }
  void OnStatusBar(BOOL v) override { Record(kOnStatusBar, v); }
  void OnFullScreen(BOOL v) override { Record(kOnFullScreen, v); }
  void OnTheaterMode(BOOL v) override { Record(kOnTheaterMode, v); }
  void WindowSetResizable(BOOL v) override { Record(kWindowSetResizable, v); }
  void WindowSetLeft(long v) override { Record(kWindowSetLeft, v); }
  void WindowSetTop(long v) override { Record(kWindowSetTop, v); }
  void WindowSetWidth(long v) override { Record(kWindowSetWidth, v); }
  void WindowSetHeight(long v) override { Record(kWindowSetHeight, v); }
  void WindowClosing(BOOL child, VARIANT_BOOL* c) override { Record(kWindowClosing, child, c); }
  void ClientToHostWindow(long* w, long* h) override { Record(kClientToHostWindow, w, h); }
  void SetSecureLockIcon(long v) override { Record(kSetSecureLockIcon, v); }
  void FileDownload(VARIANT_BOOL* c) override { Record(kFileDownload, c); }
  void NavigateError(IDispatch* b, VARIANT* u, VARIANT* f, VARIANT* s, VARIANT_BOOL* c) override {
    Record(kNavigateError, b, u, f, s, c);
  }
  void PrintTemplateInstantiation(IDispatch* b) override { Record(kPrintTemplateInstantiation, b); }
  void PrintTemplateTeardown(IDispatch* b) override { Record(kPrintTemplateTeardown, b); }
  void UpdatePageStatus(IDispatch* b, VARIANT* p, VARIANT* d) override { Record(kUpdatePageStatus, b, p, d); }
  void PrivacyImpactedStateChange(BOOL v) override { Record(kPrivacyImpactedStateChange, v); }

 protected:
  virtual void Heard(size_t slot, const std::string& args) { calls.push_back({slot, args}); }
  virtual std::string Describe(const char* text) { return std::string("\"") + text + "\""; }
  virtual std::string Describe(long value) { return std::to_string(value); }
  virtual std::string Describe(int value) { return std::to_string(value); }
  virtual std::string Describe(IDispatch* p) { return DescribePointer(p); }
  virtual std::string Describe(IDispatch** p) { return DescribePointer(p); }
  virtual std::string Describe(VARIANT* p) { return DescribePointer(p); }
  virtual std::string Describe(VARIANT_BOOL* p) { return DescribePointer(p); }
  virtual std::string Describe(long* p) { return DescribePointer(p); }

 private:
  template <typename... T>
  void Record(size_t slot, T... values) {
    std::string args;
    size_t written = 0;
    ((args += (written++ ? "," : "") + Describe(values)), ...);
    Heard(slot, args);
  }
};

using RecordingListener = RecordingOf<IBrowserEventListener>;
