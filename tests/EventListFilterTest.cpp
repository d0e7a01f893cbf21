// Filtering the event log under Wine: a real list-view window, its rows read back with
// list-view messages, the filter dialog driven through its controls; rows hidden and shown
// again, numbering, rows arriving under a filter, the counts per event, the status-bar text,
// and saving, copying and finding under a filter.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/CmdUI.h"
#include "framework/Dialog.h"
#include "log/EventListCtrl.h"
#include "res/resource.h"
#include "support/MessagePump.h"

namespace {

const char kDocumentComplete[] = "DIID_DWebBrowserEvents2::DocumentComplete";
const char kStatusTextChange[] = "DIID_DWebBrowserEvents2::StatusTextChange";

std::string ItemText(HWND list, int item, int sub) {
  char buffer[1024] = {};
  LVITEMA lvi = {};
  lvi.iSubItem = sub;
  lvi.pszText = buffer;
  lvi.cchTextMax = sizeof(buffer);
  const LRESULT n = ::SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lvi));
  return std::string(buffer, static_cast<size_t>(n));
}

// The number column of every row the list shows.
std::vector<std::string> ShownNumbers(HWND list) {
  std::vector<std::string> numbers;
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int item = 0; item < count; ++item) numbers.push_back(ItemText(list, item, 0));
  return numbers;
}

std::vector<std::string> Numbers(std::initializer_list<int> rows) {
  std::vector<std::string> numbers;
  for (int row : rows) {
    char text[16];
    std::snprintf(text, sizeof(text), "%08d", row);
    numbers.push_back(text);
  }
  return numbers;
}

// Each row a second after the one before, from 12:00:01.
SYSTEMTIME g_time = {};
void WINAPI NextSecond(SYSTEMTIME* time) {
  ++g_time.wSecond;
  *time = g_time;
}

class EventListFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HWND host = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 900, 400, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    m_host.Attach(host);
    m_list = new CEventListCtrl;
    ASSERT_TRUE(m_list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 880, 380}, &m_host, 1));
    m_hWnd = m_list->m_hWnd;
    // Rows 1-6: a message row, two page loads and three status texts.
    g_time = {};
    g_time.wHour = 12;
    const CEventListCtrl::ClockSource clock = CEventListCtrl::SetClockSource(&NextSecond);
    m_list->AddMessageRow("", "イベントの記録を開始しました。", CEventListCtrl::kImageRecording);
    m_list->AddEventRow(kDocumentComplete, "URL:http://a.example/");
    m_list->AddEventRow(kStatusTextChange, "Text:読み込み中");
    m_list->AddEventRow(kDocumentComplete, "URL:http://b.example/");
    m_list->AddEventRow(kStatusTextChange, "Text:完了 b.example");
    m_list->AddEventRow(kStatusTextChange, "Text:");
    CEventListCtrl::SetClockSource(clock);
    EndBurst();
  }

  void TearDown() override {
    delete m_list;
    HWND host = m_host.Detach();
    if (host) ::DestroyWindow(host);
  }

  void EndBurst() { ASSERT_TRUE(testsupport::PumpUntil([&] { return !m_list->HasPendingRows(); }, 5000)); }
  CCmdUI State(UINT id) { return QueryCommandState(m_list, id); }
  int Selected() { return m_list->GetNextItem(-1, LVNI_SELECTED); }

  CWnd m_host;
  CEventListCtrl* m_list = nullptr;
  HWND m_hWnd = nullptr;
};

