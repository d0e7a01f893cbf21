// The event log list under Wine: a real list-view window fed through the sink's
// IDispatch::Invoke as a browser would call it, read back with list-view messages; its
// columns, recording states, numbering, command states, saving and copying.
#include <windows.h>
#include <commctrl.h>
#include <exdisp.h>
#include <exdispid.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MessageMapCheck.h"
#include "browser/WebBrowserEvents2.h"
#include "events/EventCatalog.h"
#include "logview/EventListCtrl.h"
#include "framework/CmdUI.h"
#include "framework/Dialog.h"
#include "framework/FileDialog.h"
#include "framework/StandardIds.h"
#include "res/resource.h"
#include "support/Clipboard.h"
#include "support/EveryEventCall.h"
#include "support/FakeBrowser.h"
#include "support/Files.h"
#include "support/ListText.h"
#include "support/ListTextReader.h"
#include "support/MessageBoxRecorder.h"
#include "support/MessagePump.h"
#include "support/PopupMenu.h"
#include "support/Variants.h"

namespace {

const char kPrefix[] = "DIID_DWebBrowserEvents2::";
const char kStarted[] = "イベントの記録を開始しました。";
const char kStopped[] = "イベントの記録を停止しました。";
const char kResumed[] = "イベントの記録を再開しました。";
const char kQuit[] = "Internet Explorerが終了しました。";

struct Row {
  std::string number, time, name, params;
  int image;
};

std::string CellText(HWND list, int item, int sub) { return testsupport::ListItemText(list, item, sub); }

Row ReadRow(HWND list, int item) {
  LVITEMA lvi = {};
  lvi.mask = LVIF_IMAGE;
  lvi.iItem = item;
  ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lvi));
  return {CellText(list, item, 0), CellText(list, item, 1), CellText(list, item, 2),
          CellText(list, item, 3), lvi.iImage};
}

int RowCount(HWND list) { return static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string Numbered(int n) {
  char text[16];
  std::snprintf(text, sizeof(text), "%08d", n);
  return text;
}

bool LooksLikeTimeOfDay(const std::string& t) {
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return false;
  for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u})
    if (t[i] < '0' || t[i] > '9') return false;
  return true;
}

int TextWidthIn(HWND hWnd, HFONT font, const std::string& text) {
  HDC dc = ::GetDC(hWnd);
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size = {};
  ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(hWnd, dc);
  return size.cx;
}

// BSTRs made for one test, freed at its end.
class Bstrs {
 public:
  ~Bstrs() {
    for (BSTR b : m_all) SysFreeString(b);
  }
  BSTR operator()(const wchar_t* text) {
    m_all.push_back(SysAllocString(text));
    return m_all.back();
  }

 private:
  std::vector<BSTR> m_all;
};

// The log with its protected state in reach: the next row's number, whether it records and
// the parameter column's width as it keeps it.
class InspectedEventList : public CEventListCtrl {
 public:
  using CEventListCtrl::m_bRecording;
  using CEventListCtrl::m_nNextNumber;
  using CEventListCtrl::m_nParamColumnWidth;
};

class EventListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HWND host = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 900, 400, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    m_host.Attach(host);
    m_list = new InspectedEventList;
    ASSERT_TRUE(m_list->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_REPORT, RECT{},
                               &m_host, 1));
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    m_hWnd = m_list->m_hWnd;
  }

  void TearDown() override {
    if (m_list) {
      m_list->Disconnect();
      delete m_list;
    }
    HWND host = m_host.Detach();
    if (host) ::DestroyWindow(host);
  }

  // Calls the sink as a browser does: IID_NULL, arguments in reverse order.
  HRESULT Deliver(DISPID dispid, std::vector<VARIANT> args) {
    return InvokeEvent(m_list->GetSink()->GetIDispatch(FALSE), dispid, std::move(args));
  }

  Row Last() { return ReadRow(m_hWnd, RowCount(m_hWnd) - 1); }
  // Lets the burst of rows just added end, as it does once the thread is idle.
  void EndBurst(CEventListCtrl* list = nullptr) {
    CEventListCtrl* target = list ? list : m_list;
    ASSERT_TRUE(testsupport::PumpUntil([&] { return !target->Model().InBurst(); }, 5000));
  }
  BOOL Enabled(UINT id) { return QueryCommandState(m_list, id).m_bEnabled; }

  CWnd m_host;
  InspectedEventList* m_list = nullptr;
  HWND m_hWnd = nullptr;
};

