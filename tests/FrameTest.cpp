// The frame window and the toolkit's bars under Wine, in real windows: command routing and
// automatic disabling in drop-down menus, status-bar prompts, tool bar states at idle time,
// showing and hiding bars, status pane widths and key indicators, the saved bar layout, the
// menu bar's keyboard mode, pressed button and narrow windows, dragging bars between edges,
// and fonts.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DemoBarsFrame.h"
#include "FrameDemoResource.h"
#include "framework/CmdUI.h"
#include "framework/FrameworkMessages.h"
#include "framework/Profile.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "support/MessagePump.h"
#include "toolkit/ToolkitSettings.h"

namespace {

std::vector<std::string> g_handled;  // which object took each routed command
const char kBarState[] = "Control Bar State";

class CTestView : public CView {
  ORMIX_DECLARE_DYNCREATE(CTestView)

 public:
  BOOL m_bRecording = FALSE;

 protected:
  void OnCopy() { g_handled.push_back("view"); }
  void OnSelectBrowser() { g_handled.push_back("view"); }
  void OnRecordStop() {}
  void OnUpdateRecordStop(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bRecording); }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_IMPLEMENT_DYNCREATE(CTestView, CView)

ORMIX_BEGIN_MESSAGE_MAP(CTestView, CView)
  msgmap::Command<&CTestView::OnCopy>(ID_EDIT_COPY),
  msgmap::Command<&CTestView::OnSelectBrowser>(ID_SELECT_BROWSER),
  msgmap::Command<&CTestView::OnRecordStop>(ID_RECORD_STOP),
  msgmap::UpdateCommand<&CTestView::OnUpdateRecordStop>(ID_RECORD_STOP),
ORMIX_END_MESSAGE_MAP()

class CTestFrame : public CDemoBarsFrame {
 public:
  std::vector<HMENU> m_popupsOpened;
  std::vector<UINT> m_keysOnOpen;  // one key pressed as each pop-up opens, like a user
  std::function<void(HWND)> m_onMenuShown;  // called with the shown pop-up, once

 protected:
  int OnCreate(LPCREATESTRUCTA cs) {
    return CToolkitFrameWnd::OnCreate(cs) == -1 || !CreateDemoBars() ? -1 : 0;
  }
  void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu) {
    m_popupsOpened.push_back(hPopup);
    if (!m_keysOnOpen.empty()) {
      PostMessage(WM_KEYDOWN, m_keysOnOpen.front(), 1);
      m_keysOnOpen.erase(m_keysOnOpen.begin());
    }
    CToolkitFrameWnd::OnInitMenuPopup(hPopup, nIndex, bSysMenu);
  }
  LRESULT OnEnterIdle(WPARAM wParam, LPARAM lParam) {
    if (wParam == MSGF_MENU && m_onMenuShown && ::IsWindowVisible(reinterpret_cast<HWND>(lParam))) {
      auto onShown = std::move(m_onMenuShown);
      m_onMenuShown = nullptr;
      onShown(reinterpret_cast<HWND>(lParam));
    }
    return Default();
  }
  void OnCopy() { g_handled.push_back("frame"); }
  void OnViewFont() { g_handled.push_back("frame"); }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CTestFrame, CToolkitFrameWnd)
  msgmap::Create<&CTestFrame::OnCreate>(),
  msgmap::InitMenuPopup<&CTestFrame::OnInitMenuPopup>(),
  msgmap::Message<&CTestFrame::OnEnterIdle>(WM_ENTERIDLE),
  msgmap::Command<&CTestFrame::OnCopy>(ID_EDIT_COPY),
  msgmap::Command<&CTestFrame::OnViewFont>(ID_VIEW_FONT),
ORMIX_END_MESSAGE_MAP()

