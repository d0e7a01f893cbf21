// The event log's journal and its question before rows are thrown away. The journal's bytes
// are a save's (SavedLogLines); its file and thread are JournalWriter's; this file ties them
// to the log's rows and tells the user when the journal fails.
#include <cstdio>
#include <string>

#include "threads/Dispatcher.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageBox.h"
#include "logview/EventListCtrl.h"
#include "log/JournalFileName.h"
#include "log/SavedLogLines.h"

namespace {

const char kAppCaption[] = "Ormix";
const char kJournalFailedFormat[] = "ジャーナル %s に書き込めません。記録はメモリー上で続けます。";
const char kUnkeptRowsQuestion[] = "このログには保存されていない行があります。\n破棄する前に保存しますか?";

}  // namespace

void CEventListCtrl::StartJournal(const std::string& folder, const std::string& title) {
  StopJournal();
  m_bJournalCsv = m_bSaveAsCsv;
  m_bJournalFailureShown = false;
  // The journal's thread says so through the window's thread's dispatcher; a log gone by then
  // hears nothing.
  CDispatcher* dispatcher = CDispatcher::ForThisThread();
  m_journal = std::make_unique<JournalWriter>(
      folder, JournalFileName(m_created, title, m_bJournalCsv), [this, dispatcher, alive = LifetimeToken()] {
        if (dispatcher)
          dispatcher->Post([this, alive] {
            if (!alive.expired()) OnJournalFailed();
          });
      });
  if (m_bJournalCsv) {
    m_journalLines.clear();
    SavedLogLines(m_rows, true).Append(0, m_journalLines);
    m_journal->Append(m_journalLines);
  }
  // The rows stored before the journal began come first, as a save would write them.
  m_nJournaledRows = 0;
  HandOverJournalRows();
  m_journal->WriteSoon();
}

void CEventListCtrl::StopJournal() {
  if (!m_journal) return;
  HandOverJournalRows();
  // Rows the journal may not have written stay to be asked about.
  if (!m_journal->WaitWritten(JournalWriter::kCloseWaitMs) && m_rows.Count() > 0) m_bUnkept = true;
  m_journal.reset();
}

bool CEventListCtrl::FinishJournal(DWORD timeoutMs) {
  HandOverJournalRows();
  return !m_journal || m_journal->WaitWritten(timeoutMs);
}

void CEventListCtrl::HandOverJournalRows() {
  if (!m_journal) return;
  m_dwJournalHandOver = ::GetTickCount();
  JournalRows(m_nJournaledRows, m_rows.Count());
  m_nJournaledRows = m_rows.Count();
}

void CEventListCtrl::JournalRows(size_t first, size_t last) {
  if (first >= last) return;
  const SavedLogLines lines(m_rows, m_bJournalCsv);
  m_journalLines.clear();
  // A CSV file's first line is its heading: row r is its line r + 1.
  for (size_t row = first; row < last; ++row) lines.Append(m_bJournalCsv ? row + 1 : row, m_journalLines);
  m_journal->Append(m_journalLines);
}

void CEventListCtrl::OnJournalFailed() {
  // A journal since replaced by another may have posted this: only the current one counts.
  if (!m_journal || !m_journal->Failed() || m_bJournalFailureShown) return;
  m_bJournalFailureShown = true;
  if (m_rows.Count() > 0) m_bUnkept = true;
  char text[MAX_PATH + 160];
  std::snprintf(text, sizeof(text), kJournalFailedFormat, m_journal->Path().c_str());
  AddMessageRow("", text, kImageQuit);
  // Shown in the status bar until the next menu prompt replaces it.
  if (HWND frame = ::GetAncestor(m_hWnd, GA_ROOT))
    ::SendMessageA(frame, WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(text));
}

bool CEventListCtrl::ConfirmDiscard() {
  if (!m_bAskBeforeDiscard) return true;
  FlushPendingRows();
  if (!HasUnkeptRows()) return true;
  const HWND owner = ::GetAncestor(m_hWnd, GA_ROOT);
  switch (ShowMessageBox(owner, kUnkeptRowsQuestion, kAppCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      return SaveWithDialog();
    case IDNO:
      return true;
    default:
      return false;
  }
}

void CEventListCtrl::OnClearLogCommand() {
  if (!ConfirmDiscard()) return;
  ClearLog();
}