TEST_F(EventListTest, ColumnsAreSetUpAndMeasuredAtCreation) {
  const char* headers[] = {"番号", "日時", "イベント名", "パラメータ"};
  const int formats[] = {LVCFMT_CENTER, LVCFMT_CENTER, LVCFMT_LEFT, LVCFMT_LEFT};
  for (int i = 0; i < 4; ++i) {
    char text[64] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = sizeof(text);
    ASSERT_TRUE(::SendMessageA(m_hWnd, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(headers[i], text);
    EXPECT_EQ(formats[i], column.fmt & LVCFMT_JUSTIFYMASK) << i;
  }
  HFONT font = m_list->GetFont();
  EXPECT_EQ(TextWidthIn(m_hWnd, font, "ABCEF00000") + 16, m_list->GetColumnWidth(0));
  EXPECT_EQ(TextWidthIn(m_hWnd, font, "00:00:0000"), m_list->GetColumnWidth(1));
  EXPECT_EQ(TextWidthIn(m_hWnd, font, "DIID_DWebBrowserEvents2::CommandStateChange00"),
            m_list->GetColumnWidth(2));
  EXPECT_EQ(250, m_list->GetColumnWidth(3));
  m_list->SetTimeWithMilliseconds(true);  // the time column is measured for the longer text
  EXPECT_EQ(TextWidthIn(m_hWnd, font, "00:00:00.00000"), m_list->GetColumnWidth(1));
  m_list->SetTimeWithMilliseconds(false);
  EXPECT_EQ(TextWidthIn(m_hWnd, font, "00:00:0000"), m_list->GetColumnWidth(1));
  EXPECT_EQ(0, RowCount(m_hWnd));
  EXPECT_EQ(0, CountDuplicateEntries(m_list->GetMessageMap()));
  EXPECT_EQ(34, CountEntries(m_list->GetMessageMap()));
}

// Every event but OnQuit, whose rows are tested on their own.
TEST_F(EventListTest, EveryEventBecomesItsRowThroughTheSink) {
  const EveryEventCall events(nullptr);
  int expectedNumber = 1;
  for (const EventCall& c : events.Except(kOnQuit)) {
    SCOPED_TRACE(kEventCatalog[c.slot].name);
    ASSERT_EQ(S_OK, Deliver(kEventCatalog[c.slot].dispid, c.args));
    ASSERT_EQ(expectedNumber, RowCount(m_hWnd));
    const Row row = Last();
    EXPECT_EQ(Numbered(expectedNumber), row.number);
    EXPECT_TRUE(LooksLikeTimeOfDay(row.time)) << row.time;
    EXPECT_EQ(std::string(kPrefix) + kEventCatalog[c.slot].name, row.name);
    EXPECT_EQ(c.params, row.params);
    EXPECT_EQ(0, row.image);
    ++expectedNumber;
  }
  // No handler answered through an out-parameter.
  EXPECT_EQ(0x1234, events.cancel);
  EXPECT_EQ(640, events.width);
  EXPECT_EQ(480, events.height);
  EXPECT_EQ(nullptr, events.newBrowser);
}

TEST_F(EventListTest, AClearedMaskFlagOrStoppedRecordingAddsNoRowAndUsesNoNumber) {
  const EveryEventCall every(nullptr);
  const std::vector<EventCall> calls = every.Except(kOnQuit);
  for (const EventCall& c : calls) {
    SCOPED_TRACE(kEventCatalog[c.slot].name);
    for (int i = 0; i < EventMask::kFlagCount; ++i) m_list->Set(i, 1);
    m_list->Set(kEventCatalog[c.slot].maskIndex, 0);
    ASSERT_EQ(S_OK, Deliver(kEventCatalog[c.slot].dispid, c.args));
    EXPECT_EQ(0, RowCount(m_hWnd));
    EXPECT_EQ(1, m_list->m_nNextNumber);
  }
  // Index 9 belongs to no event: with only it cleared, everything is recorded.
  for (int i = 0; i < EventMask::kFlagCount; ++i) m_list->Set(i, i == 9 ? 0 : 1);
  for (const EventCall& c : calls) Deliver(kEventCatalog[c.slot].dispid, c.args);
  EXPECT_EQ(static_cast<int>(calls.size()), RowCount(m_hWnd));

  m_list->ClearLog();  // recording on: the start row
  RouteCommand(m_list, ID_RECORD_STOP);
  ASSERT_EQ(2, RowCount(m_hWnd));
  for (const EventCall& c : calls) Deliver(kEventCatalog[c.slot].dispid, c.args);
  EXPECT_EQ(2, RowCount(m_hWnd));
  EXPECT_EQ(3, m_list->m_nNextNumber);
}

class TitleRecorder : public ILogTitleObserver {
 public:
  void OnTitleChange(CEventListCtrl* list, const char* title) override {
    calls.push_back({list, title});
  }
  std::vector<std::pair<CEventListCtrl*, std::string>> calls;
};

TEST_F(EventListTest, TitleChangeReachesTheObserverEvenWhenNotRecorded) {
  TitleRecorder observer;
  m_list->SetTitleObserver(&observer);
  Bstrs bstr;
  Deliver(DISPID_TITLECHANGE, {VarBstr(bstr(L"一つ目"))});
  m_list->Set(kEventCatalog[kTitleChange].maskIndex, 0);
  Deliver(DISPID_TITLECHANGE, {VarBstr(bstr(L"二つ目"))});
  m_list->Set(kEventCatalog[kTitleChange].maskIndex, 1);
  m_list->StopRecording();
  Deliver(DISPID_TITLECHANGE, {VarBstr(bstr(L"三つ目"))});

  EXPECT_EQ((std::vector<std::pair<CEventListCtrl*, std::string>>{{m_list, "一つ目"}, {m_list, "二つ目"}, {m_list, "三つ目"}}),
            observer.calls);
  ASSERT_EQ(2, RowCount(m_hWnd));  // the first title and the stop message
  EXPECT_EQ("Text:一つ目", ReadRow(m_hWnd, 0).params);
  EXPECT_EQ(kStopped, ReadRow(m_hWnd, 1).params);
}

class EventListConnectedTest : public EventListTest {
 protected:
  void SetUp() override {
    EventListTest::SetUp();
    m_browser = new FakeBrowser;
  }
  void TearDown() override {
    EventListTest::TearDown();
    EXPECT_EQ(1, m_browser->RefCount()) << "the list gave back every reference it took";
    m_browser->Release();
  }
  FakeBrowser* m_browser = nullptr;
};

TEST_F(EventListConnectedTest, ConnectWritesTheStartRowAndQuitWritesItsTwoRows) {
  ASSERT_TRUE(m_list->Connect(static_cast<IWebBrowser2*>(m_browser)));
  ASSERT_EQ(1, RowCount(m_hWnd));
  Row start = ReadRow(m_hWnd, 0);
  EXPECT_EQ("00000001", start.number);
  EXPECT_TRUE(LooksLikeTimeOfDay(start.time));
  EXPECT_EQ("", start.name);
  EXPECT_EQ(kStarted, start.params);
  EXPECT_EQ(1, start.image);
  EXPECT_EQ(1u, m_browser->SinkCount());

  EXPECT_EQ(S_OK, m_browser->Fire(DISPID_ONQUIT, {}));
  ASSERT_EQ(3, RowCount(m_hWnd));
  EXPECT_EQ(std::string(kPrefix) + "OnQuit", ReadRow(m_hWnd, 1).name);
  EXPECT_EQ("", ReadRow(m_hWnd, 1).params);
  EXPECT_EQ(0, ReadRow(m_hWnd, 1).image);
  const Row quit = ReadRow(m_hWnd, 2);
  EXPECT_EQ("00000003", quit.number);
  EXPECT_EQ("", quit.name);
  EXPECT_EQ(kQuit, quit.params);
  EXPECT_EQ(2, quit.image);
  EXPECT_FALSE(m_list->IsAttached());
  EXPECT_EQ(0u, m_browser->SinkCount());
  EXPECT_EQ(1, m_browser->RefCount());
  // Unadvised: later events reach no list.
  EXPECT_EQ(S_FALSE, m_browser->Fire(DISPID_DOWNLOADBEGIN, {}));
  EXPECT_EQ(3, RowCount(m_hWnd));

  // A failed connection writes nothing.
  CEventListCtrl other;
  ASSERT_TRUE(other.Create(WS_CHILD | LVS_REPORT, RECT{}, &m_host, 2));
  m_browser->answerBrowserApp = false;
  EXPECT_FALSE(other.Connect(static_cast<IWebBrowser2*>(m_browser)));
  EXPECT_EQ(0, other.GetItemCount());
}

TEST_F(EventListConnectedTest, QuitWithTheEventMaskedOrRecordingOffWritesOnlyTheMessage) {
  ASSERT_TRUE(m_list->Connect(static_cast<IWebBrowser2*>(m_browser)));
  m_list->Set(kEventCatalog[kOnQuit].maskIndex, 0);
  m_browser->Fire(DISPID_ONQUIT, {});
  ASSERT_EQ(2, RowCount(m_hWnd));
  EXPECT_EQ(kQuit, ReadRow(m_hWnd, 1).params);
  EXPECT_EQ("00000002", ReadRow(m_hWnd, 1).number);

  CEventListCtrl stopped;
  ASSERT_TRUE(stopped.Create(WS_CHILD | LVS_REPORT, RECT{}, &m_host, 2));
  ASSERT_TRUE(stopped.Connect(static_cast<IWebBrowser2*>(m_browser)));
  stopped.StopRecording();
  m_browser->Fire(DISPID_ONQUIT, {});
  ASSERT_EQ(3, stopped.GetItemCount());
  EXPECT_EQ(kStopped, stopped.GetItemText(1, 3));
  EXPECT_EQ(kQuit, stopped.GetItemText(2, 3));
  EXPECT_EQ("00000003", stopped.GetItemText(2, 0));
  EXPECT_FALSE(stopped.IsAttached());
}

TEST_F(EventListConnectedTest, DestroyingTheWindowUnadvises) {
  ASSERT_TRUE(m_list->Connect(static_cast<IWebBrowser2*>(m_browser)));
  ASSERT_EQ(1u, m_browser->SinkCount());
  m_list->DestroyWindow();
  EXPECT_EQ(0u, m_browser->SinkCount());
  EXPECT_FALSE(m_list->IsAttached());
  EXPECT_EQ(1, m_browser->RefCount());
}

TEST_F(EventListConnectedTest, NumberingRunsAcrossStopResumeAndClear) {
  ASSERT_TRUE(m_list->Connect(static_cast<IWebBrowser2*>(m_browser)));
  m_browser->Fire(DISPID_DOWNLOADBEGIN, {});
  EXPECT_TRUE(RouteCommand(m_list, ID_RECORD_STOP));
  m_browser->Fire(DISPID_DOWNLOADBEGIN, {});
  m_browser->Fire(DISPID_DOWNLOADCOMPLETE, {});
  RouteCommand(m_list, ID_RECORD_STOP);  // already stopped: nothing
  EXPECT_TRUE(RouteCommand(m_list, ID_RECORD_RESUME));
  RouteCommand(m_list, ID_RECORD_RESUME);  // already recording: nothing
  m_browser->Fire(DISPID_DOWNLOADCOMPLETE, {});

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"", kStarted}, {"DownloadBegin", ""}, {"", kStopped}, {"", kResumed},
      {"DownloadComplete", ""}};
  ASSERT_EQ(static_cast<int>(expected.size()), RowCount(m_hWnd));
  for (int i = 0; i < RowCount(m_hWnd); ++i) {
    const Row row = ReadRow(m_hWnd, i);
    EXPECT_EQ(Numbered(i + 1), row.number);
    EXPECT_EQ(expected[i].first.empty() ? "" : kPrefix + expected[i].first, row.name);
    EXPECT_EQ(expected[i].second, row.params);
    EXPECT_EQ(expected[i].first.empty() ? 1 : 0, row.image);
  }

  EXPECT_TRUE(RouteCommand(m_list, ID_LOG_CLEAR));
  ASSERT_EQ(1, RowCount(m_hWnd));
  EXPECT_EQ("00000001", ReadRow(m_hWnd, 0).number);
  EXPECT_EQ(kStarted, ReadRow(m_hWnd, 0).params);

  m_list->StopRecording();
  m_list->ClearLog();
  EXPECT_EQ(0, RowCount(m_hWnd));
  EXPECT_FALSE(m_list->m_bRecording);
  m_list->ResumeRecording();
  EXPECT_EQ("00000001", ReadRow(m_hWnd, 0).number);
  EXPECT_EQ(kResumed, ReadRow(m_hWnd, 0).params);
}

