#pragma once
// The event log of one monitored browser: a report-style list view with one row per
// recorded event or message (number, time, event name, parameters; on request also whether
// the page or a frame of it raised the event), the connection to the
// browser whose listener slots turn events into rows, and the mask of events to record.
// The view creates it with Create, sets its font, mask and title observer, then calls
// Connect; commands (resume, stop, save, copy, clear) reach it through command routing.
// Rows live in the log's own store; the control is an owner-data list that asks the log
// for each text it shows. The logic has no window: the rows and their texts (EventRowStore,
// LogColumns, EventParameterFormats), the filter (RowFilter), find (LogFind) and the bytes
// of a saved log (SavedLogLines, LogFileWriter); this class shows them and runs the commands. A row is stored at once; telling the control about it (the item
// count), scrolling to the newest row and widening the parameter column happen once when
// the burst of rows ends, a few tens of milliseconds later, or as soon as anything asks the
// control about its items. A filter may narrow what the control shows: its items are then
// the shown rows, in order, each standing for its row in the store.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserEventConnection.h"
#include "events/EventMask.h"
#include "log/EventParameterFormats.h"
#include "log/EventRowStore.h"
#include "log/JournalWriter.h"
#include "logview/LogTitleObserver.h"
#include "log/RowFilter.h"
#include "framework/CmdUI.h"
#include "framework/ListCtrl.h"

class CEventListCtrl : public CListCtrl, public CBrowserEventConnection, public EventMask {
  ORMIX_DECLARE_DYNAMIC(CEventListCtrl)

 public:
  // Row icons of the small image list that the view attaches.
  // kImageLoaded marks the page's own DocumentComplete while the frame column is shown.
  enum { kImageEvent = 0, kImageRecording = 1, kImageQuit = 2, kImageLoaded = 3 };
  // Starting width of the parameter column; it only grows from there.
  static constexpr int kInitialParamColumnWidth = 250;

  CEventListCtrl();
  ~CEventListCtrl() override;

  // Appends an event row while recording is on, with where the event came from (for a frame,
  // its name or URL when known). Always TRUE.
  BOOL AddEventRow(const char* name, const char* params,
                   EventRowStore::Origin origin = EventRowStore::Origin::None, const char* frameLabel = nullptr);
  // Appends a row whatever the recording state. Always TRUE.
  BOOL AddMessageRow(const char* name, const char* message, int image);

  // Attaches the browser and writes the start row when that succeeded.
  BOOL Connect(IUnknown* browser) override;
  // Gives the control a new font and re-measures the fixed columns.
  void SetListFont(HFONT hFont, BOOL bRedraw);
  // Ends a burst of rows now: redraw back on, the newest row scrolled into view, the
  // parameter column widened to the rows of the burst. Runs by itself once the rows stop
  // coming; whatever reads or rearranges the rows calls it first.
  void FlushPendingRows();
  bool HasPendingRows() const { return m_bBurst; }

  void ResumeRecording();
  void StopRecording();
  void ClearLog();

  // Looks for `text` in every column of the shown rows after (forward) or before the
  // selected row (with none selected: from the first or the last row), wrapping round the
  // log, and selects and shows the row found. Its index, or -1; `wentRound`, when given,
  // tells whether the find went round the end (or the start) of the log to get there.
  int FindRow(const std::string& text, bool forward, bool* wentRound = nullptr);
  // The text that find next and find previous look for: the log's own unless its owner hands
  // it one to share with other logs (it must outlive the log).
  void SetFindText(std::string* shared) { m_pFindText = shared ? shared : &m_ownFindText; }

  // Shows only the rows of the event names in `names` (with `byName`) and/or the rows holding
  // `text` in any column (when not empty); the rows keep their numbers, the others stay
  // stored, and rows appended later show if they match. The selected row stays selected
  // if it is still shown.
  void ApplyFilter(bool byName, const std::vector<std::string>& names, const std::string& text);
  // Shows every row again.
  void ClearFilter();
  bool IsFiltered() const { return m_filter.IsOn(); }
  // The rows the list shows (all of them without a filter) and the rows stored.
  size_t GetShownRowCount() const { return ShownCount(); }

  // Writes every row (or, with `shownRowsOnly`, the rows a filter shows) to `path`; FALSE for
  // no rows (no file touched, nothing said) or a file that could not be written (reported
  // with the system's reason; the file of that name is left as it was).
  BOOL SaveLog(const char* path, bool shownRowsOnly = false);