class CTestApp : public CWinApp {
 protected:
  void OnCommand() { g_handled.push_back("app"); }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
  msgmap::Command<&CTestApp::OnCommand>(ID_APP_ABOUT),
  msgmap::Command<&CTestApp::OnCommand>(ID_VIEW_FONT),
  msgmap::Command<&CTestApp::OnCommand>(ID_EDIT_COPY),
ORMIX_END_MESSAGE_MAP()

// Dispatches messages as the application's loop does, the frame's PreTranslateMessage
// first, until `done` holds or the deadline passes.
bool PumpThroughFrame(HWND hWndFrame, const std::function<bool()>& done, DWORD timeoutMs = 5000) {
  return testsupport::PumpUntil(done, timeoutMs, [hWndFrame](MSG& msg) {
    CWnd* frame = CWnd::FromHandlePermanent(hWndFrame);
    return frame && frame->PreTranslateMessage(&msg);
  });
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

class FrameTest : public testing::Test {
 protected:
  void SetUp() override {
    g_handled.clear();
    profile::SetKey("OrmixTests", "FrameTest");
    profile::WriteString(kBarState, nullptr, nullptr);
  }
  void TearDown() override {
    for (CTestFrame* frame : m_frames)
      if (CWnd::FromHandlePermanent(frame->m_hWnd) == frame) frame->DestroyWindow();
  }

  // A new frame, shown; one that cannot be created ends the test as failed.
  CTestFrame* CreateFrame() {
    auto* frame = new CTestFrame;
    CCreateContext context;
    context.m_pNewViewClass = ORMIX_RUNTIME_CLASS(CTestView);
    if (!frame->LoadFrame(IDR_DEMOFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context))
      throw std::runtime_error("the frame could not be created");
    frame->SetWindowPos(nullptr, 10, 10, 600, 400, SWP_NOZORDER);
    frame->ShowWindow(SW_SHOW);
    ::SetForegroundWindow(frame->m_hWnd);
    m_frames.push_back(frame);
    return frame;
  }
  static CTestView* ViewOf(CTestFrame* frame) {
    return static_cast<CTestView*>(frame->GetActiveView());
  }
  static RECT ViewRect(CTestFrame* frame) {
    RECT rect;
    ::GetWindowRect(frame->GetActiveView()->m_hWnd, &rect);
    return rect;
  }
  static HMENU Popup(CTestFrame* frame, int index) {
    return ::GetSubMenu(frame->m_wndMenuBar.GetMenu(), index);
  }
  // Posts a key message to the view as the keyboard sends it.
  static void PostKey(CTestFrame* frame, UINT message, UINT key) {
    const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
    const LPARAM flags = (up ? (3u << 30) : 0) | (key == VK_MENU ? 1 << 29 : 0);
    ::PostMessageA(frame->GetActiveView()->m_hWnd, message, key, 1 | flags);
  }
  // Moves the pointer to the middle of menu bar button `index` by real pointer input, as the
  // menu loop reads it, with `buttons` (MOUSEEVENTF_LEFTDOWN...) at the end of the move.
  static void PointAt(CMenuBar& bar, int index, DWORD buttons = 0) {
    RECT button;
    bar.SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
    POINT pt = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ::ClientToScreen(bar.m_hWnd, &pt);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = pt.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = pt.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons;
    ::SendInput(1, &input, sizeof(input));
  }
  static RECT ClientOnScreen(HWND hWnd) {
    RECT rect;
    ::GetClientRect(hWnd, &rect);
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  std::vector<CTestFrame*> m_frames;
};

TEST_F(FrameTest, RoutesCommandsViewFrameAppAndDisablesUnhandledMenuItems) {
  CTestApp app;
  CTestFrame* frame = CreateFrame();
  for (UINT id : {ID_EDIT_COPY, ID_VIEW_FONT, ID_APP_ABOUT}) EXPECT_TRUE(RouteCommand(frame, id));
  EXPECT_FALSE(RouteCommand(frame, ID_LOG_CLEAR));
  EXPECT_EQ(g_handled, (std::vector<std::string>{"view", "frame", "app"}));

  // The menu's states come from the route when it drops down.
  HMENU popup = Popup(frame, 2);
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 2);
  auto grayed = [&](UINT id) { return (::GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
  EXPECT_FALSE(grayed(ID_SELECT_BROWSER));  // handled by the view
  EXPECT_TRUE(grayed(ID_RECORD_RESUME));    // no handler anywhere
  EXPECT_TRUE(grayed(ID_RECORD_STOP));      // the view's update handler disables it
  EXPECT_TRUE(grayed(ID_LOG_CLEAR));
  ViewOf(frame)->m_bRecording = TRUE;
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 2);
  EXPECT_FALSE(grayed(ID_RECORD_STOP));

  HMENU viewMenu = Popup(frame, 3);
  frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(viewMenu), 3);
  EXPECT_TRUE(::GetMenuState(viewMenu, ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(::GetMenuState(viewMenu, ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(::GetMenuState(viewMenu, ID_VIEW_FONT, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(FrameTest, ShowsPromptsWhileMenuItemsAreHighlightedAndIdleTextAfter) {
  CTestFrame* frame = CreateFrame();
  HMENU popup = Popup(frame, 2);
  frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_SELECT_BROWSER, MF_STRING),
                     reinterpret_cast<LPARAM>(popup));
  EXPECT_EQ(frame->GetMessageText(), "イベントを監視するInternet Explorerを選択します。");
  frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(2, MF_POPUP), reinterpret_cast<LPARAM>(popup));
  EXPECT_EQ(frame->GetMessageText(), "");
  frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(SC_CLOSE, MF_STRING | MF_SYSMENU),
                     reinterpret_cast<LPARAM>(::GetSystemMenu(frame->m_hWnd, FALSE)));
  EXPECT_EQ(frame->GetMessageText(), "作業中のウィンドウを閉じ、変更したファイルの保存を指示");
  frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(frame->GetMessageText(), "レディ");
  frame->SendMessage(WM_SETMESSAGESTRING, ID_APP_EXIT);
  EXPECT_EQ(frame->GetMessageText(), "アプリケーションを終了します。");
}

TEST_F(FrameTest, ToolBarFollowsCommandStatesAtIdleWithTipsAndFlyByPrompts) {
  CTestFrame* frame = CreateFrame();
  CToolBar& bar = frame->m_wndToolBar;
  auto enabled = [&](UINT id) { return bar.SendMessage(TB_ISBUTTONENABLED, id) != 0; };
  frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_TRUE(enabled(ID_SELECT_BROWSER));
  EXPECT_TRUE(enabled(ID_EDIT_COPY));
  EXPECT_FALSE(enabled(ID_FILE_SAVE_LOG));
  EXPECT_FALSE(enabled(ID_RECORD_STOP));
  ViewOf(frame)->m_bRecording = TRUE;
  frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_TRUE(enabled(ID_RECORD_STOP));

  NMTTDISPINFOA tip = {};
  tip.hdr.code = TTN_GETDISPINFOA;
  tip.hdr.idFrom = ID_SELECT_BROWSER;
  frame->SendMessage(WM_NOTIFY, ID_SELECT_BROWSER, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip.lpszText, nullptr);
  EXPECT_STREQ(tip.lpszText, "監視するIEの選択");

  NMTBHOTITEM hot = {};
  hot.hdr = NMHDR{bar.m_hWnd, AFX_IDW_TOOLBAR, static_cast<UINT>(TBN_HOTITEMCHANGE)};
  hot.idNew = ID_RECORD_STOP;
  hot.dwFlags = HICF_MOUSE;
  frame->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
  EXPECT_EQ(frame->GetMessageText(), "イベントの記録を停止します。");
  hot.dwFlags = HICF_LEAVING;
  frame->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&hot));
  EXPECT_EQ(frame->GetMessageText(), "レディ");
}

TEST_F(FrameTest, ViewToolBarCommandHidesTheBarAndTheViewTakesItsRoom) {
  CTestFrame* frame = CreateFrame();
  const RECT before = ViewRect(frame);
  RECT barRect;
  frame->m_wndToolBar.GetWindowRect(&barRect);
  EXPECT_GE(before.top, barRect.bottom);

  EXPECT_TRUE(RouteCommand(frame, ID_VIEW_TOOLBAR));
  EXPECT_FALSE(frame->m_wndToolBar.IsVisible());
  EXPECT_EQ(QueryCommandState(frame, ID_VIEW_TOOLBAR).m_nCheck, 0);
  const RECT hidden = ViewRect(frame);
  EXPECT_LT(hidden.top, before.top);
  EXPECT_EQ(hidden.bottom, before.bottom);

  EXPECT_TRUE(RouteCommand(frame, ID_VIEW_STATUS_BAR));
  EXPECT_FALSE(frame->m_wndStatusBar.IsVisible());
  EXPECT_GT(ViewRect(frame).bottom, before.bottom);

  RouteCommand(frame, ID_VIEW_TOOLBAR);
  RouteCommand(frame, ID_VIEW_STATUS_BAR);
  EXPECT_EQ(QueryCommandState(frame, ID_VIEW_TOOLBAR).m_nCheck, 1);
  const RECT after = ViewRect(frame);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(FrameTest, StatusPanesAreTheirTextWidthPlusBordersAndShowKeyToggles) {
  CTestFrame* frame = CreateFrame();
  CStatusBar& bar = frame->m_wndStatusBar;
  for (int pane = 1; pane <= 3; ++pane) {
    const int text = bar.MeasureText(pane == 1 ? "CAP" : pane == 2 ? "NUM" : "SCRL");
    bar.SetPaneWidth(pane, text + 2);
    RECT rect;
    bar.GetItemRect(pane, &rect);
    EXPECT_EQ(rect.right - rect.left, text + 2 + CStatusBar::kPaneBorder) << pane;
  }
  RECT message, caps;
  bar.GetItemRect(0, &message);
  bar.GetItemRect(1, &caps);
  EXPECT_GT(message.right - message.left, 3 * (caps.right - caps.left));  // pane 0 stretches

  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  const BYTE saved = keys[VK_CAPITAL];
  keys[VK_CAPITAL] |= 1;
  keys[VK_NUMLOCK] &= ~1;
  ::SetKeyboardState(keys);
  frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_EQ(bar.GetPaneText(1), "CAP");
  EXPECT_EQ(bar.GetPaneText(2), "");
  keys[VK_CAPITAL] = saved & ~1;
  ::SetKeyboardState(keys);
  frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  EXPECT_EQ(bar.GetPaneText(1), "");
}

TEST_F(FrameTest, BarLayoutIsRestoredIntoANewFrameAndUnusableLayoutsGiveTheDefault) {
  using Place = CToolkitFrameWnd::BarPlace;
  auto summary = [](CTestFrame* frame) {
    std::vector<std::string> rows;
    for (const Place& p : frame->GetBarLayout())
      rows.push_back(std::to_string(p.nID) + "@" + std::to_string(p.dwEdge) + "#" +
                     std::to_string(p.nIndex) + (p.bVisible ? "+" : "-"));
    return rows;
  };
  CTestFrame* first = CreateFrame();
  const std::vector<std::string> defaults = summary(first);
  ASSERT_TRUE(first->MoveBarToEdge(AFX_IDW_TOOLBAR, CBRS_ALIGN_BOTTOM));
  first->ShowControlBar(&first->m_wndStatusBar, FALSE);
  first->SaveBarState(kBarState);
  const std::vector<std::string> saved = summary(first);
  EXPECT_NE(saved, defaults);

  CTestFrame* second = CreateFrame();
  EXPECT_EQ(summary(second), defaults);
  second->LoadBarState(kBarState);
  EXPECT_EQ(summary(second), saved);
  EXPECT_FALSE(second->m_wndStatusBar.IsVisible());
  RECT toolBar, view;
  second->m_wndToolBar.GetWindowRect(&toolBar);
  view = ViewRect(second);
  EXPECT_GE(toolBar.top, view.bottom);  // docked below the view

  // Garbage, and a well-formed layout naming a bar the frame does not have.
  const BYTE garbage[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  profile::WriteBinary(kBarState, "Layout", garbage, sizeof(garbage));
  second->LoadBarState(kBarState);
  EXPECT_EQ(summary(second), defaults);
  EXPECT_TRUE(second->m_wndStatusBar.IsVisible());

  first->SaveBarState(kBarState);
  std::vector<BYTE> data;
  ASSERT_TRUE(profile::GetBinary(kBarState, "Layout", &data));
  const DWORD unknownId = 0xE8F0;
  memcpy(data.data() + 8, &unknownId, sizeof(unknownId));  // the first record's bar id
  profile::WriteBinary(kBarState, "Layout", data.data(), static_cast<UINT>(data.size()));
  first->LoadBarState(kBarState);
  EXPECT_EQ(summary(first), defaults);
}

TEST_F(FrameTest, MenuBarKeyboardModeOpensMovesAndCloses) {
  CTestFrame* frame = CreateFrame();
  CMenuBar& bar = frame->m_wndMenuBar;
  PostKey(frame, WM_SYSKEYDOWN, VK_MENU);
  PostKey(frame, WM_SYSKEYUP, VK_MENU);
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return bar.IsKeyboardMode(); }));
  EXPECT_EQ(bar.GetHotItem(), 0);
  PostKey(frame, WM_KEYDOWN, VK_RIGHT);
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return bar.GetHotItem() == 1; }));

  // Down opens 編集; in it, Right moves to the next menu; Esc closes it and keeps the
  // highlight; a second Esc leaves the bar.
  frame->m_popupsOpened.clear();
  frame->m_keysOnOpen = {VK_RIGHT, VK_ESCAPE};
  PostKey(frame, WM_KEYDOWN, VK_DOWN);
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] {
    return bar.GetOpenMenu() < 0 && bar.IsKeyboardMode() && frame->m_popupsOpened.size() >= 2;
  }));
  EXPECT_EQ(frame->m_popupsOpened, (std::vector<HMENU>{Popup(frame, 1), Popup(frame, 2)}));
  EXPECT_EQ(bar.GetHotItem(), 2);
  PostKey(frame, WM_KEYDOWN, VK_ESCAPE);
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return !bar.IsKeyboardMode(); }));

  // Alt+mnemonic opens its menu directly.
  frame->m_popupsOpened.clear();
  frame->m_keysOnOpen = {VK_ESCAPE};
  PostKey(frame, WM_SYSCHAR, 'H');
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] {
    return !frame->m_popupsOpened.empty() && bar.GetOpenMenu() < 0;
  }));
  EXPECT_EQ(frame->m_popupsOpened.front(), Popup(frame, 4));

  // So does Alt, released, then a lower-case mnemonic: the keyboard gives WM_KEYDOWN 'F' and
  // WM_CHAR 'f'.
  bar.LeaveKeyboardMode();
  frame->m_popupsOpened.clear();
  frame->m_keysOnOpen = {VK_ESCAPE};
  PostKey(frame, WM_SYSKEYDOWN, VK_MENU);
  PostKey(frame, WM_SYSKEYUP, VK_MENU);
  PostKey(frame, WM_KEYDOWN, 'F');
  PostKey(frame, WM_CHAR, 'f');
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return !frame->m_popupsOpened.empty(); }));
  EXPECT_EQ(frame->m_popupsOpened.front(), Popup(frame, 0));
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return bar.GetOpenMenu() < 0; }));
}

