// The listener slots of the event log: each event, if its mask flag is set, becomes a row
// with the event's name and a text of its parameters. No slot writes to an out-parameter,
// so cancel flags and the like stay as the browser passed them.
#include <cstdio>
#include <initializer_list>
#include <string>

#include "events/EventCatalog.h"
#include "log/EventListCtrl.h"
#include "log/EventParameterText.h"

namespace {

const char kEventNamePrefix[] = "DIID_DWebBrowserEvents2::";
const char kQuitMessage[] = "Internet Explorerが終了しました。";

std::string Number(const char* label, long value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%s%ld", label, value);
  return text;
}

std::string Flag(const char* label, BOOL value) { return Number(label, value ? 1 : 0); }

std::string Text(const char* label, const std::string& value) { return label + value; }

// Parameter pieces are separated by two blanks.
std::string Join(std::initializer_list<std::string> pieces) {
  std::string result;
  bool first = true;
  for (const std::string& piece : pieces) {
    if (!first) result += "  ";
    result += piece;
    first = false;
  }
  return result;
}

}  // namespace

using Base = CBrowserEventConnection;

bool CEventListCtrl::IsSelected(size_t slot) const {
  return Get(kEventCatalog[slot].maskIndex) != 0;
}

void CEventListCtrl::LogEvent(size_t slot, const std::string& params, EventRowStore::Origin origin) {
  const std::string name = std::string(kEventNamePrefix) + kEventCatalog[slot].name;
  AddEventRow(name.c_str(), params.c_str(), origin);
}

void CEventListCtrl::StatusTextChange(const char* text) {
  Base::StatusTextChange(text);
  if (!IsSelected(kStatusTextChange)) return;
  LogEvent(kStatusTextChange, Text("Text:", text));
}

void CEventListCtrl::ProgressChange(long progress, long progressMax) {
  Base::ProgressChange(progress, progressMax);
  if (!IsSelected(kProgressChange)) return;
  LogEvent(kProgressChange,
           Join({Number("Progress:", progress), Number("ProgressMax:", progressMax)}));
}

void CEventListCtrl::CommandStateChange(long command, BOOL enable) {
  Base::CommandStateChange(command, enable);
  if (!IsSelected(kCommandStateChange)) return;
  LogEvent(kCommandStateChange, Join({Number("Command:", command), Flag("Enable:", enable)}));
}

void CEventListCtrl::DownloadBegin() {
  Base::DownloadBegin();
  if (!IsSelected(kDownloadBegin)) return;
  LogEvent(kDownloadBegin, "");
}

void CEventListCtrl::DownloadComplete() {
  Base::DownloadComplete();
  if (!IsSelected(kDownloadComplete)) return;
  LogEvent(kDownloadComplete, "");
}

void CEventListCtrl::TitleChange(const char* text) {
  Base::TitleChange(text);
  // The tab follows the title whether or not the event is recorded.
  if (m_pTitleObserver) m_pTitleObserver->OnTitleChange(this, text);
  if (!IsSelected(kTitleChange)) return;
  LogEvent(kTitleChange, Text("Text:", text));
}

void CEventListCtrl::PropertyChange(const char* property) {
  Base::PropertyChange(property);
  if (!IsSelected(kPropertyChange)) return;
  LogEvent(kPropertyChange, Text("Property:", property));
}

void CEventListCtrl::BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags,
                                     VARIANT* targetFrameName, VARIANT* postData,
                                     VARIANT* headers, VARIANT_BOOL* cancel) {
  Base::BeforeNavigate2(browser, url, flags, targetFrameName, postData, headers, cancel);
  if (!IsSelected(kBeforeNavigate2)) return;
  LogEvent(kBeforeNavigate2, Join({Text("URL:", TextOfBstrVariant(url)),
                                   Text("Flags:", TextOfIntegerVariant(flags)),
                                   Text("TargetFrameName:", TextOfBstrVariant(targetFrameName)),
                                   Text("PostData:", TextOfPostData(postData)),
                                   Text("Headers:", TextOfBstrVariant(headers))}),
           OriginOf(browser));
}

void CEventListCtrl::NewWindow2(IDispatch** newBrowser, VARIANT_BOOL* cancel) {
  Base::NewWindow2(newBrowser, cancel);
  if (!IsSelected(kNewWindow2)) return;
  LogEvent(kNewWindow2, "");
}

void CEventListCtrl::NavigateComplete2(IDispatch* browser, VARIANT* url) {
  Base::NavigateComplete2(browser, url);
  if (!IsSelected(kNavigateComplete2)) return;
  LogEvent(kNavigateComplete2, Text("URL:", TextOfBstrVariant(url)), OriginOf(browser));
}

void CEventListCtrl::DocumentComplete(IDispatch* browser, VARIANT* url) {
  Base::DocumentComplete(browser, url);
  if (!IsSelected(kDocumentComplete)) return;
  LogEvent(kDocumentComplete, Text("URL:", TextOfBstrVariant(url)), OriginOf(browser, true));
}

void CEventListCtrl::OnQuit() {
  // The holder lets go of the browser first; the log stays, now without a browser.
  Base::OnQuit();
  if (IsSelected(kOnQuit)) LogEvent(kOnQuit, "");
  AddMessageRow("", kQuitMessage, kImageQuit);
}

void CEventListCtrl::OnVisible(BOOL visible) {
  Base::OnVisible(visible);
  if (!IsSelected(kOnVisible)) return;
  LogEvent(kOnVisible, Flag("Visible:", visible));
}