  // Selects every shown row.
  void SelectAllRows();
  // Opens the right-click menu of the rows (the commands that act on rows) at `screen`, in
  // screen coordinates; at (-1, -1), as the keyboard asks for it, beside the selected row.
  void ShowRowMenu(POINT screen);
  // Shift+F10 and the context-menu key open the row menu.
  BOOL PreTranslateMessage(MSG* pMsg) override;

  // The end of a burst scrolls to the newest row unless Scroll Lock is on, or, with this set,
  // unless the newest row before the burst was out of view (the user scrolled away to read).
  void SetFollowOnlyAtBottom(bool only) { m_bFollowOnlyAtBottom = only; }
  bool GetFollowOnlyAtBottom() const { return m_bFollowOnlyAtBottom; }

  // Shows and writes times to the millisecond ("HH:MM:SS.mmm"); the time column is measured
  // for the longer text.
  void SetTimeWithMilliseconds(bool on);
  bool GetTimeWithMilliseconds() const { return m_rows.IsTimeWithMilliseconds(); }

  // Shows a column, between the event name and the parameters, that tells for each event
  // with a browser argument whether the page or one of its frames raised it, and marks the
  // page's DocumentComplete with its own icon; saving and copying then write it too.
  void SetFrameColumnShown(bool on);
  bool GetFrameColumnShown() const { return m_rows.IsOriginShown(); }

  // Saves as RFC 4180 comma-separated values: a heading line, fields quoted where needed,
  // line breaks kept inside quotes.
  void SetSaveAsCsv(bool on) { m_bSaveAsCsv = on; }
  bool GetSaveAsCsv() const { return m_bSaveAsCsv; }

  // The journal: every row, those already stored first, is also written as it comes into a
  // new file in `folder` named from the time the log was created and `title`, in the save
  // format chosen now (with the same bytes as a save of the same rows). Rows go on being
  // journaled when the log is cleared. A journal that cannot be written says so once, in a
  // message row and the status bar, and the log goes on in memory.
  void StartJournal(const std::string& folder, const std::string& title);
  // Writes what the journal still holds (waiting for the disk a bounded time) and ends it.
  void StopJournal();
  bool IsJournaling() const { return m_journal != nullptr; }
  bool JournalFailed() const { return m_journal && m_journal->Failed(); }
  // The journal file's full path; empty without a journal.
  std::string JournalPath() const { return m_journal ? m_journal->Path() : std::string(); }
  // Has every row stored so far written now; true once they are in the file (or there is no
  // journal), false when the disk took longer than `timeoutMs` or failed.
  bool FinishJournal(DWORD timeoutMs);
  // When the log was created, by the log's clock.
  const SYSTEMTIME& CreatedTime() const { return m_created; }

  // Whether the log holds event rows that are neither in a file it saved since nor in a
  // journal that works.
  bool HasUnkeptRows() const { return m_bUnkept && m_rows.Count() > 0 && (!m_journal || m_journal->Failed()); }
  // Clearing the log from its command (and its owner closing it) first asks about rows that
  // would be lost.
  void SetAskBeforeDiscard(bool on) { m_bAskBeforeDiscard = on; }
  bool GetAskBeforeDiscard() const { return m_bAskBeforeDiscard; }
  // With the question on and rows to lose, asks whether to save them first: Yes saves (true
  // once saved), No lets them go (true), Cancel keeps everything (false).
  bool ConfirmDiscard();
  // Asks for a file name and saves every row there; true once the file is written.
  bool SaveWithDialog();

  void SetTitleObserver(ILogTitleObserver* observer) { m_pTitleObserver = observer; }
  BOOL IsRecording() const { return m_bRecording; }
  int GetNextNumber() const { return m_nNextNumber; }
  int GetParamColumnWidth() const { return m_nParamColumnWidth; }

  // Where this log takes a row's time of day (24-hour clock); the system's local time
  // unless replaced. NULL puts the system's back.
  using ClockSource = void(WINAPI*)(SYSTEMTIME* time);
  void SetClockSource(ClockSource source) { m_clock = source ? source : &::GetLocalTime; }

