// Filtering the event log under Wine: a real list-view window read back with list-view
// messages, the filter dialog driven through its controls; rows hidden and shown again,
// numbering, rows arriving under a filter, the counts per event, and saving, copying and
// finding under a filter.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/CmdUI.h"
#include "framework/Dialog.h"
#include "framework/FileDialog.h"
#include "logview/EventListCtrl.h"
#include "logview/MeasureText.h"
#include "res/resource.h"
#include "support/Clipboard.h"
#include "support/Files.h"
#include "support/ListText.h"
#include "support/MessagePump.h"

namespace {

const char kDocumentComplete[] = "DIID_DWebBrowserEvents2::DocumentComplete";
const char kStatusTextChange[] = "DIID_DWebBrowserEvents2::StatusTextChange";

std::string ItemText(HWND list, int item, int sub) { return testsupport::ListItemText(list, item, sub); }

// Each row a second after the one before, from 12:00:01.
SYSTEMTIME g_time = {};
void WINAPI NextSecond(SYSTEMTIME* time) {
  ++g_time.wSecond;
  *time = g_time;
}

class EventListFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.Attach(::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 900, 400, nullptr, nullptr, nullptr, nullptr));
    m_list = new CEventListCtrl;
    ASSERT_TRUE(m_list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 880, 380}, &m_host, 1));
    // Rows 1-6: a message row, two page loads and three status texts.
    g_time = {};
    g_time.wHour = 12;
    m_list->Model().SetClockSource(&NextSecond);
    m_list->AddMessageRow("", "イベントの記録を開始しました。", CEventListCtrl::kImageRecording);
    m_list->AddEventRow(kDocumentComplete, "URL:http://a.example/");
    m_list->AddEventRow(kStatusTextChange, "Text:読み込み中");
    m_list->AddEventRow(kDocumentComplete, "URL:http://b.example/");
    m_list->AddEventRow(kStatusTextChange, "Text:完了 b.example");
    m_list->AddEventRow(kStatusTextChange, "Text:");
    EndBurst();
  }
  void TearDown() override {
    delete m_list;
    ::DestroyWindow(m_host.Detach());
  }

  void EndBurst() { ASSERT_TRUE(testsupport::PumpUntil([&] { return !m_list->Model().InBurst(); }, 5000)); }
  // The numbers of the rows the list shows, as it shows them.
  std::vector<int> Shown() {
    std::vector<int> numbers;
    for (int item = 0; item < m_list->GetItemCount(); ++item)
      numbers.push_back(std::atoi(ItemText(m_list->m_hWnd, item, 0).c_str()));
    return numbers;
  }
  int Selected() { return m_list->GetNextItem(-1, LVNI_SELECTED); }
  void Select(int item) { m_list->SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED); }

  CWnd m_host;
  CEventListCtrl* m_list = nullptr;
};

using Rows = std::vector<int>;

