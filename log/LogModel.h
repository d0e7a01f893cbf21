#pragma once
// The state of one event log that needs no window: its rows, the filter over them and the
// index of their navigations, the burst of rows stored but not yet shown, the journal the rows are handed to, whether rows
// would be lost, and the clock that stamps them. CEventListCtrl owns one and shows it.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "log/EventRowStore.h"
#include "log/JournalWriter.h"
#include "log/LogFileWriter.h"
#include "log/NavigationIndex.h"
#include "log/RowFilter.h"

class LogModel {
 public:
  // Where the log takes a row's time of day (24-hour clock).
  using ClockSource = void(WINAPI*)(SYSTEMTIME* time);

  // A burst ends once no row has come for kBurstQuietMs; one that goes on for kMaxBurstMs
  // ends anyway, and a new one begins.
  static constexpr UINT kBurstQuietMs = 30;
  static constexpr DWORD kMaxBurstMs = 200;
  // Within a row's own call, rows go to the journal only once this long has passed since the
  // last hand-over (a flood of events may hold back the calls that hand over otherwise).
  static constexpr DWORD kJournalHandOverMs = 100;

  LogModel() = default;
  LogModel(const LogModel&) = delete;
  LogModel& operator=(const LogModel&) = delete;

  // --- rows and filter
  const EventRowStore& Rows() const { return m_rows; }
  const RowFilter& Filter() const { return m_filter; }
  // The navigations of the stored rows, kept as rows are stored.
  const NavigationIndex& Navigations() const { return m_navigations; }
  // The rows shown (all of them without a filter), and the stored row at shown position `item`.
  size_t ShownCount() const { return m_filter.ShownCount(m_rows); }
  size_t RowAt(size_t item) const { return m_filter.RowAt(item); }
  // Stores a row stamped by the clock, shown if the filter lets it; `tick` (tick count) is
  // when it came. Rows waiting for the journal are handed over when kJournalHandOverMs have
  // passed since the last hand-over.
  void AppendRow(long number, const char* name, const char* text, int image, EventRowStore::Origin origin,
                 const char* frameLabel, DWORD tick);
  // Notes that an event row was recorded: the log now holds rows that may need keeping.
  void MarkUnkept() { m_bUnkept = true; }
  // Drops every row, the filter and the navigations; the journal goes on with the rows that
  // come next.
  void Clear();
  void ApplyFilter(bool byName, const std::vector<std::string>& names, const std::string& text);
  void ClearFilter() { m_filter.Off(); }
  void SetTimeWithMilliseconds(bool on) { m_rows.SetTimeWithMilliseconds(on); }
  void SetOriginShown(bool on) { m_rows.SetOriginShown(on); }

  // --- the burst: rows stored but not yet shown
  // Begins a burst at `tick` with the rows as they stand: the next row is its first.
  void BeginBurst(DWORD tick);
  // The burst's rows are shown: the journal is asked to write them now rather than later.
  void EndBurst();
  // Forgets the burst with nothing shown (its window is gone).
  void DropBurst() { m_bBurst = false; }
  bool InBurst() const { return m_bBurst; }
  // Whether a burst should end at `tick`: its rows have stopped, or it has gone on too long.
  bool BurstOverAt(DWORD tick) const;
  // The shown position and the stored row of the burst's first row.
  int BurstFirstShownRow() const { return m_nBurstFirstShown; }
  size_t BurstFirstStoredRow() const { return m_nBurstFirstStored; }
  // With this set, the end of a burst brings the newest row into view only when the newest
  // row before it was in view.
  void SetFollowOnlyAtBottom(bool only) { m_bFollowOnlyAtBottom = only; }
  bool FollowOnlyAtBottom() const { return m_bFollowOnlyAtBottom; }

