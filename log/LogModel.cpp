#include "log/LogModel.h"

#include <utility>

#include "log/FolderFiles.h"
#include "log/JournalFileName.h"
#include "log/SavedLogLines.h"
#include "log/TraceExport.h"

void LogModel::AppendRow(long number, const char* name, const char* text, int image, EventRowStore::Origin origin,
                         const char* frameLabel, DWORD tick) {
  SYSTEMTIME now = {};
  m_clock(&now);
  m_dwLastRow = tick;
  m_rows.Append(number, now, name, text, image, origin, frameLabel);
  m_navigations.Add(m_rows.Count() - 1);
  m_filter.Appended(m_rows, m_rows.Count() - 1);
  if (m_journal && tick - m_dwJournalHandOver >= kJournalHandOverMs) HandOverJournalRows(tick);
}

void LogModel::Clear() {
  m_filter.Off();  // nothing is left to filter; the counts per event start again
  m_rows.Clear();
  m_navigations.Clear();
  m_nJournaledRows = 0;
  m_bUnkept = false;
}

void LogModel::ApplyFilter(bool byName, const std::vector<std::string>& names, const std::string& text) {
  m_filter.Apply(m_rows, byName, names, text);
}

void LogModel::BeginBurst(DWORD tick) {
  m_bBurst = true;
  m_nBurstFirstShown = static_cast<int>(ShownCount());
  m_nBurstFirstStored = m_rows.Count();
  m_dwBurstStart = tick;
}

void LogModel::EndBurst() {
  m_bBurst = false;
  if (m_journal) m_journal->WriteSoon();
}

bool LogModel::BurstOverAt(DWORD tick) const {
  return tick - m_dwLastRow >= kBurstQuietMs || tick - m_dwBurstStart >= kMaxBurstMs;
}

void LogModel::StartJournal(const std::string& folder, const std::string& title, std::function<void()> onFailed) {
  StopJournal();
  m_bJournalCsv = m_bSaveAsCsv;
  m_bJournalFailureShown = false;
  m_journal = std::make_unique<JournalWriter>(folder, JournalFileName(m_created, title, m_bJournalCsv),
                                              std::move(onFailed));
  if (m_bJournalCsv) {
    m_journalLines.clear();
    SavedLogLines(m_rows, true).Append(0, m_journalLines);
    m_journal->Append(m_journalLines);
  }
  // The rows stored before the journal began come first, as a save would write them.
  m_nJournaledRows = 0;
  HandOverJournalRows(::GetTickCount());
  m_journal->WriteSoon();
}

void LogModel::StopJournal() {
  if (!m_journal) return;
  HandOverJournalRows(::GetTickCount());
  // Rows the journal may not have written stay to be asked about.
  if (!m_journal->WaitWritten(JournalWriter::kCloseWaitMs) && m_rows.Count() > 0) m_bUnkept = true;
  m_journal.reset();
}

bool LogModel::FinishJournal(DWORD timeoutMs) {
  HandOverJournalRows(::GetTickCount());
  return !m_journal || m_journal->WaitWritten(timeoutMs);
}

void LogModel::HandOverJournalRows(DWORD tick) {
  if (!m_journal) return;
  m_dwJournalHandOver = tick;
  JournalRows(m_nJournaledRows, m_rows.Count());
  m_nJournaledRows = m_rows.Count();
}

void LogModel::JournalRows(size_t first, size_t last) {
  const SavedLogLines lines(m_rows, m_bJournalCsv);
  // Row by row, so that a write that fails part-way leaves the file ending with a whole row.
  // A CSV file's first line is its heading: row r is its line r + 1.
  for (size_t row = first; row < last; ++row) {
    m_journalLines.clear();
    lines.Append(m_bJournalCsv ? row + 1 : row, m_journalLines);
    m_journal->Append(m_journalLines);
  }
}

bool LogModel::TakeJournalFailure() {
  // A journal since replaced by another may have failed: only the current one counts.
  if (!m_journal || !m_journal->Failed() || m_bJournalFailureShown) return false;
  m_bJournalFailureShown = true;
  if (m_rows.Count() > 0) m_bUnkept = true;
  return true;
}

LogFileResult LogModel::Save(const char* path, bool shownRowsOnly) {
  const RowFilter* shown = shownRowsOnly && m_filter.IsOn() ? &m_filter : nullptr;
  const LogFileResult result = WriteLogFile(path, SavedLogLines(m_rows, m_bSaveAsCsv, shown));
  // Rows the filter hid were not written: they still need keeping.
  if (result.written && (!shown || ShownCount() == m_rows.Count())) m_bUnkept = false;
  return result;
}

LogFileResult LogModel::SaveTrace(const char* path, const std::string& processName, unsigned pid) const {
  return WriteLogFile(path, TraceLines(m_rows, m_navigations, processName, pid));
}

LogFileResult LogModel::SaveTraceInto(const std::string& folder, const std::string& title, unsigned pid,
                                      std::string* path) const {
  const std::string name = TraceFileName(m_created, title);
  *path = InFolder(folder, name);
  if (!IsFolder(folder) && !CreateFolderWithParents(folder)) {
    LogFileResult result;
    result.error = ::GetLastError() ? ::GetLastError() : static_cast<DWORD>(ERROR_PATH_NOT_FOUND);
    return result;
  }
  for (int number = 2; number < 1000 && ::GetFileAttributesA(path->c_str()) != INVALID_FILE_ATTRIBUTES; ++number)
    *path = InFolder(folder, NumberedName(name, number));
  return SaveTrace(path->c_str(), title, pid);
}
