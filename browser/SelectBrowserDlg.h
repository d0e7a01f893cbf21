#pragma once
// The modal dialog in which the user picks a running browser and the events to record.
// The caller copies its mask into m_eventMask, runs DoModal, and on IDOK takes m_pBrowser
// (one reference, now the caller's) and the chosen flags from m_eventMask. The dialog shows
// at once; the browsers are listed off its thread, and OK and Refresh wait for the listing.
#include <windows.h>
#include <exdisp.h>

#include <vector>

#include "browser/BrowserListingWalk.h"
#include "events/EventMask.h"
#include "framework/BoundedWork.h"
#include "framework/Dialog.h"
#include "framework/MarshalledInterface.h"

class CSelectBrowserDlg : public CDialog {
 public:
  explicit CSelectBrowserDlg(CWnd* pParent = nullptr);

  int m_nSelected;
  IWebBrowser2* m_pBrowser;
  EventMask m_eventMask;
  // Set when the dialog ended with IDOK because the chosen browser did not answer in time
  // while it was looked up; m_pBrowser is NULL then.
  bool m_bNotAnswered = false;

  // Lists the running browsers in list box 1000; TRUE when the walk ran to its end.
  BOOL FillBrowserList();
  // Whether the listing started by the dialog is still under way.
  bool IsListing() const { return m_listing.IsRunning(); }

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

  // OK's step from the chosen entry's window to its browser, run on a worker apartment (so it
  // must not touch the dialog). On TRUE the caller owns `*browser`.
  using Resolver = BOOL (*)(HWND window, IWebBrowser2** browser);
  // A dialog of the same controls and rules on template `nIDTemplate`, listing with `walker`
  // and reaching the chosen entry's browser with `resolve`.
  CSelectBrowserDlg(UINT nIDTemplate, CBrowserListingWalk::Walker walker, Resolver resolve, CWnd* pParent);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  void SetAllChecks(int state);
  // Refuses OK with a message and removes the chosen entry, whose browser is gone.
  void RejectVanishedBrowser();
  void ShowMessage(const char* text);
  // Starts listing; the entry whose window is `remembered` is selected again afterwards.
  void StartListing(HWND remembered);
  void ShowListing(const std::vector<BrowserListEntry>& entries, bool everyoneAnswered, HWND remembered);
  void SetListingStatus(const char* text);

  // Looks up the browser of `window` on a worker apartment, waiting a bounded time.
  enum class Lookup { Found, Vanished, NotAnswered };
  Lookup LookUpBrowser(HWND window);

  Resolver m_pfnResolve;
  CBrowserListingWalk m_listing;
  CBoundedWork<CMarshalledInterface<IWebBrowser2>> m_lookup;
  bool m_bLookingUp = false;
  HWND m_hWndStatus = nullptr;
};
