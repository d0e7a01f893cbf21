// The tabbed monitor view and the settings it keeps: the log options' values, what the
// view reads and writes at creation, and tabs opened on browsers of the simulator (in
// another process), renamed, closed from the context menu and the close button, restyled
// and re-fonted, all in a real window.
#include <windows.h>
#include <commctrl.h>
#include <exdispid.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "browser/BrowserAnswerWait.h"
#include "browser/SelectBrowserDlg.h"
#include "browser/WebBrowserEvents2.h"
#include "threads/BoundedWork.h"
#include "framework/CmdUI.h"
#include "framework/FileDialog.h"
#include "framework/FontDialog.h"
#include "framework/MessageBox.h"
#include "framework/StandardIds.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"
#include "settings/AppValues.h"
#include "settings/RegistrySettings.h"
#include "support/Clipboard.h"
#include "support/DialogDriver.h"
#include "support/FakeBrowser.h"
#include "support/Files.h"
#include "support/ListingWait.h"
#include "support/TabConnectWait.h"
#include "support/MessageBoxRecorder.h"
#include "support/MessagePump.h"
#include "support/PopupMenu.h"
#include "support/SimulatorFixture.h"
#include "toolkit/TabCloseButton.h"
#include "support/Variants.h"
#include "view/OrmixView.h"

using testsupport::ClickButton;
using testsupport::PumpUntil;
using testsupport::SimulatorProcess;
using testsupport::TempFolder;

namespace {

// A wait limit that a wait ended by its window closing stays far below, however loaded the
// machine.
constexpr DWORD kLongAnswerWaitMs = 60000;

void ClearSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane"); }

// Stores a value in the program's key, creating the key as needed.
void SetValue(const char* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kAppKeyPath, name, type, data, size));
}

// The raw bytes and type of a value of the program's key; empty when absent.
std::vector<BYTE> GetValue(const char* name, DWORD* type = nullptr) {
  BYTE data[512];
  DWORD size = sizeof(data);
  DWORD actual = REG_NONE;
  if (RegGetValueA(HKEY_CURRENT_USER, kAppKeyPath, name, RRF_RT_ANY, &actual, data, &size) !=
      ERROR_SUCCESS)
    return {};
  if (type) *type = actual;
  return std::vector<BYTE>(data, data + size);
}

LOGFONTA StatusFont() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  return metrics.lfStatusFont;
}

// A top-level window object hosting the view as a frame would.
class Host : public CWnd {
 public:
  Host() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrmixViewTestHost";
    RegisterClassA(&wc);
    CreateEx(0, wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 0, 0, 800, 500, nullptr, nullptr);
  }
  ~Host() override {
    if (IsWindow()) DestroyWindow();
  }
};

// A view that cannot be created ends the test as failed.
// A toolkit tab view of `width` x `height` in a host of its own (shown when asked), and
// `count` pages for its tabs.
struct TabViewInHost {
  TabViewInHost(int width, int height, int count, bool shown = false) : view(new CTabView), pages(new CWnd[count]) {
    if (shown) host.ShowWindow(SW_SHOWNA);
    if (!view->CreateView(&host, AFX_IDW_PANE_FIRST, nullptr)) throw std::runtime_error("no tab view");
    view->MoveWindow(0, 0, width, height);
    for (int i = 0; i < count; ++i)
      if (!pages[i].CreateEx(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, host.m_hWnd, nullptr))
        throw std::runtime_error("no page");
  }
  Host host;
  CTabView* view;  // deletes itself with its window
  std::unique_ptr<CWnd[]> pages;
};

struct ViewInHost {
  ViewInHost() : view(new COrmixView) {
    if (!view->CreateView(&host, AFX_IDW_PANE_FIRST, nullptr)) throw std::runtime_error("no view");
    view->MoveWindow(0, 0, 780, 460);
  }
  Host host;
  COrmixView* view;  // deletes itself with its window
};

std::string TabText(CTabView* view, int index) {
  char text[512] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  view->SendMessage(TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

// What the strip's tool tip shows over tab `index`, asked as the tool tip asks.
std::string ToolTipText(COrmixView* view, int index) {
  NMTTDISPINFOA info = {};
  info.hdr.hwndFrom = view->GetToolTips();
  info.hdr.idFrom = static_cast<UINT_PTR>(index);
  info.hdr.code = TTN_NEEDTEXTA;
  view->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
  return info.lpszText && info.lpszText != LPSTR_TEXTCALLBACKA ? info.lpszText : "";
}

// Whether the window itself is shown (its top-level host stays hidden in these tests).
bool Shown(HWND hWnd) { return (GetWindowLongA(hWnd, GWL_STYLE) & WS_VISIBLE) != 0; }

CEventListCtrl* List(COrmixView* view, int index) {
  CWnd* tab = view->TabWindow(index);
  return tab ? dynamic_cast<CEventListCtrl*>(CWnd::FromHandlePermanent(tab->m_hWnd)) : nullptr;
}


RECT ItemRect(CTabView* view, int index) {
  RECT rect = {};
  view->SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

POINT TabCentre(COrmixView* view, int index) {
  const RECT rect = ItemRect(view, index);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Right-clicks the strip at `pt`; while the context menu is open, records its item texts
// and chooses the item with mnemonic `key` (0: closes the menu without a choice).
std::vector<std::string> RightClick(COrmixView* view, POINT pt, char key) {
  const testsupport::OpenedMenu menu = testsupport::WhileMenuOpen(
      [&] { view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y)); }, key);
  testsupport::PumpPendingMessages();  // the chosen command arrives as a posted WM_COMMAND
  return menu.texts;
}


// A window's rectangle in the client coordinates of `parent`.
RECT RectIn(HWND parent, HWND hWnd) {
  RECT rect = {};
  GetWindowRect(hWnd, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The colours a window shows now, row by row.
std::vector<COLORREF> Pixels(HWND hWnd) {
  RECT client = {};
  GetClientRect(hWnd, &client);
  std::vector<COLORREF> pixels;
  HDC dc = GetDC(hWnd);
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  ReleaseDC(hWnd, dc);
  return pixels;
}

// The strip's tool rectangle for tab `index`.
RECT ToolRect(CTabView* view, int index) {
  TOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = view->m_hWnd;
  tool.uId = static_cast<UINT_PTR>(index);
  SendMessageA(view->GetToolTips(), TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool));
  return tool.rect;
}

// A user's click at a point of a window, in its client coordinates.
void Click(HWND hWnd, POINT pt) {
  SendMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
  SendMessageA(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
  testsupport::PumpPendingMessages();
}

}  // namespace

// The font's other lengths and types are read in the settings garbage test.
TEST(ViewSettingsTest, CreationReadsFontAndWidthAndWritesTheFontBack) {
  const LOGFONTA system = StatusFont();
  LOGFONTA chosen = system;
  chosen.lfHeight = -21;
  strcpy(chosen.lfFaceName, "IPAGothic");
  LOGFONTA unterminated = system;
  memset(unterminated.lfFaceName, 'A', sizeof(unterminated.lfFaceName));

  struct Case {
    const char* what;
    DWORD fontType;
    const void* font;
    DWORD fontSize;  // 0: no "font" value
    const void* width;
    DWORD widthType;  // REG_NONE: no "TabFixdWidth" value
    LONG expectedHeight;
    bool expectFixed;
  };
  const DWORD zero = 0;
  const Case cases[] = {
      {"first start", REG_NONE, nullptr, 0, nullptr, REG_NONE, system.lfHeight, true},
      {"stored font, width 0", REG_BINARY, &chosen, 60, &zero, REG_DWORD, -21, false},
      {"59 bytes, width \"0\"", REG_BINARY, &chosen, 59, "0", REG_SZ, system.lfHeight, true},
      {"unterminated face", REG_BINARY, &unterminated, 60, nullptr, REG_NONE, system.lfHeight, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearSettings();
    SetValue("placeholder", REG_DWORD, &zero, 4);
    if (c.fontSize) {
      std::vector<BYTE> bytes(c.fontSize, 0);
      memcpy(bytes.data(), c.font, std::min<DWORD>(c.fontSize, 60));
      SetValue(kFontValue, c.fontType, bytes.data(), c.fontSize);
    }
    if (c.widthType != REG_NONE)
      SetValue(kTabFixedWidthValue, c.widthType, c.width, c.widthType == REG_SZ ? 2 : 4);
    ViewInHost host;
    EXPECT_EQ(c.expectFixed, (host.view->GetStyle() & TCS_FIXEDWIDTH) != 0);
    EXPECT_EQ(c.expectedHeight, host.view->ListFontDescription().lfHeight);
    EXPECT_EQ('\0', host.view->ListFontDescription().lfFaceName[LF_FACESIZE - 1]);
    EXPECT_NE(nullptr, host.view->ListFont());
    DWORD type = 0;
    const std::vector<BYTE> stored = GetValue(kFontValue, &type);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(sizeof(LOGFONTA), stored.size());
    EXPECT_EQ(0, memcmp(&host.view->ListFontDescription(), stored.data(), sizeof(LOGFONTA)));
    if (c.widthType == REG_NONE) {
      EXPECT_TRUE(GetValue(kTabFixedWidthValue).empty());
    }
  }
}

class ViewTabsTest : public testsupport::SimulatorFixture {
 protected:
  // Connections are let go on worker threads; a browser that answers is done well within this.
  static constexpr DWORD kReleaseWaitMs = 10000;

  // The view's tabs let go of their browsers before the simulator counts its references.
  void TearDown() override {
    if (m_host.host.IsWindow()) m_host.host.DestroyWindow();
    EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
    SimulatorFixture::TearDown();
  }

  // Runs the view's "select a browser" command and picks simulator browser `id` in the
  // dialog (NULL: cancels); `steps` may change the dialog first. A browser that a tab already
  // watches gets a second tab (the dialog's question is answered so) unless the test asks
  // itself (m_bAnswerWatchedQuestion false).
  void SelectBrowser(const char* id, const std::function<void(CSelectBrowserDlg&)>& steps = nullptr,
                     bool waitForConnect = true) {
    if (!m_bAnswerWatchedQuestion) return SelectBrowserAsked(id, steps, waitForConnect);
    OuterHook() = SetMessageBoxHook(&AnswerWatchedQuestion);
    SelectBrowserAsked(id, steps, waitForConnect);
    SetMessageBoxHook(OuterHook());
  }
  static MessageBoxHook& OuterHook() {
    static MessageBoxHook outer = nullptr;
    return outer;
  }
  // The question about a watched browser is answered "another tab"; every other box goes
  // where it went before.
  static int AnswerWatchedQuestion(HWND owner, const char* text, const char* caption, UINT type) {
    if ((type & MB_TYPEMASK) == MB_YESNOCANCEL) return IDNO;
    if (OuterHook()) return OuterHook()(owner, text, caption, type);
    SetMessageBoxHook(nullptr);
    const int answer = ShowMessageBox(owner, text, caption, type);
    SetMessageBoxHook(&AnswerWatchedQuestion);
    return answer;
  }
  bool m_bAnswerWatchedQuestion = true;

  void SelectBrowserAsked(const char* id, const std::function<void(CSelectBrowserDlg&)>& steps,
                          bool waitForConnect = true) {
    const HWND frame = id ? Frame(id) : nullptr;
    CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& running) {
      auto& dialog = static_cast<CSelectBrowserDlg&>(running);
      ASSERT_TRUE(testsupport::WaitForListing(dialog));
      m_dialogOwner = ::GetWindow(dialog.m_hWnd, GW_OWNER);
      if (steps) steps(dialog);
      ClickButton(dialog, frame && testsupport::SelectListedWindow(dialog, frame) ? IDOK : IDCANCEL);
    });
    RouteCommand(m_host.view, ID_SELECT_BROWSER);
    CDialog::SetModalHook(previous);
    if (waitForConnect) {
      ASSERT_TRUE(testsupport::WaitForConnects(*m_host.view));
    }
  }

  // Waits, handling no message of this thread, until simulator browser `id` holds `sinks`
  // sinks: what it sends meanwhile is received, but nothing reaches the logs.
  bool WaitUnpumpedForSinks(const char* id, int sinks) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(10))
      if (SimulatorProcess::Field(m_sim.SendUnpumped(std::string("sinks ") + id), "sinks") == std::to_string(sinks))
        return true;
    return false;
  }

  bool Enabled(UINT id) { return QueryCommandState(m_host.view, id).m_bEnabled != FALSE; }
  std::string Sinks(const char* id) { return SimulatorProcess::Field(Ok(std::string("sinks ") + id), "sinks"); }

  struct CleanSettings {
    CleanSettings() { ClearSettings(); }
  } m_cleanSettings;  // before the view, which creates its keys
  ViewInHost m_host;
  HWND m_dialogOwner = nullptr;
};

