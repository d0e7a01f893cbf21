#pragma once
// The event log of one monitored browser: a report-style list view with one row per
// recorded event or message (number, time, event name, parameters; on request also whether
// the page or a frame of it raised the event, and the time since the row before), the
// connection to the browser whose listener slots turn events into rows, and the mask of
// events to record.
// The view creates it with Create, sets its font, mask and title observer, then calls
// Connect; commands (resume, stop, save, copy, clear) reach it through command routing.
// The log's state that needs no window (its rows, filter, burst, journal, whether rows are
// kept, its clock) is its LogModel, reached through Model(); the control is an owner-data
// list that asks the model for each text it shows, and runs the commands. A row is stored at
// once; telling the control about it (the item count), scrolling to the newest row and
// widening the parameter column happen once when the burst of rows ends, a few tens of
// milliseconds later, or as soon as anything asks the control about its items. A filter may
// narrow what the control shows: its items are then the shown rows, in order, each standing
// for its row in the store.
#include <windows.h>

#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "browser/BrowserEventConnection.h"
#include "events/EventMask.h"
#include "log/EventParameterFormats.h"
#include "log/EventRowStore.h"
#include "log/FrameLabels.h"
#include "log/LogModel.h"
#include "logview/LogJournalObserver.h"
#include "logview/LogTitleObserver.h"
#include "framework/CmdUI.h"
#include "framework/ListCtrl.h"
#include "framework/ToolTipCtrl.h"

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
  void SetFollowOnlyAtBottom(bool only) { m_model.SetFollowOnlyAtBottom(only); }

  // Shows and writes times to the millisecond ("HH:MM:SS.mmm"); the time column is measured
  // for the longer text.
  void SetTimeWithMilliseconds(bool on);

  // Shows a column, between the event name and the parameters, that tells for each event
  // with a browser argument whether the page or one of its frames raised it, and marks the
  // page's DocumentComplete with its own icon; saving and copying then write it too.
  void SetFrameColumnShown(bool on);
  // Shows a column, after the time, of the milliseconds since the shown row before (none for
  // the first shown row; a row after midnight counts on from the day before). It shows the
  // time column another way: saving and copying write what they wrote without it, and find
  // and the filter do not look in it.
  void SetDeltaColumnShown(bool on);
  bool IsDeltaColumnShown() const { return m_bDeltaShown; }

  // Selects alone, shows and focuses the first shown row stamped at or after time of day
  // `time` (milliseconds since midnight) in the log's order (LogGoToTime.h); its shown
  // position, or -1 when there is none.
  int GoToTime(uint32_t time);

  // Selects alone the shown ones of stored rows `rows`, focuses the first of them and scrolls
  // it into view (a navigation's rows, picked in the waterfall); its shown position, or -1
  // when none of them is shown.
  int SelectStoredRows(const std::vector<uint32_t>& rows);

  // The whole text of a cell, for the tool tip of a cell the list shows only part of: a
  // frame's origin cell (the list shows its label shortened); "" for every other cell.
  std::string CellToolTipText(int item, int column) const;

  // The journal: every row, those already stored first, is also written as it comes into a
  // new file in `folder` named from the time the log was created and `title`, in the save
  // format chosen now (with the same bytes as a save of the same rows). Rows go on being
  // journaled when the log is cleared. A journal that cannot be written says so once, in a
  // message row and the status bar, and the log goes on in memory. (Stopping and finishing
  // it: the model.)
  void StartJournal(const std::string& folder, const std::string& title);

  // Writes every row to `path` as a trace (TraceLines) of a process named `processName`; FALSE
  // for no rows or a file that could not be written (reported as for SaveLog).
  BOOL SaveTrace(const char* path, const std::string& processName);
  // Asks for a file name (a .json file) and saves the trace there; true once it is written.
  bool SaveTraceWithDialog(const std::string& processName);
  // For a run that asks for traces: the log's trace is written into `folder` (made with its
  // parents when missing), named as its journal would be from `title` but with ".json", once
  // its browser has quit or by WritePendingTrace, whichever comes first. One that cannot be
  // written says so in a message row and the status bar; TraceFailed tells.
  void WriteTraceOnQuit(const std::string& folder, const std::string& title);
  // Writes the trace asked for by WriteTraceOnQuit now, unless it has been written.
  void WritePendingTrace();
  bool TraceFailed() const { return m_bTraceFailed; }

  // With the model's question on (Model().SetAskBeforeDiscard) and rows to lose, asks whether
  // to save them first: Yes saves (true once saved), No lets them go (true), Cancel keeps
  // everything (false). Clearing the log from its command (and its owner closing it) asks so.
  bool ConfirmDiscard();
  // Asks for a file name and saves every row there; true once the file is written.
  bool SaveWithDialog();

  void SetTitleObserver(ILogTitleObserver* observer) { m_pTitleObserver = observer; }
  // Told once the journal has failed, after the log said so.
  void SetJournalObserver(ILogJournalObserver* observer) { m_pJournalObserver = observer; }

  // The log's state that needs no window: rows, filter, burst, journal, saving options,
  // whether rows are kept, and its clock.
  LogModel& Model() { return m_model; }
  const LogModel& Model() const { return m_model; }

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
  // The status bar's idle text: with exactly two rows selected, the time between them; while
  // a filter is on, how many rows are shown; while journaling, the journal's file.
  void OnUpdateIdleMessage(CCmdUI* pCmdUI);
  // Asks for a time of day, prefilled with the selected row's, and goes to it (GoToTime);
  // says so when no shown row is at or after it.
  void OnGoToTime();
  void OnUpdateGoToTime(CCmdUI* pCmdUI);
  void OnUpdateSelectAllRows(CCmdUI* pCmdUI);
  LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
  // The row menu's items take their states from this log's update handlers.
  LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
  // The cells' tool tip: its text, and a new text as the pointer moves to another cell.
  void OnCellTipText(NMHDR* header, LRESULT* result);
  void OnMouseMove(UINT keys, POINT point);

  ORMIX_DECLARE_MESSAGE_MAP()

  int m_nNextNumber;
  BOOL m_bRecording;
  int m_nParamColumnWidth;
  ILogTitleObserver* m_pTitleObserver;
  ILogJournalObserver* m_pJournalObserver = nullptr;

 private:
  // Ticks every LogModel::kBurstQuietMs while a burst runs, to end it once the model says so.
  static constexpr UINT_PTR kBurstTimerId = 0x4F52;

  BOOL AppendRow(const char* name, const char* text, int image,
                 EventRowStore::Origin origin = EventRowStore::Origin::None, const char* frameLabel = nullptr);
  // Where an event whose browser argument is `browser` came from; `loaded` for the
  // DocumentComplete that, from the page itself, says the page has loaded.
  EventRowStore::Origin OriginOf(IDispatch* browser, bool loaded = false) const;
  // The label of the frame that raised event `slot` (its browser argument), the same for
  // every event of that frame, from what the events carried.
  std::string FrameLabelOf(size_t slot, const EventArguments& arguments);
  // The key that tells frame object `browser` apart from the other frames (FrameLabels); 0
  // for one not told apart.
  uint64_t FrameKeyOf(IDispatch* browser);
  void CreateCellTip();
  // The icon row `row` shows.
  int ShownImage(size_t row) const;
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
  // The stored row at shown position `item`.
  size_t RowAt(int item) const { return m_model.RowAt(static_cast<size_t>(item)); }
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
  // Deselects the shown rows; the stored rows that were selected, and in `focusRow` the
  // focused one if it was selected (else -1).
  std::vector<size_t> DeselectRows(long& focusRow);
  // Selects the shown ones of stored `rows` and focuses `focusRow`, or when it is hidden the
  // first of them; the focused item, or -1.
  long SelectRows(const std::vector<size_t>& rows, long focusRow);
  // Applies the filter's text again after the texts the rows show have changed.
  void MatchFilterTextAgain();
  // Gives the control the shown row count, if it does not have it yet.
  void ShowStoredRows();
  // Widens the parameter column to the widest text of stored rows [first, last), shown or
  // not, if that is wider: a row a filter hides shows again once the filter goes.
  void WidenParamColumn(size_t first, size_t last);
  // The browser has quit: the trace asked for is written once the browser's call is over.
  void WriteTraceSoon();
  // Appends the row of the event of catalogue slot `slot`, if its mask flag is set (and
  // recording is on), its text made by the event's parameter format.
  void Record(size_t slot, const EventArguments& arguments);
  void MeasureFixedColumns();
  // Sets a column (a LogColumn) to the width of its sample text (kLogColumns).
  void MeasureColumn(int column);
  // Where the columns stand in the list, with the columns shown on request as they are now.
  ListColumnLayout Layout() const;
  // The list-view alignment (LVCFMT_) of a LogColumn.
  static int ColumnFormat(int column);
  // Shows the columns in their order (ListColumnLayout::ShownOrder).
  void ShowColumnsInOrder();
  // Inserts LogColumn `column` at list index `index`, measured, or deletes the list's column
  // `index`; then shows the columns in their order and repaints the list.
  void ShowOptionalColumn(int index, int column, bool on);
  // Copies the Δ cell of shown position `item` into `out` (`size` bytes, zero included).
  void CopyDeltaText(size_t item, char* out, size_t size) const;
  // The idle text's part for exactly two selected rows: the time between them; "" otherwise.
  std::string SelectedRowsInterval();
  // Selects shown position `item` alone, focused, and scrolls it into view; `selected` is the
  // first selected item before, or -1.
  void SelectRowAlone(int item, int selected);
  int TextWidth(const char* text);

  // Rows are handed to the journal outside the browser's call where possible: at each tick
  // of the burst timer and at the end of a burst (and by the model from within a row's call
  // only when LogModel::kJournalHandOverMs have passed).
  LogModel m_model;
  FrameLabels m_frameLabels;
  // Frames of a browser served in this apartment, held so that their identities stay theirs.
  std::vector<Microsoft::WRL::ComPtr<IUnknown>> m_frameObjects;
  CToolTipCtrl m_cellTip;
  int m_nTipItem = -1;
  int m_nTipColumn = -1;
  std::string m_strTipText;  // the text the tool tip was last given
  int m_nShownCount = 0;  // the item count the control has been given
  bool m_bDeltaShown = false;
  int m_nSelectedPair[2] = {-1, -1};  // the two selected items, in order, as last found
  std::string m_ownFindText;
  std::string* m_pFindText = &m_ownFindText;
  // The trace written when the browser quits (WriteTraceOnQuit): its folder (empty for none)
  // and title, and how it went.
  std::string m_traceFolder;
  std::string m_traceTitle;
  bool m_bTraceWritten = false;
  bool m_bTraceFailed = false;
};
