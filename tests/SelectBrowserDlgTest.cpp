// The selection dialog run modally and driven from inside its modal loop: check boxes and
// the mask, the refusals of OK with their messages, select all, clear all and cancel.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/SelectBrowserDlg.h"
#include "browser/SelectEmbeddedBrowserDlg.h"
#include "events/EventCatalog.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/ListingWait.h"
#include "support/MessageBoxRecorder.h"

using testsupport::ClickButton;
using testsupport::RunModal;
using testsupport::WaitForListing;

namespace {

const char kSelectBrowser[] = "イベントを記録するInternet Explorerを選択してください。";
const char kNoEvent[] = "記録するイベントが選択されていません。";
const char kNotFound[] = "指定されたInternet Explorerは見つかりません。";

int CheckedBoxes(CDialog& dialog) {
  int checked = 0;
  for (const EventInfo& e : kEventCatalog)
    if (dialog.SendDlgItemMessage(e.checkBoxId, BM_GETCHECK) == BST_CHECKED) ++checked;
  return checked;
}

// A list entry standing for a browser window that has been closed since the listing.
void AddVanishedEntry(CDialog& dialog, const char* text) {
  HWND gone = CreateWindowA("STATIC", text, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  const LRESULT index = dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  dialog.SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETITEMDATA, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(gone));
}

// The entries the test's own walk lists, and whether it could read the list to its end.
std::vector<BrowserListEntry> g_listed;
BOOL g_listRead = TRUE;

BOOL ListedWalk(const CBrowserListingWalk::EntryFound& found, const CBrowserListingWalk::StepDone&,
                const CBrowserListingWalk::StepFailed&) {
  for (size_t i = 0; i < g_listed.size(); ++i) found(static_cast<long>(i), g_listed[i]);
  return g_listRead;
}

// The selection dialog over the test's own walk.
class ListedBrowsersDlg : public CSelectBrowserDlg {
 public:
  ListedBrowsersDlg()
      : CSelectBrowserDlg(IDD_SELECT_BROWSER, &ListedWalk, &CSelectBrowserDlg::ResolveShellBrowser, nullptr) {}
};

// The status line under the list: its text, or "" while it is hidden.
std::string StatusLine(CDialog& dialog) {
  const HWND status = ::GetDlgItem(dialog.m_hWnd, IDC_LISTING_STATUS);
  if (!status || !(::GetWindowLongA(status, GWL_STYLE) & WS_VISIBLE)) return "";
  char text[512] = "";
  ::GetWindowTextA(status, text, sizeof text);
  return text;
}

}  // namespace

// The line under the list says why the list is empty (nothing running, or the list could not
// be read) in both dialogs, and, once the list is filled, which listed browsers a tab already
// watches; a selected watched browser gets its own note.
TEST(SelectBrowserDialog, TheLineUnderTheListSaysWhyItIsEmptyAndWhichAreWatched) {
  const struct {
    BOOL read;
    const char* said;
  } empty[] = {{TRUE, "起動中のInternet Explorerはありません。"}, {FALSE, "ウィンドウの一覧を読み取れませんでした。"}};
  g_listed.clear();
  for (const auto& c : empty) {
    g_listRead = c.read;
    ListedBrowsersDlg dialog;
    std::string said;
    RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
      ASSERT_TRUE(WaitForListing(d));
      said = StatusLine(d);
      ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(0u, said.find(c.said)) << said;
  }
  CSelectEmbeddedBrowserDlg embedded;
  std::string saidEmbedded;
  RunModal<CSelectBrowserDlg>(embedded, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    saidEmbedded = StatusLine(d);
    ClickButton(d, IDCANCEL);
  });
  EXPECT_EQ("ブラウザーを埋め込んだプログラムは見つかりません。", saidEmbedded);

  HWND alpha = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND beta = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  g_listed = {{"Alpha", alpha}, {"Beta", beta}};
  g_listRead = TRUE;
  ListedBrowsersDlg dialog;
  dialog.m_watched.push_back({beta, nullptr, 0, "Beta"});
  std::string listed, selectedWatched, selectedOther;
  RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    listed = StatusLine(d);
    testsupport::SelectListedWindow(d, beta);
    d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BROWSER_LIST, LBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST)));
    selectedWatched = StatusLine(d);
    testsupport::SelectListedWindow(d, alpha);
    d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BROWSER_LIST, LBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(::GetDlgItem(d.m_hWnd, IDC_BROWSER_LIST)));
    selectedOther = StatusLine(d);
    ClickButton(d, IDCANCEL);
  });
  EXPECT_EQ("※1 件はすでにタブで記録しています: Beta", listed);
  EXPECT_EQ("※このInternet Explorerはすでにタブで記録しています。", selectedWatched);
  EXPECT_EQ(listed, selectedOther);
  g_listed.clear();
  DestroyWindow(alpha);
  DestroyWindow(beta);
}