TEST_F(ViewTabsTest, ChosenBrowsersGetConnectedTabsNamedByTheirTitles) {
  Ok("open b1 title=First");
  Ok("open b2 title=");
  COrmixView* view = m_host.view;

  SelectBrowser(nullptr);  // cancelled: nothing is created, no id is used
  EXPECT_EQ(0, view->GetTabCount());
  SelectBrowser("b1", [](CSelectBrowserDlg& d) {
    d.SendDlgItemMessage(IDC_FIRST_EVENT_CHECK, BM_SETCHECK, BST_UNCHECKED);
  });
  EXPECT_EQ(m_host.host.m_hWnd, m_dialogOwner);  // the dialog belongs to the main window
  SelectBrowser("b2");

  ASSERT_EQ(2, view->GetTabCount());
  EXPECT_EQ(1, view->GetActiveTab());
  CEventListCtrl* first = List(view, 0);
  CEventListCtrl* second = List(view, 1);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(1000, first->GetDlgCtrlID());
  EXPECT_EQ(1001, second->GetDlgCtrlID());
  EXPECT_EQ("First", TabText(view, 0));
  EXPECT_EQ("Internet Explorer", TabText(view, 1));
  EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_CLIPCHILDREN | LVS_REPORT),
            first->GetStyle() & (WS_CHILD | WS_CLIPCHILDREN | LVS_REPORT | LVS_TYPEMASK));
  EXPECT_EQ(0x21u, first->GetExtendedStyle() & 0x21u);
  EXPECT_EQ(view->RowIcons(), first->GetImageList(LVSIL_SMALL));
  EXPECT_EQ(view->ListFont(), first->GetFont());
  EXPECT_EQ(0, first->Get(0));  // the mask chosen in the dialog
  EXPECT_EQ(1, second->Get(0));
  EXPECT_EQ("イベントの記録を開始しました。", first->GetItemText(0, 3));
  EXPECT_EQ("1", Sinks("b1"));
  EXPECT_EQ("1", Sinks("b2"));

  // Title changes rename the tab and its tool tip; a title longer than a tab item holds is
  // cut on a character boundary in the label, and kept whole in the tool tip.
  Ok(std::string("title b2 ") + u8"\"日本語のタイトル\"");
  EXPECT_EQ("日本語のタイトル", TabText(view, 1));
  EXPECT_EQ("日本語のタイトル", ToolTipText(view, 1));
  std::string longTitle = "x";
  for (int i = 0; i < 200; ++i) longTitle += u8"表";
  Ok("title b1 \"" + longTitle + "\"");
  const std::string whole = ToolTipText(view, 0);
  EXPECT_EQ(401u, whole.size());  // "x" and 200 two-byte characters
  const std::string shown = TabText(view, 0);
  EXPECT_EQ(whole.substr(0, shown.size() - 3) + "...", shown);  // the label is cut to its width
  EXPECT_EQ("", ToolTipText(view, 2));
  Ok("title b1 \"\"");
  EXPECT_EQ(shown, TabText(view, 0));  // an empty title leaves the label

  // A browser that quits keeps its tab.
  Ok("quit b2");
  EXPECT_EQ(2, view->GetTabCount());
  EXPECT_EQ("Internet Explorerが終了しました。", second->GetItemText(second->GetItemCount() - 1, 3));
}

// A browser that a tab already watches is named under the list, and marked there when its
// entry is selected, its entry text unchanged; choosing it again asks whether to switch to that tab (yes), watch
// it in a second tab (no) or go back to the dialog (cancel).
TEST_F(ViewTabsTest, ABrowserAlreadyWatchedIsMarkedAndChoosingItAgainAsks) {
  Ok("open b1 title=Watched");
  Ok("open b2 title=Other");
  COrmixView* view = m_host.view;
  SelectBrowser("b1");
  ASSERT_EQ(1, view->GetTabCount());
  m_bAnswerWatchedQuestion = false;  // the recorder below answers
  const char kNote[] = "※このInternet Explorerはすでにタブで記録しています。";
  auto select = [&](CSelectBrowserDlg& d, const char* id) {
    testsupport::SelectListedWindow(d, Frame(id));
    d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BROWSER_LIST, LBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST)));
    const HWND status = ::GetDlgItem(d.m_hWnd, IDC_LISTING_STATUS);
    char text[256] = "";
    if (::GetWindowLongA(status, GWL_STYLE) & WS_VISIBLE) ::GetWindowTextA(status, text, sizeof text);
    return std::string(text);
  };

  MessageBoxRecorder boxes;
  boxes.SetAnswer(IDCANCEL);
  std::string watchedNote, otherNote, entry;
  bool openAfterCancel = false;
  SelectBrowser(nullptr, [&](CSelectBrowserDlg& d) {
    otherNote = select(d, "b2");
    watchedNote = select(d, "b1");
    char text[64] = "";
    d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETTEXT,
                         static_cast<WPARAM>(d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCURSEL)),
                         reinterpret_cast<LPARAM>(text));
    entry = text;
    ClickButton(d, IDOK);
    ASSERT_TRUE(testsupport::WaitForLookup(d));
    openAfterCancel = ::IsWindow(d.m_hWnd) != FALSE;
  });
  EXPECT_EQ(kNote, watchedNote);
  EXPECT_EQ("※1 件はすでにタブで記録しています: Watched", otherNote);
  EXPECT_EQ("Watched", entry);
  EXPECT_TRUE(openAfterCancel);
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_NE(std::string::npos, boxes.Boxes()[0].text.find("「Watched」"));
  EXPECT_EQ(static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION), boxes.Boxes()[0].type);
  EXPECT_EQ(1, view->GetTabCount());

  boxes.SetAnswer(IDNO);  // a second tab on the same browser
  SelectBrowser("b1");
  ASSERT_EQ(2, view->GetTabCount());
  EXPECT_TRUE(List(view, 1)->IsAdvised());
  EXPECT_EQ(1, view->GetActiveTab());

  boxes.SetAnswer(IDYES);  // back to the first tab that watches it
  SelectBrowser("b1");
  EXPECT_EQ(2, view->GetTabCount());
  EXPECT_EQ(0, view->GetActiveTab());
  EXPECT_EQ(3u, boxes.Boxes().size());
  SelectBrowser("b2");  // not watched: no question
  EXPECT_EQ(3, view->GetTabCount());
  EXPECT_EQ(3u, boxes.Boxes().size());
}

TEST_F(ViewTabsTest, TabsCloseFromTheMenuAndTheButtonAndReleaseTheirBrowsers) {
  Ok("open b1 title=Watched");
  const std::string refsBefore = SimulatorProcess::Field(Ok("refs b1"), "browser");
  COrmixView* view = m_host.view;

  // No tab: the log commands are disabled, the strip ignores the mouse.
  for (UINT id : {ID_RECORD_RESUME, ID_RECORD_STOP, ID_FILE_SAVE_LOG, ID_LOG_CLEAR,
                  static_cast<int>(ID_EDIT_COPY), ID_TAB_CLOSE})
    EXPECT_FALSE(Enabled(id)) << id;
  for (UINT id : {ID_SELECT_BROWSER, ID_VIEW_FONT, ID_TAB_EQUAL_WIDTH, ID_TAB_ACTIVATE})
    EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(HTBORDER, view->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(10, 10)));

  for (int i = 0; i < 4; ++i) SelectBrowser("b1");
  ASSERT_EQ(4, view->GetTabCount());
  EXPECT_EQ("4", Sinks("b1"));
  EXPECT_TRUE(Enabled(ID_RECORD_STOP));  // routed to the selected tab's list
  EXPECT_FALSE(Enabled(ID_RECORD_RESUME));
  const HWND tab0 = view->TabWindow(0)->m_hWnd;
  const HWND tab1 = view->TabWindow(1)->m_hWnd;
  const HWND tab2 = view->TabWindow(2)->m_hWnd;

  // Beside the last tab: no menu, nothing remembered, Close disabled.
  const RECT strip = ItemRect(view, 3);
  EXPECT_TRUE(RightClick(view, POINT{strip.right + 40, strip.top + 3}, 0).empty());
  EXPECT_EQ(-1, view->ContextTab());
  EXPECT_FALSE(Enabled(ID_TAB_CLOSE));

  // The context menu activates the right-clicked tab.
  const std::vector<std::string> items = RightClick(view, TabCentre(view, 1), 'A');
  EXPECT_EQ((std::vector<std::string>{"アクティブ化(&A)", "", "閉じる(&C)"}), items);
  EXPECT_EQ(1, view->GetActiveTab());
  EXPECT_TRUE(Shown(tab1));
  EXPECT_FALSE(Shown(tab0));

  // Closing tab 0 selects the new tab 0; the remembered index is reset.
  RightClick(view, TabCentre(view, 0), 'C');
  EXPECT_EQ(3, view->GetTabCount());
  EXPECT_EQ(tab1, view->TabWindow(0)->m_hWnd);
  EXPECT_EQ(0, view->GetActiveTab());
  EXPECT_EQ(-1, view->ContextTab());
  EXPECT_FALSE(Enabled(ID_TAB_CLOSE));

  // The close button takes the selected tab; the tab to its left is selected.
  view->ActivateTab(2);
  ASSERT_TRUE(Shown(view->GetCloseButton()));
  SendMessageA(view->GetCloseButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(2, view->GetTabCount());
  EXPECT_EQ(1, view->GetActiveTab());
  EXPECT_EQ(tab2, view->TabWindow(1)->m_hWnd);
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
  EXPECT_EQ("2", Sinks("b1"));

  // Closing the rest gives back every reference the tabs took.
  RouteCommand(view, ID_TAB_CLOSE_BUTTON);
  RouteCommand(view, ID_TAB_CLOSE_BUTTON);
  EXPECT_EQ(0, view->GetTabCount());
  EXPECT_FALSE(Shown(view->GetCloseButton()));
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
  EXPECT_EQ("0", Sinks("b1"));
  EXPECT_EQ(refsBefore, SimulatorProcess::Field(Ok("refs b1"), "browser"));
}

TEST_F(ViewTabsTest, EqualWidthsAndTheFontApplyToEveryTabAndPersist) {
  Ok("open b1 title=A");
  Ok("open b2 title=\"A much longer title\"");
  COrmixView* view = m_host.view;
  SelectBrowser("b1");
  SelectBrowser("b2");
  auto width = [&](int i) { return ItemRect(view, i).right - ItemRect(view, i).left; };

  ASSERT_TRUE(view->GetStyle() & TCS_FIXEDWIDTH);  // the default
  EXPECT_EQ(width(0), width(1));
  EXPECT_EQ(1, QueryCommandState(view, ID_TAB_EQUAL_WIDTH).m_nCheck);
  RouteCommand(view, ID_TAB_EQUAL_WIDTH);
  EXPECT_LT(width(0), width(1));
  EXPECT_EQ(0, QueryCommandState(view, ID_TAB_EQUAL_WIDTH).m_nCheck);
  EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0}), GetValue(kTabFixedWidthValue));
  view->ReapplyTabWidthStyle();
  EXPECT_FALSE(view->GetStyle() & TCS_FIXEDWIDTH);
  RouteCommand(view, ID_TAB_EQUAL_WIDTH);
  EXPECT_EQ(width(0), width(1));
  EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), GetValue(kTabFixedWidthValue));

  // A cancelled font dialog changes nothing; a chosen font reaches every list and the
  // registry, and lists made later.
  HWND fontOwner = nullptr;
  CFontDialog::RunHook previous = CFontDialog::SetRunHook([&](CFontDialog& d) {
    fontOwner = d.m_cf.hwndOwner;
    EXPECT_EQ(static_cast<DWORD>(CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT), d.m_cf.Flags);
    d.m_cf.lpLogFont->lfHeight = -25;
    return IDCANCEL;
  });
  const HFONT before = view->ListFont();
  RouteCommand(view, ID_VIEW_FONT);
  EXPECT_EQ(m_host.host.m_hWnd, fontOwner);
  EXPECT_EQ(before, List(view, 0)->GetFont());
  CFontDialog::SetRunHook([](CFontDialog& d) {
    d.m_cf.lpLogFont->lfHeight = -25;
    strcpy(d.m_cf.lpLogFont->lfFaceName, "IPAGothic");
    return IDOK;
  });
  RouteCommand(view, ID_VIEW_FONT);
  CFontDialog::SetRunHook(previous);
  const HFONT after = view->ListFont();
  EXPECT_EQ(after, List(view, 0)->GetFont());
  EXPECT_EQ(after, List(view, 1)->GetFont());
  const std::vector<BYTE> stored = GetValue(kFontValue);
  ASSERT_EQ(sizeof(LOGFONTA), stored.size());
  EXPECT_EQ(-25, reinterpret_cast<const LOGFONTA*>(stored.data())->lfHeight);
  SelectBrowser("b1");
  EXPECT_EQ(after, List(view, 2)->GetFont());

  // A log's save dialog belongs to the main window as well.
  RouteCommand(view, ID_RECORD_STOP);
  HWND saveOwner = nullptr;
  CFileDialog::RunHook previousSave = CFileDialog::SetRunHook([&](CFileDialog& d) {
    saveOwner = d.m_ofn.hwndOwner;
    return IDCANCEL;
  });
  RouteCommand(view, ID_FILE_SAVE_LOG);
  CFileDialog::SetRunHook(previousSave);
  EXPECT_EQ(m_host.host.m_hWnd, saveOwner);
}

