#include "browser/WebBrowserEvents2.h"

#include <exdisp.h>

#include <iterator>

#include "events/EventCatalog.h"

ORMIX_IMPLEMENT_DYNCREATE(CWebBrowserEvents2, CCmdTarget)

namespace {

// One dispatch entry per catalogued event: its name, DISPID and declared parameter types
// come from the catalogue; the build fails if the handler's signature disagrees with them.
template <size_t Slot, auto Handler>
constexpr DispatchEntry SinkEntry() {
  return DispFunction<Handler>(kEventCatalog[Slot].name, kEventCatalog[Slot].dispid,
                               kEventCatalog[Slot].params);
}

using S = CWebBrowserEvents2;

// clang-format off
constexpr DispatchEntry kSinkDispatchEntries[] = {
  SinkEntry<kStatusTextChange,           &S::StatusTextChange>(),
  SinkEntry<kProgressChange,             &S::ProgressChange>(),
  SinkEntry<kCommandStateChange,         &S::CommandStateChange>(),
  SinkEntry<kDownloadBegin,              &S::DownloadBegin>(),
  SinkEntry<kDownloadComplete,           &S::DownloadComplete>(),
  SinkEntry<kTitleChange,                &S::TitleChange>(),
  SinkEntry<kPropertyChange,             &S::PropertyChange>(),
  SinkEntry<kBeforeNavigate2,            &S::BeforeNavigate2>(),
  SinkEntry<kNewWindow2,                 &S::NewWindow2>(),
  SinkEntry<kNavigateComplete2,          &S::NavigateComplete2>(),
  SinkEntry<kDocumentComplete,           &S::DocumentComplete>(),
  SinkEntry<kOnQuit,                     &S::OnQuit>(),
  SinkEntry<kOnVisible,                  &S::OnVisible>(),
  SinkEntry<kOnToolBar,                  &S::OnToolBar>(),
  SinkEntry<kOnMenuBar,                  &S::OnMenuBar>(),
  SinkEntry<kOnStatusBar,                &S::OnStatusBar>(),
  SinkEntry<kOnFullScreen,               &S::OnFullScreen>(),
  SinkEntry<kOnTheaterMode,              &S::OnTheaterMode>(),
  SinkEntry<kWindowSetResizable,         &S::WindowSetResizable>(),
  SinkEntry<kWindowSetLeft,              &S::WindowSetLeft>(),
  SinkEntry<kWindowSetTop,               &S::WindowSetTop>(),
  SinkEntry<kWindowSetWidth,             &S::WindowSetWidth>(),
  SinkEntry<kWindowSetHeight,            &S::WindowSetHeight>(),
  SinkEntry<kWindowClosing,              &S::WindowClosing>(),
  SinkEntry<kClientToHostWindow,         &S::ClientToHostWindow>(),
  SinkEntry<kSetSecureLockIcon,          &S::SetSecureLockIcon>(),
  SinkEntry<kFileDownload,               &S::FileDownload>(),
  SinkEntry<kNavigateError,              &S::NavigateError>(),
  SinkEntry<kPrintTemplateInstantiation, &S::PrintTemplateInstantiation>(),
  SinkEntry<kPrintTemplateTeardown,      &S::PrintTemplateTeardown>(),
  SinkEntry<kUpdatePageStatus,           &S::UpdatePageStatus>(),
  SinkEntry<kPrivacyImpactedStateChange, &S::PrivacyImpactedStateChange>(),
};
// clang-format on
static_assert(std::size(kSinkDispatchEntries) == kEventCount, "one dispatch entry per event");

const InterfaceEntry kSinkInterfaceEntries[] = {
  {&DIID_DWebBrowserEvents2, &CCmdTarget::DispatchInterface},
};

}  // namespace

const DispatchMap CWebBrowserEvents2::dispatchMap = {&CCmdTarget::dispatchMap, kSinkDispatchEntries,
                                                     std::size(kSinkDispatchEntries)};
const DispatchMap* CWebBrowserEvents2::GetDispatchMap() const { return &dispatchMap; }

const InterfaceMap CWebBrowserEvents2::interfaceMap = {
    &CCmdTarget::interfaceMap, kSinkInterfaceEntries, std::size(kSinkInterfaceEntries)};
const InterfaceMap* CWebBrowserEvents2::GetInterfaceMap() const { return &interfaceMap; }

