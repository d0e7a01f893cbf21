// The selection dialog's template: its frame, and every control's id, text, class, style,
// place and tab order, with the event check boxes checked against the event catalogue.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "events/EventCatalog.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

struct ControlInfo {
  int id;
  std::string className;
  std::string text;
  DWORD style;
  RECT dialogUnits;  // x, y, width, height in dialog units
};

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Pixels of a template rectangle; the dialog manager converts place and size separately.
RECT Units(HWND dialog, int x, int y, int cx, int cy) {
  RECT r = {x, y, cx, cy};
  MapDialogRect(dialog, &r);
  return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT PixelsInDialog(HWND dialog, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectRect(const RECT& expected, const RECT& actual, const std::string& what) {
  EXPECT_EQ(expected.left, actual.left) << what;
  EXPECT_EQ(expected.top, actual.top) << what;
  EXPECT_EQ(expected.right, actual.right) << what;
  EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

class SelectBrowserTemplate : public testing::Test {
 protected:
  void SetUp() override {
    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECT_BROWSER),
                                nullptr, PlainDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) controls.push_back(c);
  }
  void TearDown() override { DestroyWindow(dialog); }

  HWND dialog = nullptr;
  std::vector<HWND> controls;  // in template order, which is the tab order
};

}  // namespace

TEST_F(SelectBrowserTemplate, FrameTitleAndSize) {
  EXPECT_EQ("イベントを記録するInternet Explorerの選択", TextOf(dialog));
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  RECT client;
  GetClientRect(dialog, &client);
  const RECT expected = Units(dialog, 0, 0, 310, 335);
  EXPECT_EQ(expected.right, client.right);
  EXPECT_EQ(expected.bottom, client.bottom);
}

TEST_F(SelectBrowserTemplate, ControlsInTabOrderWithTheirPlaces) {
  std::vector<ControlInfo> expected = {
      // The list box takes WS_BORDER and WS_VSCROLL over into its own drawing, so they do
      // not stay in its window style.
      {IDC_BROWSER_LIST, "ListBox", "", WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
       {12, 24, 284, 76}},
      {IDC_REFRESH, "Button", "情報更新(&R)", WS_TABSTOP | BS_PUSHBUTTON, {246, 104, 50, 14}},
  };
  for (const EventInfo& e : kEventCatalog) {
    const int x = e.column == 1 ? 12 : e.column == 2 ? 104 : 196;
    const int top = e.column == 1 ? 152 : 148;
    const int width = e.column == 3 ? (e.row <= 2 ? 92 : 100) : 84;
    expected.push_back({e.checkBoxId, "Button", e.name, WS_TABSTOP | BS_AUTOCHECKBOX,
                        {x, top + 12 * (e.row - 1), width, 10}});
  }
  expected.push_back({IDC_SELECT_ALL, "Button", "すべて選択(&A)", WS_TABSTOP | BS_PUSHBUTTON, {216, 256, 56, 14}});
  expected.push_back({IDC_CLEAR_ALL, "Button", "すべて解除(&C)", WS_TABSTOP | BS_PUSHBUTTON, {216, 276, 56, 14}});
  expected.push_back({IDOK, "Button", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {100, 312, 50, 14}});
  expected.push_back({IDCANCEL, "Button", "キャンセル", WS_TABSTOP | BS_PUSHBUTTON, {156, 312, 50, 14}});
  expected.push_back({IDC_STATIC, "Button", "起動中のInternet Explorer(&I)", BS_GROUPBOX, {4, 8, 300, 120}});
  expected.push_back({IDC_STATIC, "Static", "※イベントを記録するInetnet Explorerを選択してください。", SS_LEFT,
                      {12, 104, 180, 12}});
  expected.push_back({IDC_STATIC, "Button", "表示するイベント(&E)", BS_GROUPBOX, {4, 136, 300, 168}});

  ASSERT_EQ(expected.size(), controls.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const ControlInfo& want = expected[i];
    const HWND control = controls[i];
    const std::string what = "control " + std::to_string(i) + " " + want.text;
    EXPECT_EQ(want.id, static_cast<int>(static_cast<short>(GetDlgCtrlID(control)))) << what;
    EXPECT_EQ(want.className, ClassOf(control)) << what;
    EXPECT_EQ(want.text, TextOf(control)) << what;
    const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    EXPECT_EQ(want.style, style & want.style) << what;
    if (want.className == "Button") {
      EXPECT_EQ(want.style & BS_TYPEMASK, style & BS_TYPEMASK) << what;
    }
    ExpectRect(Units(dialog, want.dialogUnits.left, want.dialogUnits.top, want.dialogUnits.right,
                     want.dialogUnits.bottom),
               PixelsInDialog(dialog, control), what);
  }
  // The list is not sorted: entries stay in the order of the shell's collection.
  EXPECT_EQ(0, GetWindowLongA(controls[0], GWL_STYLE) & LBS_SORT);
}