TEST_F(FrameTest, MovingThePointerOverAnotherTitleWhileAMenuIsOpenOpensThatMenu) {
  CTestFrame* frame = CreateFrame();
  CMenuBar& bar = frame->m_wndMenuBar;
  PointAt(bar, 1);
  PumpThroughFrame(frame->m_hWnd, [] { return true; });
  frame->m_popupsOpened.clear();
  // 編集 opens; the pointer moves on to 表示, which opens in its place and is closed.
  frame->m_onMenuShown = [&](HWND) {
    frame->m_onMenuShown = [](HWND) { ::EndMenu(); };
    PointAt(bar, 2);
  };
  bar.OpenMenu(1, FALSE);
  EXPECT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] {
    return frame->m_popupsOpened.size() >= 2 && bar.GetOpenMenu() < 0;
  }));
  EXPECT_EQ(frame->m_popupsOpened, (std::vector<HMENU>{Popup(frame, 1), Popup(frame, 2)}));
  if (bar.GetOpenMenu() >= 0) ::EndMenu();
}

TEST_F(FrameTest, OnlyTheOpenMenusButtonIsDrawnPressed) {
  CTestFrame* frame = CreateFrame();
  CMenuBar& bar = frame->m_wndMenuBar;
  // The buttons drawn boxed: the pressed ones and, with `withHot`, the tool bar's hot item,
  // which a flat button shows with the same box.
  auto boxed = [&](bool withHot) {
    const int hot = static_cast<int>(bar.SendMessage(TB_GETHOTITEM));
    std::vector<int> buttons;
    for (int i = 0; i < bar.GetCount(); ++i) {
      TBBUTTON button = {};
      bar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
      if ((button.fsState & TBSTATE_PRESSED) || (withHot && i == hot)) buttons.push_back(i);
    }
    return buttons;
  };
  // 表示 is clicked, which also leaves it the tool bar's hot button; once its menu shows, the
  // user moves to another menu.
  struct Move {
    const char* how;
    int pointTo;  // the button the pointer moves over, or -1 for a key
    UINT key;
    int opens;
  };
  for (const Move& move : {Move{"pointer", 4, 0, 4}, Move{"Right", -1, VK_RIGHT, 3},
                           Move{"Left", -1, VK_LEFT, 1}}) {
    int open = -1;
    std::vector<int> boxedWhileOpen;
    frame->m_onMenuShown = [&](HWND) {
      frame->m_onMenuShown = [&](HWND) {
        open = bar.GetOpenMenu();
        boxedWhileOpen = boxed(true);
        ::EndMenu();
      };
      if (move.pointTo >= 0)
        PointAt(bar, move.pointTo);
      else
        ::PostMessageA(frame->m_hWnd, WM_KEYDOWN, move.key, 1);
    };
    PointAt(bar, 2, MOUSEEVENTF_LEFTDOWN);
    PointAt(bar, 2, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return open >= 0 && bar.GetOpenMenu() < 0; }))
        << move.how;
    EXPECT_EQ(open, move.opens) << move.how;
    EXPECT_EQ(boxedWhileOpen, std::vector<int>{move.opens}) << move.how;
    // Closed, no button is pressed (the pointer may still make the one under it hot).
    EXPECT_EQ(boxed(false), std::vector<int>{}) << move.how;
  }
}