void CEventListCtrl::OnToolBar(BOOL toolBar) {
  Base::OnToolBar(toolBar);
  if (!IsSelected(kOnToolBar)) return;
  LogEvent(kOnToolBar, Flag("ToolBar:", toolBar));
}

void CEventListCtrl::OnMenuBar(BOOL menuBar) {
  Base::OnMenuBar(menuBar);
  if (!IsSelected(kOnMenuBar)) return;
  LogEvent(kOnMenuBar, Flag("MenuBar:", menuBar));
}

void CEventListCtrl::OnStatusBar(BOOL statusBar) {
  Base::OnStatusBar(statusBar);
  if (!IsSelected(kOnStatusBar)) return;
  LogEvent(kOnStatusBar, Flag("StatusBar:", statusBar));
}

void CEventListCtrl::OnFullScreen(BOOL fullScreen) {
  Base::OnFullScreen(fullScreen);
  if (!IsSelected(kOnFullScreen)) return;
  LogEvent(kOnFullScreen, Flag("FullScreen:", fullScreen));
}

void CEventListCtrl::OnTheaterMode(BOOL theaterMode) {
  Base::OnTheaterMode(theaterMode);
  if (!IsSelected(kOnTheaterMode)) return;
  LogEvent(kOnTheaterMode, Flag("TheaterMode:", theaterMode));
}

void CEventListCtrl::WindowSetResizable(BOOL resizable) {
  Base::WindowSetResizable(resizable);
  if (!IsSelected(kWindowSetResizable)) return;
  LogEvent(kWindowSetResizable, Flag("Resizable:", resizable));
}

void CEventListCtrl::WindowSetLeft(long left) {
  Base::WindowSetLeft(left);
  if (!IsSelected(kWindowSetLeft)) return;
  LogEvent(kWindowSetLeft, Number("Left:", left));
}

void CEventListCtrl::WindowSetTop(long top) {
  Base::WindowSetTop(top);
  if (!IsSelected(kWindowSetTop)) return;
  LogEvent(kWindowSetTop, Number("Top:", top));
}

void CEventListCtrl::WindowSetWidth(long width) {
  Base::WindowSetWidth(width);
  if (!IsSelected(kWindowSetWidth)) return;
  LogEvent(kWindowSetWidth, Number("Width:", width));
}

void CEventListCtrl::WindowSetHeight(long height) {
  Base::WindowSetHeight(height);
  if (!IsSelected(kWindowSetHeight)) return;
  LogEvent(kWindowSetHeight, Number("Height:", height));
}

void CEventListCtrl::WindowClosing(BOOL isChildWindow, VARIANT_BOOL* cancel) {
  Base::WindowClosing(isChildWindow, cancel);
  if (!IsSelected(kWindowClosing)) return;
  LogEvent(kWindowClosing, Flag("IsChildWindow:", isChildWindow));
}

void CEventListCtrl::ClientToHostWindow(long* width, long* height) {
  Base::ClientToHostWindow(width, height);
  if (!IsSelected(kClientToHostWindow)) return;
  LogEvent(kClientToHostWindow, "");
}

void CEventListCtrl::SetSecureLockIcon(long secureLockIcon) {
  Base::SetSecureLockIcon(secureLockIcon);
  if (!IsSelected(kSetSecureLockIcon)) return;
  LogEvent(kSetSecureLockIcon, Number("SecureLockIcon:", secureLockIcon));
}

void CEventListCtrl::FileDownload(VARIANT_BOOL* cancel) {
  Base::FileDownload(cancel);
  if (!IsSelected(kFileDownload)) return;
  LogEvent(kFileDownload, "");
}

void CEventListCtrl::NavigateError(IDispatch* browser, VARIANT* url, VARIANT* frame,
                                   VARIANT* statusCode, VARIANT_BOOL* cancel) {
  Base::NavigateError(browser, url, frame, statusCode, cancel);
  if (!IsSelected(kNavigateError)) return;
  LogEvent(kNavigateError, Join({Text("URL:", TextOfBstrVariant(url)),
                                 Text("Frame:", TextOfBstrVariant(frame)),
                                 Text("StatusCode:", TextOfIntegerVariant(statusCode))}),
           OriginOf(browser));
}

void CEventListCtrl::PrintTemplateInstantiation(IDispatch* browser) {
  Base::PrintTemplateInstantiation(browser);
  if (!IsSelected(kPrintTemplateInstantiation)) return;
  LogEvent(kPrintTemplateInstantiation, "", OriginOf(browser));
}

void CEventListCtrl::PrintTemplateTeardown(IDispatch* browser) {
  Base::PrintTemplateTeardown(browser);
  if (!IsSelected(kPrintTemplateTeardown)) return;
  LogEvent(kPrintTemplateTeardown, "", OriginOf(browser));
}

void CEventListCtrl::UpdatePageStatus(IDispatch* browser, VARIANT* page, VARIANT* done) {
  Base::UpdatePageStatus(browser, page, done);
  if (!IsSelected(kUpdatePageStatus)) return;
  LogEvent(kUpdatePageStatus, "", OriginOf(browser));
}

void CEventListCtrl::PrivacyImpactedStateChange(BOOL impacted) {
  Base::PrivacyImpactedStateChange(impacted);
  if (!IsSelected(kPrivacyImpactedStateChange)) return;
  LogEvent(kPrivacyImpactedStateChange, Flag("Impacted:", impacted));
}