TEST_F(ViewTabsTest, ClosingATabSelectsItsLeftNeighbourAndTheRightClickedTabMovesAlong) {
  Ok("open b1 title=Tab");
  COrmixView* view = m_host.view;
  for (int i = 0; i < 4; ++i) SelectBrowser("b1");
  ASSERT_EQ(4, view->GetTabCount());
  HWND tabs[4];
  for (int i = 0; i < 4; ++i) tabs[i] = view->TabWindow(i)->m_hWnd;

  RightClick(view, TabCentre(view, 3), 0);  // remembered, the menu closed without a choice
  ASSERT_EQ(3, view->ContextTab());

  // A middle tab closes: the one to its left is selected, and the remembered tab moves along.
  view->ActivateTab(1);
  SendMessageA(view->GetCloseButton(), BM_CLICK, 0, 0);
  ASSERT_EQ(3, view->GetTabCount());
  EXPECT_EQ(0, view->GetActiveTab());
  EXPECT_TRUE(Shown(tabs[0]));
  EXPECT_EQ(2, view->ContextTab());

  // The main menu's Close then closes the tab the user right-clicked.
  EXPECT_TRUE(Enabled(ID_TAB_CLOSE));
  RouteCommand(view, ID_TAB_CLOSE);
  ASSERT_EQ(2, view->GetTabCount());
  EXPECT_EQ(tabs[0], view->TabWindow(0)->m_hWnd);
  EXPECT_EQ(tabs[2], view->TabWindow(1)->m_hWnd);
  EXPECT_EQ(1, view->GetActiveTab());
  EXPECT_EQ(-1, view->ContextTab());
}

namespace {

// Runs the view's "select a browser" command with `browser` (one reference, the dialog's
// to hand over) chosen in the dialog.
void SelectBrowserObject(COrmixView* view, IWebBrowser2* browser) {
  CDialog::ModalHook previous = CDialog::SetModalHook([browser](CDialog& running) {
    auto& dialog = static_cast<CSelectBrowserDlg&>(running);
    dialog.m_pBrowser = browser;
    dialog.EndDialog(IDOK);
  });
  RouteCommand(view, ID_SELECT_BROWSER);
  CDialog::SetModalHook(previous);
  testsupport::WaitForConnects(*view);
}

// The same with a browser of this thread, whose reference the test keeps.
void SelectFakeBrowser(COrmixView* view, FakeBrowser* browser) {
  browser->AddRef();
  SelectBrowserObject(view, browser);
}

// A browser double served by a thread and apartment of its own, as a browser of another
// process is: the view reaches it through a proxy, from a worker. It can stop answering until
// told to go on, and report a new title as soon as a sink has been advised.
class BrowserOnItsOwnThread {
 public:
  BrowserOnItsOwnThread() {
    m_thread = CreateThread(nullptr, 0, &BrowserOnItsOwnThread::Serve, this, 0, nullptr);
    WaitForSingleObject(m_ready, 10000);
  }
  ~BrowserOnItsOwnThread() {
    Resume();
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    testsupport::WaitPumping(&m_thread, 1, 10000);
    CloseHandle(m_thread);
    CloseHandle(m_ready);
    CloseHandle(m_gate);
  }
  // This thread's proxy; the caller owns the reference.
  IWebBrowser2* Proxy() {
    IWebBrowser2* proxy = nullptr;
    if (FAILED(CoGetInterfaceAndReleaseStream(m_marshalled, IID_IWebBrowser2, reinterpret_cast<void**>(&proxy))))
      proxy = nullptr;
    m_marshalled = nullptr;
    return proxy;
  }
  // From the next message on, the browser's thread answers nothing until Resume.
  void Hang() { PostThreadMessageA(m_threadId, kHangMessage, 0, 0); }
  void Resume() { SetEvent(m_gate); }
  void ReportTitleOnceAdvised(const wchar_t* title) { m_title = title; }
  // Read once the browser's thread is idle.
  LONG RefCount() const { return m_browser->RefCount(); }
  size_t SinkCount() const { return m_browser->SinkCount(); }

 private:
  static constexpr UINT kHangMessage = WM_APP + 7;

  static DWORD WINAPI Serve(void* parameter) {
    auto* self = static_cast<BrowserOnItsOwnThread*>(parameter);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    self->m_threadId = GetCurrentThreadId();
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, before anyone posts
    self->m_browser = new FakeBrowser;
    CoMarshalInterThreadInterfaceInStream(IID_IWebBrowser2, static_cast<IWebBrowser2*>(self->m_browser),
                                          &self->m_marshalled);
    SetEvent(self->m_ready);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == kHangMessage) WaitForSingleObject(self->m_gate, 30000);
      DispatchMessageA(&msg);
      if (self->m_title && self->m_browser->SinkCount() > 0) {
        BSTR title = SysAllocString(self->m_title);
        self->m_title = nullptr;
        self->m_browser->Fire(DISPID_TITLECHANGE, {VarBstr(title)});
        SysFreeString(title);
      }
    }
    CoUninitialize();
    return 0;
  }

  HANDLE m_ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE m_gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  FakeBrowser* m_browser = nullptr;  // lives with the process: its thread may be gone
  IStream* m_marshalled = nullptr;
  const wchar_t* m_title = nullptr;
};

}  // namespace

TEST(ViewBrowserTest, ABrowserThatCannotBeQueriedGetsAMessageAndAnUnconnectedTab) {
  ClearSettings();
  ViewInHost host;
  auto* browser = new FakeBrowser;
  browser->browserQueryError = RPC_E_DISCONNECTED;
  MessageBoxRecorder boxes;
  SelectFakeBrowser(host.view, browser);

  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("Ormix", boxes.Boxes()[0].caption);
  EXPECT_EQ(host.host.m_hWnd, boxes.Boxes()[0].owner);
  EXPECT_NE(std::string::npos, boxes.Boxes()[0].text.find("Internet Explorer"));
  ASSERT_EQ(1, host.view->GetTabCount());
  EXPECT_EQ("Internet Explorer", TabText(host.view, 0));
  EXPECT_EQ(0, List(host.view, 0)->GetItemCount());  // no start row: not connected
  EXPECT_EQ(0u, browser->SinkCount());
  RouteCommand(host.view, ID_TAB_CLOSE_BUTTON);
  EXPECT_EQ(1, browser->RefCount());
  browser->Release();
}

// The main window closes (another program's WM_CLOSE, the session's end) while the view waits
// for a browser that does not answer: the wait ends with it, nothing of the view is used
// after it has gone, and once the browser answers again it keeps no sink and no reference.
TEST(ViewBrowserTest, ClosingTheWindowWhileAConnectWaitsLeavesNothingBehind) {
  ClearSettings();
  BrowserOnItsOwnThread browser;
  {
    ViewInHost host;
    static HWND closing;
    closing = host.host.m_hWnd;
    browser.Hang();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      DestroyWindow(closing);
    });
    const LongerBrowserAnswerWait longer(kLongAnswerWaitMs);
    const DWORD start = GetTickCount();
    SelectBrowserObject(host.view, browser.Proxy());
    KillTimer(nullptr, timer);
    EXPECT_FALSE(IsWindow(closing));
    // Not held for the rest of the connect's own limit once the window has gone.
    EXPECT_LT(GetTickCount() - start, kLongAnswerWaitMs / 2);
    EXPECT_GT(CBoundedWorkBase::Outstanding(), 0) << "the browser answered meanwhile: nothing was tested";
  }
  browser.Resume();
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(60000));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return browser.SinkCount() == 0 && browser.RefCount() == 1; }, 10000))
      << browser.SinkCount() << " sinks, " << browser.RefCount() << " references";
}

// A title the browser reports while the view still waits for the connect to end names the
// tab, and the browser's OnQuit lets go of every browser object the tab holds.
TEST(ViewBrowserTest, ATitleReportedDuringTheConnectNamesTheTabAndQuitLetsGoOfTheBrowser) {
  ClearSettings();
  BrowserOnItsOwnThread browser;
  {
    ViewInHost host;
    browser.ReportTitleOnceAdvised(L"Reported");
    SelectBrowserObject(host.view, browser.Proxy());
    ASSERT_EQ(1, host.view->GetTabCount());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return TabText(host.view, 0) == "Reported"; }, 5000))
        << TabText(host.view, 0);
    CEventListCtrl* list = List(host.view, 0);
    ASSERT_TRUE(list && list->IsAdvised());
    const LONG connected = browser.RefCount();
    EXPECT_GT(connected, 1);

    IDispatch* sink = list->GetSink()->GetIDispatch(FALSE);
    DISPPARAMS none = {};
    ASSERT_EQ(S_OK, sink->Invoke(DISPID_ONQUIT, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    EXPECT_FALSE(list->IsAttached());
    ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(60000));
    // The tab stays, and holds nothing of the browser any more.
    EXPECT_EQ(1, host.view->GetTabCount());
    EXPECT_TRUE(testsupport::PumpUntil([&] { return browser.RefCount() == 1; }, 5000)) << browser.RefCount();
    EXPECT_EQ(0u, browser.SinkCount());
  }
}

TEST(ViewBrowserTest, ATabTheStripRefusesLeavesNoListNoConnectionAndTheRowIcons) {
  ClearSettings();
  ViewInHost host;
  // The tab control refuses every new tab.
  static WNDPROC previous;
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      host.view->m_hWnd, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == TCM_INSERTITEMA) return -1;
        return CallWindowProcA(previous, hWnd, message, wParam, lParam);
      })));
  auto* browser = new FakeBrowser;
  MessageBoxRecorder boxes;
  SelectFakeBrowser(host.view, browser);
  SetWindowLongPtrA(host.view->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));

  EXPECT_EQ(0, host.view->GetTabCount());
  EXPECT_EQ(nullptr, FindWindowExA(host.view->m_hWnd, nullptr, WC_LISTVIEWA, nullptr));
  // The refused list gave the view's row icons back before it went: later logs keep them.
  EXPECT_EQ(CEventListCtrl::kImageLoaded + 1, ImageList_GetImageCount(host.view->RowIcons()));
  // The connection made meanwhile is let go off the window's thread.
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(60000));
  EXPECT_EQ(0u, browser->SinkCount());
  EXPECT_EQ(1, browser->RefCount());
  browser->Release();
}

// Each log option is kept as a REG_DWORD 0 or 1 under its own name, is off while missing,
// and is read back by options loaded later; switching one leaves the others alone.
// Opens a tab as for a browser that did not answer in time: no browser, nothing to let go.
void OpenUnansweredTab(COrmixView* view) {
  CDialog::ModalHook previous = CDialog::SetModalHook([](CDialog& running) {
    static_cast<CSelectBrowserDlg&>(running).m_bNotAnswered = true;
    running.EndDialog(IDOK);
  });
  RouteCommand(view, ID_SELECT_BROWSER);
  CDialog::SetModalHook(previous);
}

// Next and previous tab (Ctrl+Tab, Ctrl+PageDown; Ctrl+Shift+Tab, Ctrl+PageUp) go round at
// either end and show the tab's log; with a single tab they are disabled.
TEST(ViewTabSwitchTest, NextAndPreviousTabGoRoundAtEitherEnd) {
  ViewInHost host;
  COrmixView* view = host.view;
  OpenUnansweredTab(view);
  EXPECT_FALSE(QueryCommandState(view, ID_TAB_NEXT).m_bEnabled);
  EXPECT_FALSE(QueryCommandState(view, ID_TAB_PREVIOUS).m_bEnabled);
  OpenUnansweredTab(view);
  OpenUnansweredTab(view);
  ASSERT_EQ(3, view->GetTabCount());
  EXPECT_TRUE(QueryCommandState(view, ID_TAB_NEXT).m_bEnabled);
  const std::pair<UINT, int> steps[] = {
      {ID_TAB_NEXT, 0}, {ID_TAB_NEXT, 1}, {ID_TAB_PREVIOUS, 0}, {ID_TAB_PREVIOUS, 2}};
  for (const auto& [command, tab] : steps) {
    ASSERT_TRUE(RouteCommand(view, command));
    EXPECT_EQ(tab, view->GetActiveTab());
    EXPECT_TRUE(Shown(List(view, tab)->m_hWnd));
  }
}

