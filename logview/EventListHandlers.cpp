// The listener slots of the event log: each runs its slot's default, then records the event
// through one routine, which, if the event's mask flag is set, appends a row with the
// event's name and its parameter text as the event's entry of the parameter formats makes
// it. No slot writes to an out-parameter, so cancel flags and the like stay as the browser
// passed them.
#include <string>

#include "events/EventCatalog.h"
#include "logview/EventListCtrl.h"
#include "log/EventParameterFormats.h"

namespace {

const char kQuitMessage[] = "Internet Explorerが終了しました。";

}  // namespace

using Base = CBrowserEventConnection;
using Args = EventArguments;

void CEventListCtrl::Record(size_t slot, const EventArguments& arguments) {
  if (!Get(kEventCatalog[slot].maskIndex)) return;
  const std::string name = std::string(kEventRowNamePrefix) + kEventCatalog[slot].name;
  using Origin = EventParameterFormat::Origin;
  const Origin origin = EventParameterFormatOf(slot).origin;
  const EventRowStore::Origin from =
      origin == Origin::None ? EventRowStore::Origin::None
                             : OriginOf(arguments.browser, origin == Origin::FromBrowserLoaded);
  // A frame is told by what the event itself carries: asking the frame would be a call into
  // the browser from this thread.
  const std::string frame = from == EventRowStore::Origin::Frame ? FrameLabelOf(slot, arguments) : std::string();
  AddEventRow(name.c_str(), FormatEventParameters(slot, arguments).c_str(), from, frame.c_str());
}

