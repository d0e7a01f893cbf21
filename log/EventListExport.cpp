// Taking rows out of the event log: saving every row to a file and copying the selected
// rows to the clipboard, each row as its four column texts joined by commas, unquoted.
#include <cerrno>
#include <cstdio>
#include <share.h>
#include <string>
#include <vector>

#include "log/ClipboardText.h"
#include "log/EventListCtrl.h"
#include "framework/FileDialog.h"
#include "framework/FileError.h"

namespace {

const char kLogFilter[] =
    "ログファイル (*.log)|*.log|テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*||";
const char kSaveTitle[] = "保存ファイル名の設定";

// The structure size of the file dialog: the Windows 2000 fields only where the system
// has them.
DWORD FileDialogStructSize() {
  const DWORD major = LOBYTE(LOWORD(::GetVersion()));
  return major < 5 ? static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A)
                   : static_cast<DWORD>(sizeof(OPENFILENAMEA));
}

}  // namespace

std::string CEventListCtrl::RowLine(int item) {
  return GetItemText(item, 0) + "," + GetItemText(item, 1) + "," + GetItemText(item, 2) + "," +
         GetItemText(item, 3);
}

void CEventListCtrl::OnSaveLog() {
  // Owned by the main window, which stays disabled meanwhile: the tab cannot be closed
  // while its log is being saved.
  CFileDialog dialog(FALSE, nullptr, nullptr, OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, kLogFilter,
                     this);
  dialog.m_ofn.lpstrTitle = kSaveTitle;
  dialog.m_ofn.Flags |= OFN_FILEMUSTEXIST | OFN_EXTENSIONDIFFERENT;
  dialog.m_ofn.lpstrDefExt = "log";
  dialog.m_ofn.lStructSize = FileDialogStructSize();
  if (dialog.DoModal() != IDOK) return;
  SaveLog(dialog.GetPathName().c_str());
}

BOOL CEventListCtrl::SaveLog(const char* path) {
  FlushPendingRows();
  const int count = GetItemCount();
  std::vector<std::string> lines;
  lines.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int item = 0; item < count; ++item) lines.push_back(RowLine(item));
  return WriteLines(lines, path);
}

BOOL CEventListCtrl::WriteLines(const std::vector<std::string>& lines, const char* path) {
  if (lines.empty() || !path) return FALSE;
  // Exclusive, so that a file another program has open is refused rather than mixed into.
  std::FILE* file = _fsopen(path, "wt", _SH_DENYRW);
  if (!file) return FALSE;
  for (const std::string& line : lines) {
    const std::string text = line + "\n";
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
      const int error = errno;
      std::fclose(file);
      ReportFileWriteError(m_hWnd, path, error);
      return FALSE;
    }
  }
  if (std::fclose(file) != 0) {
    ReportFileWriteError(m_hWnd, path, errno);
    return FALSE;
  }
  return TRUE;
}

void CEventListCtrl::OnCopy() {
  FlushPendingRows();
  int item = GetNextItem(-1, LVNI_SELECTED);
  if (item == -1) return;
  std::string text;
  for (; item != -1; item = GetNextItem(item, LVNI_SELECTED)) text += RowLine(item) + "\r\n";
  CClipboardText clipboard;
  clipboard.SetOwner(m_hWnd);
  clipboard.SetText(text.c_str());
}
