// The event log's journal and its question before rows are thrown away. The journal's rows,
// their hand-over and whether rows are kept are the model's (LogModel); this file starts the
// journal with a way back to the window's thread and tells the user when it fails.
#include <cstdio>
#include <string>

#include "threads/Dispatcher.h"
#include "framework/FrameworkMessages.h"
#include "framework/MessageBox.h"
#include "logview/EventListCtrl.h"

namespace {

const char kAppCaption[] = "Ormix";
const char kJournalFailedFormat[] = "ジャーナル %s に書き込めません。記録はメモリー上で続けます。";
const char kUnkeptRowsQuestion[] = "このログには保存されていない行があります。\n破棄する前に保存しますか?";

}  // namespace

void CEventListCtrl::StartJournal(const std::string& folder, const std::string& title) {
  // The journal's worker says so through the window's thread's dispatcher; a log gone by then
  // hears nothing.
  CDispatcher* dispatcher = CDispatcher::ForThisThread();
  m_model.StartJournal(folder, title, [this, dispatcher, alive = LifetimeToken()] {
    if (dispatcher)
      dispatcher->Post([this, alive] {
        if (!alive.expired()) OnJournalFailed();
      });
  });
}

void CEventListCtrl::OnJournalFailed() {
  if (!m_model.TakeJournalFailure()) return;
  char text[MAX_PATH + 160];
  std::snprintf(text, sizeof(text), kJournalFailedFormat, m_model.JournalPath().c_str());
  AddMessageRow("", text, kImageQuit);
  // Shown in the status bar until the next menu prompt replaces it.
  if (HWND frame = ::GetAncestor(m_hWnd, GA_ROOT))
    ::SendMessageA(frame, WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(text));
  if (m_pJournalObserver) m_pJournalObserver->OnJournalFailed(this);
}

bool CEventListCtrl::ConfirmDiscard() {
  if (!m_model.AskBeforeDiscard()) return true;
  FlushPendingRows();
  if (!m_model.HasUnkeptRows()) return true;
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