// clang-format off
void CEventListCtrl::StatusTextChange(const char* text) { Base::StatusTextChange(text); Record(kStatusTextChange, Args::Text(text)); }
void CEventListCtrl::ProgressChange(long progress, long progressMax) { Base::ProgressChange(progress, progressMax); Record(kProgressChange, Args::Numbers(progress, progressMax)); }
void CEventListCtrl::CommandStateChange(long command, BOOL enable) { Base::CommandStateChange(command, enable); Record(kCommandStateChange, Args::Numbers(command, enable)); }
void CEventListCtrl::DownloadBegin() { Base::DownloadBegin(); Record(kDownloadBegin, Args::None()); }
void CEventListCtrl::DownloadComplete() { Base::DownloadComplete(); Record(kDownloadComplete, Args::None()); }
void CEventListCtrl::PropertyChange(const char* property) { Base::PropertyChange(property); Record(kPropertyChange, Args::Text(property)); }
void CEventListCtrl::BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) { Base::BeforeNavigate2(browser, url, flags, targetFrameName, postData, headers, cancel); Record(kBeforeNavigate2, Args::Variants(browser, url, flags, targetFrameName, postData, headers)); }
void CEventListCtrl::NewWindow2(IDispatch** newBrowser, VARIANT_BOOL* cancel) { Base::NewWindow2(newBrowser, cancel); Record(kNewWindow2, Args::None()); }
void CEventListCtrl::NavigateComplete2(IDispatch* browser, VARIANT* url) { Base::NavigateComplete2(browser, url); Record(kNavigateComplete2, Args::Variants(browser, url)); }
void CEventListCtrl::DocumentComplete(IDispatch* browser, VARIANT* url) { Base::DocumentComplete(browser, url); Record(kDocumentComplete, Args::Variants(browser, url)); }
void CEventListCtrl::OnVisible(BOOL visible) { Base::OnVisible(visible); Record(kOnVisible, Args::Numbers(visible)); }
void CEventListCtrl::OnToolBar(BOOL toolBar) { Base::OnToolBar(toolBar); Record(kOnToolBar, Args::Numbers(toolBar)); }
void CEventListCtrl::OnMenuBar(BOOL menuBar) { Base::OnMenuBar(menuBar); Record(kOnMenuBar, Args::Numbers(menuBar)); }
void CEventListCtrl::OnStatusBar(BOOL statusBar) { Base::OnStatusBar(statusBar); Record(kOnStatusBar, Args::Numbers(statusBar)); }
void CEventListCtrl::OnFullScreen(BOOL fullScreen) { Base::OnFullScreen(fullScreen); Record(kOnFullScreen, Args::Numbers(fullScreen)); }
void CEventListCtrl::OnTheaterMode(BOOL theaterMode) { Base::OnTheaterMode(theaterMode); Record(kOnTheaterMode, Args::Numbers(theaterMode)); }
void CEventListCtrl::WindowSetResizable(BOOL resizable) { Base::WindowSetResizable(resizable); Record(kWindowSetResizable, Args::Numbers(resizable)); }
void CEventListCtrl::WindowSetLeft(long left) { Base::WindowSetLeft(left); Record(kWindowSetLeft, Args::Numbers(left)); }
void CEventListCtrl::WindowSetTop(long top) { Base::WindowSetTop(top); Record(kWindowSetTop, Args::Numbers(top)); }
void CEventListCtrl::WindowSetWidth(long width) { Base::WindowSetWidth(width); Record(kWindowSetWidth, Args::Numbers(width)); }
void CEventListCtrl::WindowSetHeight(long height) { Base::WindowSetHeight(height); Record(kWindowSetHeight, Args::Numbers(height)); }
void CEventListCtrl::WindowClosing(BOOL isChildWindow, VARIANT_BOOL* cancel) { Base::WindowClosing(isChildWindow, cancel); Record(kWindowClosing, Args::Numbers(isChildWindow)); }
void CEventListCtrl::ClientToHostWindow(long* width, long* height) { Base::ClientToHostWindow(width, height); Record(kClientToHostWindow, Args::None()); }
void CEventListCtrl::SetSecureLockIcon(long secureLockIcon) { Base::SetSecureLockIcon(secureLockIcon); Record(kSetSecureLockIcon, Args::Numbers(secureLockIcon)); }
void CEventListCtrl::FileDownload(VARIANT_BOOL* cancel) { Base::FileDownload(cancel); Record(kFileDownload, Args::None()); }
void CEventListCtrl::NavigateError(IDispatch* browser, VARIANT* url, VARIANT* frame, VARIANT* statusCode, VARIANT_BOOL* cancel) { Base::NavigateError(browser, url, frame, statusCode, cancel); Record(kNavigateError, Args::Variants(browser, url, frame, statusCode)); }
void CEventListCtrl::PrintTemplateInstantiation(IDispatch* browser) { Base::PrintTemplateInstantiation(browser); Record(kPrintTemplateInstantiation, Args::Variants(browser)); }
void CEventListCtrl::PrintTemplateTeardown(IDispatch* browser) { Base::PrintTemplateTeardown(browser); Record(kPrintTemplateTeardown, Args::Variants(browser)); }
void CEventListCtrl::UpdatePageStatus(IDispatch* browser, VARIANT* page, VARIANT* done) { Base::UpdatePageStatus(browser, page, done); Record(kUpdatePageStatus, Args::Variants(browser)); }
void CEventListCtrl::PrivacyImpactedStateChange(BOOL impacted) { Base::PrivacyImpactedStateChange(impacted); Record(kPrivacyImpactedStateChange, Args::Numbers(impacted)); }
// clang-format on

// The tab follows the title whether or not the event is recorded.
void CEventListCtrl::TitleChange(const char* text) {
  Base::TitleChange(text);
  if (m_pTitleObserver) m_pTitleObserver->OnTitleChange(this, text);
  Record(kTitleChange, Args::Text(text));
}

// The holder lets go of the browser first; the log stays, now without a browser, and says so
// whether or not the event itself is recorded. A trace asked for is written then.
void CEventListCtrl::OnQuit() {
  Base::OnQuit();
  Record(kOnQuit, Args::None());
  AddMessageRow("", kQuitMessage, kImageQuit);
  WriteTraceSoon();
}
