// Taking rows out of the event log: saving every row to a file the user names, as plain
// comma-separated lines or as CSV, and copying the selected rows to the clipboard. The bytes
// come from SavedLogLines and the store; this file only asks and hands them on.
#include <string>

#include "framework/FileDialog.h"
#include "framework/FileError.h"
#include "log/ClipboardText.h"
#include "log/EventListCtrl.h"
#include "log/LogFileWriter.h"

namespace {

const char kLogFilter[] =
    "ログファイル (*.log)|*.log|テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*||";
const char kSaveTitle[] = "保存ファイル名の設定";

}  // namespace

void CEventListCtrl::OnSaveLog() { SaveWithDialog(); }

bool CEventListCtrl::SaveWithDialog() {
  // Owned by the main window, which stays disabled meanwhile: the tab cannot be closed
  // while its log is being saved.
  CFileDialog dialog(FALSE, nullptr, nullptr, OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, kLogFilter,
                     this);
  dialog.m_ofn.lpstrTitle = kSaveTitle;
  dialog.m_ofn.Flags |= OFN_FILEMUSTEXIST | OFN_EXTENSIONDIFFERENT;
  dialog.m_ofn.lpstrDefExt = "log";
  // The structure with the fields that Windows 2000 added; every system Ormix runs on has them.
  dialog.m_ofn.lStructSize = sizeof(OPENFILENAMEA);
  if (dialog.DoModal() != IDOK) return false;
  return SaveLog(dialog.GetPathName().c_str()) != FALSE;
}

BOOL CEventListCtrl::SaveLog(const char* path) {
  FlushPendingRows();
  const LogFileResult result = WriteLogFile(path, SavedLogLines(m_rows, m_bSaveAsCsv));
  // A file that could not be opened is not reported; one that failed while being written is.
  if (result.error) ReportFileWriteError(m_hWnd, path, result.error);
  if (result.written) m_bUnkept = false;
  return result.written;
}

void CEventListCtrl::OnCopy() {
  FlushPendingRows();
  int item = GetNextItem(-1, LVNI_SELECTED);
  if (item == -1) return;
  std::string text;
  for (; item != -1; item = GetNextItem(item, LVNI_SELECTED)) {
    m_rows.AppendLine(RowAt(item), text);
    text += "\r\n";
  }
  CClipboardText clipboard;
  clipboard.SetOwner(m_hWnd);
  clipboard.SetText(text.c_str());
}