TEST_F(FrameTest, NarrowWindowsWrapTheMenuBarAndPopupsStayOnTheScreen) {
  CTestFrame* frame = CreateFrame();
  CMenuBar& bar = frame->m_wndMenuBar;
  // Each row holds every button that fits before the next row starts.
  std::vector<RECT> items(static_cast<size_t>(bar.GetCount()));
  auto measure = [&] {
    for (size_t i = 0; i < items.size(); ++i) bar.SendMessage(TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&items[i]));
  };
  measure();
  std::vector<LONG> widths;
  for (const RECT& item : items) widths.push_back(item.right - item.left);
  ASSERT_GE(widths.size(), 3u);
  const LONG total = std::accumulate(widths.begin(), widths.end(), 0L);
  int wraps = 0;
  for (LONG cx = *std::max_element(widths.begin(), widths.end()); cx < total; cx += 5) {
    bar.FitToWidth(cx);
    measure();
    LONG row = widths[0];
    for (size_t i = 1; i < items.size(); ++i) {
      const bool wrapped = items[i].top > items[i - 1].top;
      EXPECT_EQ(row + widths[i] > cx, wrapped) << cx << " px, button " << i;
      row = (wrapped ? 0 : row) + widths[i];
      wraps += wrapped;
    }
  }
  EXPECT_GT(wraps, 0);
  const RECT screen = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  for (int width : {200, 330, 600}) {
    // At the right edge of the screen, where a pop-up as wide as the window would not fit.
    frame->SetWindowPos(nullptr, screen.right - width, 10, width, 400, SWP_NOZORDER);
    PumpThroughFrame(frame->m_hWnd, [] { return true; });
    const RECT client = ClientOnScreen(frame->m_hWnd);
    RECT barRect;
    bar.GetWindowRect(&barRect);
    EXPECT_TRUE(Inside(barRect, client)) << width;
    for (int i = 0; i < bar.GetCount(); ++i) {
      RECT item = {};
      bar.SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      ::MapWindowPoints(bar.m_hWnd, nullptr, reinterpret_cast<POINT*>(&item), 2);
      EXPECT_TRUE(Inside(item, barRect)) << width << " px, item " << i;
    }
    EXPECT_GE(ViewRect(frame).top, barRect.bottom) << width;  // the view is below every row

    // Alt+H opens ヘルプ inside the screen, below its button.
    RECT popupRect = {};
    frame->m_popupsOpened.clear();
    frame->m_onMenuShown = [&](HWND popup) {
      ::GetWindowRect(popup, &popupRect);
      ::EndMenu();
    };
    PostKey(frame, WM_SYSKEYDOWN, 'H');
    PostKey(frame, WM_SYSCHAR, 'h');
    ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return !frame->m_onMenuShown; })) << width;
    RECT help = {};
    bar.SendMessage(TB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&help));
    ::MapWindowPoints(bar.m_hWnd, nullptr, reinterpret_cast<POINT*>(&help), 2);
    EXPECT_TRUE(Inside(popupRect, screen)) << width;
    EXPECT_GE(popupRect.top, help.bottom) << width;
    ASSERT_FALSE(frame->m_popupsOpened.empty());
    EXPECT_EQ(frame->m_popupsOpened.front(), Popup(frame, 4));
    ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return bar.GetOpenMenu() < 0; }));
  }
}

