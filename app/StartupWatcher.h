#pragma once
// Opens a tab, at start-up, on every browser the command line asks for (/watch, /embedded):
// lists the browsers as the selection dialogs do, off the window's thread, looks each one
// up there too (its browser object and page URL), and opens a tab on those whose caption or
// URL holds one of the texts. The listing is repeated on a timer for browsers that appear
// while the wait lasts; a browser is taken once. With /exit-when-done it reports when every
// watched browser has quit (or the wait ran out with none). The window's thread never waits
// for a browser here: it only starts the work and takes its outcome when it is done.
#include <windows.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "browser/BrowserListingWalk.h"
#include "commandline/OrmixCommandLine.h"
#include "threads/BoundedWork.h"
#include "threads/MarshalledInterface.h"

class COrmixView;

class CStartupWatcher {
 public:
  // How often the browsers are listed again while the wait lasts, and how often the watched
  // browsers are checked afterwards.
  static constexpr UINT kPollMs = 1000;
  // How long one round of looking up the listed browsers may take before it is given up
  // (a browser that does not answer); the next round tries again.
  static constexpr DWORD kLookupLimitMs = 10000;

  // `commandLine` must outlive the watcher; `allDone` runs once, on this thread, when
  // /exit-when-done was given and its moment has come.
  CStartupWatcher(COrmixView* view, const COrmixCommandLine& commandLine, std::function<void()> allDone);
  CStartupWatcher(const CStartupWatcher&) = delete;
  CStartupWatcher& operator=(const CStartupWatcher&) = delete;
  ~CStartupWatcher();

  void Start();
  // Whether a tab was opened on at least one browser.
  bool WatchedAny() const { return !m_watched.empty(); }

  // A listed browser, as the lookup needs it.
  struct Candidate {
    HWND window;          // the entry's window: top-level (shell) or rendering (embedded)
    std::string caption;  // the entry's text
    bool embedded;
  };
  // A browser the lookup found wanted, marshalled for this thread.
  struct Found {
    HWND window;
    CMarshalledInterface<IWebBrowser2> browser;
  };

 private:
  static LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Poll();
  bool WaitIsOver() const;
  bool IsBusy() const;
  void ListShellBrowsers();
  void ListEmbeddedBrowsers();
  void AddCandidates(const std::vector<BrowserListEntry>& entries, bool embedded);
  void LookUpCandidates();
  void OpenFound(std::optional<std::vector<Found>> found);
  void LetGoInBackground(std::vector<Found> found);
  // Whether every watched browser has quit or gone.
  bool AllWatchedGone() const;
  COrmixView* LiveView() const;

  COrmixView* m_pView;
  HWND m_hWndView;
  const COrmixCommandLine& m_commandLine;
  std::function<void()> m_allDone;
  DWORD m_startTick = 0;
  HWND m_hWndTimer = nullptr;

  CBrowserListingWalk m_shellListing;
  CBrowserListingWalk m_embeddedListing;
  std::vector<Candidate> m_candidates;
  CBoundedWork<std::vector<Found>> m_lookup;
  DWORD m_lookupStartTick = 0;
  CBoundedWork<bool> m_release;
  // Whether a round of listing and looking up has ended since start-up.
  bool m_bRoundEnded = false;
  bool m_bDone = false;

  // Entry windows already taken, and the tabs opened: the browser's window and the log's.
  std::set<HWND> m_taken;
  struct Watched {
    HWND browserWindow;
    HWND list;
  };
  std::vector<Watched> m_watched;
};
