// The framework's window layer under Wine: message maps and their chain, subclassed common
// controls, notification reflection, command routing and command state, modal dialogs with
// data exchange and placement over their owner, the message-box hook, the file dialog and
// where a stored window placement lands on the screen.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MessageMapCheck.h"
#include "framework/CmdUI.h"
#include "framework/Dialog.h"
#include "framework/FileDialog.h"
#include "framework/FileError.h"
#include "framework/ListCtrl.h"
#include "framework/MessageBox.h"
#include "framework/SystemFunction.h"
#include "framework/WindowPlacement.h"

namespace {

constexpr UINT IDD_TEST_DIALOG = 200;
constexpr int IDC_TEST_LIST = 1000;
constexpr int IDC_TEST_REFRESH = 1002;
constexpr UINT WM_PROBE_BASE = WM_APP + 1;
constexpr UINT WM_PROBE_DERIVED = WM_APP + 2;
constexpr UINT WM_PROBE_OVERRIDDEN = WM_APP + 3;

// A top-level parent window object of our own window class.
class CTestParent : public CWnd {
 public:
  BOOL CreateHidden() {
    static const ATOM atom = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = ::DefWindowProcA;
      wc.hInstance = ::GetModuleHandleA(nullptr);
      wc.lpszClassName = "OrmixTestParent";
      return ::RegisterClassA(&wc);
    }();
    return atom && CreateEx(0, "OrmixTestParent", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                            nullptr, nullptr);
  }
  int m_nParentNotifications = 0;
  std::vector<UINT> m_clicks;
  BOOL m_bAllow302 = TRUE;

 protected:
  void OnItemChanged(NMHDR*, LRESULT*) { ++m_nParentNotifications; }
  void OnClick301() { m_clicks.push_back(301); }
  void OnClick302() { m_clicks.push_back(302); }
  void OnUpdate302(CCmdUI* ui) { ui->Enable(m_bAllow302); }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CTestParent, CWnd)
  msgmap::Notify<&CTestParent::OnItemChanged>(LVN_ITEMCHANGED, 7),
  msgmap::ButtonClicked<&CTestParent::OnClick301>(301),
  msgmap::ButtonClicked<&CTestParent::OnClick302>(302),
  msgmap::UpdateCommand<&CTestParent::OnUpdate302>(302),
ORMIX_END_MESSAGE_MAP()

// A button that handles its own clicks through reflection.
class CSelfClickingButton : public CWnd {
 public:
  int m_nClicks = 0;

 protected:
  void OnClicked() { ++m_nClicks; }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CSelfClickingButton, CWnd)
  msgmap::ControlReflect<&CSelfClickingButton::OnClicked>(BN_CLICKED),
ORMIX_END_MESSAGE_MAP()

class CProbeListBase : public CListCtrl {
 public:
  int m_nCreates = 0;
  int m_nColumnAtCreate = -1;

 protected:
  int OnCreate(LPCREATESTRUCTA cs) {
    if (CListCtrl::OnCreate(cs) == -1) return -1;
    ++m_nCreates;
    // Default processing has run: the control already takes columns.
    m_nColumnAtCreate = InsertColumn(0, "first", LVCFMT_LEFT, 40);
    return 0;
  }
  LRESULT OnProbeBase(WPARAM w, LPARAM) { return static_cast<LRESULT>(w + 100); }
  LRESULT OnProbeOverridden(WPARAM, LPARAM) { return 1; }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CProbeListBase, CListCtrl)
  msgmap::Create<&CProbeListBase::OnCreate>(),
  msgmap::Message<&CProbeListBase::OnProbeBase>(WM_PROBE_BASE),
  msgmap::Message<&CProbeListBase::OnProbeOverridden>(WM_PROBE_OVERRIDDEN),
ORMIX_END_MESSAGE_MAP()

class CProbeList : public CProbeListBase {
 public:
  int m_nReflected = 0;
  int m_nPostNcDestroy = 0;
  DWORD m_dwStyleSeen = 0;