TEST_F(FrameTest, LosingTheKeyboardEndsTheMenuBarsKeyboardMode) {
  CTestFrame* frame = CreateFrame();
  CMenuBar& bar = frame->m_wndMenuBar;
  struct Loss {
    UINT message;
    WPARAM wParam;
  };
  for (const Loss& loss : {Loss{WM_ACTIVATE, WA_INACTIVE}, Loss{WM_KILLFOCUS, 0},
                           Loss{WM_CANCELMODE, 0}}) {
    PostKey(frame, WM_SYSKEYDOWN, VK_MENU);
    PostKey(frame, WM_SYSKEYUP, VK_MENU);
    ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return bar.IsKeyboardMode(); }));
    frame->SendMessage(loss.message, loss.wParam);
    EXPECT_FALSE(bar.IsKeyboardMode()) << loss.message;
    if (loss.message == WM_ACTIVATE) frame->SendMessage(WM_ACTIVATE, WA_ACTIVE);
    // Alt pressed here, released after a switch away and back: no keyboard mode.
    bar.LeaveKeyboardMode();
    PostKey(frame, WM_SYSKEYDOWN, VK_MENU);
    PumpThroughFrame(frame->m_hWnd, [] { return true; });
    frame->SendMessage(loss.message, loss.wParam);
    if (loss.message == WM_ACTIVATE) frame->SendMessage(WM_ACTIVATE, WA_ACTIVE);
    PostKey(frame, WM_SYSKEYUP, VK_MENU);
    PumpThroughFrame(frame->m_hWnd, [] { return true; });
    EXPECT_FALSE(bar.IsKeyboardMode()) << loss.message;
    // The arrow keys go to the view again.
    MSG arrow = {frame->GetActiveView()->m_hWnd, WM_KEYDOWN, VK_RIGHT, 1, 0, {0, 0}};
    EXPECT_FALSE(frame->PreTranslateMessage(&arrow)) << loss.message;
    EXPECT_EQ(bar.GetHotItem(), -1) << loss.message;
  }
}

