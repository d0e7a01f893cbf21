#pragma once
// The application object: starts OLE, points the profile settings at
// "Software\Morvane\Ormix", registers the single-document template (document, main frame,
// tabbed view) and carries out the command line; then the framework's message loop runs
// until the main frame is closed. It also shows the About box. The command line may ask it
// to watch browsers at start-up without anyone at the screen, and the exit code then says
// how that went.
#include <memory>

#include "framework/WinApp.h"

class COrmixCommandLine;
class COrmixView;
class CStartupWatcher;

class COrmixApp : public CWinApp {
 public:
  // Exit codes of a run whose command line asked to watch browsers (0 otherwise, as always).
  enum ExitCode {
    kExitWatched = 0,          // at least one browser was watched
    kExitNothingMatched = 2,   // no browser matched within the wait
    kExitJournalFailed = 3,    // a journal could not be written
    kExitBadCommandLine = 4,   // a switch could not be understood
  };

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

  std::unique_ptr<COrmixCommandLine> m_pCommandLine;
  std::unique_ptr<CStartupWatcher> m_pWatcher;
  bool m_bBadCommandLine = false;
  // Set as the view goes when a journal of /journal could not be written.
  std::shared_ptr<bool> m_pJournalFailed = std::make_shared<bool>(false);
};
