#include "support/RecordingListener.h"

#include <cstdio>

#include "events/EventCatalog.h"

std::string DescribePointer(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

namespace {
std::string Describe(const char* text) { return std::string("\"") + text + "\""; }
std::string Describe(long value) { return std::to_string(value); }
std::string Describe(int value) { return std::to_string(value); }
std::string Describe(const void* p) { return DescribePointer(p); }
}  // namespace

template <typename... T>
void RecordingListener::Record(size_t slot, const T&... values) {
  std::string args;
  ((args += (args.empty() ? "" : ",") + Describe(values)), ...);
  calls.push_back({slot, args});
}

void RecordingListener::StatusTextChange(const char* t) { Record(kStatusTextChange, t); }
void RecordingListener::ProgressChange(long p, long m) { Record(kProgressChange, p, m); }
void RecordingListener::CommandStateChange(long c, BOOL e) { Record(kCommandStateChange, c, e); }
void RecordingListener::DownloadBegin() { Record(kDownloadBegin); }
void RecordingListener::DownloadComplete() { Record(kDownloadComplete); }
void RecordingListener::TitleChange(const char* t) { Record(kTitleChange, t); }
void RecordingListener::PropertyChange(const char* p) { Record(kPropertyChange, p); }
void RecordingListener::BeforeNavigate2(IDispatch* b, VARIANT* u, VARIANT* f, VARIANT* t,
                                        VARIANT* p, VARIANT* h, VARIANT_BOOL* c) {
  Record(kBeforeNavigate2, b, u, f, t, p, h, c);
}
void RecordingListener::NewWindow2(IDispatch** b, VARIANT_BOOL* c) { Record(kNewWindow2, b, c); }
void RecordingListener::NavigateComplete2(IDispatch* b, VARIANT* u) { Record(kNavigateComplete2, b, u); }
void RecordingListener::DocumentComplete(IDispatch* b, VARIANT* u) { Record(kDocumentComplete, b, u); }
void RecordingListener::OnQuit() { Record(kOnQuit); }
void RecordingListener::OnVisible(BOOL v) { Record(kOnVisible, v); }
void RecordingListener::OnToolBar(BOOL v) { Record(kOnToolBar, v); }
void RecordingListener::OnMenuBar(BOOL v) { Record(kOnMenuBar, v); }
void RecordingListener::OnStatusBar(BOOL v) { Record(kOnStatusBar, v); }
void RecordingListener::OnFullScreen(BOOL v) { Record(kOnFullScreen, v); }
void RecordingListener::OnTheaterMode(BOOL v) { Record(kOnTheaterMode, v); }
void RecordingListener::WindowSetResizable(BOOL v) { Record(kWindowSetResizable, v); }
void RecordingListener::WindowSetLeft(long v) { Record(kWindowSetLeft, v); }
void RecordingListener::WindowSetTop(long v) { Record(kWindowSetTop, v); }
void RecordingListener::WindowSetWidth(long v) { Record(kWindowSetWidth, v); }
void RecordingListener::WindowSetHeight(long v) { Record(kWindowSetHeight, v); }
void RecordingListener::WindowClosing(BOOL child, VARIANT_BOOL* c) { Record(kWindowClosing, child, c); }
void RecordingListener::ClientToHostWindow(long* w, long* h) { Record(kClientToHostWindow, w, h); }
void RecordingListener::SetSecureLockIcon(long v) { Record(kSetSecureLockIcon, v); }
void RecordingListener::FileDownload(VARIANT_BOOL* c) { Record(kFileDownload, c); }
void RecordingListener::NavigateError(IDispatch* b, VARIANT* u, VARIANT* f, VARIANT* s,
                                      VARIANT_BOOL* c) {
  Record(kNavigateError, b, u, f, s, c);
}
void RecordingListener::PrintTemplateInstantiation(IDispatch* b) { Record(kPrintTemplateInstantiation, b); }
void RecordingListener::PrintTemplateTeardown(IDispatch* b) { Record(kPrintTemplateTeardown, b); }
void RecordingListener::UpdatePageStatus(IDispatch* b, VARIANT* p, VARIANT* d) {
  Record(kUpdatePageStatus, b, p, d);
}
void RecordingListener::PrivacyImpactedStateChange(BOOL v) { Record(kPrivacyImpactedStateChange, v); }