// The boxes follow the mask the dialog opens with; select all and clear all set every box;
// cancel reads nothing back into the mask and hands no browser over.
TEST(SelectBrowserDialog, BoxesFollowTheMaskItOpensWithAndCancelLeavesTheMask) {
  CSelectBrowserDlg dialog;
  dialog.m_eventMask.Set(9, 0);  // belongs to no event
  int checked = -1, afterClear = -1, afterSelect = -1;
  const INT_PTR result = RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    checked = CheckedBoxes(d);
    ClickButton(d, IDC_CLEAR_ALL);
    afterClear = CheckedBoxes(d);
    ClickButton(d, IDC_SELECT_ALL);
    d.SendDlgItemMessage(1030, BM_SETCHECK, BST_UNCHECKED);
    ClickButton(d, IDC_CLEAR_ALL);
    ClickButton(d, IDC_SELECT_ALL);
    afterSelect = CheckedBoxes(d);
    ClickButton(d, IDCANCEL);
  });
  EXPECT_EQ(32, checked);
  EXPECT_EQ(0, afterClear);
  EXPECT_EQ(32, afterSelect);
  EXPECT_EQ(IDCANCEL, result);
  for (int i = 0; i < EventMask::kFlagCount; ++i) EXPECT_EQ(i == 9 ? 0 : 1, dialog.m_eventMask.Get(i)) << i;
  EXPECT_EQ(nullptr, dialog.m_pBrowser);

  CSelectBrowserDlg partial;
  partial.m_eventMask.Set(kEventCatalog[kOnQuit].maskIndex, 0);
  partial.m_eventMask.Set(kEventCatalog[kNavigateComplete2].maskIndex, 0);
  bool quitBox = true, navigateBox = true, progressBox = false;
  RunModal<CSelectBrowserDlg>(partial, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    quitBox = d.SendDlgItemMessage(1025, BM_GETCHECK) == BST_CHECKED;
    navigateBox = d.SendDlgItemMessage(1013, BM_GETCHECK) == BST_CHECKED;
    progressBox = d.SendDlgItemMessage(1005, BM_GETCHECK) == BST_CHECKED;
    checked = CheckedBoxes(d);
    ClickButton(d, IDCANCEL);
  });
  EXPECT_FALSE(quitBox);
  EXPECT_FALSE(navigateBox);
  EXPECT_TRUE(progressBox);
  EXPECT_EQ(30, checked);
}

