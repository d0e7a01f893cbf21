#include "app/StartupWatcher.h"

#include <wrl/client.h>

#include <optional>
#include <utility>

#include "browser/EmbeddedBrowserDiscovery.h"
#include "browser/SelectEmbeddedBrowserDlg.h"
#include "commandline/BrowserTextMatch.h"
#include "framework/AnsiString.h"
#include "threads/MessageOnlyWindow.h"
#include "view/OrmixView.h"

namespace {

const char kTimerWindowClass[] = "OrmixStartupWatcherTimer";
constexpr UINT_PTR kPollTimer = 1;

// The browser of a listed entry, as the selection dialogs reach it on OK. Runs on a worker.
Microsoft::WRL::ComPtr<IWebBrowser2> BrowserOf(const CStartupWatcher::Candidate& candidate) {
  Microsoft::WRL::ComPtr<IWebBrowser2> browser;
  const BOOL found = candidate.embedded ? GetBrowserFromServerWindow(candidate.window, browser.GetAddressOf())
                                        : CSelectBrowserDlg::ResolveShellBrowser(candidate.window, browser.GetAddressOf());
  if (!found) browser.Reset();
  return browser;
}

std::string LocationOf(IWebBrowser2* browser) {
  BSTR url = nullptr;
  std::string text;
  if (SUCCEEDED(browser->get_LocationURL(&url))) text = AnsiFromBstr(url);
  ::SysFreeString(url);
  return text;
}

}  // namespace

CStartupWatcher::CStartupWatcher(COrmixView* view, const COrmixCommandLine& commandLine,
                                 std::function<void()> allDone)
    : m_pView(view), m_hWndView(view ? view->m_hWnd : nullptr), m_commandLine(commandLine),
      m_allDone(std::move(allDone)), m_embeddedListing(&CSelectEmbeddedBrowserDlg::WalkEmbedded) {}

CStartupWatcher::~CStartupWatcher() {
  // Work still under way lets go of what it found on its own thread; nothing comes back.
  m_lookup.Abandon();
  if (m_hWndTimer) ::DestroyWindow(m_hWndTimer);
}

void CStartupWatcher::Start() {
  m_startTick = ::GetTickCount();
  m_hWndTimer = CreateMessageOnlyWindow(kTimerWindowClass, TimerWindowProc);
  if (m_hWndTimer) {
    ::SetWindowLongPtrA(m_hWndTimer, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetTimer(m_hWndTimer, kPollTimer, kPollMs, nullptr);
  }
  Poll();
}

LRESULT CALLBACK CStartupWatcher::TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_TIMER || wParam != kPollTimer) return ::DefWindowProcA(window, message, wParam, lParam);
  if (auto* watcher = reinterpret_cast<CStartupWatcher*>(::GetWindowLongPtrA(window, GWLP_USERDATA)))
    watcher->Poll();
  return 0;
}

COrmixView* CStartupWatcher::LiveView() const {
  return m_hWndView && CWnd::FromHandlePermanent(m_hWndView) == m_pView ? m_pView : nullptr;
}

bool CStartupWatcher::WaitIsOver() const {
  // However short the wait, the browsers running at start-up are looked at once.
  return m_bRoundEnded && ::GetTickCount() - m_startTick >= m_commandLine.WaitSeconds() * 1000u;
}

bool CStartupWatcher::IsBusy() const {
  // A lookup that has finished is busy until its completion has taken what it found.
  const auto lookup = m_lookup.GetState();
  return m_shellListing.IsRunning() || m_embeddedListing.IsRunning() ||
         lookup == CBoundedWorkBase::State::Running || lookup == CBoundedWorkBase::State::Finished;
}

void CStartupWatcher::Poll() {
  if (m_bDone || !LiveView()) return;
  // A round held up by a browser that does not answer is given up; the next one tries again.
  if (m_lookup.IsRunning() && ::GetTickCount() - m_lookupStartTick >= kLookupLimitMs) {
    m_lookup.Abandon();
    m_bRoundEnded = true;
  }
  if (IsBusy()) return;
  const bool waitIsOver = WaitIsOver();
  // Done: every watched browser has quit, or the wait ran out before any was found.
  if (m_commandLine.ExitWhenDone() && (m_watched.empty() ? waitIsOver : AllWatchedGone())) {
    m_bDone = true;
    if (m_hWndTimer) ::KillTimer(m_hWndTimer, kPollTimer);
    if (m_allDone) m_allDone();
    return;
  }
  if (!waitIsOver) {
    ListShellBrowsers();
    return;
  }
  // The wait is over: only the watched browsers are followed from here, for /exit-when-done.
  if (!m_commandLine.ExitWhenDone() && m_hWndTimer) ::KillTimer(m_hWndTimer, kPollTimer);
}

