#pragma once
// The tabbed monitor view: one tab per monitored browser, each holding the event log list
// that records it. It creates a list and its tab when the user picks a browser, renames the
// tab when the browser's title changes, offers a right-click menu on the tabs, keeps the
// log font, the equal-tab-width setting, the log options and the journal setting in the
// registry, journals the logs into files on request (a journaled tab shows a mark, and its
// tool tip names the file) and writes their traces, and passes the log commands on to the
// list of the selected tab (through the tab view's command routing). On request (kept in the
// registry) the lower part of the tab area shows the navigation waterfall of the active log.
#include <windows.h>

#include <exdisp.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "events/EventMask.h"
#include "framework/Font.h"
#include "framework/ImageList.h"
#include "browser/BrowserEventConnection.h"
#include "logview/LogJournalObserver.h"
#include "logview/LogTitleObserver.h"
#include "logview/NavigationWaterfall.h"
#include "toolkit/TabView.h"
#include "view/JournalSettings.h"
#include "view/LogOptions.h"

class CEventListCtrl;
class CSelectBrowserDlg;

class COrmixView : public CTabView, public ILogTitleObserver, public ILogJournalObserver {
  ORMIX_DECLARE_DYNCREATE(COrmixView)

 public:
  // The tab icons: every tab's, and a tab's whose journal writes.
  static constexpr int kTabImage = 0;
  static constexpr int kJournaledTabImage = 1;

  COrmixView();
  ~COrmixView() override;

  void OnTitleChange(CEventListCtrl* list, const char* title) override;
  // A journal that failed takes its mark off its tab.
  void OnJournalFailed(CEventListCtrl* list) override;
  // Switches the fixed-width style off and on again (or on and off), so that the tabs are
  // measured again after a system setting changed; the setting ends where it started.
  void ReapplyTabWidthStyle();

  // The tab hit by the last right-click on the strip; -1 when that click hit none.
  int ContextTab() const { return m_nContextTab; }
  // The row icons and the log font that every list is given.
  HIMAGELIST RowIcons() const { return m_imlEvents.GetSafeHandle(); }
  HFONT ListFont() const { return m_fontList.GetSafeHandle(); }
  const LOGFONTA& ListFontDescription() const { return m_lfList; }

  // Opens a tab recording `browser` (whose reference it takes over) with the events of
  // `mask`, as choosing the selection dialogs' entry of window `listedWindow` does (the
  // dialogs then name it as watched). The new tab's log window, or NULL when no tab was
  // opened. The tab connects on its own from there.
  HWND OpenTabFor(IWebBrowser2* browser, const EventMask& mask, HWND listedWindow);
  // Whether log window `list` still has its tab and is connected, or connecting, to its
  // browser (it lets go when the browser quits).
  bool IsRecordingBrowser(HWND list) const;
  // For the end of the logs: gives up every connect under way, then runs what the window's
  // thread has been handed so far, received events among them, so that every row received
  // is in its log (and journal) before the logs end.
  void DeliverReceivedEvents();
  // Switches log options on for this run only: every log gets them, the registry keeps what
  // it had.
  void UseLogOptionsForThisRun(bool saveAsCsv, bool timeWithMilliseconds);
  // The navigation waterfall below the active log, while it is switched on and a tab is open.
  const CNavigationWaterfall& Waterfall() const { return m_waterfall; }
  bool IsWaterfallShown() const { return m_bWaterfall; }

  // Nobody is at the screen for this run: what would be said in a message box (a connect
  // that failed) is written as a row of the tab's log instead.
  void ReportWithoutAsking() { m_bReportWithoutAsking = true; }

  // The log options' commands and check marks come from their table, after the selected
  // tab's list and the view's own map had their turn.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, CmdHandlerInfo* pHandlerInfo) override;