TEST_F(FrameTest, ASavedLayoutCannotHideTheMenuBar) {
  CTestFrame* first = CreateFrame();
  first->ShowControlBar(&first->m_wndMenuBar, FALSE);
  ASSERT_TRUE(first->MoveBarToEdge(AFX_IDW_TOOLBAR, CBRS_ALIGN_BOTTOM));
  first->SaveBarState(kBarState);

  CTestFrame* second = CreateFrame();
  second->LoadBarState(kBarState);
  EXPECT_TRUE(second->m_wndMenuBar.IsVisible());
  RECT menuBar;
  second->m_wndMenuBar.GetWindowRect(&menuBar);
  EXPECT_GT(menuBar.bottom - menuBar.top, 0);
  EXPECT_LE(menuBar.bottom, ViewRect(second).top);
  EXPECT_EQ(second->GetDockBar(CBRS_ALIGN_BOTTOM)->FindBand(AFX_IDW_TOOLBAR), 0);  // the rest applies
}

TEST_F(FrameTest, ToolTipTextComesThroughTheWideNotificationForAWindowTool) {
  CTestFrame* frame = CreateFrame();
  // The tool is the tool bar's window, whose id is the show-tool-bar command.
  NMTTDISPINFOW tip = {};
  tip.hdr.code = TTN_GETDISPINFOW;
  tip.hdr.idFrom = reinterpret_cast<UINT_PTR>(frame->m_wndToolBar.m_hWnd);
  tip.uFlags = TTF_IDISHWND;
  frame->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  ASSERT_NE(tip.lpszText, nullptr);
  EXPECT_STREQ(tip.lpszText, L"ツールバーの表示切り替え");
}

