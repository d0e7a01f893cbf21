// The view's journals: the folder in force (this run's or the stored setting's), starting,
// moving and finishing every tab's journal, and the journal settings command.
#include <string>

#include "logview/EventListCtrl.h"
#include "view/JournalDlg.h"
#include "view/OrmixView.h"

std::string COrmixView::JournalFolder() const {
  return m_runJournalFolder ? *m_runJournalFolder : m_journalSettings.ActiveFolder();
}

void COrmixView::ApplyJournalFolder() {
  const std::string folder = JournalFolder();
  const bool moved = folder != m_appliedJournalFolder;
  m_appliedJournalFolder = folder;
  for (int i = 0; i < GetTabCount(); ++i) {
    CEventListCtrl* list = ListOfTab(i);
    if (!list || (!moved && !list->Model().JournalFailed())) continue;
    if (list->Model().JournalFailed()) m_bClosedJournalFailed = true;
    if (folder.empty())
      list->Model().StopJournal();
    else
      list->StartJournal(folder, TabToolTip(i));
  }
}

void COrmixView::UseJournalFolderForThisRun(const std::string& folder) {
  m_runJournalFolder = folder;
  ApplyJournalFolder();
}

bool COrmixView::JournalFailed() const {
  if (m_bClosedJournalFailed) return true;
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i); list && list->Model().JournalFailed()) return true;
  return false;
}

void COrmixView::FinishJournals() {
  // Every journal is asked to write at once, so the disk is waited for once, not per tab.
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i)) list->Model().FinishJournal(0);
  const DWORD start = ::GetTickCount();
  for (int i = 0; i < GetTabCount(); ++i) {
    const DWORD waited = ::GetTickCount() - start;
    if (CEventListCtrl* list = ListOfTab(i))
      list->Model().FinishJournal(waited < kFinishJournalsWaitMs ? kFinishJournalsWaitMs - waited : 0);
  }
}

void COrmixView::EndJournals() {
  DeliverReceivedEvents();
  FinishJournals();
  for (int i = 0; i < GetTabCount(); ++i) {
    CEventListCtrl* list = ListOfTab(i);
    if (!list) continue;
    if (list->Model().JournalFailed()) m_bClosedJournalFailed = true;
    list->Model().StopJournal();
  }
}

void COrmixView::OnViewJournal() {
  CJournalDlg dialog(CWnd::FromHandle(::GetAncestor(m_hWnd, GA_ROOT)));
  dialog.m_bOn = m_journalSettings.on;
  dialog.m_strFolder = m_journalSettings.folder;
  if (dialog.DoModal() != IDOK) return;
  // The dialog takes the journal on only with a folder that takes its files.
  m_journalSettings.on = dialog.m_bOn;
  m_journalSettings.folder = dialog.m_strFolder;
  m_journalSettings.Save();
  ApplyJournalFolder();
}

void COrmixView::OnUpdateViewJournal(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_journalSettings.on ? 1 : 0); }
