// The time between rows in a real list view under Wine, read back with list-view messages:
// the Δ column beside the others, the status bar's text for two selected rows, and the
// go-to-time dialog driven through its controls. (The times themselves: log_tests.)
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/CmdUI.h"
#include "framework/Dialog.h"
#include "framework/StandardIds.h"
#include "logview/EventListCtrl.h"
#include "logview/MeasureText.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/Files.h"
#include "support/ListText.h"
#include "support/MessageBoxRecorder.h"
#include "support/MessagePump.h"

namespace {

// The rows' times in turn: two before midnight, two after it.
const SYSTEMTIME kTimes[] = {{2026, 1, 0, 1, 23, 59, 59, 0}, {2026, 1, 0, 1, 23, 59, 59, 250},
                             {2026, 1, 0, 2, 0, 0, 1, 250}, {2026, 1, 0, 2, 0, 0, 1, 300}};
size_t g_nextTime = 0;
void WINAPI NextTime(SYSTEMTIME* time) { *time = kTimes[g_nextTime++ % 4]; }

// Per column, in the order shown: its heading, width and texts.
using ShownColumns = std::vector<std::vector<std::string>>;

ShownColumns Shown(CEventListCtrl& list) {
  const HWND header = reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER));
  const int count = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  std::vector<int> order(static_cast<size_t>(count));
  list.SendMessage(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data()));
  ShownColumns columns;
  for (int index : order) {
    char heading[64] = "";
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = sizeof(heading);
    list.SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
    columns.push_back({heading, std::to_string(list.GetColumnWidth(index))});
    for (int item = 0; item < list.GetItemCount(); ++item)
      columns.back().push_back(testsupport::ListItemText(list.m_hWnd, item, index));
  }
  return columns;
}

class EventListTimesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.Attach(::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 900, 400, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 880, 380}, &m_host, 1));
    g_nextTime = 0;
    m_list.Model().SetClockSource(&NextTime);
    m_list.AddMessageRow("", "開始", CEventListCtrl::kImageRecording);
    m_list.AddEventRow("A", "Text:one", EventRowStore::Origin::Page);
    m_list.AddEventRow("B", "Text:two", EventRowStore::Origin::Frame, "menu");
    m_list.AddEventRow("A", "Text:three", EventRowStore::Origin::Page);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !m_list.Model().InBurst(); }, 5000));
  }
  void TearDown() override {
    m_list.DestroyWindow();
    ::DestroyWindow(m_host.Detach());
  }
  void Select(std::vector<int> items) {
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    for (int item : items) m_list.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  std::string Saved(bool csv) {
    m_list.Model().SetSaveAsCsv(csv);
    const std::string path = testsupport::NewTempFile("olt");
    EXPECT_TRUE(m_list.SaveLog(path.c_str()));
    const std::string saved = testsupport::FileBytes(path);
    ::DeleteFileA(path.c_str());
    return saved;
  }

  CWnd m_host;
  CEventListCtrl m_list;
};

// After the time and as wide as its sample, the Δ column gives each shown row the milliseconds
// since the shown row before (over midnight, past the rows a filter hides). The other columns,
// with the frame column or without it, keep their texts and widths, and saving writes the
// same bytes, plain and CSV.
TEST_F(EventListTimesTest, TheDeltaColumnShowsTheTimeSinceTheShownRowBeforeAndChangesNothingElse) {
  const std::string saved[] = {Saved(false), Saved(true)};
  const ShownColumns plain = Shown(m_list);
  m_list.SetFrameColumnShown(true);
  const ShownColumns framed = Shown(m_list);
  m_list.SetFrameColumnShown(false);
  int width = 0, height = 0;
  MeasureText(m_list.m_hWnd, m_list.GetFont(), "00,000,00000", width, height);
  auto withDelta = [&](ShownColumns columns) {
    columns.insert(columns.begin() + 2,
                   std::vector<std::string>{"Δ(ms)", std::to_string(width), "", "250", "2,000", "50"});
    return columns;
  };

  m_list.SetDeltaColumnShown(true);
  EXPECT_EQ(withDelta(plain), Shown(m_list));
  EXPECT_EQ(saved[0], Saved(false));
  EXPECT_EQ(saved[1], Saved(true));
  m_list.SetFrameColumnShown(true);
  EXPECT_EQ(withDelta(framed), Shown(m_list));
  m_list.SetDeltaColumnShown(false);
  EXPECT_EQ(framed, Shown(m_list));
  m_list.SetDeltaColumnShown(true);
  m_list.SetFrameColumnShown(false);
  EXPECT_EQ(withDelta(plain), Shown(m_list));
  m_list.ApplyFilter(true, {"A"}, "");
  EXPECT_EQ((std::vector<std::string>{"Δ(ms)", std::to_string(width), "", "2,050"}), Shown(m_list)[2]);
  m_list.ClearFilter();
  m_list.SetDeltaColumnShown(false);
  EXPECT_EQ(plain, Shown(m_list));
}