CWebBrowserEvents2::CWebBrowserEvents2() : m_pListener(nullptr) { EnableAutomation(); }

CWebBrowserEvents2::~CWebBrowserEvents2() = default;

void CWebBrowserEvents2::OnFinalRelease() { CCmdTarget::OnFinalRelease(); }

BOOL CWebBrowserEvents2::SetListener(IBrowserEventListener* listener) {
  m_pListener = listener;
  return TRUE;
}

using L = IBrowserEventListener;

void S::StatusTextChange(const char* text) { Forward(&L::StatusTextChange, text); }
void S::ProgressChange(long progress, long progressMax) {
  Forward(&L::ProgressChange, progress, progressMax);
}
void S::CommandStateChange(long command, BOOL enable) {
  Forward(&L::CommandStateChange, command, enable);
}
void S::DownloadBegin() { Forward(&L::DownloadBegin); }
void S::DownloadComplete() { Forward(&L::DownloadComplete); }
void S::TitleChange(const char* text) { Forward(&L::TitleChange, text); }
void S::PropertyChange(const char* property) { Forward(&L::PropertyChange, property); }
void S::BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName,
                        VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) {
  Forward(&L::BeforeNavigate2, browser, url, flags, targetFrameName, postData, headers, cancel);
}
void S::NewWindow2(IDispatch** newBrowser, VARIANT_BOOL* cancel) {
  Forward(&L::NewWindow2, newBrowser, cancel);
}
void S::NavigateComplete2(IDispatch* browser, VARIANT* url) {
  Forward(&L::NavigateComplete2, browser, url);
}
void S::DocumentComplete(IDispatch* browser, VARIANT* url) {
  Forward(&L::DocumentComplete, browser, url);
}
void S::OnQuit() { Forward(&L::OnQuit); }
void S::OnVisible(BOOL visible) { Forward(&L::OnVisible, visible); }
void S::OnToolBar(BOOL toolBar) { Forward(&L::OnToolBar, toolBar); }
void S::OnMenuBar(BOOL menuBar) { Forward(&L::OnMenuBar, menuBar); }
void S::OnStatusBar(BOOL statusBar) { Forward(&L::OnStatusBar, statusBar); }
void S::OnFullScreen(BOOL fullScreen) { Forward(&L::OnFullScreen, fullScreen); }
void S::OnTheaterMode(BOOL theaterMode) { Forward(&L::OnTheaterMode, theaterMode); }
void S::WindowSetResizable(BOOL resizable) { Forward(&L::WindowSetResizable, resizable); }
void S::WindowSetLeft(long left) { Forward(&L::WindowSetLeft, left); }
void S::WindowSetTop(long top) { Forward(&L::WindowSetTop, top); }
void S::WindowSetWidth(long width) { Forward(&L::WindowSetWidth, width); }
void S::WindowSetHeight(long height) { Forward(&L::WindowSetHeight, height); }
void S::WindowClosing(BOOL isChildWindow, VARIANT_BOOL* cancel) {
  Forward(&L::WindowClosing, isChildWindow, cancel);
}
void S::ClientToHostWindow(long* width, long* height) {
  Forward(&L::ClientToHostWindow, width, height);
}
void S::SetSecureLockIcon(long secureLockIcon) { Forward(&L::SetSecureLockIcon, secureLockIcon); }
void S::FileDownload(VARIANT_BOOL* cancel) { Forward(&L::FileDownload, cancel); }
void S::NavigateError(IDispatch* browser, VARIANT* url, VARIANT* frame, VARIANT* statusCode,
                      VARIANT_BOOL* cancel) {
  Forward(&L::NavigateError, browser, url, frame, statusCode, cancel);
}
void S::PrintTemplateInstantiation(IDispatch* browser) {
  Forward(&L::PrintTemplateInstantiation, browser);
}
void S::PrintTemplateTeardown(IDispatch* browser) { Forward(&L::PrintTemplateTeardown, browser); }
void S::UpdatePageStatus(IDispatch* browser, VARIANT* page, VARIANT* done) {
  Forward(&L::UpdatePageStatus, browser, page, done);
}
void S::PrivacyImpactedStateChange(BOOL impacted) {
  Forward(&L::PrivacyImpactedStateChange, impacted);
}