// OK is refused with a message, the dialog staying open: with no browser chosen, with no
// event chosen, and with a browser closed since the listing, whose entry goes.
TEST(SelectBrowserDialog, OkIsRefusedWithoutABrowserOrAnEventOrForAVanishedBrowser) {
  MessageBoxRecorder boxes;
  CSelectBrowserDlg dialog;
  bool stillOpen = false, nineKept = false;
  LRESULT countAfter = -1;
  int eventsInMask = -1;
  const INT_PTR result = RunModal<CSelectBrowserDlg>(dialog, [&](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_RESETCONTENT);
    ClickButton(d, IDC_CLEAR_ALL);
    ClickButton(d, IDOK);  // neither: it asks for a browser only
    stillOpen = ::IsWindow(d.m_hWnd) != FALSE;
    eventsInMask = 0;  // the mask follows the boxes even though OK was refused
    for (const EventInfo& e : kEventCatalog) eventsInMask += d.m_eventMask.Get(e.maskIndex);
    AddVanishedEntry(d, "First");
    AddVanishedEntry(d, "Closed");
    d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_SETCURSEL, 1);
    ClickButton(d, IDOK);  // no event
    nineKept = d.m_eventMask.Get(9) == 1;
    ClickButton(d, IDC_SELECT_ALL);
    ClickButton(d, IDOK);  // the browser has gone, as its lookup finds
    ASSERT_TRUE(testsupport::WaitForLookup(d));
    countAfter = d.SendDlgItemMessage(IDC_BROWSER_LIST, LB_GETCOUNT);
    ClickButton(d, IDOK);  // no new choice: it asks for a browser
    ClickButton(d, IDCANCEL);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(0, eventsInMask);
  EXPECT_TRUE(nineKept);
  EXPECT_EQ(IDCANCEL, result);
  ASSERT_EQ(4u, boxes.Boxes().size());
  EXPECT_EQ(kSelectBrowser, boxes.Boxes()[0].text);
  EXPECT_EQ("Ormix", boxes.Boxes()[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes.Boxes()[0].type);
  EXPECT_EQ(kNoEvent, boxes.Boxes()[1].text);
  EXPECT_EQ(kNotFound, boxes.Boxes()[2].text);
  EXPECT_EQ(kSelectBrowser, boxes.Boxes()[3].text);
  EXPECT_EQ(1, countAfter);
  EXPECT_EQ(nullptr, dialog.m_pBrowser);
}

// The listing's status line has a place of its own in both dialogs: it overlaps no other control but the group box around it, so the hint text stays readable.
TEST(SelectBrowserDialog, TheListingStatusOverlapsNoOtherControl) {
  auto check = [](CSelectBrowserDlg& d) {
    const HWND status = ::GetDlgItem(d.m_hWnd, IDC_LISTING_STATUS);
    ASSERT_NE(nullptr, status);
    RECT statusRect;
    ::GetWindowRect(status, &statusRect);
    for (HWND c = ::GetWindow(d.m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      char className[32] = "";
      ::GetClassNameA(c, className, sizeof className);
      const bool groupBox = lstrcmpiA(className, "Button") == 0 &&
                            (::GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
      if (c == status || groupBox) continue;
      RECT other, overlap;
      ::GetWindowRect(c, &other);
      char text[128] = "";
      ::GetWindowTextA(c, text, sizeof text);
      EXPECT_FALSE(::IntersectRect(&overlap, &statusRect, &other)) << d.GetTemplateId() << ": " << text;
    }
    ClickButton(d, IDCANCEL);
  };
  CSelectBrowserDlg shell;
  RunModal<CSelectBrowserDlg>(shell, check);
  CSelectEmbeddedBrowserDlg embedded;
  RunModal<CSelectBrowserDlg>(embedded, check);
}

// After every listing the keyboard still has a control: the Refresh button that was pressed
// (and disabled while the listing ran) has the focus again, in both dialogs.
TEST(SelectBrowserDialog, TheFocusComesBackAfterRefresh) {
  auto check = [](CSelectBrowserDlg& d) {
    ASSERT_TRUE(WaitForListing(d));
    const HWND refresh = ::GetDlgItem(d.m_hWnd, IDC_REFRESH);
    for (int round = 0; round < 2; ++round) {
      d.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(refresh), TRUE);  // as a click does
      ASSERT_EQ(refresh, ::GetFocus());
      ClickButton(d, IDC_REFRESH);
      ASSERT_TRUE(WaitForListing(d));
      EXPECT_EQ(refresh, ::GetFocus()) << d.GetTemplateId();
    }
    ClickButton(d, IDCANCEL);
  };
  CSelectBrowserDlg shell;
  RunModal<CSelectBrowserDlg>(shell, check);
  CSelectEmbeddedBrowserDlg embedded;
  RunModal<CSelectBrowserDlg>(embedded, check);
}