// Other programs read the log's texts with LVM_GETITEMTEXT, their buffer in this process.
TEST_F(EventListTest, AnotherProgramReadsTheSameTexts) {
  m_list->AddMessageRow("", kStarted, 1);
  m_list->AddEventRow("DIID_DWebBrowserEvents2::StatusTextChange", "Text:読み込み中 \x81\x20");
  const std::string longText = "Text:" + std::string(600, 'x');
  m_list->AddEventRow("DIID_DWebBrowserEvents2::StatusTextChange", longText.c_str());
  std::string expected;
  for (int row = 0; row < 3; ++row) {
    const Row r = ReadRow(m_hWnd, row);
    expected += r.number + "," + r.time + "," + r.name + "," + r.params + "\n";
  }
  EXPECT_NE(std::string::npos, expected.find(",DIID_DWebBrowserEvents2::StatusTextChange," + longText + "\n"));
  EXPECT_NE(std::string::npos, expected.find("Text:読み込み中 \x81\x20\n"));

  std::string read;
  EXPECT_TRUE(testsupport::ReadListTextsElsewhere(m_hWnd, 3, &read));
  EXPECT_EQ(expected, read);
}

// The end of a burst paints only the new rows and what scrolling uncovers: the rows already
// on screen are moved, never painted again, and the header is left alone.
TEST_F(EventListTest, EndingABurstPaintsOnlyTheNewRows) {
  // A log that notes each row the control paints, as the control tells it through custom draw.
  struct PaintRecordingList : CEventListCtrl {
    std::vector<int> painted;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
      const auto* draw = reinterpret_cast<const NMLVCUSTOMDRAW*>(lParam);
      if (message != WM_NOTIFY || draw->nmcd.hdr.code != NM_CUSTOMDRAW)
        return CEventListCtrl::OnChildNotify(message, wParam, lParam, pResult);
      if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) painted.push_back(static_cast<int>(draw->nmcd.dwItemSpec));
      *pResult = draw->nmcd.dwDrawStage == CDDS_PREPAINT ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
      return TRUE;
    }
  };
  ::ShowWindow(m_host.m_hWnd, SW_SHOWNOACTIVATE);
  PaintRecordingList list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 600, 200}, &m_host, 2));
  const HWND header = reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER));
  for (int rows : {3, 40}) {
    while (list.GetItemCount() < rows) list.AddMessageRow("", "row", 1);
    EndBurst(&list);
    ::RedrawWindow(m_host.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    list.painted.clear();
    list.AddMessageRow("", "new", 1);
    list.FlushPendingRows();
    EXPECT_FALSE(::GetUpdateRect(header, nullptr, FALSE)) << rows << " rows";
    ::RedrawWindow(m_host.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(std::vector<int>{rows}, list.painted) << rows << " rows";
  }
  ::ShowWindow(m_host.m_hWnd, SW_HIDE);
}

// Following the newest row: by default after every burst, wherever the user scrolled to;
// never while Scroll Lock is on; with the option, only while the newest row was in view.
TEST_F(EventListTest, TheLogFollowsItsNewestRowByTheFollowRules) {
  CEventListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 800, 200}, &m_host, 2));
  auto top = [&] { return static_cast<int>(list.SendMessage(LVM_GETTOPINDEX)); };
  auto onTheNewestRow = [&] {
    return top() > 0 && top() + static_cast<int>(list.SendMessage(LVM_GETCOUNTPERPAGE)) >= list.GetItemCount();
  };
  auto rowsArrive = [&](int n) {
    for (int i = 0; i < n; ++i) list.AddMessageRow("", "row", 1);
    EndBurst(&list);
  };
  auto setScrollLock = [](bool on) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SCROLL] = static_cast<BYTE>(on ? (keys[VK_SCROLL] | 1) : (keys[VK_SCROLL] & ~1));
    ::SetKeyboardState(keys);
  };
  rowsArrive(50);
  EXPECT_TRUE(onTheNewestRow());
  list.EnsureVisible(0, FALSE);
  rowsArrive(1);
  EXPECT_TRUE(onTheNewestRow()) << "by default, a user who scrolled up is brought back";

  setScrollLock(true);
  list.EnsureVisible(0, FALSE);
  rowsArrive(3);
  EXPECT_EQ(0, top());
  list.EnsureVisible(list.GetItemCount() - 1, FALSE);
  rowsArrive(3);
  EXPECT_FALSE(onTheNewestRow()) << "Scroll Lock keeps even the bottom still";
  setScrollLock(false);

  list.SetFollowOnlyAtBottom(true);
  list.EnsureVisible(list.GetItemCount() - 1, FALSE);
  rowsArrive(2);
  EXPECT_TRUE(onTheNewestRow());
  list.EnsureVisible(10, FALSE);
  const int reading = top();
  rowsArrive(5);
  EXPECT_EQ(reading, top()) << "scrolled up to read, the user stays where they are";
  list.EnsureVisible(list.GetItemCount() - 1, FALSE);
  rowsArrive(2);
  EXPECT_TRUE(onTheNewestRow()) << "back at the bottom, the log follows again";
  list.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
  const int oneUp = top();
  rowsArrive(1);
  EXPECT_EQ(oneUp, top()) << "scrolled up by a single row, the user stays there too";

  list.SetFollowOnlyAtBottom(false);
  list.EnsureVisible(0, FALSE);
  rowsArrive(1);
  EXPECT_TRUE(onTheNewestRow());
}

