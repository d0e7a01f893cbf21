#include "app/OrmixApp.h"

#include "about/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/OrmixDocument.h"
#include "framework/CommandLineInfo.h"
#include "framework/DocTemplate.h"
#include "framework/StandardIds.h"
#include "res/resource.h"
#include "view/OrmixView.h"

ORMIX_BEGIN_MESSAGE_MAP(COrmixApp, CWinApp)
  msgmap::Command<&COrmixApp::OnAppAbout>(ID_APP_ABOUT),
  msgmap::Command<&COrmixApp::OnFilePrintSetup>(ID_FILE_PRINT_SETUP),
ORMIX_END_MESSAGE_MAP()

BOOL COrmixApp::InitInstance() {
  AfxOleInit();
  AfxEnableControlContainer();
  Enable3dControlsStatic();
  SetRegistryKey("Morvane");
  LoadStdProfileSettings(4);
  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, ORMIX_RUNTIME_CLASS(COrmixDocument),
                                        ORMIX_RUNTIME_CLASS(CMainFrame),
                                        ORMIX_RUNTIME_CLASS(COrmixView)));
  CCommandLineInfo commandLine;
  ParseCommandLine(commandLine);
  if (!ProcessShellCommand(commandLine)) return FALSE;
  auto* frame = static_cast<CMainFrame*>(m_pMainWnd);
  frame->RestoreBarsAndShow(m_nCmdShow);
  frame->UpdateWindow();
  return TRUE;
}

void COrmixApp::OnAppAbout() {
  CAboutDlg aboutDlg;
  aboutDlg.DoModal();
}