TEST(LogOptionsTest, EachOptionIsKeptUnderItsOwnNameAndOffWhileMissing) {
  const struct {
    UINT command;
    const char* value;
    bool LogOptions::*member;
  } cases[] = {
      {ID_VIEW_FOLLOW_AT_BOTTOM, "FollowOnlyAtBottom", &LogOptions::followOnlyAtBottom},
      {ID_VIEW_TIME_MILLISECONDS, "TimeWithMilliseconds", &LogOptions::timeWithMilliseconds},
      {ID_VIEW_SAVE_CSV, "SaveAsCsv", &LogOptions::saveAsCsv},
      {ID_VIEW_FRAME_COLUMN, "FrameColumn", &LogOptions::frameColumn},
      {ID_VIEW_ASK_BEFORE_DISCARD, "AskBeforeDiscard", &LogOptions::askBeforeDiscard},
      {ID_VIEW_DELTA_COLUMN, "DeltaColumn", &LogOptions::deltaColumn},
  };
  EXPECT_EQ(nullptr, LogOptions::ForCommand(ID_VIEW_FONT));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    ClearSettings();
    appvalues::CreateKeys();
    LogOptions options;
    for (const auto& each : cases) options.*each.member = true;
    options.Load();
    for (const auto& each : cases) EXPECT_FALSE(options.*each.member) << each.value;

    const LogOptions::Option* option = LogOptions::ForCommand(c.command);
    ASSERT_NE(nullptr, option);
    options.Toggle(*option);
    EXPECT_TRUE(options.*c.member);
    DWORD type = REG_NONE;
    EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), GetValue(c.value, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    LogOptions later;
    later.Load();
    for (const auto& each : cases) EXPECT_EQ(each.member == c.member, later.*each.member) << each.value;
    options.Toggle(*option);
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0}), GetValue(c.value));
  }
}

// A run's switches add log options for the run and take none away: a run without /csv goes
// on saving as CSV when that is stored, in the tabs open and those opened later; what is
// stored stays as it was.
TEST(LogOptionsTest, ARunsSwitchesAddToTheStoredOptionsAndTakeNoneAway) {
  ClearSettings();
  ViewInHost host;
  COrmixView* view = host.view;
  RouteCommand(view, ID_VIEW_SAVE_CSV);  // stored: save as CSV
  OpenUnansweredTab(view);
  view->UseLogOptionsForThisRun(false, true);  // as for /ms without /csv
  OpenUnansweredTab(view);
  for (int tab : {0, 1}) {
    EXPECT_TRUE(List(view, tab)->Model().SaveAsCsv()) << tab;
    EXPECT_TRUE(List(view, tab)->Model().Rows().IsTimeWithMilliseconds()) << tab;
  }
  EXPECT_EQ(1, QueryCommandState(view, ID_VIEW_SAVE_CSV).m_nCheck);
  LogOptions stored;
  stored.Load();
  EXPECT_TRUE(stored.saveAsCsv);
  EXPECT_FALSE(stored.timeWithMilliseconds);
}

// The log options reach every log, open or opened later, are enabled with no tab, checked
// while on, and read again by a view made later.
TEST_F(ViewTabsTest, LogOptionsReachEveryLog) {
  COrmixView* view = m_host.view;
  using Get = bool (*)(const CEventListCtrl&);
  const std::pair<UINT, Get> options[] = {
      {ID_VIEW_FOLLOW_AT_BOTTOM, [](const CEventListCtrl& list) { return list.Model().FollowOnlyAtBottom(); }},
      {ID_VIEW_TIME_MILLISECONDS,
       [](const CEventListCtrl& list) { return list.Model().Rows().IsTimeWithMilliseconds(); }},
      {ID_VIEW_SAVE_CSV, [](const CEventListCtrl& list) { return list.Model().SaveAsCsv(); }},
      {ID_VIEW_FRAME_COLUMN, [](const CEventListCtrl& list) { return list.Model().Rows().IsOriginShown(); }},
      {ID_VIEW_ASK_BEFORE_DISCARD, [](const CEventListCtrl& list) { return list.Model().AskBeforeDiscard(); }},
      {ID_VIEW_DELTA_COLUMN, [](const CEventListCtrl& list) { return list.IsDeltaColumnShown(); }},
  };
  Ok("open b1 title=A");
  SelectBrowser("b1");
  for (const auto& [command, get] : options) {
    SCOPED_TRACE(command);
    EXPECT_TRUE(Enabled(command));
    EXPECT_EQ(0, QueryCommandState(view, command).m_nCheck);
    RouteCommand(view, command);
    EXPECT_EQ(1, QueryCommandState(view, command).m_nCheck);
    EXPECT_TRUE(get(*List(view, 0)));
  }
  SelectBrowser("b1");
  ViewInHost later;
  for (const auto& [command, get] : options) {
    SCOPED_TRACE(command);
    EXPECT_TRUE(get(*List(view, 1)));
    const CCmdUI state = QueryCommandState(later.view, command);
    EXPECT_EQ(1, state.m_nCheck);
    EXPECT_TRUE(state.m_bEnabled) << "the program's option, set with no tab open";
    RouteCommand(view, command);
    EXPECT_FALSE(get(*List(view, 0)));
    EXPECT_FALSE(get(*List(view, 1)));
  }
}

namespace {

// The texts of a log's row in the order its columns are shown, and its icon.
struct ShownRow {
  std::vector<std::string> cells;
  int image;
};

std::vector<ShownRow> ShownRows(CEventListCtrl* list) {
  const HWND header = reinterpret_cast<HWND>(list->SendMessage(LVM_GETHEADER));
  const int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  std::vector<int> order(static_cast<size_t>(columns));
  list->SendMessage(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(columns), reinterpret_cast<LPARAM>(order.data()));
  std::vector<ShownRow> rows;
  for (int item = 0; item < list->GetItemCount(); ++item) {
    LVITEMA lvi = {};
    lvi.mask = LVIF_IMAGE;
    lvi.iItem = item;
    list->GetItem(&lvi);
    ShownRow row{{}, lvi.iImage};
    for (int column : order) row.cells.push_back(list->GetItemText(item, column));
    rows.push_back(row);
  }
  return rows;
}

// The file a log saves to `path`, read back byte for byte.
std::string Saved(CEventListCtrl* list, const std::string& path) {
  DeleteFileA(path.c_str());
  EXPECT_TRUE(list->SaveLog(path.c_str()));
  const std::string bytes = testsupport::FileBytes(path);
  DeleteFileA(path.c_str());
  return bytes;
}

// Lines as the log writes them: cells joined by commas, each line ended by CR LF.
std::string Lines(const std::vector<ShownRow>& rows) {
  std::string text;
  for (const ShownRow& row : rows) {
    for (size_t i = 0; i < row.cells.size(); ++i) text += (i ? "," : "") + row.cells[i];
    text += "\r\n";
  }
  return text;
}

}  // namespace

// A page with two frames, loaded in another process: each event with a browser argument is
// told apart by COM identity without a call into the browser; the frame column (off at first)
// says "ページ", or for every event of a frame the name its first event gave the frame,
// short in the list and whole ("フレーム: " and the name) in the cell's tool tip and in
// saved and copied lines; it marks only the page's own DocumentComplete with the loaded icon,
// and goes into saved and copied lines only while shown. Off, the log is what it was without it.
TEST_F(ViewTabsTest, TheFrameColumnTellsThePageFromItsFrames) {
  COrmixView* view = m_host.view;
  Ok("open b1 title=Framed url=http://example.test/site/index.html frames=2");
  SelectBrowser("b1");
  CEventListCtrl* list = List(view, 0);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(4, ImageList_GetImageCount(view->RowIcons()));
  const std::string callsBefore = Ok("calls b1");
  ASSERT_NE(std::string::npos, callsBefore.find("frames=")) << callsBefore;
  Ok("navigate b1 http://example.test/site/next.html");
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !list->Model().InBurst(); }, 5000));
  EXPECT_EQ(callsBefore, Ok("calls b1"));  // neither the page nor a frame was asked anything

  const std::string path = "frame_column_test.log";
  const std::vector<ShownRow> off = ShownRows(list);
  ASSERT_EQ(4u, off[0].cells.size());
  const std::string savedOff = Saved(list, path);
  EXPECT_EQ(Lines(off), savedOff);
  for (const ShownRow& row : off) EXPECT_NE(CEventListCtrl::kImageLoaded, row.image);

  RouteCommand(view, ID_VIEW_FRAME_COLUMN);
  EXPECT_EQ(1, QueryCommandState(view, ID_VIEW_FRAME_COLUMN).m_nCheck);
  const std::vector<ShownRow> on = ShownRows(list);
  ASSERT_EQ(off.size(), on.size());
  int frames = 0, pages = 0, loaded = 0;
  for (size_t i = 0; i < on.size(); ++i) {
    const ShownRow& row = on[i];
    SCOPED_TRACE(row.cells[2] + " " + row.cells[4]);
    ASSERT_EQ(5u, row.cells.size());
    EXPECT_EQ((std::vector<std::string>{off[i].cells[0], off[i].cells[1], off[i].cells[2], off[i].cells[3]}),
              (std::vector<std::string>{row.cells[0], row.cells[1], row.cells[2], row.cells[4]}));
    const std::string& name = row.cells[2];
    const bool navigation = name.find("BeforeNavigate2") != std::string::npos ||
                            name.find("NavigateComplete2") != std::string::npos ||
                            name.find("DocumentComplete") != std::string::npos;
    const bool ofFrame = row.cells[4].find("/frame") != std::string::npos;
    // Every event of a frame names it as its BeforeNavigate2 did (frameK for frameK.html).
    const std::string frame = row.cells[4].find("/frame1.html") != std::string::npos ? "frame1" : "frame2";
    EXPECT_EQ(!navigation ? "" : ofFrame ? frame : "ページ", row.cells[3]);
    EXPECT_EQ(navigation && ofFrame ? "フレーム: " + frame : "",
              list->CellToolTipText(static_cast<int>(i), EventRowStore::kOriginColumn));
    frames += row.cells[3] == frame;
    pages += row.cells[3] == "ページ";
    if (row.image == CEventListCtrl::kImageLoaded) {
      ++loaded;
      EXPECT_NE(std::string::npos, name.find("DocumentComplete"));
      EXPECT_EQ("ページ", row.cells[3]);
    }
  }
  EXPECT_EQ(6, frames);  // three events for each frame
  EXPECT_EQ(3, pages);
  EXPECT_EQ(1, loaded);
  // Saved with the whole cells (copied and CSV lines with the column: log_tests).
  std::vector<ShownRow> whole = on;
  for (size_t i = 0; i < whole.size(); ++i) {
    const std::string tip = list->CellToolTipText(static_cast<int>(i), EventRowStore::kOriginColumn);
    if (!tip.empty()) whole[i].cells[3] = tip;
  }
  EXPECT_EQ(Lines(whole), Saved(list, path));
  // Find and the filter look in the column's whole cells while it is shown, and only then.
  list->SetItemState(-1, 0, LVIS_SELECTED);
  const int frameRow = list->FindRow("フレーム", true);
  ASSERT_GE(frameRow, 0);
  EXPECT_EQ(0u, list->CellToolTipText(frameRow, EventRowStore::kOriginColumn).find("フレーム: "));
  list->ApplyFilter(false, {}, "ページ");
  EXPECT_EQ(3u, list->Model().ShownCount());

  RouteCommand(view, ID_VIEW_FRAME_COLUMN);
  EXPECT_EQ(0u, list->Model().ShownCount());
  list->ClearFilter();
  const std::vector<ShownRow> offAgain = ShownRows(list);
  EXPECT_EQ(Lines(off), Lines(offAgain));
  for (size_t i = 0; i < off.size(); ++i) EXPECT_EQ(off[i].image, offAgain[i].image);
  EXPECT_EQ(savedOff, Saved(list, path));
}

