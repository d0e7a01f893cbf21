#pragma once
// The application object: starts OLE, points the profile settings at
// "Software\Morvane\Ormix", registers the single-document template (document, main frame,
// tabbed view) and carries out the command line; then the framework's message loop runs
// until the main frame is closed. It also shows the About box. The command line may ask it
// to watch browsers at start-up without anyone at the screen, and the exit code then says
// how that went.
#include <memory>
#include <string>

#include "framework/WinApp.h"

class COrmixCommandLine;
class COrmixView;
class CStartupWatcher;

class COrmixApp : public CWinApp {
 public:
  COrmixApp();
  ~COrmixApp() override;

  BOOL InitInstance() override;
  int ExitInstance(int exitCode = 0) override;

 protected:
  void OnAppAbout();

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  // Says which switch could not be understood and lists the switches: in a message box, or
  // on the standard error stream (when there is one) for a run that nobody watches.
  void ReportCommandLineProblem() const;
  // Carries out what the command line asks of the view once the window is up.
  void ApplyCommandLine(COrmixView* view);
  // Hands the journal folder of /journal to the view.
  void UseJournalFolder(COrmixView* view);
  // Hands the trace folder of /trace to the view.
  void UseTraceFolder(COrmixView* view);
  // Ends a run that /exit-when-done asked to end: nothing is asked of anyone.
  void EndRun();
  // Writes `line` to the standard error stream, when the program has one.
  static void WriteErrorLine(const std::string& line);

  std::unique_ptr<COrmixCommandLine> m_pCommandLine;
  std::unique_ptr<CStartupWatcher> m_pWatcher;
  bool m_bBadCommandLine = false;
  // /exit-when-done without browsers to look for: the wait has ended the run.
  bool m_bWaitRanOut = false;
  // Set as the view goes when a journal of /journal could not be written.
  std::shared_ptr<bool> m_pJournalFailed = std::make_shared<bool>(false);
  // Set as the view goes when a trace of /trace could not be written.
  std::shared_ptr<bool> m_pTraceFailed = std::make_shared<bool>(false);
};
