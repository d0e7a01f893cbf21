// Shows a toolkit frame for looking at (and capturing) its bars: a Japanese menu in the menu
// bar, the tool bar with the program's button images, a status bar with CAP, NUM and SCRL,
// and an edit control as the view. Its own message loop refreshes the bars at idle time.
// Usage: frame_demo [SECONDS [MENU [locks|- [WIDTH]]]] — closes itself after SECONDS (default 30);
// with MENU (a top-level index, -1 for none), opens that menu from the keyboard after one
// second (Alt, then Right MENU times, then Down), as a user would; with "locks", turns the
// Caps, Num and Scroll Lock toggles on so that the key indicators show; WIDTH sets the
// window's width in pixels (default 640).
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "DemoBarsFrame.h"
#include "FrameDemoResource.h"
#include "framework/CmdUI.h"
#include "framework/FrameworkMessages.h"
#include "framework/View.h"
#include "toolkit/ToolkitSettings.h"

namespace {

class CDemoView : public CCtrlView {
  ORMIX_DECLARE_DYNCREATE(CDemoView)

 public:
  CDemoView() : CCtrlView("EDIT", ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL) {}

 protected:
  void Append(const char* text) {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    SendMessage(EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
  }
  void OnSelectBrowser() { Append("ブラウザを選択しました。\r\n"); }
  void OnViewFont() { Append("フォントの設定です。\r\n"); }
  void OnRecordStop() { m_bRecording = FALSE; }
  void OnRecordResume() { m_bRecording = TRUE; }
  void OnUpdateRecordStop(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bRecording); }
  void OnUpdateRecordResume(CCmdUI* pCmdUI) { pCmdUI->Enable(!m_bRecording); }
  void OnEqualWidth() { m_bEqualWidth = !m_bEqualWidth; }
  void OnUpdateEqualWidth(CCmdUI* pCmdUI) { pCmdUI->SetCheck(m_bEqualWidth); }

  BOOL m_bRecording = TRUE;
  BOOL m_bEqualWidth = TRUE;
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_IMPLEMENT_DYNCREATE(CDemoView, CCtrlView)

ORMIX_BEGIN_MESSAGE_MAP(CDemoView, CCtrlView)
  msgmap::Command<&CDemoView::OnSelectBrowser>(ID_SELECT_BROWSER),
  msgmap::Command<&CDemoView::OnViewFont>(ID_VIEW_FONT),
  msgmap::Command<&CDemoView::OnRecordStop>(ID_RECORD_STOP),
  msgmap::UpdateCommand<&CDemoView::OnUpdateRecordStop>(ID_RECORD_STOP),
  msgmap::Command<&CDemoView::OnRecordResume>(ID_RECORD_RESUME),
  msgmap::UpdateCommand<&CDemoView::OnUpdateRecordResume>(ID_RECORD_RESUME),
  msgmap::Command<&CDemoView::OnEqualWidth>(ID_TAB_EQUAL_WIDTH),
  msgmap::UpdateCommand<&CDemoView::OnUpdateEqualWidth>(ID_TAB_EQUAL_WIDTH),
ORMIX_END_MESSAGE_MAP()

class CDemoFrame : public CDemoBarsFrame {
 public:
  CDemoFrame() {
    CToolkitSettings::Get().SetFlatBars(true);
    CToolkitSettings::Get().SetMenuImages(true);
    CToolkitSettings::Get().SetMenuImageGap(5);
  }

 protected:
  int OnCreate(LPCREATESTRUCTA cs) {
    if (CToolkitFrameWnd::OnCreate(cs) == -1 || !CreateDemoBars()) return -1;
    EnableMenuImages(IDR_DEMOFRAME);
    return 0;
  }
  void OnAppAbout() { ::MessageBeep(MB_OK); }
  void OnAppExit() { PostMessage(WM_CLOSE); }

  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CDemoFrame, CToolkitFrameWnd)
  msgmap::Create<&CDemoFrame::OnCreate>(),
  msgmap::Command<&CDemoFrame::OnAppAbout>(ID_APP_ABOUT),
  msgmap::Command<&CDemoFrame::OnAppExit>(ID_APP_EXIT),
ORMIX_END_MESSAGE_MAP()

HWND g_hWndFrame = nullptr;
int g_nMenuToOpen = -1;

// Key messages as the keyboard would post them to the focus window.
void PostKey(UINT message, UINT key) {
  HWND target = ::GetFocus() ? ::GetFocus() : g_hWndFrame;
  const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
  const LPARAM lParam = 1 | (static_cast<LPARAM>(::MapVirtualKeyA(key, 0)) << 16) |
                        (up ? (3u << 30) : 0) | (key == VK_MENU ? (1 << 29) : 0);
  ::PostMessageA(target, message, key, lParam);
}

void CALLBACK OpenMenuByKeyboard(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  PostKey(WM_SYSKEYDOWN, VK_MENU);
  PostKey(WM_SYSKEYUP, VK_MENU);
  for (int i = 0; i < g_nMenuToOpen; ++i) PostKey(WM_KEYDOWN, VK_RIGHT);
  PostKey(WM_KEYDOWN, VK_DOWN);
}

void CALLBACK CloseDemo(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::EndMenu();
  ::PostMessageA(g_hWndFrame, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  g_nMenuToOpen = argc > 2 ? std::atoi(argv[2]) : -1;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
  ::InitCommonControlsEx(&icc);

  auto* frame = new CDemoFrame;
  CCreateContext context;
  context.m_pNewViewClass = ORMIX_RUNTIME_CLASS(CDemoView);
  if (!frame->LoadFrame(IDR_DEMOFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context)) return 1;
  g_hWndFrame = frame->m_hWnd;
  const int width = argc > 4 ? std::atoi(argv[4]) : 640;
  frame->SetWindowPos(nullptr, 40, 30, width, 420, SWP_NOZORDER);
  frame->InitialUpdateFrame(nullptr, TRUE);
  frame->SetMessageText(static_cast<const char*>(nullptr));

  if (argc > 3 && std::string(argv[3]) == "locks") {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    for (int key : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) keys[key] |= 1;
    ::SetKeyboardState(keys);
  }
  if (g_nMenuToOpen >= 0) ::SetTimer(nullptr, 0, 1000, &OpenMenuByKeyboard);
  ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, &CloseDemo);

  MSG msg;
  bool idle = true;
  for (;;) {
    while (idle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (::IsWindow(g_hWndFrame)) ::SendMessageA(g_hWndFrame, WM_IDLEUPDATECMDUI, TRUE, 0);
      idle = false;
    }
    if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
    CWnd* wnd = CWnd::FromHandlePermanent(g_hWndFrame);
    if (!wnd || !wnd->PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (msg.message == WM_DESTROY || !::IsWindow(g_hWndFrame)) break;
    idle = true;
  }
  return 0;
}