  // --- the journal
  // Starts a journal in `folder`, named from the creation time and `title`, in the save
  // format chosen now; the rows stored so far go first. `onFailed` runs on the journal's
  // thread once its file cannot be written.
  void StartJournal(const std::string& folder, const std::string& title, std::function<void()> onFailed);
  // Hands over what is left, waits a bounded time for the disk and ends the journal; rows it
  // may not have written count as unkept.
  void StopJournal();
  // Hands over every row stored and waits at most `timeoutMs`; true once they are in the file
  // (or there is no journal), false when the disk took longer or failed.
  bool FinishJournal(DWORD timeoutMs);
  // Hands the rows stored since the last hand-over to the journal, at `tick`.
  void HandOverJournalRows(DWORD tick);
  // The stored rows handed to the journal so far.
  size_t JournaledRowCount() const { return m_nJournaledRows; }
  bool IsJournaling() const { return m_journal != nullptr; }
  bool JournalFailed() const { return m_journal && m_journal->Failed(); }
  // The journal file's full path; empty without a journal.
  std::string JournalPath() const { return m_journal ? m_journal->Path() : std::string(); }
  // True once for a journal that has failed: its rows are then unkept, and the failure is to
  // be told.
  bool TakeJournalFailure();

  // --- saving and keeping rows
  // Saves as RFC 4180 comma-separated values rather than plain lines.
  void SetSaveAsCsv(bool on) { m_bSaveAsCsv = on; }
  bool SaveAsCsv() const { return m_bSaveAsCsv; }
  // Writes every row (or, with `shownRowsOnly` and a filter on, the shown rows) to `path`;
  // a file written keeps the rows.
  LogFileResult Save(const char* path, bool shownRowsOnly);
  // Writes every row to `path` as a trace (TraceLines) of a process named `processName` with
  // id `pid`. Whether rows are kept stays as it was: a trace is no log to be read back.
  LogFileResult SaveTrace(const char* path, const std::string& processName, unsigned pid) const;
  // Writes the trace into `folder` (made with its parents when missing), named from the time
  // the log was created and `title` (TraceFileName; " (2)" and so on before the extension when
  // a file of that name is there already). `path` gets the file's path.
  LogFileResult SaveTraceInto(const std::string& folder, const std::string& title, unsigned pid,
                              std::string* path) const;
  // Whether event rows are neither in a file saved since nor in a journal that works.
  bool HasUnkeptRows() const { return m_bUnkept && m_rows.Count() > 0 && (!m_journal || m_journal->Failed()); }
  // Clearing or closing the log first asks about rows that would be lost.
  void SetAskBeforeDiscard(bool on) { m_bAskBeforeDiscard = on; }
  bool AskBeforeDiscard() const { return m_bAskBeforeDiscard; }

  // --- the clock
  // The system's local time unless replaced; NULL puts the system's back.
  void SetClockSource(ClockSource source) { m_clock = source ? source : &::GetLocalTime; }
  // Takes the clock's time now as the time the log was created.
  void NoteCreated() { m_clock(&m_created); }
  const SYSTEMTIME& CreatedTime() const { return m_created; }

 private:
  // Appends stored rows [first, last) to the journal, in its format.
  void JournalRows(size_t first, size_t last);

  EventRowStore m_rows;
  RowFilter m_filter;
  NavigationIndex m_navigations{m_rows};

  bool m_bBurst = false;
  int m_nBurstFirstShown = 0;
  size_t m_nBurstFirstStored = 0;
  DWORD m_dwBurstStart = 0;  // tick count at the burst's first row
  DWORD m_dwLastRow = 0;     // tick count at the latest row
  bool m_bFollowOnlyAtBottom = false;

  std::unique_ptr<JournalWriter> m_journal;
  bool m_bJournalCsv = false;
  bool m_bJournalFailureShown = false;
  size_t m_nJournaledRows = 0;    // stored rows handed to the journal
  DWORD m_dwJournalHandOver = 0;  // tick count at the last hand-over
  std::string m_journalLines;     // reused for each row's bytes

  bool m_bSaveAsCsv = false;
  bool m_bUnkept = false;
  bool m_bAskBeforeDiscard = false;
  ClockSource m_clock = &::GetLocalTime;
  SYSTEMTIME m_created = {};
};