// Only matching rows show, each with its own number (which rows match: log_tests); the
// selected row stays selected while shown; clearing brings every row back; rows arriving show
// only when they match, also mid-burst; the time option matches again; clearing the log ends
// the filter.
TEST_F(EventListFilterTest, ShowsOnlyMatchingRowsWithTheirNumbersAndClearingShowsAll) {
  EXPECT_FALSE(QueryCommandState(m_list, ID_EDIT_CLEAR_FILTER_LOG).m_bEnabled);
  Select(3);
  m_list->ApplyFilter(true, {kDocumentComplete}, "");
  EXPECT_EQ(Rows({2, 4}), Shown());
  EXPECT_EQ("URL:http://b.example/", ItemText(m_list->m_hWnd, 1, 3));
  EXPECT_EQ(1, Selected()) << "row 4 stays selected where it now shows";
  EXPECT_TRUE(QueryCommandState(m_list, ID_EDIT_CLEAR_FILTER_LOG).m_bEnabled);
  m_list->SetItemState(-1, 0, LVIS_SELECTED);
  Select(0);
  m_list->ApplyFilter(false, {}, "b.example");
  EXPECT_EQ(Rows({4, 5}), Shown());
  EXPECT_EQ(-1, Selected()) << "a hidden row's selection passes to no other row";

  m_list->ApplyFilter(false, {}, "12:00:03.000");
  EXPECT_EQ(Rows(), Shown());
  m_list->SetTimeWithMilliseconds(true);
  EXPECT_EQ(Rows({3}), Shown()) << "matched again against the times as now shown";
  m_list->SetTimeWithMilliseconds(false);

  m_list->ApplyFilter(true, {kDocumentComplete}, "");
  Select(1);
  Select(0);
  RouteCommand(m_list, ID_EDIT_CLEAR_FILTER_LOG);
  EXPECT_EQ(Rows({1, 2, 3, 4, 5, 6}), Shown());
  EXPECT_EQ(2u, m_list->GetSelectedCount()) << "rows 2 and 4 stay selected";
  EXPECT_EQ(1, Selected());
  EXPECT_EQ(3, m_list->GetNextItem(1, LVNI_SELECTED));
  EXPECT_EQ(1, m_list->GetNextItem(-1, LVNI_FOCUSED)) << "the focus stays on its row";

  m_list->ApplyFilter(false, {}, "example");
  m_list->AddEventRow(kStatusTextChange, "Text:nothing");
  m_list->AddEventRow(kDocumentComplete, "URL:http://c.example/");
  m_list->AddEventRow(kDocumentComplete, "URL:about:blank");
  EXPECT_EQ(Rows({2, 4, 5, 8}), Shown()) << "also in the middle of the burst";
  EndBurst();
  EXPECT_EQ(Rows({2, 4, 5, 8}), Shown());
  m_list->ClearLog();
  EXPECT_FALSE(m_list->Model().Filter().IsOn());
  EXPECT_EQ(Rows({1}), Shown());
}

// The dialog lists the events the log holds with their row counts (message rows first, then
// by name), checked as the filter stands; OK applies the checked events and the text; every
// event and no text is no filter; the clear button shows every row again.
TEST_F(EventListFilterTest, TheDialogListsEventsWithTheirCountsAndAppliesWhatIsChosen) {
  std::vector<std::string> labels;
  std::vector<bool> checks;
  std::function<void(HWND)> act;
  CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
    HWND events = ::GetDlgItem(dialog.m_hWnd, IDC_FILTER_EVENTS);
    labels.clear();
    checks.clear();
    for (int i = 0; i < ::SendMessageA(events, LVM_GETITEMCOUNT, 0, 0); ++i) {
      labels.push_back(ItemText(events, i, 0));
      checks.push_back(::SendMessageA(events, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2));
    }
    act(dialog.m_hWnd);
  });
  auto check = [](HWND dialog, int item, bool on) {
    LVITEMA lvi = {};
    lvi.stateMask = LVIS_STATEIMAGEMASK;
    lvi.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    ::SendDlgItemMessageA(dialog, IDC_FILTER_EVENTS, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvi));
  };
  auto ok = [](HWND dialog, const char* text) {
    ::SetDlgItemTextA(dialog, IDC_FILTER_TEXT, text);
    ::SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  };

  act = [&](HWND dialog) {
    check(dialog, 2, false);  // StatusTextChange
    ok(dialog, "b.example");
  };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_EQ((std::vector<std::string>{"(メッセージ) (1)", "DocumentComplete (2)", "StatusTextChange (3)"}), labels);
  EXPECT_EQ((std::vector<bool>{true, true, true}), checks);
  EXPECT_EQ(Rows({4}), Shown());

  m_list->AddEventRow(kStatusTextChange, "Text:b.example");
  act = [&](HWND dialog) { ok(dialog, ""); };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_EQ("StatusTextChange (4)", labels[2]) << "counted as the row came, shown or not";
  EXPECT_EQ((std::vector<bool>{true, true, false}), checks);
  EXPECT_EQ(Rows({1, 2, 4}), Shown());

  act = [&](HWND dialog) {
    check(dialog, 2, true);
    ok(dialog, "");
  };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_FALSE(m_list->Model().Filter().IsOn()) << "every event and no text";

  m_list->ApplyFilter(false, {}, "読み");
  act = [&](HWND dialog) { ::SendMessageA(dialog, WM_COMMAND, IDC_FILTER_CLEAR, 0); };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_EQ(7u, Shown().size());

  m_list->ClearLog();
  act = [&](HWND dialog) { ::SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_EQ((std::vector<std::string>{"(メッセージ) (1)"}), labels) << "clearing the log clears the counts";
  CDialog::SetModalHook(previous);
}