  // Listener slots: each event becomes a row if its mask flag is set.
  void StatusTextChange(const char* text) override;
  void ProgressChange(long progress, long progressMax) override;
  void CommandStateChange(long command, BOOL enable) override;
  void DownloadBegin() override;
  void DownloadComplete() override;
  void TitleChange(const char* text) override;
  void PropertyChange(const char* property) override;
  void BeforeNavigate2(IDispatch* browser, VARIANT* url, VARIANT* flags, VARIANT* targetFrameName,
                       VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) override;
  void NewWindow2(IDispatch** newBrowser, VARIANT_BOOL* cancel) override;
  void NavigateComplete2(IDispatch* browser, VARIANT* url) override;
  void DocumentComplete(IDispatch* browser, VARIANT* url) override;
  void OnQuit() override;
  void OnVisible(BOOL visible) override;
  void OnToolBar(BOOL toolBar) override;
  void OnMenuBar(BOOL menuBar) override;
  void OnStatusBar(BOOL statusBar) override;
  void OnFullScreen(BOOL fullScreen) override;
  void OnTheaterMode(BOOL theaterMode) override;
  void WindowSetResizable(BOOL resizable) override;
  void WindowSetLeft(long left) override;
  void WindowSetTop(long top) override;
  void WindowSetWidth(long width) override;
  void WindowSetHeight(long height) override;
  void WindowClosing(BOOL isChildWindow, VARIANT_BOOL* cancel) override;
  void ClientToHostWindow(long* width, long* height) override;
  void SetSecureLockIcon(long secureLockIcon) override;
  void FileDownload(VARIANT_BOOL* cancel) override;
  void NavigateError(IDispatch* browser, VARIANT* url, VARIANT* frame, VARIANT* statusCode,
                     VARIANT_BOOL* cancel) override;
  void PrintTemplateInstantiation(IDispatch* browser) override;
  void PrintTemplateTeardown(IDispatch* browser) override;
  void UpdatePageStatus(IDispatch* browser, VARIANT* page, VARIANT* done) override;
  void PrivacyImpactedStateChange(BOOL impacted) override;