  // Journals every tab, open and future, into `folder` for this run, whatever the stored
  // setting says (an empty `folder`: no journal); nothing is stored.
  void UseJournalFolderForThisRun(const std::string& folder);
  // True once any journal of this run could not be written.
  bool JournalFailed() const;
  // Has every journal write what it holds now, waiting a bounded time for the disk.
  void FinishJournals();
  // Finishes every journal and closes its file, for a process that may be ended at any
  // moment from now (the session ends); the logs go on without journals.
  void EndJournals();
  // When the view goes, its journals are finished and `failed` is told whether any journal
  // of the run could not be written (the program's exit code says so).
  void TellJournalOutcome(std::shared_ptr<bool> failed) { m_pJournalFailedOutcome = std::move(failed); }
  // Writes every tab's trace into `folder` for this run, open tabs and future ones: each once
  // its browser has quit, or when the run ends (WritePendingTraces).
  void UseTraceFolderForThisRun(const std::string& folder);
  // Writes the traces of this run not yet written (those whose browsers have not quit); for
  // the end of the run, before the journals are closed.
  void WritePendingTraces();
  // True once any trace of this run could not be written.
  bool TraceFailed() const;
  // When the view goes, its traces are written and `failed` is told whether any trace of the
  // run could not be written (the program's exit code says so).
  void TellTraceOutcome(std::shared_ptr<bool> failed) { m_pTraceFailedOutcome = std::move(failed); }
  // With the question on, asks once about every log holding rows neither saved nor journaled
  // (Yes saves each, No lets them go); false when the user keeps them (Cancel, or a save
  // not made).
  bool ConfirmDiscardAll();

 protected:
  int OnCreate(LPCREATESTRUCTA cs);
  void OnSelectBrowser();
  // Opens the selection dialog for browser controls embedded in other programs.
  void OnSelectEmbeddedBrowser();
  void OnTabActivate();
  void OnUpdateTabActivate(CCmdUI* pCmdUI);
  void OnTabClose();
  void OnUpdateTabClose(CCmdUI* pCmdUI);
  void OnTabEqualWidth();
  void OnUpdateTabEqualWidth(CCmdUI* pCmdUI);
  void OnViewFont();
  void OnViewJournal();
  void OnUpdateViewJournal(CCmdUI* pCmdUI);
  // Saves the active tab's log as a trace, named after its tab: enabled while it has rows.
  void OnFileSaveTrace();
  void OnUpdateFileSaveTrace(CCmdUI* pCmdUI);
  // Shows or hides the navigation waterfall and stores the choice; always enabled.
  void OnViewWaterfall();
  void OnUpdateViewWaterfall(CCmdUI* pCmdUI);
  // With the waterfall on and a tab open, the lower part of the display area (a third of it,
  // at least kMinWaterfallHeight) is the waterfall's, drawing the active log.
  void LayOutDisplayArea(RECT& display) override;
  // Switches a log option, stores it and hands it to every open log.
  void ToggleLogOption(const LogOptions::Option& option);
  // Log options are checked while on, and always enabled: they belong to the program, and
  // every log opened later takes them.
  void UpdateLogOption(CCmdUI* pCmdUI, const LogOptions::Option& option);
  // The tab close button, and Ctrl+F4 or Ctrl+W: closes the active tab, asking first when
  // rows would be lost and the question is on.
  void OnTabCloseButton();
  void OnUpdateTabCloseActive(CCmdUI* pCmdUI);
  // Ctrl+Tab and Ctrl+PageDown select the next tab, Ctrl+Shift+Tab and Ctrl+PageUp the
  // previous one, going round at either end; enabled while there are two tabs or more.
  void OnTabNext();
  void OnTabPrevious();
  void OnUpdateTabSwitch(CCmdUI* pCmdUI);
  void SwitchTab(int step);
  void OnRButtonDown(UINT keys, POINT pt);
  LRESULT OnNcHitTest(POINT pt);
  void OnSetFocus(HWND hWndOld);
  void OnDestroy();
  void OnNcDestroy();
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