// With exactly two rows selected, the idle text says the time between them, before what a
// filter says; with one or three, it is what it is without them.
TEST_F(EventListTimesTest, TheStatusBarSaysTheTimeBetweenTwoSelectedRows) {
  auto idleText = [&] {
    const CCmdUI state = QueryCommandState(&m_list, AFX_IDS_IDLEMESSAGE);
    return state.m_bTextChanged ? state.m_strText : std::string("(idle)");
  };
  Select({1});
  EXPECT_EQ("(idle)", idleText());
  Select({0, 3});
  EXPECT_EQ("選択した2行の間隔: 2,300 ms", idleText());
  Select({0, 1, 3});
  EXPECT_EQ("(idle)", idleText());
  m_list.ApplyFilter(true, {"A"}, "");
  Select({0, 1});
  EXPECT_EQ("選択した2行の間隔: 2,050 ms    2 / 4 行を表示", idleText());
}

// The dialog opens on the selected row's time to the millisecond, refuses a time it cannot
// read and stays open; OK selects the first row at or after the time alone, focused, or says
// that no row is. Enabled while rows are shown.
TEST_F(EventListTimesTest, GoToTimeSelectsTheFirstRowAtOrAfterTheTimeTyped) {
  MessageBoxRecorder boxes;
  std::vector<std::string> prefilled;
  // Typed by a timer of the dialog, which runs only in the loop of a dialog left open.
  static std::string s_typed;
  static int s_typedInOpenDialog;
  s_typedInOpenDialog = 0;
  CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
    char text[64] = "";
    ::GetDlgItemTextA(dialog.m_hWnd, IDC_GO_TO_TIME_TEXT, text, sizeof(text));
    prefilled.push_back(text);
    ::SetDlgItemTextA(dialog.m_hWnd, IDC_GO_TO_TIME_TEXT, "24:00:00");
    testsupport::ClickButton(dialog, IDOK);
    ::SetTimer(dialog.m_hWnd, 1, 1, [](HWND hWnd, UINT, UINT_PTR id, DWORD) {
      ::KillTimer(hWnd, id);
      ++s_typedInOpenDialog;
      ::SetDlgItemTextA(hWnd, IDC_GO_TO_TIME_TEXT, s_typed.c_str());
      ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
    });
  });
  Select({1});
  s_typed = "0:00:01.260";
  EXPECT_TRUE(QueryCommandState(&m_list, ID_EDIT_GO_TO_TIME).m_bEnabled);
  EXPECT_TRUE(RouteCommand(&m_list, ID_EDIT_GO_TO_TIME));
  EXPECT_EQ(1u, m_list.GetSelectedCount());
  EXPECT_EQ(3, m_list.GetNextItem(-1, LVNI_SELECTED | LVNI_FOCUSED));
  EXPECT_EQ(m_list.m_hWnd, ::GetFocus());
  s_typed = "00:00:02";
  RouteCommand(&m_list, ID_EDIT_GO_TO_TIME);
  CDialog::SetModalHook(previous);
  EXPECT_EQ(3, m_list.GetNextItem(-1, LVNI_SELECTED)) << "no row: the selection stays";
  EXPECT_EQ((std::vector<std::string>{"23:59:59.250", "00:00:01.300"}), prefilled);
  EXPECT_EQ(2, s_typedInOpenDialog);
  ASSERT_EQ(3u, boxes.Boxes().size());
  EXPECT_EQ("時刻は HH:MM:SS または HH:MM:SS.mmm の形で入力してください。\n(例: 13:05:09、13:05:09.250)",
            boxes.Boxes()[1].text);
  EXPECT_EQ("Ormix", boxes.Boxes()[1].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes.Boxes()[1].type);
  EXPECT_EQ("00:00:02 以降の行はありません。", boxes.Boxes()[2].text);
  m_list.ApplyFilter(false, {}, "nowhere");
  EXPECT_FALSE(QueryCommandState(&m_list, ID_EDIT_GO_TO_TIME).m_bEnabled);
}

}  // namespace
