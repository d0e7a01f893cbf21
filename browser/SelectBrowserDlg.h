#pragma once
// The modal dialog in which the user picks a running browser and the events to record.
// The caller copies its mask into m_eventMask, runs DoModal, and on IDOK takes m_pBrowser
// (one reference, now the caller's) and the chosen flags from m_eventMask. The dialog shows
// at once; the browsers are listed off its thread, and OK and Refresh wait for the listing.
// OK looks the chosen browser up off its thread too, and ends the dialog when it is found.
#include <windows.h>
#include <exdisp.h>

#include <string>
#include <vector>

#include "browser/BrowserListingWalk.h"
#include "events/EventMask.h"
#include "threads/BoundedWork.h"
#include "framework/Dialog.h"
#include "threads/MarshalledInterface.h"

class CSelectBrowserDlg : public CDialog {
 public:
  explicit CSelectBrowserDlg(CWnd* pParent = nullptr);

  int m_nSelected;
  IWebBrowser2* m_pBrowser;
  EventMask m_eventMask;
  // Set when the dialog ended with IDOK because the chosen browser did not answer in time
  // while it was looked up; m_pBrowser is NULL then.
  bool m_bNotAnswered = false;

  // A browser that a tab already watches: the window it was chosen from (its entry is marked
  // when selected) and the browser itself (borrowed, of this thread), which OK compares with
  // the one chosen by COM identity.
  struct WatchedBrowser {
    HWND window;
    IUnknown* browser;
    int tab;
    std::string label;
  };
  // Filled by the caller before DoModal.
  std::vector<WatchedBrowser> m_watched;
  // Set when the dialog ended with IDOK because the user chose to switch to the tab that
  // already watches the chosen browser; m_pBrowser is NULL then.
  int m_nSwitchToTab = -1;
  // On IDOK: the window of the entry chosen.
  HWND m_hWndChosen = nullptr;

  // Lists the running browsers in list box 1000; TRUE when the walk ran to its end.
  BOOL FillBrowserList();
  // Whether the listing started by the dialog is still under way.
  bool IsListing() const { return m_listing.IsRunning(); }
  // Whether OK's lookup of the chosen browser is still under way.
  bool IsLookingUp() const { return m_bLookingUp; }

  // The shell browser's step from its entry's window: the document of its rendering window,
  // then the document's browser. For any apartment; on TRUE the caller owns `*browser`.
  static BOOL ResolveShellBrowser(HWND window, IWebBrowser2** browser);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnRefresh();
  void OnSelectAll();
  void OnClearAll();
  void OnDestroy();
  void OnSelectionChange();

  // OK's step from the chosen entry's window to its browser, run on a worker apartment (so it
  // must not touch the dialog). On TRUE the caller owns `*browser`.
  using Resolver = BOOL (*)(HWND window, IWebBrowser2** browser);
  // A dialog of the same controls and rules on template `nIDTemplate`, listing with `walker`
  // and reaching the chosen entry's browser with `resolve`.
  CSelectBrowserDlg(UINT nIDTemplate, CBrowserListingWalk::Walker walker, Resolver resolve, CWnd* pParent);
  // The status line's text for a listing that found nothing, every browser having answered.
  UINT m_nNothingListedText;

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  void SetAllChecks(int state);
  // Refuses OK with a message and removes the chosen entry, whose browser is gone.
  void RejectVanishedBrowser();
  void ShowMessage(const char* text);
  // Starts listing; the entry whose window is `remembered` is selected again afterwards.
  void StartListing(HWND remembered);
  void ShowListing(const std::vector<BrowserListEntry>& entries, CBrowserListingWalk::End end, HWND remembered);
  // The line under the list that says how the listing went; made here, beside the template's
  // controls, so the template holds only the dialog's own.
  void CreateStatusLine();
  // The line's text when no entry is selected: the listing's status, else which of the
  // listed browsers a tab already watches.
  std::string ListingStatusLine() const;
  void SetListingStatus(const char* text);
  // The status line: the note that a tab already watches the selected entry's browser, else
  // the listing's status.
  void ShowStatusLine();
  // The watched browser that is `browser` (by COM identity), or NULL.
  const WatchedBrowser* WatchedAs(IUnknown* browser) const;
  // Asks whether to switch to the tab that watches the chosen browser or to watch it in
  // another tab as well; false when the user went back to the dialog.
  bool ConfirmWatchedAgain(const WatchedBrowser& watched);

  // How looking up the chosen entry's browser ended. WindowHung: the window is there but did
  // not answer (the browser's thread is held).
  enum class Lookup { Found, Vanished, NotAnswered, WindowHung };
  // Starts looking up the browser of `window` on a worker apartment; FinishLookup runs once
  // it is found or the bound has passed. False when it could not be started.
  bool StartLookup(HWND window);
  // OK's end: the browser found is handed over and the dialog ends, or it says why not.
  void FinishLookup(HWND window, Lookup lookup);
  // What the lookup's worker hands back: the browser found, marshalled for the dialog's thread,
  // or whether the window it did not lead to failed to answer.
  struct LookupOutcome {
    CMarshalledInterface<IWebBrowser2> browser;
    bool windowHung = false;
  };

  // The focus leaves the buttons that a listing disables (it would go nowhere, and the
  // keyboard with it) and comes back once the listing is shown.
  void MoveFocusOffButtons();
  void RestoreFocus();

  Resolver m_pfnResolve;
  CBrowserListingWalk m_listing;
  CBoundedWork<LookupOutcome> m_lookup;
  HWND m_hWndFocusAfterListing = nullptr;
  bool m_bLookingUp = false;
  HWND m_hWndStatus = nullptr;
  std::string m_strListingStatus;
};