 protected:
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override {
    cs.style |= LVS_REPORT;  // what a derived class adds before the window exists
    return TRUE;
  }
  void PreSubclassWindow() override { m_dwStyleSeen = GetStyle(); }
  void PostNcDestroy() override { ++m_nPostNcDestroy; }
  LRESULT OnProbeDerived(WPARAM, LPARAM l) { return l * 2; }
  LRESULT OnProbeOverridden(WPARAM, LPARAM) { return 2; }
  void OnItemChangedReflect(NMHDR* header, LRESULT*) {
    if (header->hwndFrom == m_hWnd) ++m_nReflected;
  }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CProbeList, CProbeListBase)
  msgmap::Message<&CProbeList::OnProbeDerived>(WM_PROBE_DERIVED),
  msgmap::Message<&CProbeList::OnProbeOverridden>(WM_PROBE_OVERRIDDEN),
  msgmap::NotifyReflect<&CProbeList::OnItemChangedReflect>(LVN_ITEMCHANGED),
ORMIX_END_MESSAGE_MAP()

RECT ListRect() { return RECT{0, 0, 300, 200}; }

TEST(MessageMap, HandlersBaseChainDefaultProcessingAndDestruction) {
  CTestParent parent;
  ASSERT_TRUE(parent.CreateHidden());
  CProbeList list;
  ASSERT_TRUE(list.Create(WS_CHILD, ListRect(), &parent, 7));
  HWND hWnd = list.m_hWnd;
  EXPECT_EQ(&list, CWnd::FromHandlePermanent(hWnd));

  // WM_CREATE reached the entry of the base class, after the control's own creation.
  EXPECT_EQ(1, list.m_nCreates);
  EXPECT_EQ(0, list.m_nColumnAtCreate);
  EXPECT_NE(0u, list.m_dwStyleSeen & LVS_REPORT);
  EXPECT_NE(0u, list.GetStyle() & LVS_REPORT);

  EXPECT_EQ(84, ::SendMessageA(hWnd, WM_PROBE_DERIVED, 0, 42));
  EXPECT_EQ(105, ::SendMessageA(hWnd, WM_PROBE_BASE, 5, 0));
  EXPECT_EQ(2, ::SendMessageA(hWnd, WM_PROBE_OVERRIDDEN, 0, 0)) << "derived entry comes first";

  // Messages without an entry reach the list view's own procedure.
  EXPECT_EQ(1, list.InsertColumn(1, "c", LVCFMT_LEFT, 50));
  EXPECT_EQ(0, list.InsertItem(0, "one", 0));
  EXPECT_EQ(1, list.InsertItem(1, "two", 0));
  EXPECT_EQ(2, list.GetItemCount());
  EXPECT_EQ("two", list.GetItemText(1, 0));

  ASSERT_TRUE(list.DestroyWindow());
  EXPECT_EQ(1, list.m_nPostNcDestroy);
  EXPECT_EQ(nullptr, list.m_hWnd);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
  EXPECT_FALSE(::IsWindow(hWnd));
  parent.DestroyWindow();
}

TEST(MessageMap, NotificationsAreReflectedToTheControlThatSentThem) {
  CTestParent parent;
  ASSERT_TRUE(parent.CreateHidden());

  CProbeList reflecting;
  ASSERT_TRUE(reflecting.Create(WS_CHILD, ListRect(), &parent, 7));
  reflecting.InsertColumn(0, "c", LVCFMT_LEFT, 50);
  reflecting.InsertItem(0, "one", 0);
  const int before = reflecting.m_nReflected;
  reflecting.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_GT(reflecting.m_nReflected, before);
  EXPECT_EQ(0, parent.m_nParentNotifications) << "a reflected notification is not the parent's";
  reflecting.DestroyWindow();

  // A plain list control has no reflected entry: the parent's own entry gets it.
  CListCtrl plain;
  ASSERT_TRUE(plain.Create(WS_CHILD | LVS_REPORT, ListRect(), &parent, 7));
  plain.InsertColumn(0, "c", LVCFMT_LEFT, 50);
  plain.InsertItem(0, "one", 0);
  plain.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_GT(parent.m_nParentNotifications, 0);
  plain.DestroyWindow();
  parent.DestroyWindow();
}

