// Taking rows out of the event log: saving every row (or, while a filter is on and the user
// chooses so, the shown rows) to a file the user names, as plain comma-separated lines or as
// CSV, and copying the selected rows to the clipboard, as CSV records too while saving as
// CSV. The bytes come from SavedLogLines and the store; this file only asks and hands them on.
#include <string>

#include "framework/FileDialog.h"
#include "framework/FileError.h"
#include "logview/ClipboardText.h"
#include "logview/EventListCtrl.h"
#include "log/SaveLogFileTypes.h"
#include "log/SavedLogLines.h"

namespace {

const char kSaveTitle[] = "保存ファイル名の設定";

}  // namespace

void CEventListCtrl::OnSaveLog() { SaveWithDialog(); }

bool CEventListCtrl::SaveWithDialog() {
  FlushPendingRows();
  // The file types say which rows are written; the first, every row, is chosen at first.
  const SaveLogFileTypes types(m_model.SaveAsCsv(), m_model.Filter().IsOn(), m_model.ShownCount(),
                               m_model.Rows().Count());
  // Owned by the main window, which stays disabled meanwhile: the tab cannot be closed
  // while its log is being saved.
  CFileDialog dialog(FALSE, nullptr, nullptr, OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, types.Filter().c_str(),
                     this);
  dialog.m_ofn.lpstrTitle = kSaveTitle;
  dialog.m_ofn.Flags |= OFN_FILEMUSTEXIST | OFN_EXTENSIONDIFFERENT;
  dialog.m_ofn.lpstrDefExt = types.DefaultExtension();
  dialog.m_ofn.nFilterIndex = 1;
  // The structure with the fields that Windows 2000 added; every system Ormix runs on has them.
  dialog.m_ofn.lStructSize = sizeof(OPENFILENAMEA);
  // A name that could not be written to has been reported: the dialog comes back, with that
  // name, so that the user can choose another.
  while (dialog.DoModal() == IDOK) {
    if (SaveLog(dialog.GetPathName().c_str(), types.ShownRowsOnly(dialog.m_ofn.nFilterIndex))) return true;
    if (SavedLogLines(m_model.Rows(), m_model.SaveAsCsv()).Count() == 0) return false;
  }
  return false;
}

BOOL CEventListCtrl::SaveLog(const char* path, bool shownRowsOnly) {
  FlushPendingRows();
  const LogFileResult result = m_model.Save(path, shownRowsOnly);
  if (result.error) ReportFileWriteError(m_hWnd, path, result.error);
  return result.written;
}

void CEventListCtrl::OnCopy() {
  FlushPendingRows();
  int item = GetNextItem(-1, LVNI_SELECTED);
  if (item == -1) return;
  std::string text;
  // Saving as CSV, a copied row is a CSV record too: a field with a line break pastes as
  // one record.
  for (; item != -1; item = GetNextItem(item, LVNI_SELECTED)) {
    if (m_model.SaveAsCsv())
      SavedLogLines::AppendCsvRecord(m_model.Rows(), RowAt(item), text);
    else
      m_model.Rows().AppendLine(RowAt(item), text);
    text += "\r\n";
  }
  CClipboardText clipboard;
  clipboard.SetOwner(m_hWnd);
  clipboard.SetText(text.c_str());
}