// Find selects the row found alone and goes on from the selected row; the commands ask for
// the text, find next and previous, and say when nothing is found. (Which rows a text
// matches, and the order find goes in: log_tests.)
TEST_F(EventListTest, FindSelectsTheRowFoundAndGoesOnFromTheSelection) {
  m_list->AddMessageRow("", kStarted, 1);
  m_list->AddEventRow("DIID_DWebBrowserEvents2::DocumentComplete", "URL:http://Example.com/");
  m_list->AddEventRow("DIID_DWebBrowserEvents2::StatusTextChange", "Text:\x83\x5C");
  m_list->AddEventRow("DIID_DWebBrowserEvents2::StatusTextChange", "Text:C:\\dir \x83\x5C");
  auto selected = [&] { return m_list->GetNextItem(-1, LVNI_SELECTED); };
  m_list->SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(0, m_list->FindRow("00000001", true));
  EXPECT_EQ(1u, m_list->GetSelectedCount());
  EXPECT_EQ(-1, m_list->FindRow("nowhere", true));
  EXPECT_EQ(0, selected());

  // Through the commands, with a text that the log's owner hands it to share: find next
  // before any find opens the find dialog, which stays open for the next press of 次を検索 and
  // moves off the row found; a find that goes round the log says so in the status bar.
  std::string shared;
  m_list->SetFindText(&shared);
  MessageBoxRecorder boxes;
  std::string typed = "statusTEXT";
  int opened = 0;
  bool covered = false;
  CDialog::ModalHook hook = CDialog::SetModalHook([&](CDialog& dialog) {
    ++opened;
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    m_list->SendMessage(LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&row), 2);
    ::SetWindowPos(dialog.m_hWnd, nullptr, row.left, row.top - 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SetDlgItemTextA(dialog.m_hWnd, IDC_FIND_TEXT, typed.c_str());
    dialog.SendMessage(WM_COMMAND, IDOK, 0);
    dialog.SendMessage(WM_COMMAND, IDOK, 0);  // on to row 3, under the dialog
    RECT now = {};
    ::GetWindowRect(dialog.m_hWnd, &now);
    covered = now.top < row.bottom && row.top < now.bottom;
    dialog.SendMessage(WM_COMMAND, IDCANCEL, 0);
  });
  std::vector<UINT> statuses;
  static std::vector<UINT>* s_statuses;
  s_statuses = &statuses;
  static WNDPROC s_hostProc;
  s_hostProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      m_host.m_hWnd, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == 0x0362) s_statuses->push_back(static_cast<UINT>(wParam));  // WM_SETMESSAGESTRING
        return ::CallWindowProcA(s_hostProc, hWnd, message, wParam, lParam);
      })));
  m_list->SetItemState(-1, 0, LVIS_SELECTED);
  EXPECT_TRUE(Enabled(ID_EDIT_FIND_NEXT_LOG));
  EXPECT_TRUE(RouteCommand(m_list, ID_EDIT_FIND_NEXT_LOG));
  EXPECT_EQ(1, opened);
  EXPECT_EQ(3, selected());
  EXPECT_FALSE(covered) << "the dialog moved off the row found";
  EXPECT_EQ("statusTEXT", shared);
  RouteCommand(m_list, ID_EDIT_FIND_NEXT_LOG);
  EXPECT_EQ(2, selected());
  RouteCommand(m_list, ID_EDIT_FIND_PREVIOUS_LOG);
  EXPECT_EQ(3, selected());
  EXPECT_TRUE(Enabled(ID_EDIT_FIND_LOG));
  EXPECT_EQ((std::vector<UINT>{AFX_IDS_IDLEMESSAGE, AFX_IDS_IDLEMESSAGE, IDS_FIND_WRAPPED_FORWARD,
                               IDS_FIND_WRAPPED_BACKWARD}),
            statuses);
  EXPECT_TRUE(boxes.Boxes().empty());
  typed = "zzz";
  RouteCommand(m_list, ID_EDIT_FIND_LOG);
  CDialog::SetModalHook(hook);
  ::SetWindowLongPtrA(m_host.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_hostProc));
  EXPECT_EQ(2, opened);
  ASSERT_EQ(2u, boxes.Boxes().size());  // once for each press
  EXPECT_EQ("「zzz」は見つかりませんでした。", boxes.Boxes()[0].text);
  EXPECT_EQ("zzz", shared);
  EXPECT_EQ(3, selected());
  m_list->StopRecording();
  m_list->ClearLog();
  EXPECT_FALSE(Enabled(ID_EDIT_FIND_LOG));
  EXPECT_FALSE(Enabled(ID_EDIT_FIND_NEXT_LOG));
  EXPECT_FALSE(Enabled(ID_EDIT_FIND_PREVIOUS_LOG));
}