TEST(MessageMap, SubclassingAnExistingWindowAndTemporaryWrappers) {
  HWND hWnd = ::CreateWindowExA(0, WC_LISTVIEWA, nullptr, LVS_REPORT, 0, 0, 100, 100, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, hWnd);
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
  CWnd* temporary = CWnd::FromHandle(hWnd);
  ASSERT_NE(nullptr, temporary);
  EXPECT_EQ(hWnd, temporary->m_hWnd);
  CWnd::DeleteTempMap();

  CProbeList list;
  ASSERT_TRUE(list.SubclassWindow(hWnd));
  EXPECT_EQ(&list, CWnd::FromHandle(hWnd));
  EXPECT_EQ(84, ::SendMessageA(hWnd, WM_PROBE_DERIVED, 0, 42));
  EXPECT_EQ(hWnd, list.UnsubclassWindow());
  EXPECT_EQ(0, ::SendMessageA(hWnd, WM_PROBE_DERIVED, 0, 42)) << "no longer routed to the map";
  ::DestroyWindow(hWnd);
  EXPECT_EQ(0, list.m_nPostNcDestroy);
}

// --- commands ------------------------------------------------------------------------

class CCommandBase : public CCmdTarget {
 public:
  int m_nBaseCommands = 0;

 protected:
  void OnBaseCommand() { ++m_nBaseCommands; }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CCommandBase, CCmdTarget)
  msgmap::Command<&CCommandBase::OnBaseCommand>(300),
ORMIX_END_MESSAGE_MAP()

class CCommandProbe : public CCommandBase {
 public:
  int m_nCommands = 0;
  std::vector<UINT> m_rangeIds;
  BOOL m_bAllow = TRUE;

 protected:
  void OnCommand() { ++m_nCommands; }
  void OnUpdateCommand(CCmdUI* ui) {
    ui->Enable(m_bAllow);
    ui->SetCheck(m_bAllow ? 1 : 0);
    ui->SetText(m_bAllow ? "allowed" : "refused");
  }
  void OnRange(UINT id) { m_rangeIds.push_back(id); }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CCommandProbe, CCommandBase)
  msgmap::Command<&CCommandProbe::OnCommand>(301),
  msgmap::UpdateCommand<&CCommandProbe::OnUpdateCommand>(301),
  msgmap::CommandRange<&CCommandProbe::OnRange>(310, 312),
ORMIX_END_MESSAGE_MAP()

TEST(CommandRouting, CommandsReachTheirHandlersAndStatesFollowTheRules) {
  CCommandProbe target;
  EXPECT_TRUE(RouteCommand(&target, 301));
  EXPECT_TRUE(RouteCommand(&target, 300));
  EXPECT_TRUE(RouteCommand(&target, 311));
  EXPECT_FALSE(RouteCommand(&target, 302));
  EXPECT_EQ(1, target.m_nCommands);
  EXPECT_EQ(1, target.m_nBaseCommands);
  EXPECT_EQ(std::vector<UINT>{311}, target.m_rangeIds);

  CCmdUI state = QueryCommandState(&target, 301);
  EXPECT_TRUE(state.m_bEnabled);
  EXPECT_EQ(1, state.m_nCheck);
  EXPECT_EQ("allowed", state.m_strText);
  target.m_bAllow = FALSE;
  state = QueryCommandState(&target, 301);
  EXPECT_FALSE(state.m_bEnabled);
  EXPECT_EQ(0, state.m_nCheck);
  EXPECT_EQ("refused", state.m_strText);

  // A command handler without update handler: enabled. No handler at all: disabled.
  EXPECT_TRUE(QueryCommandState(&target, 300).m_bEnabled);
  EXPECT_TRUE(QueryCommandState(&target, 312).m_bEnabled);
  EXPECT_FALSE(QueryCommandState(&target, 302).m_bEnabled);
  EXPECT_EQ(1, target.m_nBaseCommands) << "asking for a state runs no command";
}