// The waterfall, switched on from the View menu, takes the lower part of the tab area below
// the active log and draws that log (a browser whose page has two frames: three tracks); it
// follows the tab switched to, goes with the last tab, and stays on for the next view.
TEST_F(ViewTabsTest, TheWaterfallShowsBelowTheActiveLogAndIsRemembered) {
  COrmixView* view = m_host.view;
  const CNavigationWaterfall& waterfall = view->Waterfall();
  EXPECT_EQ(0, QueryCommandState(view, ID_VIEW_WATERFALL).m_nCheck);
  RouteCommand(view, ID_VIEW_WATERFALL);
  EXPECT_EQ(1, QueryCommandState(view, ID_VIEW_WATERFALL).m_nCheck);
  EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), GetValue("Waterfall"));
  EXPECT_FALSE(waterfall.GetStyle() & WS_VISIBLE) << "no tab, no waterfall";

  Ok("open b1 title=Framed url=http://example.test/site/index.html frames=2");
  Ok("open b2 title=Plain url=http://example.test/plain.html");
  SelectBrowser("b1");
  CEventListCtrl* framed = List(view, 0);
  ASSERT_NE(nullptr, framed);
  Ok("navigate b1 http://example.test/site/next.html");
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !framed->Model().InBurst(); }, 5000));
  EXPECT_EQ(3u, framed->Model().Navigations().TrackCount());
  EXPECT_TRUE(waterfall.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(framed, waterfall.BoundList());
  RECT list = {}, below = {};
  framed->GetWindowRect(&list);
  waterfall.GetWindowRect(&below);
  EXPECT_EQ(list.bottom, below.top);
  EXPECT_EQ((std::vector<LONG>{list.left, list.right}), (std::vector<LONG>{below.left, below.right}));
  EXPECT_GE(below.bottom - below.top, 120);
  EXPECT_LT(below.bottom - below.top, list.bottom - list.top);

  SelectBrowser("b2");
  EXPECT_EQ(List(view, 1), waterfall.BoundList());
  view->ActivateTab(0);
  EXPECT_EQ(framed, waterfall.BoundList());

  {
    ViewInHost later;
    EXPECT_TRUE(later.view->IsWaterfallShown());
  }
  RouteCommand(view, ID_VIEW_WATERFALL);
  EXPECT_FALSE(waterfall.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(nullptr, waterfall.BoundList());
  EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0}), GetValue("Waterfall"));
  RECT whole = {};
  framed->GetWindowRect(&whole);
  EXPECT_GT(whole.bottom, list.bottom) << "the log takes the whole area again";

  RouteCommand(view, ID_VIEW_WATERFALL);
  EXPECT_EQ(framed, waterfall.BoundList());
  RouteCommand(view, ID_TAB_CLOSE_ACTIVE);
  RouteCommand(view, ID_TAB_CLOSE_ACTIVE);
  EXPECT_EQ(0, view->GetTabCount());
  EXPECT_EQ(nullptr, waterfall.BoundList());
  EXPECT_FALSE(waterfall.GetStyle() & WS_VISIBLE);
}

TEST_F(ViewTabsTest, AHungBrowserNeverHoldsTheWindowWhileItsTabsGo) {
  Ok("open b1 title=Hung");
  for (int i = 0; i < 4; ++i) SelectBrowser("b1");
  COrmixView* view = m_host.view;
  ASSERT_EQ(4, view->GetTabCount());
  // Far longer than the test; ended once its point is made.
  const DWORD hangMs = 120000;
  Ok("hang b1 " + std::to_string(hangMs));
  const DWORD start = GetTickCount();
  // The close button, the context menu's Close and the view's destruction all return long
  // before the browser answers again.
  RouteCommand(view, ID_TAB_CLOSE_BUTTON);
  RightClick(view, TabCentre(view, 0), 0);  // remembered, the menu closed
  RouteCommand(view, ID_TAB_CLOSE);
  EXPECT_EQ(2, view->GetTabCount());
  m_host.host.DestroyWindow();  // with the tabs left
  EXPECT_LT(GetTickCount() - start, hangMs / 2);
  EXPECT_GT(CBoundedWorkBase::Outstanding(), 0) << "the browser answered meanwhile: nothing was tested";
  // Once it answers, every tab's connection has been let go (the fixture checks the references).
  Ok("unhang b1");
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
  EXPECT_EQ("0", Sinks("b1"));
}

// The browser stops answering at each call between OK and the first row in turn, for
// longer than the window waits: the window goes on handling its messages, the tab opens
// unconnected with a row saying the browser did not answer, and once the browser answers
// again it keeps no sink and no reference. Once the hang falls after the first row, the
// tab is connected.
TEST_F(ViewTabsTest, ABrowserThatStopsAnsweringWhileBeingConnectedLeavesAnUnconnectedTab) {
  Ok("open b1 title=Slow");
  COrmixView* view = m_host.view;
  const std::string refsBefore = Ok("refs b1");
  // Far longer than the window's wait for the browser (3 s); ended once the tab has opened.
  const DWORD hangMs = 120000;
  static bool probeHandled;
  static bool probeWhileWaiting;
  CWnd probe;
  ASSERT_TRUE(probe.CreateEx(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, m_host.host.m_hWnd, nullptr));
  const auto probeProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      probe.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_APP) {
          probeHandled = true;
          probeWhileWaiting = CBoundedWorkBase::Outstanding() > 0;
        }
        return 0;
      })));

  int unanswered = 0;
  bool connected = false;
  for (long call = 1; call <= 40 && !connected; ++call) {
    probeHandled = probeWhileWaiting = false;
    std::string armed;
    SelectBrowser("b1", [&](CSelectBrowserDlg&) {
      armed = Ok("hang b1 " + std::to_string(hangMs) + " call=" + std::to_string(call));
      PostMessageA(probe.m_hWnd, WM_APP, 0, 0);
    });
    ASSERT_FALSE(armed.empty());
    const int tab = view->GetTabCount() - 1;
    ASSERT_GE(tab, 0) << "call " << call;
    CEventListCtrl* list = List(view, tab);
    ASSERT_TRUE(list);
    ASSERT_EQ(1, list->GetItemCount()) << "call " << call;
    if (list->IsAdvised()) {
      // Every call up to the first row was answered (the hang, if it came, fell on a call
      // made after it, by a worker letting go of what it no longer needs).
      EXPECT_EQ("イベントの記録を開始しました。", list->GetItemText(0, 3));
      EXPECT_EQ("Slow", TabText(view, tab));
      connected = true;
    } else {
      ++unanswered;
      EXPECT_EQ("Internet Explorerが応答しなかったため、接続できませんでした。", list->GetItemText(0, 3))
          << "call " << call;
      EXPECT_FALSE(list->IsAttached());
      // The window went on while the browser still held a worker.
      EXPECT_GT(CBoundedWorkBase::Outstanding(), 0) << "call " << call;
      EXPECT_TRUE(probeHandled && probeWhileWaiting) << "call " << call;
    }
    RouteCommand(view, ID_TAB_CLOSE_BUTTON);
    Ok("unhang b1");  // a hang not reached goes too
    ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
    EXPECT_EQ("0", Sinks("b1")) << "call " << call;
    EXPECT_EQ(refsBefore, Ok("refs b1")) << "call " << call;
  }
  EXPECT_TRUE(connected);
  EXPECT_GE(unanswered, 4);  // the lookup, the label, the query and the advise at least
  SetWindowLongPtrA(probe.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(probeProc));
}

// A connect never holds the window: the tab shows at once, saying that it connects; what
// the browser sends before the outcome is taken comes after the start row, knowing the page
// from its frames; a window closed while a connect waits, with an event received for it,
// ends cleanly and the browser gets every reference back (the fixture counts them).
TEST_F(ViewTabsTest, AConnectUnderWayShowsItsTabAndKeepsWhatComesForAfterItsStartRow) {
  COrmixView* view = m_host.view;
  RouteCommand(view, ID_VIEW_FRAME_COLUMN);
  Ok("open b1 title=Framed url=http://example.test/index.html frames=1");
  SelectBrowser("b1", nullptr, false);
  ASSERT_EQ(1, view->GetTabCount());
  EXPECT_EQ("接続中...", TabText(view, 0));
  ASSERT_TRUE(WaitUnpumpedForSinks("b1", 1));
  m_sim.SendUnpumped("navigate b1 http://example.test/next.html title=Next");
  ASSERT_TRUE(testsupport::WaitForConnects(*view));
  CEventListCtrl* list = List(view, 0);
  ASSERT_TRUE(list && list->IsAdvised());
  ASSERT_TRUE(testsupport::PumpUntil([&] { return list->GetItemCount() > 3 && !list->Model().InBurst(); }, 10000));
  EXPECT_EQ("イベントの記録を開始しました。", list->GetItemText(0, 3));
  int pages = 0, loaded = 0;
  for (const ShownRow& row : ShownRows(list)) {
    pages += row.cells[3] == "ページ";
    loaded += row.image == CEventListCtrl::kImageLoaded;
  }
  EXPECT_EQ(3, pages);  // the page's BeforeNavigate2, NavigateComplete2 and DocumentComplete
  EXPECT_EQ(1, loaded);
  EXPECT_EQ("Next", TabText(view, 0));

  // The window closes while a second connect waits, an event received for it.
  SelectBrowser("b1", nullptr, false);
  ASSERT_TRUE(WaitUnpumpedForSinks("b1", 2));
  m_sim.SendUnpumped("title b1 Queued");
  m_host.host.DestroyWindow();
  testsupport::PumpUntil([] { return false; }, 100);
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
  EXPECT_EQ("0", Sinks("b1"));
}

// A browser that refuses the advise and then stops answering leaves its tab unconnected and
// spoils no later connect: a healthy browser chosen next is connected at once.
TEST_F(ViewTabsTest, ABrowserThatRefusesAndHangsSpoilsNoLaterConnect) {
  COrmixView* view = m_host.view;
  Ok("open bad title=Bad advise=refuse-hang:120000 thread=own");
  Ok("open good title=Good");
  MessageBoxRecorder boxes;
  SelectBrowser("bad");
  SelectBrowser("good");
  ASSERT_EQ(2, view->GetTabCount());
  EXPECT_FALSE(List(view, 0)->IsAdvised());
  CEventListCtrl* good = List(view, 1);
  ASSERT_TRUE(good->IsAdvised());
  EXPECT_EQ("イベントの記録を開始しました。", good->GetItemText(0, 3));
  EXPECT_EQ("Good", TabText(view, 1));
  EXPECT_TRUE(boxes.Boxes().empty());
  Ok("unhang bad");
}

// The main window closes while the dialog waits for the chosen browser to be looked up: the
// wait ends with it, no tab is opened on a view that has gone, and once the browser answers
// again it keeps no reference (the fixture counts them).
TEST_F(ViewTabsTest, ClosingTheWindowWhileTheChosenBrowserIsLookedUpOpensNothing) {
  Ok("open b1 title=Slow");
  static HWND closing;
  closing = m_host.host.m_hWnd;
  const LongerBrowserAnswerWait longer(kLongAnswerWaitMs);
  DWORD start = 0;
  SelectBrowser("b1", [&](CSelectBrowserDlg&) {
    Ok("hang b1 120000 call=1");  // the lookup's first call; ended below
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      DestroyWindow(closing);
    });
    start = GetTickCount();
  });
  EXPECT_FALSE(IsWindow(closing));
  // Not held for the rest of the lookup's own limit once the window has gone.
  EXPECT_LT(GetTickCount() - start, kLongAnswerWaitMs / 2);
  EXPECT_GT(CBoundedWorkBase::Outstanding(), 0) << "the browser answered meanwhile: nothing was tested";
  Ok("unhang b1");
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(60000));
}

// Redraw switched back on shows a window: a log in a background tab must never have it
// switched off, and one switched away from in the middle of a burst must finish first.
TEST_F(ViewTabsTest, EventsInABackgroundTabNeverShowItsLog) {
  Ok("open b1 title=Back");
  Ok("open b2 title=Front");
  COrmixView* view = m_host.view;
  m_host.host.ShowWindow(SW_SHOWNA);
  SelectBrowser("b1");
  SelectBrowser("b2");
  static HWND watched;
  static int redrawMessages;
  watched = view->TabWindow(0)->m_hWnd;
  redrawMessages = 0;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, [](int code, WPARAM w, LPARAM l) -> LRESULT {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(l);
    if (code == HC_ACTION && msg->hwnd == watched && msg->message == WM_SETREDRAW) ++redrawMessages;
    return CallNextHookEx(nullptr, code, w, l);
  }, nullptr, GetCurrentThreadId());
  auto settled = [&] { return !List(view, 0)->Model().InBurst() && !List(view, 1)->Model().InBurst(); };

  Ok("repeat 20 status b1 background");
  ASSERT_TRUE(testsupport::PumpUntil(settled, 5000));
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(0, redrawMessages);
  EXPECT_FALSE(Shown(view->TabWindow(0)->m_hWnd));

  Ok("repeat 20 status b2 foreground");
  ASSERT_TRUE(List(view, 1)->Model().InBurst());
  view->ActivateTab(0);
  EXPECT_FALSE(List(view, 1)->Model().InBurst());  // finished before it was hidden
  ASSERT_TRUE(testsupport::PumpUntil(settled, 5000));
  EXPECT_FALSE(Shown(view->TabWindow(1)->m_hWnd));
  EXPECT_EQ(21, List(view, 1)->GetItemCount());  // the start row and 20 events
  m_host.host.ShowWindow(SW_HIDE);
}