  // Runs `dialog` with every event checked and opens a tab on the browser chosen in it.
  void ChooseAndOpen(CSelectBrowserDlg& dialog);
  // A new tab recording `browser` (whose reference it takes over) with the events of `mask`:
  // shown at once, connecting; NULL when none could be opened. Without a browser (it did not
  // answer when looked up) the tab says so at once.
  CEventListCtrl* OpenTab(IWebBrowser2* browser, const EventMask& mask);
  // A tab's connect has ended: its label, its journal, and what the user is told.
  void ConnectCompleted(CEventListCtrl* list, const char* label, CBrowserEventConnection::BoundedConnect result);
  // Lets the list's browser go off this thread, destroys its window and frees it.
  void DestroyList(CEventListCtrl* list);
  // Disconnects the list (which may be NULL), takes its tab away and frees it.
  void RemoveTab(CEventListCtrl* list);

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  int m_nContextTab;
  CImageList m_imlTabs;
  CImageList m_imlEvents;
  EventMask m_maskDefault;
  LOGFONTA m_lfList;
  CFont m_fontList;
  int m_nNextListId;
  LogOptions m_logOptions;
  JournalSettings m_journalSettings;
  // The folder this run journals into, set by the caller, over the stored setting.
  std::optional<std::string> m_runJournalFolder;
  // The folder the open tabs journal into; empty for none.
  std::string m_appliedJournalFolder;
  // A journal since closed or ended could not be written.
  bool m_bClosedJournalFailed = false;
  // The longest wait for the disk when the journals are finished together.
  static constexpr DWORD kFinishJournalsWaitMs = 5000;
  std::shared_ptr<bool> m_pJournalFailedOutcome;
  // The folder this run writes traces into; empty for none.
  std::string m_runTraceFolder;
  // A trace of a tab since closed could not be written.
  bool m_bClosedTraceFailed = false;
  std::shared_ptr<bool> m_pTraceFailedOutcome;
  CNavigationWaterfall m_waterfall;
  bool m_bWaterfall = false;
  static constexpr int kMinWaterfallHeight = 120;
  // The waterfall's control id, below the logs' (from 1000 on).
  static constexpr UINT kWaterfallId = 999;

  // The folder every tab journals into now; empty for none.
  std::string JournalFolder() const;
  // Starts, moves or stops the tabs' journals to match JournalFolder(); journals that failed
  // begin again in a new file.
  void ApplyJournalFolder();
  // Gives the list's tab the journal mark while its journal writes, the usual icon otherwise.
  void ShowJournalMark(CEventListCtrl* list);
  // The tool tip of tab `nIndex`: its whole title and, while its journal writes, the file.
  std::string TabToolTipText(int nIndex) const;
  // The text the strip's tool tip shows now; it reads it after the view has answered.
  std::string m_strToolTip;

  // The status-bar font of the system's non-client metrics.
  static LOGFONTA SystemStatusFont();
  // Creates m_fontList from m_lfList; on failure from `fallback`, which then becomes
  // m_lfList.
  void CreateListFont(const LOGFONTA& fallback);
  void RemoveAllTabs();
  // The browser document's title, or "Internet Explorer" when it has none.
  static std::string TabLabelFor(IWebBrowser2* browser);
  CEventListCtrl* ListOfTab(int nIndex) const;
  // The list of the tab whose log window is `hWndList`; NULL when no tab has it.
  CEventListCtrl* ListOfWindow(HWND hWndList) const;
  // The text that find next and find previous look for, shared by every log of the view.
  std::string m_logFindText;

  // Gone with the view: a dialog's modal loop learns from it whether the view went meanwhile
  // (its window closed).
  std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
  // The window is being destroyed: no tab opens any more.
  bool m_bClosing = false;
  bool m_bReportWithoutAsking = false;
  // The window each tab's browser was chosen from in the selection dialog.
  std::map<const CEventListCtrl*, HWND> m_chosenWindows;
};