// The rows' right-click menu holds the commands that act on rows, in the states their update
// handlers give; a choice runs on this log (すべて選択 selects every shown row). (Its keys,
// through the program's loop: app_tests.)
TEST_F(EventListTest, TheRowMenuOffersTheRowCommandsInTheirStates) {
  m_list->AddMessageRow("", kStarted, 1);
  m_list->AddEventRow("e", "x");
  m_list->AddEventRow("e", "y");
  EndBurst();
  POINT at = {20, 30};
  ::ClientToScreen(m_hWnd, &at);
  const testsupport::OpenedMenu menu = testsupport::WhileMenuOpen(
      [&] { m_list->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(at.x, at.y)); }, 'A');
  testsupport::PumpPendingMessages();
  EXPECT_EQ((std::vector<std::string>{"コピー(&C)\tCtrl+C", "すべて選択(&A)\tCtrl+A", "", "検索(&F)...\tCtrl+F",
                                      "フィルター(&I)...\tCtrl+Shift+F", "フィルターの解除(&R)", "",
                                      "ログを保存(&S)...", "ログのクリア(&L)", "", "時刻へ移動(&G)...\tCtrl+G"}),
            menu.texts);
  // Grayed: copy (no row selected), the separators, and clearing the filter (none is on).
  EXPECT_EQ((std::vector<bool>{true, false, true, false, false, true, true, false, false, true, false}), menu.grayed);
  EXPECT_EQ(3u, m_list->GetSelectedCount());
}