TEST(CommandRouting, ButtonClicksAndMenuCommandsThroughAWindow) {
  CTestParent parent;
  ASSERT_TRUE(parent.CreateHidden());
  HWND plain = ::CreateWindowExA(0, "BUTTON", "a", WS_CHILD | BS_PUSHBUTTON, 0, 0, 40, 20,
                                 parent.m_hWnd, reinterpret_cast<HMENU>(301), nullptr, nullptr);
  ASSERT_NE(nullptr, plain);
  CSelfClickingButton reflecting;
  ASSERT_TRUE(reflecting.Create("BUTTON", "b", BS_PUSHBUTTON, RECT{50, 0, 90, 20}, &parent, 302));

  ::SendMessageA(plain, BM_CLICK, 0, 0);
  ::SendMessageA(reflecting.m_hWnd, BM_CLICK, 0, 0);
  EXPECT_EQ(std::vector<UINT>{301}, parent.m_clicks) << "302 went back to its own button";
  EXPECT_EQ(1, reflecting.m_nClicks);

  // A menu item or accelerator (no control handle) is a command.
  ::SendMessageA(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(302, 0), 0);
  ::SendMessageA(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(303, 0), 0);
  EXPECT_EQ((std::vector<UINT>{301, 302}), parent.m_clicks);
  // A key of an accelerator table is a command too (notification code 1).
  ACCEL accel = {FVIRTKEY, VK_F5, 302};
  HACCEL table = ::CreateAcceleratorTableA(&accel, 1);
  MSG key = {parent.m_hWnd, WM_KEYDOWN, VK_F5, 0x003F0001, 0, {0, 0}};
  EXPECT_TRUE(::TranslateAcceleratorA(parent.m_hWnd, table, &key));
  EXPECT_EQ((std::vector<UINT>{301, 302, 302}), parent.m_clicks);
  // Once its update handler disables the command, neither the key nor a stale menu item
  // runs it; its own button still reaches the button.
  parent.m_bAllow302 = FALSE;
  EXPECT_TRUE(::TranslateAcceleratorA(parent.m_hWnd, table, &key));
  ::SendMessageA(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(302, 0), 0);
  ::DestroyAcceleratorTable(table);
  EXPECT_EQ((std::vector<UINT>{301, 302, 302}), parent.m_clicks);
  ::SendMessageA(reflecting.m_hWnd, BM_CLICK, 0, 0);
  EXPECT_EQ(2, reflecting.m_nClicks);
  parent.DestroyWindow();
}

TEST(MessageMap, DeclaredTablesHoldNoDuplicateKeys) {
  struct Probe : CDialog {
    Probe() : CDialog(0) {}
    static const MessageMap* Map() { return &CDialog::messageMap; }
  };
  EXPECT_EQ(0, CountDuplicateEntries(Probe::Map()));
  EXPECT_EQ(2, CountEntries(Probe::Map()));
  CProbeList list;
  CCommandProbe commands;
  EXPECT_EQ(0, CountDuplicateEntries(list.GetMessageMap()));
  EXPECT_EQ(0, CountDuplicateEntries(commands.GetMessageMap()));
}

// --- dialogs ---------------------------------------------------------------------------

class CTestDialog : public CDialog {
 public:
  explicit CTestDialog(CWnd* owner = nullptr) : CDialog(IDD_TEST_DIALOG, owner) {}
  int m_nSelected = 1;
  int m_nRefreshes = 0;
  int m_nSelectionAtInit = -2;

