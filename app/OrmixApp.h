#pragma once
// The application object: starts OLE, points the profile settings at
// "Software\Morvane\Ormix", registers the single-document template (document, main frame,
// tabbed view) and carries out the command line; then the framework's message loop runs
// until the main frame is closed. It also shows the About box.
#include "framework/WinApp.h"

class COrmixApp : public CWinApp {
 public:
  COrmixApp() = default;

  BOOL InitInstance() override;

 protected:
  void OnAppAbout();

  ORMIX_DECLARE_MESSAGE_MAP()
};