 protected:
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // A connection made within a time limit writes the start row before any event.
  void OnAdvisedWithin() override;
  int OnCreate(LPCREATESTRUCTA cs);
  void OnGetDispInfo(NMHDR* header, LRESULT* result);
  void OnFindItem(NMHDR* header, LRESULT* result);
  void OnDestroy();
  LRESULT OnFlushDeferredPaint(WPARAM wParam, LPARAM lParam);
  void OnSaveLog();
  void OnClearLogCommand();
  // The journal could not be written: said once, in a row and the status bar.
  void OnJournalFailed();
  void OnCopy();
  void OnUpdateRecordResume(CCmdUI* pCmdUI);
  void OnUpdateRecordStop(CCmdUI* pCmdUI);
  void OnUpdateFileSaveLog(CCmdUI* pCmdUI);
  void OnUpdateEditCopy(CCmdUI* pCmdUI);
  void OnUpdateLogClear(CCmdUI* pCmdUI);
  void OnFindLog();
  void OnFindNextLog();
  void OnFindPreviousLog();
  void OnUpdateFindLog(CCmdUI* pCmdUI);
  void OnUpdateFindAgain(CCmdUI* pCmdUI);
  void OnFilterLog();
  void OnUpdateFilterLog(CCmdUI* pCmdUI);
  void OnUpdateClearFilterLog(CCmdUI* pCmdUI);
  // While a filter is on, the status bar's idle text says how many rows are shown.
  void OnUpdateIdleMessage(CCmdUI* pCmdUI);
  void OnUpdateSelectAllRows(CCmdUI* pCmdUI);
  LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
  // The row menu's items take their states from this log's update handlers.
  LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);

  ORMIX_DECLARE_MESSAGE_MAP()

  int m_nNextNumber;
  BOOL m_bRecording;
  int m_nParamColumnWidth;
  ILogTitleObserver* m_pTitleObserver;

 private:
  // The burst ends once no row has come for kBurstQuietMs; one that goes on for
  // kMaxBurstMs is shown anyway, and a new one begins.
  static constexpr UINT_PTR kBurstTimerId = 0x4F52;
  static constexpr UINT kBurstQuietMs = 30;
  static constexpr DWORD kMaxBurstMs = 200;

  BOOL AppendRow(const char* name, const char* text, int image,
                 EventRowStore::Origin origin = EventRowStore::Origin::None, const char* frameLabel = nullptr);
  // Where an event whose browser argument is `browser` came from; `loaded` for the
  // DocumentComplete that, from the page itself, says the page has loaded.
  EventRowStore::Origin OriginOf(IDispatch* browser, bool loaded = false) const;
  // The icon row `row` shows.
  int ShownImage(size_t row) const;
  void BeginBurst();
  static void CALLBACK BurstTimerProc(HWND hWnd, UINT message, UINT_PTR id, DWORD time);
  void OnBurstTimer();
  // Find again in one direction (the find dialog first while there is no text); says so when
  // nothing is found, in a message box owned by `owner` (NULL: the main window), and in the
  // status bar when the find went round the log.
  void FindAgain(bool forward, HWND owner = nullptr);
  // Tells the main window's status bar string `nID` (AFX_IDS_IDLEMESSAGE: its idle text).
  void SetStatusMessage(UINT nID);
  // Whether the end of this burst scrolls to the newest row.
  bool FollowsNewestRow() const;
  // The number of rows shown and the stored row at shown position `item`.
  size_t ShownCount() const { return m_filter.ShownCount(m_rows); }
  size_t RowAt(int item) const { return m_filter.RowAt(static_cast<size_t>(item)); }
  // Redraw off while it lives, for changes of many rows' states at once: the list view repaints
  // each row as its state changes, seconds for a select-all of a long log under Wine. Redraw
  // back on, the list is invalidated once; a hidden list stays hidden.
  class RedrawOff {
   public:
    explicit RedrawOff(CEventListCtrl& list);
    ~RedrawOff();
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

   private:
    CEventListCtrl& m_list;
    bool m_bVisible;
  };
  // Runs `change` on the filter and shows its rows afresh, keeping the selected rows.
  template <typename Change>
  void ChangeFilter(Change change);
  // Applies the filter's text again after the texts the rows show have changed.
  void MatchFilterTextAgain();
  // Gives the control the shown row count, if it does not have it yet.
  void ShowStoredRows();
  // Widens the parameter column to the widest text of stored rows [first, last), shown or
  // not, if that is wider: a row a filter hides shows again once the filter goes.
  void WidenParamColumn(size_t first, size_t last);
  // Appends the row of the event of catalogue slot `slot`, if its mask flag is set (and
  // recording is on), its text made by the event's parameter format.
  void Record(size_t slot, const EventArguments& arguments);
  void MeasureFixedColumns();
  // Sets a column to the width of its sample text (kLogColumns).
  void MeasureColumn(int column);
  int TextWidth(const char* text);

  // Appends stored rows [first, last) to the journal, in its format.
  void JournalRows(size_t first, size_t last);
  // Hands the rows stored since the last hand-over to the journal. Rows are formatted for
  // the journal here, outside the browser's call where possible: at each tick of the burst
  // timer, at the end of a burst, and from within a row's call only when kJournalHandOverMs
  // have passed (a flood of events may hold the timer back).
  void HandOverJournalRows();
  static constexpr DWORD kJournalHandOverMs = 100;

  EventRowStore m_rows;
  std::unique_ptr<JournalWriter> m_journal;
  bool m_bJournalCsv = false;
  bool m_bJournalFailureShown = false;
  size_t m_nJournaledRows = 0;     // stored rows handed to the journal
  DWORD m_dwJournalHandOver = 0;   // tick count at the last hand-over
  std::string m_journalLines;  // reused for each row's bytes
  bool m_bUnkept = false;
  bool m_bAskBeforeDiscard = false;
  SYSTEMTIME m_created = {};
  RowFilter m_filter;
  int m_nShownCount = 0;      // the item count the control has been given
  bool m_bFollowOnlyAtBottom = false;
  bool m_bSaveAsCsv = false;
  bool m_bBurst = false;      // the burst timer runs; showing, scrolling and measuring wait
  int m_nBurstFirstRow = 0;   // the shown position of the first row added in the burst
  size_t m_nBurstFirstStored = 0;  // and its place in the store
  DWORD m_dwBurstStart = 0;   // tick count at its first row
  DWORD m_dwLastRow = 0;      // tick count at its latest row
  ClockSource m_clock = &::GetLocalTime;
  std::string m_ownFindText;
  std::string* m_pFindText = &m_ownFindText;
};
