// The view's journals: the folder in force (this run's or the stored setting's), starting,
// moving and finishing every tab's journal, the mark and tool tip line of a journaled tab,
// and the journal settings command.
#include <cstdio>
#include <string>
#include <vector>

#include "framework/StringResource.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"
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
    ShowJournalMark(list);
  }
}

void COrmixView::ShowJournalMark(CEventListCtrl* list) {
  const bool writing = list->Model().IsJournaling() && !list->Model().JournalFailed();
  SetTabImageFor(list, writing ? kJournaledTabImage : kTabImage);
}

void COrmixView::OnJournalFailed(CEventListCtrl* list) { ShowJournalMark(list); }

std::string COrmixView::TabToolTipText(int nIndex) const {
  std::string text = TabToolTip(nIndex);
  const CEventListCtrl* list = ListOfTab(nIndex);
  if (!list || !list->Model().IsJournaling() || list->Model().JournalFailed()) return text;
  const std::string format = LoadResourceString(IDS_JOURNAL_STATUS), path = list->Model().JournalPath();
  std::vector<char> line(std::snprintf(nullptr, 0, format.c_str(), path.c_str()) + 1u);
  std::snprintf(line.data(), line.size(), format.c_str(), path.c_str());
  return text + "\r\n" + line.data();
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
    ShowJournalMark(list);
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