// Under a filter, save writes every row exactly as without it unless the shown rows alone are
// chosen in the dialog, and copy takes the selected rows that are shown.
TEST_F(EventListFilterTest, SaveWritesAllRowsAndCopyTakesOnlyShownRows) {
  const std::string file = testsupport::NewTempFile("olf");
  const char* path = file.c_str();
  auto saved = [&] {
    EXPECT_TRUE(m_list->SaveLog(path));
    return testsupport::FileBytes(path);
  };
  const std::string unfiltered = saved();
  m_list->ApplyFilter(true, {kDocumentComplete}, "");
  EXPECT_EQ(unfiltered, saved());
  // The dialog offers every row first and the shown rows second (its entries: log_tests).
  DWORD chosen = 0;
  std::vector<DWORD> offered;
  CFileDialog::SetRunHook([&](CFileDialog& dialog) -> INT_PTR {
    offered.push_back(dialog.m_ofn.nFilterIndex);
    dialog.m_ofn.nFilterIndex = chosen;
    lstrcpynA(dialog.m_ofn.lpstrFile, path, static_cast<int>(dialog.m_ofn.nMaxFile));
    return IDOK;
  });
  for (DWORD index : {1u, 2u}) {
    chosen = index;
    ::DeleteFileA(path);
    RouteCommand(m_list, ID_FILE_SAVE_LOG);
    EXPECT_EQ(index == 1 ? unfiltered
                         : std::string("00000002,12:00:02,") + kDocumentComplete + ",URL:http://a.example/\r\n00000004,12:00:04," +
                               kDocumentComplete + ",URL:http://b.example/\r\n",
              testsupport::FileBytes(path));
  }
  CFileDialog::SetRunHook(nullptr);
  EXPECT_EQ((std::vector<DWORD>{1, 1}), offered);
  ::DeleteFileA(path);

  m_list->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(RouteCommand(m_list, ID_EDIT_COPY));
  const std::string copied = testsupport::ClipboardText();
  EXPECT_EQ(std::string("00000002,12:00:02,") + kDocumentComplete + ",URL:http://a.example/\r\n00000004,12:00:04," +
                kDocumentComplete + ",URL:http://b.example/\r\n",
            copied);
  EXPECT_EQ(1, m_list->FindRow("b.example", true)) << "find goes over the shown rows";
}

// Rows a filter hides still widen the parameter column, so their texts are whole once the
// filter goes; with no selected row kept, a filter change shows the newest shown row.
TEST_F(EventListFilterTest, HiddenRowsWidenTheTextColumnAndAFilterChangeShowsTheNewestRow) {
  m_list->ApplyFilter(true, {kDocumentComplete}, "");
  const std::string wide = "Text:" + std::string(120, 'W');
  m_list->AddEventRow(kStatusTextChange, wide.c_str());
  EndBurst();
  int width = 0, height = 0;
  MeasureText(m_list->m_hWnd, m_list->GetFont(), (wide + "00").c_str(), width, height);
  EXPECT_EQ(width, m_list->GetColumnWidth(3));

  for (int i = 0; i < 60; ++i) m_list->AddEventRow(kDocumentComplete, "URL:http://many.example/");
  EndBurst();
  m_list->EnsureVisible(0, FALSE);
  m_list->ApplyFilter(false, {}, "many");
  const int top = static_cast<int>(m_list->SendMessage(LVM_GETTOPINDEX));
  EXPECT_GE(top + static_cast<int>(m_list->SendMessage(LVM_GETCOUNTPERPAGE)), m_list->GetItemCount());
  EXPECT_GT(top, 0);
}

}  // namespace