// Ctrl+A (its command, sent as the accelerator sends it, asking its state first) in the
// middle of the first burst selects every row, though the control has been told of none yet.
TEST_F(EventListTest, SelectAllMidBurstSelectsTheRowsNotYetShown) {
  for (int i = 0; i < 20; ++i) m_list->AddEventRow("e", "stored");
  ASSERT_TRUE(m_list->Model().InBurst());
  m_list->SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL_ROWS);
  EXPECT_EQ(20u, m_list->GetSelectedCount());
}

TEST_F(EventListTest, ParameterColumnGrowsToTheMeasuredWidthAndNeverShrinks) {
  HFONT font = m_list->GetFont();
  const std::string longText(120, 'W');
  ASSERT_GT(TextWidthIn(m_hWnd, font, longText + "00"), 250);
  m_list->AddEventRow("e", "short");
  EndBurst();
  EXPECT_EQ(250, m_list->GetColumnWidth(3));
  m_list->AddEventRow("e", longText.c_str());
  EndBurst();
  const int grown = TextWidthIn(m_hWnd, font, longText + "00");
  EXPECT_EQ(grown, m_list->GetColumnWidth(3));
  EXPECT_EQ(grown, m_list->m_nParamColumnWidth);
  m_list->AddMessageRow("", "short", 1);
  m_list->ClearLog();
  EndBurst();
  EXPECT_EQ(grown, m_list->GetColumnWidth(3));

  // A new font re-measures the fixed columns only.
  LOGFONTA lf = {};
  lf.lfHeight = -24;
  lstrcpyA(lf.lfFaceName, "IPAPGothic");
  HFONT big = ::CreateFontIndirectA(&lf);
  m_list->SetListFont(big, TRUE);
  EXPECT_EQ(big, m_list->GetFont());
  EXPECT_EQ(TextWidthIn(m_hWnd, big, "ABCEF00000") + 16, m_list->GetColumnWidth(0));
  EXPECT_EQ(TextWidthIn(m_hWnd, big, "00:00:0000"), m_list->GetColumnWidth(1));
  EXPECT_EQ(grown, m_list->GetColumnWidth(3));
  // A message row is measured too, in the new font.
  const std::string message(60, 'M');
  m_list->AddMessageRow("", message.c_str(), 1);
  EndBurst();
  EXPECT_EQ(std::max(grown, TextWidthIn(m_hWnd, big, message + "00")), m_list->GetColumnWidth(3));
  m_list->SetListFont(nullptr, FALSE);
  ::DeleteObject(big);
}