TEST_F(FrameTest, DraggingABarByItsHeaderShowsWhereItGoesAndDocksItThere) {
  CTestFrame* frame = CreateFrame();
  CDockBar* top = frame->GetDockBar(CBRS_ALIGN_TOP);
  const int band = top->FindBand(AFX_IDW_TOOLBAR);
  ASSERT_GE(band, 0);
  RECT bandRect = {}, borders = {};
  top->SendMessage(RB_GETRECT, static_cast<WPARAM>(band), reinterpret_cast<LPARAM>(&bandRect));
  top->SendMessage(RB_GETBANDBORDERS, static_cast<WPARAM>(band), reinterpret_cast<LPARAM>(&borders));
  // Just left of the bar: the header's margin, not the rebar's own narrow gripper.
  const POINT press = {bandRect.left + borders.left - 2, (bandRect.top + bandRect.bottom) / 2};
  RBHITTESTINFO hit = {};
  hit.pt = press;
  top->SendMessage(RB_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  ASSERT_EQ(hit.iBand, band);
  EXPECT_NE(hit.flags, static_cast<UINT>(RBHT_GRABBER));

  const RECT client = ClientOnScreen(frame->m_hWnd);
  POINT below = {press.x, 0};
  below.y = client.bottom - 40 - ClientOnScreen(top->m_hWnd).top;  // dock area coordinates
  top->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
  top->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x, press.y + 3));
  EXPECT_FALSE(top->GetDockMarker().IsVisible());
  top->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(below.x, below.y));
  ASSERT_TRUE(top->GetDockMarker().IsVisible());
  RECT marker, status;
  ::GetWindowRect(top->GetDockMarker().GetSafeHwnd(), &marker);
  frame->m_wndStatusBar.GetWindowRect(&status);
  EXPECT_EQ(marker.bottom, status.top);  // along the bottom edge, above the status bar
  EXPECT_EQ(marker.left, client.left);
  EXPECT_EQ(marker.right, client.right);
  EXPECT_EQ(frame->GetDockBar(CBRS_ALIGN_BOTTOM)->FindBand(AFX_IDW_TOOLBAR), -1);  // not yet

  top->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(below.x, below.y));
  EXPECT_FALSE(top->GetDockMarker().IsVisible());
  EXPECT_EQ(frame->GetDockBar(CBRS_ALIGN_BOTTOM)->FindBand(AFX_IDW_TOOLBAR), 0);
  RECT toolBar;
  frame->m_wndToolBar.GetWindowRect(&toolBar);
  EXPECT_GE(toolBar.top, ViewRect(frame).bottom);
}