// By event, by text (in any column, as find matches it) and by both: only matching rows show,
// each with its own number; the selected row stays selected while shown; clearing brings
// every row back. The commands follow the filter.
TEST_F(EventListFilterTest, ShowsOnlyMatchingRowsWithTheirNumbersAndClearingShowsAll) {
  EXPECT_TRUE(State(ID_EDIT_FILTER_LOG).m_bEnabled);
  EXPECT_FALSE(State(ID_EDIT_CLEAR_FILTER_LOG).m_bEnabled);

  m_list->SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_list->ApplyFilter(true, {kDocumentComplete}, "");
  EXPECT_EQ(Numbers({2, 4}), ShownNumbers(m_hWnd));
  EXPECT_EQ("URL:http://b.example/", ItemText(m_hWnd, 1, 3));
  EXPECT_EQ(1, Selected()) << "row 4 stays selected where it now shows";
  EXPECT_EQ(1u, m_list->GetSelectedCount());
  EXPECT_TRUE(State(ID_EDIT_CLEAR_FILTER_LOG).m_bEnabled);
  EXPECT_EQ(1, State(ID_EDIT_FILTER_LOG).m_nCheck);

  m_list->ApplyFilter(false, {}, "B.EXAMPLE");
  EXPECT_EQ(Numbers({4, 5}), ShownNumbers(m_hWnd));
  m_list->ApplyFilter(false, {}, "読み");
  EXPECT_EQ(Numbers({3}), ShownNumbers(m_hWnd));
  EXPECT_EQ(-1, Selected()) << "row 4 is hidden";
  m_list->ApplyFilter(false, {}, "documentcomplete");
  EXPECT_EQ(Numbers({2, 4}), ShownNumbers(m_hWnd)) << "the event name column";
  m_list->ApplyFilter(false, {}, "00000005");
  EXPECT_EQ(Numbers({5}), ShownNumbers(m_hWnd)) << "the number column";
  m_list->ApplyFilter(false, {}, "12:00:03");
  EXPECT_EQ(Numbers({3}), ShownNumbers(m_hWnd)) << "the time column";
  m_list->ApplyFilter(true, {kStatusTextChange, ""}, "");
  EXPECT_EQ(Numbers({1, 3, 5, 6}), ShownNumbers(m_hWnd)) << "message rows are chosen by their empty name";
  m_list->ApplyFilter(true, {kStatusTextChange}, "example");
  EXPECT_EQ(Numbers({5}), ShownNumbers(m_hWnd)) << "both at once";
  m_list->ApplyFilter(true, {}, "");
  EXPECT_TRUE(ShownNumbers(m_hWnd).empty());

  m_list->ApplyFilter(true, {kDocumentComplete}, "");
  m_list->SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  RouteCommand(m_list, ID_EDIT_CLEAR_FILTER_LOG);
  EXPECT_FALSE(m_list->IsFiltered());
  EXPECT_EQ(Numbers({1, 2, 3, 4, 5, 6}), ShownNumbers(m_hWnd));
  EXPECT_EQ("Text:読み込み中", ItemText(m_hWnd, 2, 3));
  EXPECT_EQ(1, Selected()) << "row 2 stays selected";
}

// Rows that arrive under a filter show when they match and are kept hidden when not;
// clearing the log lets the filter go.
TEST_F(EventListFilterTest, RowsArrivingUnderAFilterShowOnlyWhenTheyMatch) {
  m_list->ApplyFilter(false, {}, "example");
  ASSERT_EQ(Numbers({2, 4, 5}), ShownNumbers(m_hWnd));
  m_list->AddEventRow(kStatusTextChange, "Text:nothing");
  m_list->AddEventRow(kDocumentComplete, "URL:http://c.example/");
  m_list->AddEventRow(kDocumentComplete, "URL:about:blank");
  EXPECT_EQ(Numbers({2, 4, 5, 8}), ShownNumbers(m_hWnd)) << "also in the middle of the burst";
  EndBurst();
  EXPECT_EQ(9u, m_list->GetStoredRowCount());

  m_list->ClearLog();
  EXPECT_FALSE(m_list->IsFiltered());
  EXPECT_EQ(Numbers({1}), ShownNumbers(m_hWnd));
}