TEST_F(EventListTest, ALogEndsScrolledToItsNewestRowAndSeesEveryRowMidBurst) {
  CEventListCtrl list;
  // Wide enough that only the widened parameter column brings a horizontal scroll bar, which
  // then must not hide the newest row.
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 1000, 200}, &m_host, 2));
  IDispatch* sink = list.GetSink()->GetIDispatch(FALSE);
  auto onTheNewestRow = [&] {
    const int top = static_cast<int>(list.SendMessage(LVM_GETTOPINDEX));
    const int perPage = static_cast<int>(list.SendMessage(LVM_GETCOUNTPERPAGE));
    return top > 0 && top + perPage >= list.GetItemCount();
  };
  Bstrs bstr;
  for (int i = 0; i < 100; ++i) InvokeEvent(sink, DISPID_DOWNLOADBEGIN, {});
  EndBurst(&list);
  EXPECT_EQ(100, list.GetItemCount());
  EXPECT_TRUE(onTheNewestRow());
  // Wherever the user has scrolled to, the next row brings the newest one into view.
  list.EnsureVisible(0, FALSE);
  ASSERT_FALSE(onTheNewestRow());
  InvokeEvent(sink, DISPID_DOWNLOADCOMPLETE, {});
  EndBurst(&list);
  EXPECT_TRUE(onTheNewestRow());

  // Saving in the middle of a burst finishes it first: the column widened, the newest row in
  // view. (What it writes comes from the store: log_tests.)
  const std::string wide(120, 'W');
  InvokeEvent(sink, DISPID_STATUSTEXTCHANGE, {VarBstr(bstr(std::wstring(wide.begin(), wide.end()).c_str()))});
  const std::string path = testsupport::NewTempFile("olg");
  ASSERT_TRUE(list.Model().InBurst());
  EXPECT_TRUE(list.SaveLog(path.c_str()));
  EXPECT_FALSE(list.Model().InBurst());
  EXPECT_EQ(TextWidthIn(list.m_hWnd, list.GetFont(), "Text:" + wide + "00"), list.GetColumnWidth(3));
  EXPECT_NE(0u, list.GetStyle() & WS_HSCROLL);
  EXPECT_TRUE(onTheNewestRow());
  ::DeleteFileA(path.c_str());

  // Clearing in the middle of a burst leaves nothing pending that points past the rows.
  InvokeEvent(sink, DISPID_DOWNLOADBEGIN, {});
  list.ClearLog();
  EndBurst(&list);
  EXPECT_EQ(1, list.GetItemCount());
}

TEST_F(EventListConnectedTest, CommandStatesFollowTheConnectionRecordingRowsAndSelection) {
  // Resume, stop, save, copy and clear, in that order.
  auto expect = [&](std::vector<BOOL> states, const char* when) {
    EXPECT_EQ(states, (std::vector<BOOL>{Enabled(ID_RECORD_RESUME), Enabled(ID_RECORD_STOP), Enabled(ID_FILE_SAVE_LOG),
                                         Enabled(ID_EDIT_COPY), Enabled(ID_LOG_CLEAR)}))
        << when;
  };
  expect({FALSE, FALSE, TRUE, FALSE, FALSE}, "detached, empty");
  ASSERT_TRUE(m_list->Connect(static_cast<IWebBrowser2*>(m_browser)));
  expect({FALSE, TRUE, FALSE, FALSE, TRUE}, "recording");
  m_list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  expect({FALSE, TRUE, FALSE, TRUE, TRUE}, "recording, a row selected");
  RouteCommand(m_list, ID_RECORD_STOP);
  m_list->SetItemState(-1, 0, LVIS_SELECTED);
  expect({TRUE, FALSE, TRUE, FALSE, TRUE}, "stopped");
  RouteCommand(m_list, ID_LOG_CLEAR);
  expect({TRUE, FALSE, TRUE, FALSE, FALSE}, "stopped, cleared");
  RouteCommand(m_list, ID_RECORD_RESUME);
  m_browser->Fire(DISPID_ONQUIT, {});
  expect({FALSE, FALSE, TRUE, FALSE, TRUE}, "browser gone while recording");
  m_list->StopRecording();
  expect({FALSE, FALSE, TRUE, FALSE, TRUE}, "browser gone, stopped");
}

// --- saving and copying ------------------------------------------------------------------

class EventListExportTest : public EventListConnectedTest {
 protected:
  void SetUp() override {
    EventListConnectedTest::SetUp();
    m_path = testsupport::NewTempFile("olg");
  }
  void TearDown() override {
    ::DeleteFileA(m_path.c_str());
    EventListConnectedTest::TearDown();
  }

  // Fills the log with a start row, an event row and a stop row.
  void FillLog() {
    ASSERT_TRUE(m_list->Connect(static_cast<IWebBrowser2*>(m_browser)));
    m_browser->Fire(DISPID_DOWNLOADBEGIN, {});
    m_list->StopRecording();
    ASSERT_EQ(3, RowCount(m_hWnd));
  }

  std::string m_path;
};

