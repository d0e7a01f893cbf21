// The view's traces: the active tab's log saved as a trace from the File menu, and the traces
// that a run asks for (/trace), written per tab when its browser quits or when the run ends.
#include <string>

#include "logview/EventListCtrl.h"
#include "view/OrmixView.h"

void COrmixView::UseTraceFolderForThisRun(const std::string& folder) {
  m_runTraceFolder = folder;
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i)) list->WriteTraceOnQuit(folder, TabToolTip(i));
}

void COrmixView::WritePendingTraces() {
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i)) list->WritePendingTrace();
}

bool COrmixView::TraceFailed() const {
  if (m_bClosedTraceFailed) return true;
  for (int i = 0; i < GetTabCount(); ++i)
    if (CEventListCtrl* list = ListOfTab(i); list && list->TraceFailed()) return true;
  return false;
}

void COrmixView::OnFileSaveTrace() {
  const int active = GetActiveTab();
  if (CEventListCtrl* list = active < 0 ? nullptr : ListOfTab(active)) list->SaveTraceWithDialog(TabToolTip(active));
}

void COrmixView::OnUpdateFileSaveTrace(CCmdUI* pCmdUI) {
  const int active = GetActiveTab();
  const CEventListCtrl* list = active < 0 ? nullptr : ListOfTab(active);
  pCmdUI->Enable(list && list->Model().Rows().Count() > 0);
}
