#include "app/OrmixApp.h"

#include <string>

#include "about/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/OrmixDocument.h"
#include "app/StartupWatcher.h"
#include "commandline/OrmixCommandLine.h"
#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "framework/StandardIds.h"
#include "framework/StringResource.h"
#include "res/resource.h"
#include "view/OrmixView.h"

ORMIX_BEGIN_MESSAGE_MAP(COrmixApp, CWinApp)
  msgmap::Command<&COrmixApp::OnAppAbout>(ID_APP_ABOUT),
  msgmap::Command<&COrmixApp::OnFilePrintSetup>(ID_FILE_PRINT_SETUP),
ORMIX_END_MESSAGE_MAP()

COrmixApp::COrmixApp() = default;

COrmixApp::~COrmixApp() = default;

BOOL COrmixApp::InitInstance() {
  AfxOleInit();
  AfxEnableControlContainer();
  Enable3dControlsStatic();
  SetRegistryKey("Morvane");
  LoadStdProfileSettings(4);
  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, ORMIX_RUNTIME_CLASS(COrmixDocument),
                                        ORMIX_RUNTIME_CLASS(CMainFrame),
                                        ORMIX_RUNTIME_CLASS(COrmixView)));
  m_pCommandLine = std::make_unique<COrmixCommandLine>();
  if (!m_pCommandLine->Parse(SplitCommandLine(m_strCmdLine.c_str()))) {
    m_bBadCommandLine = true;
    ReportCommandLineProblem();
    return FALSE;
  }
  if (m_pCommandLine->StartMinimized()) m_nCmdShow = SW_SHOWMINNOACTIVE;
  if (!ProcessShellCommand(*m_pCommandLine)) return FALSE;
  auto* frame = static_cast<CMainFrame*>(m_pMainWnd);
  frame->RestoreBarsAndShow(m_nCmdShow);
  frame->UpdateWindow();
  ApplyCommandLine(dynamic_cast<COrmixView*>(frame->GetActiveView()));
  return TRUE;
}

void COrmixApp::ApplyCommandLine(COrmixView* view) {
  if (!view || !m_pCommandLine->UsesOwnSwitches()) return;
  view->UseLogOptionsForThisRun(m_pCommandLine->SaveAsCsv(), m_pCommandLine->TimeWithMilliseconds());
  UseJournalFolder(view);
  if (!m_pCommandLine->WatchesBrowsers()) return;
  m_pWatcher = std::make_unique<CStartupWatcher>(view, *m_pCommandLine, [this] {
    if (m_pMainWnd && m_pMainWnd->IsWindow()) m_pMainWnd->PostMessage(WM_CLOSE);
  });
  m_pWatcher->Start();
}

void COrmixApp::UseJournalFolder(COrmixView* view) {
  if (m_pCommandLine->JournalFolder().empty()) return;
  // Before any tab opens; the view finishes its journals as it goes and says how they went.
  view->UseJournalFolderForThisRun(m_pCommandLine->JournalFolder());
  view->TellJournalOutcome(m_pJournalFailed);
}

int COrmixApp::ExitInstance(int exitCode) {
  // Nothing the watcher still has under way may come back once the window has gone.
  const bool watched = m_pWatcher && m_pWatcher->WatchedAny();
  m_pWatcher.reset();
  const int code = CWinApp::ExitInstance(exitCode);
  if (m_bBadCommandLine) return kExitBadCommandLine;
  if (!m_pCommandLine || !m_pCommandLine->WatchesBrowsers() || code != 0) return code;
  if (*m_pJournalFailed) return kExitJournalFailed;
  return watched ? kExitWatched : kExitNothingMatched;
}

void COrmixApp::ReportCommandLineProblem() const {
  std::string text = LoadResourceString(m_pCommandLine->ProblemKind() == COrmixCommandLine::Problem::UnknownSwitch
                                            ? IDS_COMMAND_LINE_UNKNOWN_SWITCH
                                        : m_pCommandLine->ProblemKind() == COrmixCommandLine::Problem::MissingArgument
                                            ? IDS_COMMAND_LINE_MISSING_ARGUMENT
                                            : IDS_COMMAND_LINE_BAD_ARGUMENT);
  const size_t mark = text.find("%1");
  if (mark != std::string::npos) text.replace(mark, 2, m_pCommandLine->ProblemSwitch());
  text += "\n\n" + LoadResourceString(IDS_COMMAND_LINE_SWITCHES);
  if (!m_pCommandLine->ExitWhenDone()) {
    ShowMessageBox(nullptr, text.c_str(), m_pszAppName ? m_pszAppName : "", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Nobody is at the screen: the message goes where the caller can read it, if anywhere.
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (!error || error == INVALID_HANDLE_VALUE) return;
  text += "\n";
  std::string lines;
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  DWORD written = 0;
  ::WriteFile(error, lines.c_str(), static_cast<DWORD>(lines.size()), &written, nullptr);
}

void COrmixApp::OnAppAbout() {
  CAboutDlg aboutDlg;
  aboutDlg.DoModal();
}