bool CStartupWatcher::AllWatchedGone() const {
  COrmixView* view = LiveView();
  for (const Watched& watched : m_watched)
    if (view && view->IsRecordingBrowser(watched.list) && ::IsWindow(watched.browserWindow)) return false;
  return true;
}

void CStartupWatcher::ListShellBrowsers() {
  m_candidates.clear();
  if (m_commandLine.WatchTexts().empty()) {
    ListEmbeddedBrowsers();
    return;
  }
  m_shellListing.Start([this](const std::vector<BrowserListEntry>& entries, CBrowserListingWalk::End) {
    AddCandidates(entries, false);
    ListEmbeddedBrowsers();
  });
}

void CStartupWatcher::ListEmbeddedBrowsers() {
  if (m_commandLine.EmbeddedTexts().empty()) {
    LookUpCandidates();
    return;
  }
  m_embeddedListing.Start([this](const std::vector<BrowserListEntry>& entries, CBrowserListingWalk::End) {
    AddCandidates(entries, true);
    LookUpCandidates();
  });
}

void CStartupWatcher::AddCandidates(const std::vector<BrowserListEntry>& entries, bool embedded) {
  for (const BrowserListEntry& entry : entries)
    if (!m_taken.count(entry.window)) m_candidates.push_back({entry.window, entry.caption, embedded});
}

void CStartupWatcher::LookUpCandidates() {
  if (m_candidates.empty()) {
    m_bRoundEnded = true;
    return;
  }
  std::vector<Candidate> candidates = std::move(m_candidates);
  m_candidates.clear();
  m_lookupStartTick = ::GetTickCount();
  const std::vector<std::string> shellTexts = m_commandLine.WatchTexts();
  const std::vector<std::string> embeddedTexts = m_commandLine.EmbeddedTexts();
  m_lookup.Start(
      [candidates, shellTexts, embeddedTexts] {
        std::vector<Found> found;
        for (const Candidate& candidate : candidates) {
          Microsoft::WRL::ComPtr<IWebBrowser2> browser = BrowserOf(candidate);
          if (!browser) continue;
          const std::vector<std::string>& wanted = candidate.embedded ? embeddedTexts : shellTexts;
          if (!IsWantedBrowser(candidate.caption, LocationOf(browser.Get()), wanted)) continue;
          Found one{candidate.window, {}};
          if (one.browser.Marshal(browser.Get())) found.push_back(std::move(one));
        }
        return found;
      },
      nullptr, [this](std::optional<std::vector<Found>> found) { OpenFound(std::move(found)); });
}

void CStartupWatcher::OpenFound(std::optional<std::vector<Found>> found) {
  m_bRoundEnded = true;
  COrmixView* view = LiveView();
  if (!found || !view) return;
  // Each tab connects on its own; opening it returns at once.
  for (Found& one : *found) {
    if (m_taken.count(one.window)) continue;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser = one.browser.Take();
    if (!browser) continue;
    m_taken.insert(one.window);
    if (const HWND list = view->OpenTabFor(browser.Detach(), m_commandLine.Events(), one.window))
      m_watched.push_back({one.window, list});
  }
  LetGoInBackground(std::move(*found));
}

void CStartupWatcher::LetGoInBackground(std::vector<Found> found) {
  // Letting go of a browser found but not opened (the window closed meanwhile) is a call into
  // it: that happens on a worker, which nobody waits for.
  auto rest = std::make_shared<std::vector<Found>>();
  for (Found& one : found)
    if (!one.browser.IsEmpty()) rest->push_back(std::move(one));
  if (rest->empty()) return;
  m_release.Start([rest] {
    rest->clear();
    return true;
  });
  m_release.Abandon();
}