// The strip repaints itself when a tab's label changes; a log's column header, which the
// log does not repaint with its new rows, keeps its texts on screen.
TEST_F(ViewTabsTest, ALogsColumnHeaderStaysDrawnWhenTheStripRepaints) {
  Ok("open b1 title=Before");
  COrmixView* view = m_host.view;
  m_host.host.ShowWindow(SW_SHOWNA);
  SelectBrowser("b1");
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !List(view, 0)->Model().InBurst(); }, 5000));
  Ok("title b1 \"A new title\"");
  ASSERT_TRUE(testsupport::PumpUntil([&] { return TabText(view, 0) == "A new title"; }, 5000));
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !List(view, 0)->Model().InBurst(); }, 5000));
  ::RedrawWindow(view->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  testsupport::PumpPendingMessages();
  // Text in the header: pixels far darker than its face colour.
  const HWND header = reinterpret_cast<HWND>(List(view, 0)->SendMessage(LVM_GETHEADER));
  RECT area = {};
  ::GetClientRect(header, &area);
  HDC dc = ::GetDC(header);
  int dark = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right && x < 300; ++x) {
      const COLORREF c = ::GetPixel(dc, x, y);
      if (c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ++dark;
    }
  ::ReleaseDC(header, dc);
  EXPECT_GT(dark, 20);
  m_host.host.ShowWindow(SW_HIDE);
}

namespace {

// The entries of a selection dialog's list: their texts and their windows.
std::vector<std::pair<std::string, HWND>> Entries(CSelectBrowserDlg& dialog) {
  std::vector<std::pair<std::string, HWND>> entries;
  const LRESULT count = dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    char text[2048] = "";
    dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.emplace_back(text, reinterpret_cast<HWND>(dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETITEMDATA,
                                                                                static_cast<WPARAM>(i))));
  }
  return entries;
}

}  // namespace

// Browser controls embedded in host programs, beside a browser of the shell's window list:
// the embedded-browser command lists only the controls, named by host, caption and title, and
// the chosen one gets a tab like any other. A host that hangs or ends meanwhile is left out
// while the dialog stays usable.
TEST_F(ViewTabsTest, EmbeddedBrowsersAreListedByTheirHostsAndWatchedInTabsOfTheirOwn) {
  Ok("open b1 title=Shell url=http://shell.example/");
  Ok("host h2 caption=Installer title=Setup url=http://setup.example/");
  SimulatorProcess hostProcess;
  hostProcess.HostOnly();
  ASSERT_TRUE(hostProcess.Start()) << hostProcess.Problem();
  auto hostOk = [&](const std::string& command) {
    const std::string reply = hostProcess.Send(command);
    EXPECT_EQ(0u, reply.rfind("OK", 0)) << command << " -> " << reply;
    return reply;
  };
  hostOk("host h1 caption=\"Help Viewer\" title=\"Help topic\" url=http://help.example/topic");
  const HWND help = SimulatorProcess::Windows(hostOk("window h1"), "servers").at(0);
  const HWND setup = SimulatorProcess::Windows(Ok("window h2"), "servers").at(0);
  const std::string helpRefs = hostOk("refs h1");
  COrmixView* view = m_host.view;
  MessageBoxRecorder boxes;

  // Runs the command; `steps` sees the dialog once its listing has ended.
  bool listedWhileShown = false;
  auto choose = [&](const std::function<void(CSelectBrowserDlg&)>& steps) {
    CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& running) {
      auto& dialog = static_cast<CSelectBrowserDlg&>(running);
      EXPECT_EQ(static_cast<UINT>(IDD_SELECT_EMBEDDED_BROWSER), dialog.GetTemplateId());
      listedWhileShown = dialog.IsListing();  // the dialog shows before the walk ends
      ASSERT_TRUE(testsupport::WaitForListing(dialog));
      steps(dialog);
    });
    RouteCommand(view, ID_SELECT_EMBEDDED_BROWSER);
    CDialog::SetModalHook(previous);
    testsupport::WaitForConnects(*view);
  };
  auto pick = [](CSelectBrowserDlg& dialog, HWND server) {
    testsupport::SelectListedWindow(dialog, server);
    ClickButton(dialog, IDOK);
    testsupport::WaitForLookup(dialog);
  };

  // Only the two controls are listed, each named by its host; OK opens a recording tab.
  EXPECT_TRUE(Enabled(ID_SELECT_EMBEDDED_BROWSER));
  choose([&](CSelectBrowserDlg& dialog) {
    auto entries = Entries(dialog);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ((std::vector<std::pair<std::string, HWND>>{{"ormix-sim-host.exe | Help Viewer | Help topic", help},
                                                         {"ormix-sim.exe | Installer | Setup", setup}}),
              entries);
    EXPECT_FALSE(Shown(::GetDlgItem(dialog.m_hWnd, IDC_LISTING_STATUS)));  // nobody kept it waiting
    dialog.SendDlgItemMessage(IDC_FIRST_EVENT_CHECK, BM_SETCHECK, BST_UNCHECKED);  // StatusTextChange
    pick(dialog, help);
  });
  EXPECT_TRUE(listedWhileShown);
  ASSERT_EQ(1, view->GetTabCount());
  CEventListCtrl* list = List(view, 0);
  EXPECT_EQ("Help topic", TabText(view, 0));
  EXPECT_EQ(0, list->Get(0));  // the dialog's mask
  ASSERT_EQ(1, list->GetItemCount());
  EXPECT_EQ("sinks=1", hostOk("sinks h1").substr(3));

  // Its events are recorded; stop, resume and close work as in any tab.
  hostOk("title h1 Next");
  EXPECT_EQ("Next", TabText(view, 0));
  hostOk("status h1 masked");
  RouteCommand(view, ID_RECORD_STOP);
  EXPECT_FALSE(Enabled(ID_RECORD_STOP));
  hostOk("progress h1 1 10");
  RouteCommand(view, ID_RECORD_RESUME);
  hostOk("progress h1 5 10");
  RouteCommand(view, ID_RECORD_STOP);
  std::vector<std::string> rows;  // names and parameters (saving the same rows: eventlog_tests)
  for (int i = 0; i < list->GetItemCount(); ++i) rows.push_back(list->GetItemText(i, 2) + "," + list->GetItemText(i, 3));
  EXPECT_EQ((std::vector<std::string>{",イベントの記録を開始しました。", "DIID_DWebBrowserEvents2::TitleChange,Text:Next",
                                      ",イベントの記録を停止しました。", ",イベントの記録を再開しました。",
                                      "DIID_DWebBrowserEvents2::ProgressChange,Progress:5  ProgressMax:10",
                                      ",イベントの記録を停止しました。"}),
            rows);
  RouteCommand(view, ID_TAB_CLOSE_BUTTON);
  EXPECT_EQ(0, view->GetTabCount());
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kReleaseWaitMs));
  EXPECT_EQ("sinks=0", hostOk("sinks h1").substr(3));
  EXPECT_EQ(helpRefs, hostOk("refs h1"));

  // A control whose host went after the listing is refused at OK, as a vanished browser is.
  choose([&](CSelectBrowserDlg& dialog) {
    Ok("close h2");
    pick(dialog, setup);
    EXPECT_EQ(1u, Entries(dialog).size());
    ClickButton(dialog, IDCANCEL);
  });
  ASSERT_EQ(1u, boxes.Boxes().size());
  EXPECT_EQ("指定されたInternet Explorerは見つかりません。", boxes.Boxes()[0].text);
  Ok("host h2 caption=Installer title=Setup url=http://setup.example/");
  const HWND setupAgain = SimulatorProcess::Windows(Ok("window h2"), "servers").at(0);

  // OK on a control whose host stopped answering after the listing is refused once the
  // document request's time is up, saying that it did not answer; its entry stays.
  choose([&](CSelectBrowserDlg& dialog) {
    hostOk("hang h1 120000");
    pick(dialog, help);
    EXPECT_EQ(2u, Entries(dialog).size());
    ClickButton(dialog, IDCANCEL);
  });
  hostOk("unhang h1");
  ASSERT_EQ(2u, boxes.Boxes().size());
  EXPECT_EQ("Internet Explorerが応答しなかったため、接続できませんでした。", boxes.Boxes()[1].text);
  EXPECT_EQ(0, view->GetTabCount());

  // A host that stops answering, then one that ends, while the walk runs: the other host is
  // listed, the dialog shows at once and stays usable.
  for (const char* command : {"hang h1 120000", "hang h1 500 exit=1"}) {
    SCOPED_TRACE(command);
    hostOk(command);
    choose([&](CSelectBrowserDlg& dialog) {
      EXPECT_EQ((std::vector<std::pair<std::string, HWND>>{{"ormix-sim.exe | Installer | Setup", setupAgain}}),
                Entries(dialog));
      ClickButton(dialog, IDCANCEL);
    });
    EXPECT_TRUE(listedWhileShown);
    EXPECT_EQ(0, view->GetTabCount());
    if (std::string(command).find("exit=1") == std::string::npos) hostOk("unhang h1");
  }
  const HANDLE ended = hostProcess.Process();
  EXPECT_EQ(WAIT_OBJECT_0, testsupport::WaitPumping(&ended, 1, 10000));
}

// The toolkit's tab view on its own: labels too wide for the strip are shortened only
// while shortening is on, and indexes out of range change nothing.
TEST(TabViewTest, ShortensLabelsOnlyWhileAskedAndIgnoresIndexesOutOfRange) {
  const TabViewInHost tabs(200, 200, 2);
  CTabView* view = tabs.view;
  CWnd* pages = tabs.pages.get();
  const std::string longLabel(8, 'W');  // wider than half the strip, within a label's limit
  EXPECT_EQ(0, view->InsertTab(longLabel.c_str(), &pages[0]));
  EXPECT_EQ(0, view->InsertTab("B", &pages[1], 0));  // before the first
  EXPECT_EQ(view->m_hWnd, ::GetParent(pages[0].m_hWnd));
  const std::string shortened = TabText(view, 1);
  EXPECT_LT(shortened.size(), longLabel.size());
  EXPECT_EQ("...", shortened.substr(shortened.size() - 3));
  view->SetShortenLabels(FALSE);
  EXPECT_EQ(longLabel, TabText(view, 1));
  view->SetShortenLabels(TRUE);
  EXPECT_EQ(shortened, TabText(view, 1));

  view->RemoveTabAt(5, TRUE);
  view->ActivateTab(-1);
  EXPECT_EQ(2, view->GetTabCount());
  EXPECT_EQ(nullptr, view->TabWindow(2));
  EXPECT_EQ(-1, view->TabFromPoint(290, 190));
}