 protected:
  BOOL OnInitDialog() override {
    for (const char* text : {"zero", "one", "two"})
      SendDlgItemMessage(IDC_TEST_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    CDialog::OnInitDialog();
    m_nSelectionAtInit = static_cast<int>(SendDlgItemMessage(IDC_TEST_LIST, LB_GETCURSEL));
    return TRUE;
  }
  void DoDataExchange(CDataExchange* pDX) override { DDX_LBIndex(pDX, IDC_TEST_LIST, m_nSelected); }
  void OnRefresh() { ++m_nRefreshes; }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
  msgmap::ButtonClicked<&CTestDialog::OnRefresh>(IDC_TEST_REFRESH),
ORMIX_END_MESSAGE_MAP()

// Posts the click that button `id` sends its dialog.
void PostClick(CDialog& dialog, int id) {
  dialog.PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(::GetDlgItem(dialog.m_hWnd, id)));
}

class ModalHookScope {
 public:
  explicit ModalHookScope(CDialog::ModalHook hook) { CDialog::SetModalHook(std::move(hook)); }
  ~ModalHookScope() { CDialog::SetModalHook(nullptr); }
};

TEST(Dialog, OkExchangesTheListSelectionBothWaysAndButtonsReachTheirEntries) {
  CTestDialog dialog;
  ModalHookScope hook([](CDialog& d) {
    d.SendDlgItemMessage(IDC_TEST_LIST, LB_SETCURSEL, 2);
    PostClick(d, IDC_TEST_REFRESH);
    PostClick(d, IDOK);
  });
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_EQ(1, dialog.m_nSelectionAtInit) << "members were written into the controls";
  EXPECT_EQ(2, dialog.m_nSelected) << "OK read the controls back";
  EXPECT_EQ(1, dialog.m_nRefreshes);
  EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(Dialog, CancelAndCloseBoxEndWithoutReadingTheControls) {
  CTestDialog cancelled;
  {
    ModalHookScope hook([](CDialog& d) {
      d.SendDlgItemMessage(IDC_TEST_LIST, LB_SETCURSEL, 0);
      PostClick(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, cancelled.DoModal());
  }
  EXPECT_EQ(1, cancelled.m_nSelected);

  CTestDialog closed;
  closed.m_nSelected = -1;
  {
    ModalHookScope hook([](CDialog& d) { d.PostMessage(WM_CLOSE); });
    EXPECT_EQ(IDCANCEL, closed.DoModal());
  }
  EXPECT_EQ(-1, closed.m_nSelectionAtInit);

  // Nothing selected: the exchange reads -1.
  CTestDialog none;
  none.m_nSelected = -1;
  {
    ModalHookScope hook([](CDialog& d) { PostClick(d, IDOK); });
    EXPECT_EQ(IDOK, none.DoModal());
  }
  EXPECT_EQ(-1, none.m_nSelected);
}

// Moves itself by (dx, dy) during its initialisation.
class CSelfPlacedDialog : public CTestDialog {
 public:
  CSelfPlacedDialog(CWnd* owner, int dx, int dy) : CTestDialog(owner), m_dx(dx), m_dy(dy) {}
  RECT m_created = {};

 protected:
  BOOL OnInitDialog() override {
    CTestDialog::OnInitDialog();
    GetWindowRect(&m_created);
    SetWindowPos(nullptr, m_created.left + m_dx, m_created.top + m_dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
  }

 private:
  int m_dx, m_dy;
};

TEST(Dialog, OpensCentredOverItsOwnerUnlessItPlacesItself) {
  CTestParent owner;
  ASSERT_TRUE(owner.CreateHidden());
  owner.SetWindowPos(nullptr, 150, 120, 600, 450, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RECT ownerRect, placed = {};
  owner.GetWindowRect(&ownerRect);
  ModalHookScope hook([&](CDialog& d) {
    d.GetWindowRect(&placed);
    d.EndDialog(IDCANCEL);
  });

  CTestDialog centred(&owner);
  EXPECT_EQ(IDCANCEL, centred.DoModal());
  EXPECT_NEAR((ownerRect.left + ownerRect.right) / 2, (placed.left + placed.right) / 2, 2);
  EXPECT_NEAR((ownerRect.top + ownerRect.bottom) / 2, (placed.top + placed.bottom) / 2, 2);

  // A move along either axis, or both, is the dialog's own choice of place.
  for (const POINT move : {POINT{37, 23}, POINT{37, 0}, POINT{0, 23}}) {
    SCOPED_TRACE(std::to_string(move.x) + "," + std::to_string(move.y));
    CSelfPlacedDialog self(&owner, move.x, move.y);
    EXPECT_EQ(IDCANCEL, self.DoModal());
    EXPECT_EQ(self.m_created.left + move.x, placed.left);
    EXPECT_EQ(self.m_created.top + move.y, placed.top);
  }
  owner.DestroyWindow();
}

// --- window placement ------------------------------------------------------------------

TEST(WindowPlacement, NormalRectangleCountsFromTheWorkAreaAndStaysOnAMonitor) {
  const RECT monitor = {0, 0, 1024, 768};
  const struct {
    const char* what;
    RECT work, normal, expected;
  } cases[] = {
      {"no task bar", {0, 0, 1024, 728}, {100, 100, 700, 500}, {100, 100, 700, 500}},
      {"task bar at the top", {0, 40, 1024, 768}, {100, 100, 700, 500}, {100, 140, 700, 540}},
      {"task bar at the left", {60, 0, 1024, 768}, {100, 100, 700, 500}, {160, 100, 760, 500}},
      {"partly off the screen", {0, 0, 1024, 728}, {-30, -20, 470, 380}, {-30, -20, 470, 380}},
      {"on a monitor that is gone", {0, 40, 1024, 768}, {3000, 200, 3600, 600}, {424, 240, 1024, 640}},
      {"above and left of it", {60, 0, 1024, 768}, {-2000, -900, -1400, -500}, {60, 0, 660, 400}},
      {"larger than the work area", {0, 40, 1024, 768}, {2000, 0, 3500, 1000}, {0, 40, 1024, 768}},
  };
  for (const auto& c : cases) {
    const RECT r = PlacementToScreen(c.normal, monitor, c.work);
    EXPECT_EQ(c.expected.left, r.left) << c.what;
    EXPECT_EQ(c.expected.top, r.top) << c.what;
    EXPECT_EQ(c.expected.right, r.right) << c.what;
    EXPECT_EQ(c.expected.bottom, r.bottom) << c.what;
  }
}

// --- message boxes and the file dialog ---------------------------------------------------

struct CapturedBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};
std::vector<CapturedBox> g_boxes;

int CaptureBox(HWND owner, const char* text, const char* caption, UINT type) {
  g_boxes.push_back({owner, text ? text : "", caption ? caption : "<null>", type});
  return IDOK;
}

TEST(MessageBoxHook, HookCapturesEveryBoxInsteadOfShowingIt) {
  g_boxes.clear();
  const MessageBoxHook previous = SetMessageBoxHook(&CaptureBox);
  EXPECT_EQ(IDOK, ShowMessageBox(nullptr, "記録するイベントが選択されていません。", "Ormix",
                                 MB_OK | MB_ICONEXCLAMATION));
  ReportFileWriteError(nullptr, "C:\\logs\\a.log", 0);
  EXPECT_EQ(&CaptureBox, SetMessageBoxHook(previous));

  ASSERT_EQ(2u, g_boxes.size());
  EXPECT_EQ("記録するイベントが選択されていません。", g_boxes[0].text);
  EXPECT_EQ("Ormix", g_boxes[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), g_boxes[0].type);
  EXPECT_NE(std::string::npos, g_boxes[1].text.find("C:\\logs\\a.log"));
  EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), g_boxes[1].type & MB_ICONMASK);
}

TEST(FileDialog, FilterBarsBecomeNulsButDoubleByteTrailBytesStay) {
  // "ポ" is 0x83 0x7C in code page 932: its second byte is a "|" that must survive.
  CFileDialog dialog(FALSE, "log", nullptr, OFN_OVERWRITEPROMPT,
                     "レポート (*.rpt)|*.rpt|すべてのファイル (*.*)|*.*||");
  const std::string expected = std::string("レポート (*.rpt)") + '\0' + "*.rpt" + '\0' +
                               "すべてのファイル (*.*)" + '\0' + "*.*" + '\0' + '\0' + '\0';
  EXPECT_EQ(expected, dialog.GetFilterBuffer());
  EXPECT_EQ(std::string("\x83\x7C", 2), std::string("ポ")) << "literal is compiled to CP932";
  EXPECT_EQ(sizeof(OPENFILENAMEA), dialog.m_ofn.lStructSize);
  EXPECT_EQ(1u, dialog.m_ofn.nFilterIndex);
  EXPECT_STREQ("log", dialog.m_ofn.lpstrDefExt);
  EXPECT_NE(0u, dialog.m_ofn.Flags & OFN_OVERWRITEPROMPT);

  CFileDialog::SetRunHook([](CFileDialog& d) -> INT_PTR {
    lstrcpynA(d.m_ofn.lpstrFile, "C:\\out\\ログ.log", static_cast<int>(d.m_ofn.nMaxFile));
    return IDOK;
  });
  EXPECT_EQ(IDOK, dialog.DoModal());
  EXPECT_EQ("C:\\out\\ログ.log", dialog.GetPathName());
  CFileDialog::SetRunHook([](CFileDialog&) -> INT_PTR { return IDCANCEL; });
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  CFileDialog::SetRunHook(nullptr);
}

}  // namespace

TEST(SystemFunction, FindsAFunctionOfASystemLibraryAndNothingThatIsMissing) {
  using Error = decltype(&::CommDlgExtendedError);
  const Error error = SystemFunction<Error>("comdlg32.dll", "CommDlgExtendedError");
  ASSERT_NE(nullptr, error);
  EXPECT_EQ(0u, error());
  EXPECT_EQ(nullptr, SystemFunction<Error>("comdlg32.dll", "NoSuchFunction"));
  EXPECT_EQ(nullptr, SystemFunction<Error>("no-such-library.dll", "CommDlgExtendedError"));
}
