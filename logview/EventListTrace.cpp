// The event log as a trace (TraceLines): saved to a file the user names, and, for a run that
// asks for it (/trace), written into a folder when the browser quits or when the run ends.
// The bytes come from the model; this file asks, writes when due and says what failed.
#include <cstdio>
#include <string>

#include "framework/FileDialog.h"
#include "framework/FileError.h"
#include "framework/FrameworkMessages.h"
#include "logview/EventListCtrl.h"
#include "threads/Dispatcher.h"

namespace {

const char kSaveTraceTitle[] = "トレースの保存";
const char kTraceFilter[] = "トレース (*.json)|*.json||";
const char kTraceFailedFormat[] = "トレース %s を書き込めませんでした。";

}  // namespace

BOOL CEventListCtrl::SaveTrace(const char* path, const std::string& processName) {
  FlushPendingRows();
  const LogFileResult result = m_model.SaveTrace(path, processName, static_cast<unsigned>(GetDlgCtrlID()));
  if (result.error) ReportFileWriteError(m_hWnd, path, result.error);
  return result.written;
}

bool CEventListCtrl::SaveTraceWithDialog(const std::string& processName) {
  FlushPendingRows();
  if (m_model.Rows().Count() == 0) return false;
  CFileDialog dialog(FALSE, "json", nullptr, OFN_OVERWRITEPROMPT, kTraceFilter, this);
  dialog.m_ofn.lpstrTitle = kSaveTraceTitle;
  dialog.m_ofn.lStructSize = sizeof(OPENFILENAMEA);
  // As for a saved log: a name that could not be written to has been reported, and the
  // dialog comes back with it.
  while (dialog.DoModal() == IDOK)
    if (SaveTrace(dialog.GetPathName().c_str(), processName)) return true;
  return false;
}

void CEventListCtrl::WriteTraceOnQuit(const std::string& folder, const std::string& title) {
  // A new title alone (the connect has told it) does not write a trace written already again.
  if (folder != m_traceFolder) m_bTraceWritten = false;
  m_traceFolder = folder;
  m_traceTitle = title;
}

void CEventListCtrl::WritePendingTrace() {
  if (m_traceFolder.empty() || m_bTraceWritten) return;
  FlushPendingRows();
  m_bTraceWritten = true;
  std::string path;
  const LogFileResult result =
      m_model.SaveTraceInto(m_traceFolder, m_traceTitle, static_cast<unsigned>(GetDlgCtrlID()), &path);
  if (!result.error) return;
  // Nobody may be at the screen: said in a row and the status bar, as a failed journal is.
  m_bTraceFailed = true;
  char text[MAX_PATH + 160];
  std::snprintf(text, sizeof(text), kTraceFailedFormat, path.c_str());
  AddMessageRow("", text, kImageQuit);
  if (HWND frame = ::GetAncestor(m_hWnd, GA_ROOT))
    ::SendMessageA(frame, WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(text));
}

void CEventListCtrl::WriteTraceSoon() {
  if (m_traceFolder.empty() || m_bTraceWritten) return;
  // After the browser's call has returned: a long log takes a while to write.
  if (CDispatcher* dispatcher = CDispatcher::ForThisThread())
    dispatcher->Post([this, alive = LifetimeToken()] {
      if (!alive.expired()) WritePendingTrace();
    });
}