// An overflowing strip: its own scroll arrows stay clear of the close button, scroll the
// strip (and the tabs' tool tips) as far as the last tab, and a selected tab comes into view
// in full. The close button lights up under the pointer, has a tool tip, and goes plain
// again when the pointer leaves.
TEST(TabViewTest, ScrollArrowsStayClearOfTheCloseButtonAndScrollTheStripAndItsToolTips) {
  const TabViewInHost tabs(400, 200, 12, true);
  CTabView* view = tabs.view;
  view->SetCloseButtonTip(IDS_TAB_CLOSE_TIP);
  for (int i = 0; i < 12; ++i) view->InsertTab(("Page " + std::to_string(i)).c_str(), &tabs.pages[i]);
  view->ActivateTab(0);
  testsupport::PumpPendingMessages();
  const HWND arrows = FindWindowExA(view->m_hWnd, nullptr, UPDOWN_CLASSA, nullptr);
  ASSERT_TRUE(arrows && IsWindowVisible(arrows));
  const HWND close = view->GetCloseButton();
  const RECT arrowRect = RectIn(view->m_hWnd, arrows);
  const RECT closeRect = RectIn(view->m_hWnd, close);
  EXPECT_LE(arrowRect.right, closeRect.left);

  // What a click on the right arrow hits is the arrow.
  const POINT rightArrow = {arrowRect.right - arrowRect.left - 4, (arrowRect.bottom - arrowRect.top) / 2};
  POINT screen = rightArrow;
  ClientToScreen(arrows, &screen);
  EXPECT_EQ(arrows, WindowFromPoint(screen));
  auto scrollToStart = [&] {
    for (int i = 0; i < 12; ++i) Click(arrows, POINT{4, rightArrow.y});
  };

  // Each click scrolls by one tab and closes nothing; the tool tips follow the tabs.
  auto expectToolsOnTabs = [&](const char* when) {
    for (int i = 0; i < 12; ++i) {
      RECT visible = ItemRect(view, i);
      RECT strip = {0, visible.top, arrowRect.left, visible.bottom};
      if (!IntersectRect(&visible, &visible, &strip)) visible = RECT{};
      const RECT tool = ToolRect(view, i);
      EXPECT_TRUE(EqualRect(&visible, &tool) || (IsRectEmpty(&visible) && IsRectEmpty(&tool)))
          << when << ", tab " << i;
    }
  };
  const LONG firstLeft = ItemRect(view, 1).left;
  Click(arrows, rightArrow);
  EXPECT_EQ(12, view->GetTabCount());
  EXPECT_EQ(firstLeft, ItemRect(view, 2).left);  // the strip moved by one tab
  EXPECT_EQ(0, view->GetActiveTab());
  expectToolsOnTabs("after one click");

  // At the end of its travel the last tab shows in full, left of the arrows.
  for (int i = 0; i < 12; ++i) Click(arrows, rightArrow);
  EXPECT_LE(ItemRect(view, 11).right, arrowRect.left);
  EXPECT_GT(ItemRect(view, 11).left, 0);
  expectToolsOnTabs("at the end");

  // Back at the start, selecting the last tab brings it into view in full.
  scrollToStart();
  EXPECT_EQ(firstLeft, ItemRect(view, 1).left);
  view->ActivateTab(11);
  EXPECT_LE(ItemRect(view, 11).right, arrowRect.left);
  EXPECT_GE(ItemRect(view, 11).left, 0);
  expectToolsOnTabs("after selecting the last tab");

  // The close button under the pointer looks different, and shows its tip. The pointer is put
  // there as a user moves it, one move: no second move may make up for a first that did not
  // ask to be told when the pointer leaves.
  testsupport::PumpPendingMessages();
  const std::vector<COLORREF> cold = Pixels(close);
  POINT centre = {(closeRect.right - closeRect.left) / 2, (closeRect.bottom - closeRect.top) / 2};
  screen = centre;
  ClientToScreen(close, &screen);
  SetCursorPos(screen.x, screen.y);
  const auto* button = dynamic_cast<CTabCloseButton*>(CWnd::FromHandlePermanent(close));
  ASSERT_NE(nullptr, button);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return Pixels(close) != cold; }, 5000));
  EXPECT_TRUE(button->IsHot());
  char tip[80] = "";
  TOOLINFOA tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = view->m_hWnd;
  tool.uId = reinterpret_cast<UINT_PTR>(close);
  tool.lpszText = tip;
  SendMessageA(view->GetToolTips(), TTM_GETTEXTA, sizeof(tip), reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ("タブを閉じる", tip);
  // Once the pointer has left, the button is plain again.
  SetCursorPos(0, 0);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !button->IsHot() && Pixels(close) == cold; }, 3000));

  // A tab whose right end is just under the arrows, where the control itself (which places
  // its arrows at its right end, over the close button) sees no need to scroll, comes into
  // view in full when selected as well.
  scrollToStart();
  RECT client = {};
  view->GetClientRect(&client);
  const LONG arrowsAndButton = client.right - RectIn(view->m_hWnd, arrows).left;
  view->MoveWindow(0, 0, ItemRect(view, 5).right + arrowsAndButton - 10, 200);
  scrollToStart();
  ASSERT_GT(ItemRect(view, 5).right, RectIn(view->m_hWnd, arrows).left);
  view->ActivateTab(5);
  EXPECT_LE(ItemRect(view, 5).right, RectIn(view->m_hWnd, arrows).left);
}

// The arrows keep scrolling the strip both ways after every change of the tabs' widths, made
// while the strip is scrolled to its end with the last tab selected.
TEST(TabViewTest, ScrollArrowsKeepWorkingAcrossWidthChanges) {
  const TabViewInHost tabs(400, 200, 10, true);
  CTabView* view = tabs.view;
  for (int i = 0; i < 10; ++i)
    view->InsertTab(i == 3 ? "A page with a longer title" : ("Page " + std::to_string(i)).c_str(), &tabs.pages[i]);
  view->ActivateTab(0);
  testsupport::PumpPendingMessages();
  for (int change = 0; change < 4; ++change) {
    SCOPED_TRACE(change);
    const HWND arrows = FindWindowExA(view->m_hWnd, nullptr, UPDOWN_CLASSA, nullptr);
    ASSERT_TRUE(arrows && IsWindowVisible(arrows));
    const RECT arrowRect = RectIn(view->m_hWnd, arrows);
    const POINT right = {arrowRect.right - arrowRect.left - 4, (arrowRect.bottom - arrowRect.top) / 2};
    const POINT left = {4, right.y};
    for (int i = 0; i < 12; ++i) Click(arrows, right);
    view->ActivateTab(9);
    const bool equal = change % 2 == 0;
    view->ChangeTabStyle(equal ? 0 : TCS_FIXEDWIDTH, equal ? TCS_FIXEDWIDTH : 0);
    testsupport::PumpPendingMessages();
    const HWND arrowsNow = FindWindowExA(view->m_hWnd, nullptr, UPDOWN_CLASSA, nullptr);
    ASSERT_TRUE(arrowsNow && IsWindowVisible(arrowsNow));
    Click(arrowsNow, left);
    Click(arrowsNow, left);
    const LONG scrolledBack = ItemRect(view, 9).left;
    Click(arrowsNow, right);
    EXPECT_LT(ItemRect(view, 9).left, scrolledBack) << "the right arrow scrolls";
    for (int i = 0; i < 12; ++i) Click(arrowsNow, left);
    const RECT first = ItemRect(view, 0);
    EXPECT_FALSE(IsRectEmpty(&first)) << "back at the start, the first tab shows";
  }
}

// A title as long as a tab item holds is cut to a width several tabs share, on a character
// boundary, with equal widths on and off; its tool tip keeps the whole title.
TEST(TabViewTest, ALongTitleLeavesRoomForSeveralTabs) {
  const TabViewInHost tabs(780, 460, 4);
  CTabView* view = tabs.view;
  CWnd* pages = tabs.pages.get();
  view->SetShortenLabels(FALSE);
  std::string title = "x";
  for (int i = 0; i < 127; ++i) title += "表";
  ASSERT_EQ(255u, title.size());
  for (int i = 0; i < 4; ++i) view->InsertTab(i == 1 ? title.c_str() : "Tab", &pages[i]);
  view->ActivateTab(0);
  for (bool equal : {true, false}) {
    SCOPED_TRACE(equal ? "equal widths" : "widths of their own");
    view->ChangeTabStyle(equal ? 0 : TCS_FIXEDWIDTH, equal ? TCS_FIXEDWIDTH : 0);
    const std::string shown = TabText(view, 1);
    ASSERT_GT(shown.size(), 4u);
    EXPECT_EQ("...", shown.substr(shown.size() - 3));
    EXPECT_EQ(1u, (shown.size() - 3) % 2);  // "x" and whole two-byte characters
    EXPECT_EQ(title.substr(0, shown.size() - 3), shown.substr(0, shown.size() - 3));
    EXPECT_EQ(title, view->TabToolTip(1));
    const HWND arrows = FindWindowExA(view->m_hWnd, nullptr, UPDOWN_CLASSA, nullptr);
    EXPECT_FALSE(arrows && IsWindowVisible(arrows));
    EXPECT_LE(ItemRect(view, 3).right, RectIn(view->m_hWnd, view->GetCloseButton()).left);
  }
  // Titles past what a tab item holds: the tip keeps each whole, and wraps within the screen.
  std::string japanese;
  for (int i = 0; i < 146; ++i) japanese += "長";
  const std::string titles[] = {std::string(270, 'a') + " the end", japanese};
  ASSERT_EQ(278u, titles[0].size());
  ASSERT_EQ(292u, titles[1].size());
  for (const std::string& longer : titles) {
    view->SetTabLabelFor(&pages[2], longer.c_str());
    EXPECT_EQ(longer, view->TabToolTip(2));
    EXPECT_LT(TabText(view, 2).size(), 256u);
  }
  const LRESULT tipWidth = SendMessageA(view->GetToolTips(), TTM_GETMAXTIPWIDTH, 0, 0);
  EXPECT_GT(tipWidth, 0);
  EXPECT_LT(tipWidth, GetSystemMetrics(SM_CXSCREEN));
}

namespace {

std::string TempFile(const char* name) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + name;
}

// The name of the one file of `names` whose name ends with `ending`; empty when none does.
std::string Ending(const std::vector<std::string>& names, const std::string& ending) {
  for (const std::string& name : names)
    if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
      return name;
  return "";
}

}  // namespace

// Every tab writes its rows, as they arrive, into a file of its own named from its opening
// time and title, with exactly the bytes a save of the same rows writes, plain or CSV; the
// status bar names the selected tab's file.
TEST_F(ViewTabsTest, JournalsWriteEachTabsRowsAsTheyArriveWithTheBytesOfASave) {
  TempFolder plain("ormix-journal-plain-"), csv("ormix-journal-csv-");
  COrmixView* view = m_host.view;
  view->UseJournalFolderForThisRun(plain.path);
  Ok("open b1 title=\"A/B\"");
  Ok("open b2 title=Second");
  SelectBrowser("b1");
  SelectBrowser("b2");
  ASSERT_TRUE(PumpUntil([&] { return plain.Files().size() == 2; }, 30000));
  const std::string first = Ending(plain.Files(), " A_B.txt");
  const std::string second = Ending(plain.Files(), " Second.txt");
  ASSERT_EQ(15 + 8u, first.size());  // "YYYYMMDD-HHMMSS A_B.txt"
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(plain.path + "\\" + first, List(view, 0)->Model().JournalPath());
  EXPECT_EQ("ジャーナル: " + second, QueryCommandState(view, AFX_IDS_IDLEMESSAGE).m_strText);

  Ok("status b1 \"one,two\"");
  // The row reaches the file with nothing asking the journal to finish.
  EXPECT_TRUE(PumpUntil([&] { return plain.Read(first).find("Text:one,two\r\n") != std::string::npos; }, 30000));
  Ok("title b2 \"新しい題\"");
  view->FinishJournals();
  const std::string saved = TempFile("ormix-journal-saved.txt");
  EXPECT_EQ(Saved(List(view, 0), saved), plain.Read(first));
  EXPECT_EQ(Saved(List(view, 1), saved), plain.Read(second));

  // A journal begun on an open log writes its rows so far first, here as CSV.
  RouteCommand(view, ID_VIEW_SAVE_CSV);
  view->UseJournalFolderForThisRun(csv.path);
  Ok("status b1 \"say \\\"hi\\\"\"");
  view->FinishJournals();
  const std::string csvFirst = Ending(csv.Files(), " A_B.csv");
  ASSERT_FALSE(csvFirst.empty());
  EXPECT_EQ(Saved(List(view, 0), saved), csv.Read(csvFirst));
  EXPECT_NE(std::string::npos, csv.Read(csvFirst).find("\"Text:one,two\"\r\n"));
  EXPECT_FALSE(view->JournalFailed());
  // An empty folder ends the journals: their files are closed.
  view->UseJournalFolderForThisRun("");
  EXPECT_EQ("", List(view, 0)->Model().JournalPath());
}