// The dialog lists the events the log holds with their row counts (message rows first, then
// by name), checked as the filter stands; OK applies the checked events and the text, every
// event and no text is no filter, and its clear button shows every row again.
TEST_F(EventListFilterTest, TheDialogListsEventsWithTheirCountsAndAppliesWhatIsChosen) {
  std::vector<std::string> labels;
  std::vector<bool> checks;
  std::function<void(HWND)> act;
  CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
    HWND events = ::GetDlgItem(dialog.m_hWnd, IDC_FILTER_EVENTS);
    labels.clear();
    checks.clear();
    const int count = static_cast<int>(::SendMessageA(events, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
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
  auto click = [](HWND dialog, int id) { ::SendMessageA(dialog, WM_COMMAND, id, 0); };

  act = [&](HWND dialog) {
    check(dialog, 2, false);  // StatusTextChange
    ::SetDlgItemTextA(dialog, IDC_FILTER_TEXT, "b.example");
    click(dialog, IDOK);
  };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_EQ((std::vector<std::string>{"(メッセージ) (1)", "DocumentComplete (2)", "StatusTextChange (3)"}), labels);
  EXPECT_EQ((std::vector<bool>{true, true, true}), checks);
  EXPECT_EQ(Numbers({4}), ShownNumbers(m_hWnd));

  m_list->AddEventRow(kStatusTextChange, "Text:b.example");
  EndBurst();
  act = [&](HWND dialog) {
    ::SetDlgItemTextA(dialog, IDC_FILTER_TEXT, "");
    click(dialog, IDOK);
  };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_EQ("StatusTextChange (4)", labels[2]) << "counted as the row came, shown or not";
  EXPECT_EQ((std::vector<bool>{true, true, false}), checks);
  EXPECT_EQ(Numbers({1, 2, 4}), ShownNumbers(m_hWnd));

  act = [&](HWND dialog) {
    check(dialog, 2, true);
    click(dialog, IDOK);
  };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_FALSE(m_list->IsFiltered()) << "every event and no text";

  m_list->ApplyFilter(false, {}, "読み");
  act = [&](HWND dialog) {
    char text[64] = {};
    ::GetDlgItemTextA(dialog, IDC_FILTER_TEXT, text, sizeof(text));
    EXPECT_STREQ("読み", text) << "the filter's text is offered again";
    click(dialog, IDC_FILTER_CLEAR);
  };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_FALSE(m_list->IsFiltered());
  EXPECT_EQ(7u, ShownNumbers(m_hWnd).size());

  m_list->ClearLog();
  act = [&](HWND dialog) { click(dialog, IDCANCEL); };
  RouteCommand(m_list, ID_EDIT_FILTER_LOG);
  EXPECT_EQ((std::vector<std::string>{"(メッセージ) (1)"}), labels) << "clearing the log clears the counts";
  CDialog::SetModalHook(previous);
}

// Under a filter, save writes every row exactly as without it, copy takes the selected rows
// that are shown, and find goes over the shown rows only.
TEST_F(EventListFilterTest, SaveWritesAllRowsCopyAndFindSeeOnlyShownRows) {
  char temp[MAX_PATH];
  char path[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  ::GetTempFileNameA(temp, "olf", 0, path);
  auto read = [&] {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  };
  ASSERT_TRUE(m_list->SaveLog(path));
  const std::string unfiltered = read();
  m_list->ApplyFilter(true, {kDocumentComplete}, "");
  ASSERT_TRUE(m_list->SaveLog(path));
  EXPECT_EQ(unfiltered, read());
  ::DeleteFileA(path);

  m_list->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  ASSERT_TRUE(RouteCommand(m_list, ID_EDIT_COPY));
  std::string copied;
  ASSERT_TRUE(::OpenClipboard(m_hWnd));
  if (HANDLE text = ::GetClipboardData(CF_TEXT)) {
    copied = static_cast<const char*>(::GlobalLock(text));
    ::GlobalUnlock(text);
  }
  ::CloseClipboard();
  const std::string time = ItemText(m_hWnd, 0, 1);
  EXPECT_EQ("00000002," + time + "," + kDocumentComplete + ",URL:http://a.example/\r\n00000004," +
                ItemText(m_hWnd, 1, 1) + "," + kDocumentComplete + ",URL:http://b.example/\r\n",
            copied);

  m_list->SetItemState(-1, 0, LVIS_SELECTED);
  EXPECT_EQ(-1, m_list->FindRow("読み込み", true)) << "a hidden row is not found";
  EXPECT_EQ(1, m_list->FindRow("b.example", true)) << "row 4, shown second, not row 5";
  EXPECT_EQ(0, m_list->FindRow("example", true)) << "wraps over the shown rows";
}

}  // namespace
