#include "app/OrmixApp.h"

#include <string>

#include "about/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/OrmixDocument.h"
#include "app/StartupWatcher.h"
#include "commandline/OrmixCommandLine.h"
#include "commandline/RunOutcome.h"
#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "framework/StandardIds.h"
#include "framework/StringResource.h"
#include "threads/Dispatcher.h"
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
  if (m_pCommandLine->ExitWhenDone()) view->ReportWithoutAsking();
  UseJournalFolder(view);
  UseTraceFolder(view);
  if (!m_pCommandLine->WatchesBrowsers()) {
    // Nothing to look for: the run ends when its wait does, as one whose browsers never came.
    if (!m_pCommandLine->ExitWhenDone()) return;
    if (CDispatcher* dispatcher = CDispatcher::ForThisThread())
      dispatcher->PostAfter(m_pCommandLine->WaitSeconds() * 1000, [this] {
        m_bWaitRanOut = true;
        EndRun();
      });
    return;
  }
  m_pWatcher = std::make_unique<CStartupWatcher>(view, *m_pCommandLine, [this] { EndRun(); });
  m_pWatcher->Start();
}

void COrmixApp::EndRun() {
  if (auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd); frame && frame->IsWindow()) frame->CloseWithoutAsking();
}

void COrmixApp::UseJournalFolder(COrmixView* view) {
  if (m_pCommandLine->JournalFolder().empty()) return;
  // Before any tab opens; the view finishes its journals as it goes and says how they went.
  view->UseJournalFolderForThisRun(m_pCommandLine->JournalFolder());
  view->TellJournalOutcome(m_pJournalFailed);
}

void COrmixApp::UseTraceFolder(COrmixView* view) {
  if (m_pCommandLine->TraceFolder().empty()) return;
  view->UseTraceFolderForThisRun(m_pCommandLine->TraceFolder());
  view->TellTraceOutcome(m_pTraceFailed);
}

int COrmixApp::ExitInstance(int exitCode) {
  // Nothing the watcher still has under way may come back once the window has gone.
  RunFacts facts;
  facts.watchedAny = m_pWatcher && m_pWatcher->WatchedAny();
  m_pWatcher.reset();
  facts.loopCode = CWinApp::ExitInstance(exitCode);
  if (m_bBadCommandLine) return kExitBadCommandLine;
  if (!m_pCommandLine) return facts.loopCode;
  facts.journalFailed = *m_pJournalFailed;
  facts.traceFailed = *m_pTraceFailed;
  facts.waitRanOut = m_bWaitRanOut;
  const RunOutcome outcome = OutcomeOfRun(*m_pCommandLine, facts);
  if (!outcome.reason.empty()) WriteErrorLine(outcome.reason);
  return outcome.exitCode;
}

void COrmixApp::WriteErrorLine(const std::string& line) {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (!error || error == INVALID_HANDLE_VALUE) return;
  std::string text;
  for (char c : line) {
    if (c == '\n') text += '\r';
    text += c;
  }
  text += "\r\n";
  DWORD written = 0;
  ::WriteFile(error, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
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
  WriteErrorLine(text);
}

void COrmixApp::OnAppAbout() {
  CAboutDlg aboutDlg;
  aboutDlg.DoModal();
}