// The File menu saves the active tab's log as a trace, in a .json file the user names, its
// process named after the tab; the command is enabled once the active log has rows.
TEST_F(ViewTabsTest, TheActiveLogIsSavedAsATraceFromTheFileMenu) {
  COrmixView* view = m_host.view;
  EXPECT_FALSE(Enabled(ID_FILE_SAVE_TRACE));
  Ok(u8"open b1 title=\"トレース元\"");  // the simulator reads UTF-8
  SelectBrowser("b1");
  EXPECT_TRUE(Enabled(ID_FILE_SAVE_TRACE));
  Ok(u8"navigate b1 http://trace.example/a.html title=トレース元");
  ASSERT_TRUE(PumpUntil([&] { return List(view, 0)->Model().Navigations().NavigationCount() == 1; }, 30000));
  const std::string path = TempFile("ormix-trace.json");
  std::vector<std::string> seen;
  CFileDialog::RunHook previous = CFileDialog::SetRunHook([&](CFileDialog& d) -> INT_PTR {
    seen = {d.m_ofn.lpstrDefExt ? d.m_ofn.lpstrDefExt : "", d.GetFilterBuffer()};
    lstrcpynA(d.m_ofn.lpstrFile, path.c_str(), static_cast<int>(d.m_ofn.nMaxFile));
    return IDOK;
  });
  RouteCommand(view, ID_FILE_SAVE_TRACE);
  CFileDialog::SetRunHook(previous);
  const char filter[] = "トレース (*.json)\0*.json\0\0\0";
  EXPECT_EQ((std::vector<std::string>{"json", std::string(filter, sizeof(filter) - 1)}), seen);
  const nlohmann::json trace = nlohmann::json::parse(testsupport::FileBytes(path));
  ::DeleteFileA(path.c_str());
  std::vector<std::string> named;
  for (const nlohmann::json& event : trace.at("traceEvents"))
    if (event.at("name") == "process_name" || event.at("ph") == "X")
      named.push_back(event.at("ph") == "X" ? event.at("name") : event.at("args").at("name"));
  EXPECT_EQ((std::vector<std::string>{u8"トレース元", "http://trace.example/a.html", "NavigateComplete2"}), named);
}

// Events received but not yet delivered when the journals end reach them first: at the
// session's end and when the window is destroyed.
TEST_F(ViewTabsTest, EventsStillQueuedReachTheJournalBeforeItEnds) {
  TempFolder ended("ormix-journal-ended-"), destroyed("ormix-journal-destroyed-");
  COrmixView* view = m_host.view;
  view->UseJournalFolderForThisRun(ended.path);
  Ok("open b1 title=Queued");
  SelectBrowser("b1");
  ASSERT_TRUE(List(view, 0)->IsAdvised());
  m_sim.SendUnpumped("status b1 before-the-end");  // received; nothing pumped since
  view->EndJournals();
  ASSERT_EQ(1u, ended.Files().size());
  EXPECT_NE(std::string::npos, ended.Read(ended.Files()[0]).find("Text:before-the-end"));

  view->UseJournalFolderForThisRun(destroyed.path);
  m_sim.SendUnpumped("status b1 before-destruction");
  m_host.host.DestroyWindow();
  ASSERT_EQ(1u, destroyed.Files().size());
  EXPECT_NE(std::string::npos, destroyed.Read(destroyed.Files()[0]).find("Text:before-destruction"));
}

// A folder that cannot be written: one message row, and the log goes on in memory; once the
// folder can be written, applying it again journals the whole log into a new file.
TEST_F(ViewTabsTest, AJournalThatCannotBeWrittenSaysSoOnceAndRecordingGoesOn) {
  COrmixView* view = m_host.view;
  TempFolder parent("ormix-journal-parent-");
  // A plain file where the folder's parent would be: no folder can be made there.
  const std::string below = parent.path + "\\below", folder = below + "\\journal";
  CloseHandle(CreateFileA(below.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  view->UseJournalFolderForThisRun(folder);
  Ok("open b1 title=A");
  SelectBrowser("b1");
  CEventListCtrl* list = List(view, 0);
  EXPECT_TRUE(PumpUntil([&] { return view->JournalFailed(); }, 30000));
  Ok("status b1 more");
  Ok("status b1 more");
  auto rowsHolding = [&](const char* text) {
    int count = 0;
    for (int item = 0; item < list->GetItemCount(); ++item)
      if (list->GetItemText(item, 3).find(text) != std::string::npos) ++count;
    return count;
  };
  EXPECT_TRUE(PumpUntil([&] { return rowsHolding("ジャーナル") > 0; }, 30000));
  EXPECT_EQ(1, rowsHolding("ジャーナル"));
  EXPECT_EQ(2, rowsHolding("Text:more"));
  EXPECT_TRUE(list->Model().HasUnkeptRows());

  ASSERT_TRUE(DeleteFileA(below.c_str()));
  view->UseJournalFolderForThisRun(folder);
  view->FinishJournals();
  EXPECT_FALSE(list->Model().JournalFailed());
  EXPECT_TRUE(view->JournalFailed());  // for the whole run
  const std::string path = list->Model().JournalPath();
  view->UseJournalFolderForThisRun("");
  EXPECT_EQ(Saved(list, TempFile("ormix-journal-saved.txt")), testsupport::FileBytes(path));
  DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());
  RemoveDirectoryA(below.c_str());
}

// The icon that tab `index` shows.
int TabImage(COrmixView* view, int index) {
  TCITEMA item = {};
  item.mask = TCIF_IMAGE;
  view->SendMessage(TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

// A tab whose journal writes shows the journal mark, and its tool tip names the journal's
// file on a line of its own; both go when the journal stops or fails.
TEST_F(ViewTabsTest, AJournaledTabShowsItsMarkAndItsFileInTheToolTip) {
  COrmixView* view = m_host.view;
  TempFolder folder("ormix-journal-mark-");
  Ok("open b1 title=A");
  SelectBrowser("b1");
  EXPECT_EQ(COrmixView::kTabImage, TabImage(view, 0));
  EXPECT_EQ("A", ToolTipText(view, 0));
  view->UseJournalFolderForThisRun(folder.path);
  SelectBrowser("b1");  // a tab opened while journaling
  view->FinishJournals();
  ASSERT_EQ(2u, folder.Files().size());
  for (int tab = 0; tab < 2; ++tab) {
    const std::string path = List(view, tab)->Model().JournalPath();
    EXPECT_EQ(0u, path.rfind(folder.path + "\\", 0)) << path;
    EXPECT_EQ(COrmixView::kJournaledTabImage, TabImage(view, tab));
    EXPECT_EQ("A\r\nジャーナル: " + path, ToolTipText(view, tab));
  }
  view->UseJournalFolderForThisRun("");
  EXPECT_EQ(COrmixView::kTabImage, TabImage(view, 0));
  EXPECT_EQ("A", ToolTipText(view, 0));

  // A plain file where the folder's parent would be: the journals fail once they try.
  const std::string below = folder.path + "\\below";
  CloseHandle(CreateFileA(below.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  view->UseJournalFolderForThisRun(below + "\\journal");
  CEventListCtrl* list = List(view, 0);
  EXPECT_TRUE(PumpUntil(  // once the log has said so
      [&] { return list->GetItemText(list->GetItemCount() - 1, 3).find("ジャーナル") != std::string::npos; },
      30000));
  EXPECT_EQ(COrmixView::kTabImage, TabImage(view, 0));
  EXPECT_EQ("A", ToolTipText(view, 0));
  view->UseJournalFolderForThisRun("");
}

// With the question on, clearing, closing a tab and exiting ask about rows neither saved nor
// journaled: Cancel keeps everything, No discards, Yes saves; exiting asks once for all tabs.
// Off, or with the rows journaled, nothing is asked.
TEST_F(ViewTabsTest, AskingBeforeALogIsThrownAway) {
  MessageBoxRecorder boxes;
  COrmixView* view = m_host.view;
  Ok("open b1 title=A");
  SelectBrowser("b1");
  SelectBrowser("b1");
  Ok("status b1 kept");
  RouteCommand(view, ID_LOG_CLEAR);  // off: cleared without a question
  EXPECT_EQ(1, List(view, 1)->GetItemCount());
  EXPECT_TRUE(view->ConfirmDiscardAll());
  EXPECT_TRUE(boxes.Boxes().empty());

  RouteCommand(view, ID_VIEW_ASK_BEFORE_DISCARD);
  Ok("status b1 again");
  boxes.SetAnswer(IDCANCEL);
  RouteCommand(view, ID_LOG_CLEAR);
  RouteCommand(view, ID_TAB_CLOSE_BUTTON);
  EXPECT_FALSE(view->ConfirmDiscardAll());
  ASSERT_EQ(3u, boxes.Boxes().size());
  EXPECT_EQ(static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION), boxes.Boxes()[0].type);
  EXPECT_NE(std::string::npos, boxes.Boxes()[2].text.find("2 個"));
  EXPECT_EQ(2, view->GetTabCount());
  EXPECT_EQ(2, List(view, 1)->GetItemCount());

  boxes.SetAnswer(IDNO);
  RouteCommand(view, ID_LOG_CLEAR);
  EXPECT_EQ(1, List(view, 1)->GetItemCount());
  EXPECT_EQ(4u, boxes.Boxes().size());

  // Yes at exit saves each log that needs it; a log saved since asks nothing more.
  const std::string path = TempFile("ormix-asked-save.log");
  DeleteFileA(path.c_str());
  CFileDialog::RunHook previous = CFileDialog::SetRunHook([&](CFileDialog& d) {
    lstrcpynA(d.m_ofn.lpstrFile, path.c_str(), static_cast<int>(d.m_ofn.nMaxFile));
    return IDOK;
  });
  boxes.SetAnswer(IDYES);
  EXPECT_TRUE(view->ConfirmDiscardAll());
  CFileDialog::SetRunHook(previous);
  EXPECT_EQ(5u, boxes.Boxes().size());
  EXPECT_NE(std::string::npos, boxes.Boxes()[4].text.find("1 個"));
  EXPECT_TRUE(view->ConfirmDiscardAll());
  EXPECT_EQ(5u, boxes.Boxes().size());
  const std::string savedBytes = testsupport::FileBytes(path);
  DeleteFileA(path.c_str());
  EXPECT_NE(std::string::npos, savedBytes.find("Text:again"));

  // No on closing a tab closes it.
  Ok("status b1 closing");
  boxes.SetAnswer(IDNO);
  RouteCommand(view, ID_TAB_CLOSE_BUTTON);
  EXPECT_EQ(1, view->GetTabCount());
  EXPECT_EQ(6u, boxes.Boxes().size());

  // Journaled rows are kept: nothing is asked.
  TempFolder journal("ormix-journal-asked-");
  view->UseJournalFolderForThisRun(journal.path);
  Ok("status b1 journaled");
  RouteCommand(view, ID_LOG_CLEAR);
  EXPECT_TRUE(view->ConfirmDiscardAll());
  EXPECT_EQ(6u, boxes.Boxes().size());
  view->UseJournalFolderForThisRun("");
}

// The journal dialog stores its setting and starts or ends the journals of the open tabs; a
// folder for this run alone stores nothing.
TEST_F(ViewTabsTest, TheJournalDialogStoresTheSettingAndAppliesItToOpenTabs) {
  TempFolder folder("ormix-journal-dialog-");
  COrmixView* view = m_host.view;
  Ok("open b1 title=A");
  SelectBrowser("b1");
  EXPECT_EQ(0, QueryCommandState(view, ID_VIEW_JOURNAL).m_nCheck);
  auto runDialog = [&](bool on, const std::string& path) {
    CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
      dialog.SendDlgItemMessage(IDC_JOURNAL_ON, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED);
      SetDlgItemTextA(dialog.m_hWnd, IDC_JOURNAL_FOLDER, path.c_str());
      ClickButton(dialog, IDOK);
    });
    RouteCommand(view, ID_VIEW_JOURNAL);
    CDialog::SetModalHook(previous);
  };
  runDialog(true, folder.path);
  EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), GetValue("JournalOn"));
  const std::vector<BYTE> stored = GetValue("JournalFolder");
  EXPECT_EQ(folder.path, std::string(stored.begin(), stored.end()).c_str());
  EXPECT_EQ(1, QueryCommandState(view, ID_VIEW_JOURNAL).m_nCheck);
  EXPECT_EQ(0u, List(view, 0)->Model().JournalPath().rfind(folder.path + "\\", 0));
  SelectBrowser("b1");
  EXPECT_EQ(0u, List(view, 1)->Model().JournalPath().rfind(folder.path + "\\", 0));
  runDialog(false, folder.path);
  EXPECT_EQ((std::vector<BYTE>{0, 0, 0, 0}), GetValue("JournalOn"));
  EXPECT_EQ("", List(view, 0)->Model().JournalPath());
  EXPECT_EQ("", List(view, 1)->Model().JournalPath());

  ClearSettings();
  appvalues::CreateKeys();
  ViewInHost other;
  other.view->UseJournalFolderForThisRun(folder.path);
  EXPECT_TRUE(GetValue("JournalOn").empty());
  EXPECT_TRUE(GetValue("JournalFolder").empty());
}