TEST_F(FrameTest, ReleasingAPressedButtonOutsideTheToolBarBringsBackTheIdlePrompt) {
  CTestFrame* frame = CreateFrame();
  CToolBar& bar = frame->m_wndToolBar;
  frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
  RECT button;
  bar.GetItemRect(bar.CommandToIndex(ID_SELECT_BROWSER), &button);
  const LPARAM on = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  const LPARAM outside = MAKELPARAM((button.left + button.right) / 2, button.bottom + 500);
  RECT other;
  bar.GetItemRect(bar.CommandToIndex(ID_RECORD_RESUME), &other);
  const LPARAM next = MAKELPARAM((other.left + other.right) / 2, (other.top + other.bottom) / 2);
  // Real mouse input: the tool bar captures the mouse while its button is down.
  auto mouse = [&](LPARAM at, DWORD flags) {
    POINT pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ::ClientToScreen(bar.m_hWnd, &pt);
    ::SetCursorPos(pt.x, pt.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = pt.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = pt.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    ::SendInput(1, &input, sizeof(input));
    PumpThroughFrame(frame->m_hWnd, [] { return true; });
  };
  mouse(on, 0);
  mouse(on, 0);
  ASSERT_EQ(frame->GetMessageText(), "イベントを監視するInternet Explorerを選択します。");
  // Pressed on one button, over the next, then off the bar, released there.
  mouse(on, MOUSEEVENTF_LEFTDOWN);
  mouse(next, 0);
  mouse(outside, 0);
  mouse(outside, MOUSEEVENTF_LEFTUP);
  PumpThroughFrame(frame->m_hWnd, [] { return true; });
  EXPECT_EQ(frame->GetMessageText(), "レディ");
  EXPECT_TRUE(g_handled.empty());  // released outside: no command
}

TEST_F(FrameTest, BarsNeverHoldADeletedFontAcrossASystemFontChange) {
  CTestFrame* first = CreateFrame();
  CTestFrame* second = CreateFrame();
  NONCLIENTMETRICSA original = {};
  original.cbSize = sizeof(original);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(original), &original, 0));
  struct Restore {
    NONCLIENTMETRICSA metrics;
    ~Restore() { SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0); }
  } restore = {original};
  auto fontOf = [](CWnd& bar) { return reinterpret_cast<HFONT>(bar.SendMessage(WM_GETFONT)); };
  auto alive = [](HFONT font) {
    LOGFONTA logFont;
    return ::GetObjectA(font, sizeof(logFont), &logFont) == sizeof(logFont);
  };
  // Both frames hear of the change, one after the other, as from a broadcast.
  for (LONG height : {-20, -13}) {
    NONCLIENTMETRICSA changed = original;
    changed.lfMenuFont.lfHeight = height;
    changed.lfStatusFont.lfHeight = height;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(changed), &changed, 0));
    const HFONT oldMenuFont = fontOf(second->m_wndMenuBar);
    for (CTestFrame* frame : {first, second}) {
      frame->SendMessage(WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS,
                         reinterpret_cast<LPARAM>("WindowMetrics"));
      for (CTestFrame* each : {first, second}) {
        EXPECT_TRUE(alive(fontOf(each->m_wndMenuBar))) << height;
        EXPECT_TRUE(alive(fontOf(each->m_wndStatusBar))) << height;
      }
    }
    LOGFONTA menuFont = {};
    ::GetObjectA(fontOf(first->m_wndMenuBar), sizeof(menuFont), &menuFont);
    EXPECT_EQ(menuFont.lfHeight, height);
    EXPECT_FALSE(alive(oldMenuFont)) << "the replaced font is deleted once no bar holds it";
  }
}

TEST_F(FrameTest, MenuImagesKeepTheirGapToTheTextAndNoTextIsCut) {
  CToolkitSettings& settings = CToolkitSettings::Get();
  settings.SetMenuImages(true);
  settings.SetMenuImageGap(5);
  struct Restore {
    ~Restore() {
      CToolkitSettings::Get().SetMenuImages(false);
      CToolkitSettings::Get().SetMenuImageGap(0);
    }
  } restore;
  CTestFrame* frame = CreateFrame();
  ASSERT_TRUE(frame->EnableMenuImages(IDR_DEMOFRAME));
  HMENU viewMenu = Popup(frame, 3);
  const int last = ::GetMenuItemCount(viewMenu) - 1;  // ステータスバー(&S), the longest text
  // An item's rectangle in the pop-up, and the columns where it differs from the background.
  struct Row {
    RECT rect;
    std::vector<int> ink;
  };
  std::vector<Row> rows;
  frame->m_onMenuShown = [&](HWND popup) {
    ::UpdateWindow(popup);
    HDC dc = ::GetDC(popup);
    for (int index : {0, last}) {
      Row row;
      ::GetMenuItemRect(popup, viewMenu, static_cast<UINT>(index), &row.rect);
      ::MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&row.rect), 2);
      const COLORREF background = ::GetPixel(dc, row.rect.right - 2, row.rect.top + 1);
      for (int x = row.rect.left; x < row.rect.right; ++x)
        for (int y = row.rect.top; y < row.rect.bottom; ++y)
          if (::GetPixel(dc, x, y) != background) {
            row.ink.push_back(x - row.rect.left);
            break;
          }
      rows.push_back(row);
    }
    ::ReleaseDC(popup, dc);
    ::EndMenu();
  };
  frame->m_wndMenuBar.OpenMenu(3, FALSE);
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return rows.size() == 2; }));
  ASSERT_TRUE(PumpThroughFrame(frame->m_hWnd, [&] { return frame->m_wndMenuBar.GetOpenMenu() < 0; }));

  // フォント(&F)...: the 16-pixel image, then at least the gap, then the text.
  const std::vector<int>& font = rows[0].ink;
  ASSERT_FALSE(font.empty());
  const int imageLeft = font.front();
  int imageRight = imageLeft, textLeft = -1;
  for (int x : font) {
    if (x < imageLeft + 16) imageRight = x;
    else if (textLeft < 0) textLeft = x;
  }
  ASSERT_GE(textLeft, 0);
  EXPECT_GE(textLeft - imageRight - 1, 5);
  // ステータスバー(&S): its text ends inside the item, clear of the border.
  const Row& longest = rows[1];
  ASSERT_FALSE(longest.ink.empty());
  EXPECT_LE(longest.ink.back(), longest.rect.right - longest.rect.left - 4);
}

}  // namespace