TEST_F(EventListExportTest, SaveWritesEveryRowAsCommaSeparatedCrLfLines) {
  FillLog();
  std::vector<std::string> seen;
  CFileDialog::SetRunHook([&](CFileDialog& d) -> INT_PTR {
    seen = {d.m_ofn.lpstrTitle ? d.m_ofn.lpstrTitle : "", d.m_ofn.lpstrDefExt ? d.m_ofn.lpstrDefExt : "",
            std::to_string(d.m_ofn.Flags & 0x3402), std::to_string(d.m_ofn.lStructSize),
            d.GetFilterBuffer(), std::to_string(d.IsOpenFileDialog())};
    lstrcpynA(d.m_ofn.lpstrFile, m_path.c_str(), static_cast<int>(d.m_ofn.nMaxFile));
    return IDOK;
  });
  // The CSV option chooses what saving writes; off, plain lines (the bytes of both: log_tests).
  m_list->Model().SetSaveAsCsv(true);
  ASSERT_TRUE(m_list->SaveLog(m_path.c_str()));
  EXPECT_EQ(0u, testsupport::FileBytes(m_path).find("番号,日時,イベント名,パラメータ\r\n00000001,"));
  m_list->Model().SetSaveAsCsv(false);
  EXPECT_TRUE(RouteCommand(m_list, ID_FILE_SAVE_LOG));
  CFileDialog::SetRunHook(nullptr);

  const char filter[] = "ログファイル (*.log)\0*.log\0テキストファイル (*.txt)\0*.txt\0すべてのファイル (*.*)\0*.*\0\0\0";
  EXPECT_EQ((std::vector<std::string>{"保存ファイル名の設定", "log", std::to_string(0x3402),
                                      std::to_string(sizeof(OPENFILENAMEA)), std::string(filter, sizeof(filter) - 1),
                                      "0"}),
            seen);

  EXPECT_EQ(0u, testsupport::FileBytes(m_path).find("00000001," + ReadRow(m_hWnd, 0).time + ",," + kStarted + "\r\n00000002,"));

  // Cancelling the dialog writes nothing.
  ::DeleteFileA(m_path.c_str());
  CFileDialog::SetRunHook([](CFileDialog&) -> INT_PTR { return IDCANCEL; });
  RouteCommand(m_list, ID_FILE_SAVE_LOG);
  CFileDialog::SetRunHook(nullptr);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(m_path.c_str()));
}

// A name that cannot be written to is reported with the file and the system's reason, and
// the dialog comes back with that name so that another can be chosen; the log stays.
TEST_F(EventListExportTest, AFailedSaveIsReportedAndTheDialogComesBack) {
  FillLog();
  const std::string refused = m_path + ".missing\\a.log";
  std::vector<std::string> offered;
  CFileDialog::SetRunHook([&](CFileDialog& d) -> INT_PTR {
    offered.push_back(d.m_ofn.lpstrFile);
    const std::string& name = offered.size() == 1 ? refused : m_path;
    lstrcpynA(d.m_ofn.lpstrFile, name.c_str(), static_cast<int>(d.m_ofn.nMaxFile));
    return offered.size() <= 2 ? IDOK : IDCANCEL;
  });
  MessageBoxRecorder boxes;
  RouteCommand(m_list, ID_FILE_SAVE_LOG);
  CFileDialog::SetRunHook(nullptr);
  ASSERT_EQ(2u, offered.size());
  EXPECT_EQ(refused, offered[1]) << "the dialog comes back with the refused name";
  ASSERT_EQ(1u, boxes.Boxes().size());
  const std::string& text = boxes.Boxes()[0].text;
  EXPECT_EQ(0u, text.find(refused + " に保存できませんでした。\r\n\r\n")) << text;
  EXPECT_GT(text.size(), refused.size() + 40) << "the system's reason follows";
  EXPECT_EQ(3, RowCount(m_hWnd));
  EXPECT_EQ(0u, testsupport::FileBytes(m_path).find("00000001,"));
}

TEST_F(EventListExportTest, CopyPutsTheSelectedRowsOnTheClipboard) {
  FillLog();
  m_list->AddMessageRow("", "末尾", 1);
  ASSERT_EQ(4, RowCount(m_hWnd));

  ASSERT_TRUE(testsupport::SetClipboardText("before"));
  m_list->SetItemState(-1, 0, LVIS_SELECTED);
  EXPECT_FALSE(Enabled(ID_EDIT_COPY));
  RouteCommand(m_list, ID_EDIT_COPY);
  EXPECT_EQ("before", testsupport::ClipboardText());

  m_list->SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  m_list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_TRUE(Enabled(ID_EDIT_COPY));
  EXPECT_TRUE(RouteCommand(m_list, ID_EDIT_COPY));
  const std::string expected = "00000001," + ReadRow(m_hWnd, 0).time + ",," + kStarted + "\r\n" +
                               "00000004," + ReadRow(m_hWnd, 3).time + ",,末尾\r\n";
  EXPECT_EQ(expected, testsupport::ClipboardText());

  // Saving as CSV, copying writes CSV records: a field with a line break stays one record.
  m_list->AddMessageRow("", "a,\"b\"\r\nc", 1);
  m_list->Model().SetSaveAsCsv(true);
  m_list->SetItemState(-1, 0, LVIS_SELECTED);
  m_list->SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_TRUE(RouteCommand(m_list, ID_EDIT_COPY));
  EXPECT_EQ("00000005," + ReadRow(m_hWnd, 4).time + ",,\"a,\"\"b\"\"\r\nc\"\r\n", testsupport::ClipboardText());
}

}  // namespace
