// The whole program. Started as a process (ormix.exe from this build, sharing the test's
// registry): caption, stored window placement, bar layout and recent-file list across
// restarts, a document that cannot be opened, the About box, and a browser watched end to
// end through the window and the system's save dialog. Created in this process the way its
// start-up creates it and driven with real messages: command states in menus and on the
// tool bar, the accelerators, the selection dialog over the window, closing, fly-by
// prompts, the equal-width check mark and the status panes after a font change.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MainFrame.h"
#include "app/OrmixApp.h"
#include "browser/SelectBrowserDlg.h"
#include "threads/BoundedWork.h"
#include "framework/CmdUI.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/StandardIds.h"
#include "logview/EventListCtrl.h"
#include "res/resource.h"
#include "support/Clipboard.h"
#include "support/DialogDriver.h"
#include "support/Files.h"
#include "support/ListText.h"
#include "support/ListingWait.h"
#include "support/TabConnectWait.h"
#include "support/MessageBoxRecorder.h"
#include "support/MessagePump.h"
#include "support/PopupMenu.h"
#include "support/OrmixProcess.h"
#include "support/SimulatorFixture.h"
#include "view/OrmixView.h"

using testsupport::SimulatorProcess;

namespace {

const char kCaption[] = "Ormix for Internet Explorer";
const char kAppKey[] = "Software\\Morvane\\Ormix";
const char kStarted[] = "イベントの記録を開始しました。";
const char kStopped[] = "イベントの記録を停止しました。";

// --- settings ----------------------------------------------------------------------------

void ClearSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane"); }

std::string SubKey(const char* section) { return section ? std::string(kAppKey) + "\\" + section : kAppKey; }

void SetString(const char* section, const char* entry, const std::string& value) {
  RegSetKeyValueA(HKEY_CURRENT_USER, SubKey(section).c_str(), entry, REG_SZ, value.c_str(),
                  static_cast<DWORD>(value.size() + 1));
}

std::string GetString(const char* section, const char* entry) {
  char text[1024] = "";
  DWORD size = sizeof(text);
  if (RegGetValueA(HKEY_CURRENT_USER, SubKey(section).c_str(), entry, RRF_RT_REG_SZ, nullptr, text,
                   &size) != ERROR_SUCCESS)
    return "";
  return text;
}

// --- windows of another process ----------------------------------------------------------

using testsupport::PumpUntil;
using testsupport::OrmixProcess;
using testsupport::TextOf;

void SetTextOf(HWND hWnd, const std::string& text) {
  wchar_t wide[1024] = L"";
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 1024);
  SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide));
}

HWND Descendant(HWND parent, UINT id) {
  struct Search {
    UINT id;
    HWND found;
  } search = {id, nullptr};
  EnumChildWindows(parent, [](HWND hWnd, LPARAM lParam) {
    auto* s = reinterpret_cast<Search*>(lParam);
    if (static_cast<UINT>(GetDlgCtrlID(hWnd)) != s->id) return TRUE;
    s->found = hWnd;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RECT WindowRect(HWND hWnd) {
  RECT rect = {};
  GetWindowRect(hWnd, &rect);
  return rect;
}

std::string Describe(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof(text), "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

// Presses a key in another process's focused window, as the keyboard would deliver it.
void PressKeyIn(DWORD thread, UINT key) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return;
  PostMessageA(info.hwndFocus, WM_KEYDOWN, key, 1);
  PostMessageA(info.hwndFocus, WM_KEYUP, key, 1 | (3u << 30));
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override { ClearSettings(); }
  void TearDown() override { ClearSettings(); }

  // The main window's rectangle at start-up with `windowPos` stored (empty: none).
  RECT StartedRect(const std::string& windowPos) {
    ClearSettings();
    if (!windowPos.empty()) SetString("Settings", "WindowPos", windowPos);
    OrmixProcess ormix;
    EXPECT_TRUE(ormix.Start());
    const RECT rect = ormix.MainWindow() ? WindowRect(ormix.MainWindow()) : RECT{};
    EXPECT_TRUE(ormix.Close()) << windowPos;
    return rect;
  }
};

TEST_F(ProgramTest, OpensInTheStoredRectangleAndStoresAMaximisedClose) {
  SetString("Settings", "WindowPos", "0:1:-1:-1:-1:-1:100:100:700:500");
  OrmixProcess ormix;
  ASSERT_TRUE(ormix.Start()) << OrmixProcess::ExecutablePath();
  const HWND main = ormix.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(kCaption, TextOf(main));
  EXPECT_EQ(Describe(RECT{100, 100, 700, 500}), Describe(WindowRect(main)));

  PostMessageA(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(main) != FALSE; }, 10000));
  ASSERT_TRUE(ormix.Close());
  int v[10] = {};
  const std::string stored = GetString("Settings", "WindowPos");
  ASSERT_EQ(10, std::sscanf(stored.c_str(), "%i:%i:%i:%i:%i:%i:%i:%i:%i:%i", &v[0], &v[1], &v[2],
                            &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9]))
      << stored;
  EXPECT_EQ(WPF_RESTORETOMAXIMIZED, v[0] & WPF_RESTORETOMAXIMIZED) << stored;
  EXPECT_EQ(Describe(RECT{100, 100, 700, 500}), Describe(RECT{v[6], v[7], v[8], v[9]})) << stored;
}

TEST_F(ProgramTest, StoredPlacementNeedsTenNumbersInAnyCBase) {
  const RECT systemChoice = StartedRect("");
  const RECT stored = {100, 100, 700, 500};
  ASSERT_FALSE(EqualRect(&systemChoice, &stored));
  const struct {
    const char* stored;
    RECT expected;
  } cases[] = {
      {"0:1:-1:-1:-1:-1:100:100:700", systemChoice},  // nine numbers: ignored
      {"0:1:-1:-1:-1:-1:120:110:620:410:999", {120, 110, 620, 410}},
      {"0x0:0x1:-1:-0x1:-1:-1:0x64:0x50:0x258:0x1C2", {100, 80, 600, 450}},
      {"0:1:-1:-1:-1:-1:0170:0132:01200:0620", {120, 90, 640, 400}},
      {"0:1:-1:-1:-1:-1:-30:-20:470:380", {-30, -20, 470, 380}},
      // Saved on a monitor that is gone: brought onto the screen (1024 x 768, no task bar).
      {"0:1:-1:-1:-1:-1:3000:3000:3600:3400", {424, 368, 1024, 768}},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(c.expected), Describe(StartedRect(c.stored))) << c.stored;
}

TEST_F(ProgramTest, BarLayoutSurvivesARestart) {
  {
    OrmixProcess ormix;
    ASSERT_TRUE(ormix.Start());
    const HWND main = ormix.MainWindow();
    ASSERT_NE(nullptr, main);
    const HWND toolBar = Descendant(main, AFX_IDW_TOOLBAR);
    const HWND menuBar = Descendant(main, ID_MENUBAR);
    ASSERT_TRUE(toolBar && menuBar);
    const HWND topDock = GetParent(menuBar);

    // The tool bar hidden from the View menu's command.
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_VIEW_TOOLBAR, 0), 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(toolBar); }, 10000));

    // The menu bar dragged by its gripper (at its band's left end) towards the bottom.
    RECT bar = WindowRect(menuBar);
    MapWindowPoints(nullptr, topDock, reinterpret_cast<POINT*>(&bar), 2);
    const POINT grip = {3, (bar.top + bar.bottom) / 2};
    RECT client;
    GetClientRect(main, &client);
    POINT below = {client.right / 2, client.bottom * 3 / 4};
    MapWindowPoints(main, topDock, &below, 1);
    PostMessageA(topDock, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grip.x, grip.y));
    PostMessageA(topDock, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(below.x, below.y));
    PostMessageA(topDock, WM_LBUTTONUP, 0, MAKELPARAM(below.x, below.y));
    ASSERT_TRUE(PumpUntil([&] { return GetParent(menuBar) != topDock; }, 10000));
    ASSERT_TRUE(ormix.Close());
  }
  OrmixProcess again;
  ASSERT_TRUE(again.Start());
  const HWND main = again.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_FALSE(IsWindowVisible(Descendant(main, AFX_IDW_TOOLBAR)));
  EXPECT_TRUE(IsWindowVisible(Descendant(main, ID_MENUBAR)));
  EXPECT_GE(WindowRect(Descendant(main, ID_MENUBAR)).top,
            WindowRect(Descendant(main, AFX_IDW_PANE_FIRST)).bottom);  // below the view
  EXPECT_TRUE(again.Close());
}

TEST_F(ProgramTest, DocumentsOnTheCommandLineEnterTheRecentFilesOrEndStartUp) {
  char folder[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, folder);
  const std::string document = std::string(folder) + "ormix-app-test.ormix";
  std::ofstream(document, std::ios::binary) << "anything";
  // Named in full, or relative to the folder the program starts in: the list keeps it in full.
  for (const std::string& named : {document, std::string("ormix-app-test.ormix")}) {
    ClearSettings();
    OrmixProcess ormix;
    ASSERT_TRUE(ormix.Start("\"" + named + "\"", folder));
    ASSERT_NE(nullptr, ormix.MainWindow());
    ASSERT_TRUE(ormix.Close());
    EXPECT_EQ(0u, ormix.ExitCode());
    EXPECT_EQ(document, GetString("Recent File List", "File1")) << named;
  }
  DeleteFileA(document.c_str());

  // A file that cannot be opened: the framework says so, and the program ends.
  const std::string missing = std::string(folder) + "no-such-folder\\missing.ormix";
  OrmixProcess ormix;
  ASSERT_TRUE(ormix.Start("\"" + missing + "\""));
  const HWND box = ormix.WaitFor("#32770", nullptr);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("Ormix", TextOf(box));
  EXPECT_EQ("ドキュメント " + missing + " を開けませんでした。", TextOf(GetDlgItem(box, 0xFFFF)));
  EXPECT_EQ(nullptr, ormix.Find("OrmixMainFrame", nullptr));
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  ASSERT_TRUE(ormix.WaitForExit());
  EXPECT_NE(0u, ormix.ExitCode());
}

TEST_F(ProgramTest, AboutBoxFromTheHelpMenuClosesWithEnterAndEsc) {
  OrmixProcess ormix;
  ASSERT_TRUE(ormix.Start());
  const HWND main = ormix.MainWindow();
  ASSERT_NE(nullptr, main);
  for (UINT key : {VK_RETURN, VK_ESCAPE}) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    const HWND about = ormix.WaitFor("#32770", "バージョン情報");
    ASSERT_NE(nullptr, about);
    EXPECT_EQ(main, GetWindow(about, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(main));
    const RECT box = WindowRect(about), frame = WindowRect(main);
    EXPECT_NEAR((frame.left + frame.right) / 2, (box.left + box.right) / 2, 2) << "centred across";
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (box.top + box.bottom) / 2, 2) << "centred down";
    EXPECT_EQ("ormix@example.com", TextOf(GetDlgItem(about, IDC_ABOUT_MAIL)));
    EXPECT_EQ("https://www.example.com/ormix/", TextOf(GetDlgItem(about, IDC_ABOUT_URL)));
    PressKeyIn(ormix.Thread(), key);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 10000)) << key;
  }
  EXPECT_TRUE(ormix.Close());
}

// Picks the browser titled `title` in the running program's selection dialog and presses OK.
bool ChooseBrowser(OrmixProcess& ormix, const wchar_t* title) {
  const HWND main = ormix.MainWindow();
  if (!main) return false;
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_SELECT_BROWSER, 0), 0);
  const HWND select = ormix.WaitFor("#32770", "イベントを記録するInternet Explorerの選択");
  if (!select) return false;
  const HWND list = GetDlgItem(select, IDC_BROWSER_LIST);
  LRESULT chosen = -1;
  PumpUntil([&] {
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && chosen < 0; ++i) {
      wchar_t text[256] = L"";
      if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 256) continue;
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      if (wcscmp(text, title) == 0) chosen = i;
    }
    return chosen >= 0;
  }, 10000);
  if (chosen < 0) return false;
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  SendMessageW(select, WM_COMMAND, MAKEWPARAM(IDC_BROWSER_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  PostMessageW(GetDlgItem(select, IDOK), BM_CLICK, 0, 0);
  return true;
}

// Opens simulator browser b1 titled `title` (with `more` of its properties), starts the
// program and has it watch b1, chosen in its selection dialog.
void StartWatching(SimulatorProcess& sim, OrmixProcess& ormix, const std::string& title, const std::string& more = "") {
  ASSERT_TRUE(sim.Start()) << sim.Problem();
  ASSERT_EQ(0u, sim.Send("open b1 title=" + title + more).rfind("OK", 0));
  ASSERT_TRUE(ormix.Start());
  ASSERT_TRUE(ChooseBrowser(ormix, std::wstring(title.begin(), title.end()).c_str()));
  ASSERT_EQ(0u, sim.Send("wait sinks b1 1 timeout=20000").rfind("OK", 0));
}

// The program ends at once, and cleanly, with one watched browser answering, one hung, one
// gone without a word and one still being connected (it holds the advise); the one that
// answers gets back every reference it handed out.
TEST_F(ProgramTest, ExitingWithWatchedBrowsersAnsweringHungAndGoneEndsAtOnce) {
  SimulatorProcess sim;
  ASSERT_TRUE(sim.Start()) << sim.Problem();
  for (const char* command : {"open b1 title=Answering", "open b2 title=Hung thread=own", "open b3 title=Gone",
                              "open b4 title=Slow thread=own advise=hang:120000"})
    ASSERT_EQ(0u, sim.Send(command).rfind("OK", 0)) << command;
  const std::string answeringRefs = sim.Send("refs b1");
  OrmixProcess ormix;
  ASSERT_TRUE(ormix.Start());
  const std::pair<const wchar_t*, const char*> watched[] = {{L"Answering", "b1"}, {L"Hung", "b2"}, {L"Gone", "b3"}};
  for (const auto& [title, id] : watched) {
    ASSERT_TRUE(ChooseBrowser(ormix, title));
    ASSERT_EQ(0u, sim.Send(std::string("wait sinks ") + id + " 1 timeout=20000").rfind("OK", 0)) << id;
  }
  ASSERT_TRUE(ChooseBrowser(ormix, L"Slow"));
  ASSERT_TRUE(PumpUntil([] { return !FindWindowA("#32770", "イベントを記録するInternet Explorerの選択"); }, 20000));
  ASSERT_EQ(0u, sim.Send("fire b1 StatusTextChange bstr:queued").rfind("OK", 0));
  ASSERT_EQ(0u, sim.Send("close b3").rfind("OK", 0));

  // Far longer than the program's own exit (about 2 s under Wine) plus its 2 s of waiting;
  // ended below once the program has gone.
  const DWORD hangMs = 120000;
  ASSERT_EQ(0u, sim.Send("hang b2 " + std::to_string(hangMs)).rfind("OK", 0));
  PostMessageA(ormix.MainWindow(), WM_CLOSE, 0, 0);
  // The program gives the browser a short while to answer, then ends without it.
  EXPECT_TRUE(ormix.WaitForExit(hangMs / 2));
  EXPECT_EQ(0u, ormix.ExitCode());
  ASSERT_EQ(0u, sim.Send("unhang b2").rfind("OK", 0));
  ASSERT_EQ(0u, sim.Send("unhang b4").rfind("OK", 0));
  EXPECT_EQ(answeringRefs, sim.Send("refs b1"));
  EXPECT_EQ("OK sinks=0", sim.Send("sinks b1"));
  EXPECT_TRUE(sim.Stop());
  EXPECT_EQ(0u, sim.ExitCode());
}

// Selects a simulated browser in the selection dialog, records its events, stops and saves
// through the system's save dialog, all by commands and buttons of the running program.
TEST_F(ProgramTest, WatchesABrowserAndSavesWhatItFired) {
  testsupport::TempFolder folder("ormix-app-test-");
  const std::string path = folder.path + "\\watched.log";
  SimulatorProcess sim;
  OrmixProcess ormix;
  ASSERT_NO_FATAL_FAILURE(StartWatching(sim, ormix, "Watched", " url=http://example.com/"));
  const HWND main = ormix.MainWindow();

  for (const std::string& command : {std::string("status b1 ") + u8"\"読み込み中\"", std::string("progress b1 5 10"),
                                    std::string("title b1 ") + u8"\"日本語のページ\""})
    ASSERT_EQ(0u, sim.Send(command).rfind("OK", 0)) << command;
  // The events have reached the log (the start row and three) before recording is stopped:
  // a command posted now must not overtake them on their way to the window's thread.
  HWND log = nullptr;
  EnumChildWindows(main, [](HWND hWnd, LPARAM lParam) {
    char name[32] = "";
    GetClassNameA(hWnd, name, sizeof(name));
    if (lstrcmpiA(name, "SysListView32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&log));
  ASSERT_NE(nullptr, log);
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) >= 4; }, 10000));
  // The tool bar follows the recording state at idle time, also after the save dialog.
  const HWND toolBar = Descendant(main, AFX_IDW_TOOLBAR);
  auto enabled = [&](UINT id) { return (SendMessageA(toolBar, TB_GETSTATE, id, 0) & TBSTATE_ENABLED) != 0; };
  EXPECT_TRUE(PumpUntil([&] { return enabled(ID_RECORD_STOP) && !enabled(ID_RECORD_RESUME); }, 10000));
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_RECORD_STOP, 0), 0);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(ID_FILE_SAVE_LOG, 0), 0);
  const HWND save = ormix.WaitFor("#32770", "保存ファイル名の設定");
  ASSERT_NE(nullptr, save);
  EXPECT_EQ(main, GetWindow(save, GW_OWNER));
  HWND name = GetDlgItem(save, edt1);
  if (!name) name = GetDlgItem(save, cmb13);
  ASSERT_NE(nullptr, name);
  SetTextOf(name, path);
  PostMessageA(GetDlgItem(save, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(save); }, 10000))
      << "still open; a message: " << TextOf(GetDlgItem(ormix.Find("#32770", nullptr), 0xFFFF));
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);  // the save has ended
  EXPECT_TRUE(PumpUntil([&] {
    return !enabled(ID_RECORD_STOP) && enabled(ID_RECORD_RESUME) && enabled(ID_FILE_SAVE_LOG);
  }, 10000));

  const std::string saved = testsupport::FileBytes(path);
  const std::string rows[] = {std::string(",") + kStarted,
                              "DIID_DWebBrowserEvents2::StatusTextChange,Text:読み込み中",
                              "DIID_DWebBrowserEvents2::ProgressChange,Progress:5  ProgressMax:10",
                              "DIID_DWebBrowserEvents2::TitleChange,Text:日本語のページ",
                              std::string(",") + kStopped};
  // The times are the program's own: taken from the file, each checked for its shape.
  std::string expected;
  size_t at = 0;
  for (int i = 0; i < 5; ++i) {
    const std::string time = saved.size() >= at + 17 ? saved.substr(at + 9, 8) : "";
    int h = -1, m = -1, s = -1;
    EXPECT_EQ(3, std::sscanf(time.c_str(), "%2d:%2d:%2d", &h, &m, &s)) << time;
    char number[16];
    std::snprintf(number, sizeof(number), "%08d", i + 1);
    const std::string line = std::string(number) + "," + time + "," + rows[i] + "\r\n";
    expected += line;
    at += line.size();
  }
  EXPECT_EQ(expected, saved);
  EXPECT_TRUE(ormix.Close());
  EXPECT_TRUE(sim.Stop());
}

// The journal of a program ended by force in the middle of a burst holds whole rows only, in
// order, and every row it had written before the end: here every row of a first burst and
// some of a second one still under way when the program ended.
TEST_F(ProgramTest, AJournalOfAProgramEndedByForceMidBurstHoldsWholeRowsOnly) {
  const testsupport::TempFolder folder("ormix-forced-journal-");
  SetString(nullptr, "JournalFolder", folder.path);
  const DWORD on = 1;
  RegSetKeyValueA(HKEY_CURRENT_USER, kAppKey, "JournalOn", REG_DWORD, &on, sizeof(on));

  SimulatorProcess sim;
  OrmixProcess ormix;
  ASSERT_NO_FATAL_FAILURE(StartWatching(sim, ormix, "Forced"));
  auto journal = [&] {
    const std::vector<std::string> names = folder.Files();
    return names.size() == 1 ? folder.Read(names[0]) : std::string();
  };
  // The start row and a first burst of 200 rows, all in the file while the program runs.
  ASSERT_EQ(0u, sim.Send("repeat 200 status b1 first", 120000).rfind("OK", 0));
  ASSERT_TRUE(PumpUntil([&] { return journal().find("\r\n00000201,") != std::string::npos; }, 60000));
  // A second burst: rows reach the file while it goes on, and the program ends in its middle.
  const int second = 3000;
  ASSERT_TRUE(sim.Write("repeat " + std::to_string(second) + " status b1 second"));
  ASSERT_TRUE(PumpUntil([&] { return journal().find("\r\n00000251,") != std::string::npos; }, 60000));
  ASSERT_TRUE(ormix.Terminate());
  EXPECT_EQ(0u, sim.Reply(120000).rfind("OK", 0));  // the burst's calls end once the program is gone

  const std::string written = journal();
  ASSERT_GE(written.size(), 2u);
  EXPECT_EQ("\r\n", written.substr(written.size() - 2));
  std::istringstream lines(written);
  std::string line;
  int rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    char number[16];
    std::snprintf(number, sizeof(number), "%08d,", rows);
    const std::string event = rows == 1 ? std::string(",") + kStarted
                                        : std::string("DIID_DWebBrowserEvents2::StatusTextChange,Text:") +
                                              (rows <= 201 ? "first" : "second");
    // Number, time of day, then the row's own texts, and the line's end.
    ASSERT_EQ(number + (line.size() >= 18 ? line.substr(9, 9) : "") + event + "\r", line) << "row " << rows;
  }
  EXPECT_GE(rows, 251);
  EXPECT_LE(rows, 201 + second);
  EXPECT_TRUE(sim.Stop());
}

// --- the program's window created in this process ----------------------------------------

// Dispatches messages as the program's loop does: the application's PreTranslateMessage
// (and so the accelerators) first.
bool PumpProgram(CWinApp& app, const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  return testsupport::PumpUntil(done, timeoutMs, [&app](MSG& msg) { return app.PreTranslateMessage(&msg) != FALSE; });
}

using testsupport::ClipboardText;
using testsupport::SetClipboardText;

class WindowTest : public testsupport::SimulatorFixture {
 protected:
  void SetUp() override {
    ClearSettings();
    SimulatorFixture::SetUp();
  }
  void TearDown() override {
    if (m_frame && CWnd::FromHandlePermanent(m_hWndFrame) == m_frame) m_frame->SendMessage(WM_CLOSE);
    testsupport::PumpPendingMessages();
    // The tabs' connections are let go on worker threads before the references are counted.
    EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(60000));
    SimulatorFixture::TearDown();
    ClearSettings();
  }

  // Runs the program's start-up in this process.
  void Start() {
    m_app.m_hInstance = GetModuleHandleA(nullptr);
    m_app.m_pszAppName = "Ormix";
    m_app.m_nCmdShow = SW_SHOW;
    ASSERT_TRUE(m_app.InitInstance());
    m_frame = dynamic_cast<CMainFrame*>(m_app.m_pMainWnd);
    ASSERT_NE(nullptr, m_frame);
    m_hWndFrame = m_frame->m_hWnd;
    m_view = dynamic_cast<COrmixView*>(m_frame->GetActiveView());
    ASSERT_NE(nullptr, m_view);
  }

  void Command(UINT id) { m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  // The drop-down menu holding `id`, with its states brought up to date as it opens.
  HMENU OpenedMenuOf(UINT id, HMENU menu = nullptr) {
    if (!menu) menu = m_frame->m_wndMenuBar.GetMenu();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      if (HMENU sub = GetSubMenu(menu, i)) {
        if (HMENU found = OpenedMenuOf(id, sub)) return found;
      } else if (GetMenuItemID(menu, i) == id) {
        m_frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        return menu;
      }
    }
    return nullptr;
  }
  UINT MenuState(UINT id) {
    HMENU menu = OpenedMenuOf(id);
    return menu ? GetMenuState(menu, id, MF_BYCOMMAND) : static_cast<UINT>(-1);
  }

  // Checks a command's state in its menu and, where it has a button, on the tool bar after
  // the program's idle-time update.
  void ExpectEnabled(UINT id, bool enabled) {
    EXPECT_EQ(!enabled, (MenuState(id) & MF_GRAYED) != 0) << "menu item " << id;
    m_app.OnIdle(0);
    CToolBar& bar = m_frame->m_wndToolBar;
    if (bar.CommandToIndex(id) < 0) return;
    EXPECT_EQ(enabled, (bar.SendMessage(TB_GETSTATE, id) & TBSTATE_ENABLED) != 0) << "button " << id;
  }

  // Picks simulator browser `id` in the selection dialog opened by the menu's command.
  void SelectBrowser(const char* id) {
    const HWND browser = Frame(id);
    CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
      ASSERT_TRUE(testsupport::WaitForListing(static_cast<CSelectBrowserDlg&>(dialog)));
      testsupport::ClickButton(dialog, testsupport::SelectListedWindow(dialog, browser) ? IDOK : IDCANCEL);
    });
    Command(ID_SELECT_BROWSER);
    CDialog::SetModalHook(previous);
    ASSERT_TRUE(testsupport::WaitForConnects(*m_view));
  }

  HWND List() {
    CWnd* tab = m_view->ActiveTabWindow();
    return tab ? tab->m_hWnd : nullptr;
  }
  int Rows() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }
  void Select(int row, bool on) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = on ? LVIS_SELECTED : 0;
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  std::string RowText(int row) {
    std::string line;
    for (int column = 0; column < 4; ++column)
      line += (column ? "," : "") + testsupport::ListItemText(List(), row, column);
    return line;
  }

  // Presses `key` with the modifier keys held, in the focused log, through the program's
  // message loop.
  void Press(std::vector<UINT> modifiers, UINT key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE held[256];
    memcpy(held, keys, sizeof(held));
    bool alt = false;
    for (UINT m : modifiers) {
      held[m] |= 0x80;
      alt = alt || m == VK_MENU;
    }
    SetKeyboardState(held);
    const HWND target = List() ? List() : m_view->m_hWnd;
    // F10 comes as a system key, as Alt does.
    const bool system = alt || key == VK_F10;
    PostMessageA(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | (alt ? 1 << 29 : 0));
    PostMessageA(target, system ? WM_SYSKEYUP : WM_KEYUP, key, 1 | (3u << 30) | (alt ? 1 << 29 : 0));
    PumpProgram(m_app, [] { return true; });
    SetKeyboardState(keys);
  }

  COrmixApp m_app;
  CMainFrame* m_frame = nullptr;
  HWND m_hWndFrame = nullptr;
  COrmixView* m_view = nullptr;
};

TEST_F(WindowTest, CommandStatesFollowTabsRecordingAndSelection) {
  Start();
  const UINT logCommands[] = {ID_FILE_SAVE_LOG,   ID_LOG_CLEAR, ID_RECORD_RESUME, ID_RECORD_STOP,
                              ID_FILE_SAVE_TRACE, ID_EDIT_COPY};
  const UINT always[] = {ID_SELECT_BROWSER, ID_VIEW_FONT,  ID_TAB_EQUAL_WIDTH, ID_APP_ABOUT,
                         ID_APP_EXIT,       ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR};
  for (UINT id : logCommands) ExpectEnabled(id, false);
  for (UINT id : always) ExpectEnabled(id, true);

  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  ASSERT_EQ(1, m_view->GetTabCount());
  // The menu and the tool bar show the states the selected log gives its commands (every
  // state of each command: eventlog_tests).
  ExpectEnabled(ID_RECORD_STOP, true);
  ExpectEnabled(ID_LOG_CLEAR, true);
  ExpectEnabled(ID_FILE_SAVE_TRACE, true);  // the log has its start row
  Command(ID_RECORD_STOP);
  ExpectEnabled(ID_RECORD_RESUME, true);
  ExpectEnabled(ID_FILE_SAVE_LOG, true);
  Select(0, true);
  ExpectEnabled(ID_EDIT_COPY, true);
  for (UINT id : always) ExpectEnabled(id, true);
}

TEST_F(WindowTest, SelectionDialogOpensCentredOverTheWindow) {
  Start();
  m_frame->SetWindowPos(nullptr, 100, 40, 820, 700, SWP_NOZORDER);
  RECT frame, dialog = {};
  m_frame->GetWindowRect(&frame);
  CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& d) {
    d.GetWindowRect(&dialog);
    d.EndDialog(IDCANCEL);
  });
  Command(ID_SELECT_BROWSER);
  CDialog::SetModalHook(previous);
  EXPECT_NEAR((frame.left + frame.right) / 2, (dialog.left + dialog.right) / 2, 2) << Describe(dialog);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (dialog.top + dialog.bottom) / 2, 2) << Describe(dialog);
}

// Exiting asks once about every log that would be lost; Cancel keeps the window, No closes it.
TEST_F(WindowTest, ExitingAsksOnceForAllLogsThatWouldBeLost) {
  Start();
  Ok("open b1 title=Watched");
  MessageBoxRecorder boxes;
  boxes.SetAnswer(IDNO);  // choosing the watched browser again opens a second tab
  SelectBrowser("b1");
  SelectBrowser("b1");
  ASSERT_EQ(1u, boxes.Boxes().size());
  Command(ID_VIEW_ASK_BEFORE_DISCARD);
  Ok("status b1 unsaved");
  boxes.SetAnswer(IDCANCEL);
  Command(ID_APP_EXIT);
  EXPECT_TRUE(IsWindow(m_hWndFrame));
  ASSERT_EQ(2u, boxes.Boxes().size());
  EXPECT_NE(std::string::npos, boxes.Boxes()[1].text.find("2 個"));
  boxes.SetAnswer(IDNO);
  Command(ID_APP_EXIT);
  EXPECT_FALSE(IsWindow(m_hWndFrame));
  EXPECT_EQ(3u, boxes.Boxes().size());
}

// The status bar names the selected tab's journal, and says once that a journal cannot be
// written.
TEST_F(WindowTest, TheStatusBarNamesTheJournalAndTellsWhenItCannotBeWritten) {
  Start();
  const testsupport::TempFolder journal("ormix-status-journal-");
  const std::string& folder = journal.path;
  m_view->UseJournalFolderForThisRun(folder);
  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  auto statusSays = [&](const std::string& start) {
    return PumpProgram(m_app, [&] {
      m_app.OnIdle(0);
      return m_frame->GetMessageText().rfind(start, 0) == 0;
    }, 30000);
  };
  auto* list = dynamic_cast<CEventListCtrl*>(CWnd::FromHandlePermanent(List()));
  ASSERT_NE(nullptr, list);
  const std::string path = list->Model().JournalPath();
  EXPECT_TRUE(statusSays("ジャーナル: " + path.substr(folder.size() + 1))) << m_frame->GetMessageText();
  EXPECT_NE(std::string::npos, path.find(" Watched.txt"));

  // A folder that cannot be made: its parent is a plain file.
  const std::string plain = folder + "\\plain";
  CloseHandle(CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::string unmade = plain + "\\journal";
  m_view->UseJournalFolderForThisRun(unmade);
  EXPECT_TRUE(statusSays("ジャーナル " + unmade + "\\")) << m_frame->GetMessageText();
  EXPECT_TRUE(m_view->JournalFailed());
}

// When the session ends, every journal holds every row of its log and is closed by the time
// the frame has answered, while the window is still there.
TEST_F(WindowTest, TheSessionsEndWritesOutAndClosesTheJournals) {
  Start();
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  // A folder of this run's own: an earlier run may have left its files.
  const std::string folder = std::string(temp) + "ormix-session-end-" + std::to_string(GetTickCount());
  CreateDirectoryA(folder.c_str(), nullptr);
  m_view->UseJournalFolderForThisRun(folder);
  Ok("open b1 title=Ending");
  SelectBrowser("b1");
  Ok("status b1 one");
  Ok("status b1 two");
  ASSERT_TRUE(PumpProgram(m_app, [&] { return Rows() == 3; }, 30000)) << Rows();
  m_frame->SendMessage(WM_ENDSESSION, TRUE, 0);
  ASSERT_TRUE(IsWindow(m_hWndFrame));

  WIN32_FIND_DATAA found = {};
  const HANDLE search = FindFirstFileA((folder + "\\*.txt").c_str(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  FindClose(search);
  const std::string path = folder + "\\" + found.cFileName;
  // Opening it without sharing it for writing succeeds only once no journal holds it.
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, file) << GetLastError();
  CloseHandle(file);
  std::ifstream in(path, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  in.close();
  EXPECT_EQ(0u, text.rfind("00000001,", 0)) << text;
  EXPECT_NE(std::string::npos, text.find("\r\n00000003,")) << text;
  EXPECT_NE(std::string::npos, text.find("StatusTextChange,Text:two\r\n")) << text;
  DeleteFileA(path.c_str());
  RemoveDirectoryA(folder.c_str());
}

// Closing hides the window before its teardown begins (the frame's destruction), also while
// a watched browser does not answer.
TEST_F(WindowTest, ClosingHidesTheWindowBeforeItsTeardownWhileAWatchedBrowserHangs) {
  Start();
  Ok("open b1 title=Hung");
  SelectBrowser("b1");
  ASSERT_EQ(1, m_view->GetTabCount());
  Ok("hang b1 120000");
  static HWND s_frame;
  static int s_visibleAtTeardown;
  s_frame = m_hWndFrame;
  s_visibleAtTeardown = -1;
  const HHOOK hook = SetWindowsHookExA(WH_CBT, [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == s_frame)
      s_visibleAtTeardown = IsWindowVisible(s_frame) ? 1 : 0;
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  m_frame->SendMessage(WM_CLOSE);
  UnhookWindowsHookEx(hook);
  EXPECT_FALSE(IsWindow(m_hWndFrame));
  EXPECT_EQ(0, s_visibleAtTeardown);
  Ok("unhang b1");
}

TEST_F(WindowTest, ClosingTheWindowClosesTheDocument) {
  Start();
  CDocument* document = m_view->GetDocument();
  ASSERT_NE(nullptr, document);
  auto* docTemplate = dynamic_cast<CSingleDocTemplate*>(document->GetDocTemplate());
  ASSERT_NE(nullptr, docTemplate);
  ASSERT_EQ(document, docTemplate->GetDocument());
  m_frame->SendMessage(WM_CLOSE);
  EXPECT_FALSE(IsWindow(m_hWndFrame));
  // Closed (and deleted) with its window, while the program still runs with OLE up.
  EXPECT_EQ(nullptr, docTemplate->GetDocument());
}

TEST_F(WindowTest, FirstPaintShowsCommandStatesAndTheTabStripMakesItsToolTipForItsFirstTab) {
  Start();
  // Before any idle time: the bars already show what the commands allow.
  CToolBar& bar = m_frame->m_wndToolBar;
  EXPECT_EQ(0, bar.SendMessage(TB_GETSTATE, ID_FILE_SAVE_LOG) & TBSTATE_ENABLED);
  EXPECT_NE(0, bar.SendMessage(TB_GETSTATE, ID_SELECT_BROWSER) & TBSTATE_ENABLED);

  EXPECT_NE(0u, m_view->GetStyle() & TCS_TOOLTIPS);
  EXPECT_EQ(nullptr, m_view->GetToolTips());
  EXPECT_EQ(0, m_view->SendMessage(TCM_GETTOOLTIPS));
  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  ASSERT_EQ(1, m_view->GetTabCount());
  const HWND tip = m_view->GetToolTips();
  ASSERT_NE(nullptr, tip);
  EXPECT_EQ(reinterpret_cast<LRESULT>(tip), m_view->SendMessage(TCM_GETTOOLTIPS));
  EXPECT_EQ(2, tip ? SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0) : 0);  // the tab's and the close button's
}

// The filter key narrows the selected log; while a filter is on, the status bar's idle text
// says how many rows show, following the rows that arrive, and clearing it brings back the
// idle text and every row. Both commands are disabled with no tab.
TEST_F(WindowTest, TheFilterKeyNarrowsTheLogAndTheStatusBarCountsItsRows) {
  Start();
  ExpectEnabled(ID_EDIT_FILTER_LOG, false);
  ExpectEnabled(ID_EDIT_CLEAR_FILTER_LOG, false);
  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  Ok("status b1 first");
  Ok("status b1 second");
  ASSERT_TRUE(PumpProgram(m_app, [&] { return Rows() == 3; }));
  SetFocus(List());
  CDialog::ModalHook previous = CDialog::SetModalHook([](CDialog& dialog) {
    SetDlgItemTextA(dialog.m_hWnd, IDC_FILTER_TEXT, "second");
    testsupport::ClickButton(dialog, IDOK);
  });
  Press({VK_CONTROL, VK_SHIFT}, 'F');
  CDialog::SetModalHook(previous);
  ASSERT_EQ(1, Rows());
  auto statusSays = [&](const std::string& text) {
    return PumpProgram(m_app, [&] {
      m_app.OnIdle(0);
      return m_frame->GetMessageText() == text;
    });
  };
  EXPECT_TRUE(statusSays("1 / 3 行を表示")) << m_frame->GetMessageText();
  Ok("status b1 seconds");
  Ok("status b1 third");
  EXPECT_TRUE(statusSays("2 / 5 行を表示")) << m_frame->GetMessageText();
  EXPECT_EQ("00000004", RowText(1).substr(0, 8));
  ExpectEnabled(ID_EDIT_CLEAR_FILTER_LOG, true);
  Command(ID_EDIT_CLEAR_FILTER_LOG);
  EXPECT_TRUE(statusSays("レディ")) << m_frame->GetMessageText();
  EXPECT_EQ(5, Rows());
}

TEST_F(WindowTest, CopyKeysCopyTheSelectedRowsAndTheOtherKeysDoNothingOfOurs) {
  Start();
  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  Ok("status b1 first");
  Ok("status b1 second");
  ASSERT_TRUE(PumpProgram(m_app, [&] { return Rows() == 3; }));
  SetFocus(List());

  ASSERT_TRUE(SetClipboardText("before"));
  Press({VK_CONTROL}, 'C');  // nothing selected
  EXPECT_EQ("before", ClipboardText());
  Select(1, true);
  Select(2, true);
  const std::string rows = RowText(1) + "\r\n" + RowText(2) + "\r\n";
  Press({VK_CONTROL}, 'C');
  EXPECT_EQ(rows, ClipboardText());
  ASSERT_TRUE(SetClipboardText("before"));
  Press({VK_CONTROL}, VK_INSERT);
  EXPECT_EQ(rows, ClipboardText());

  MessageBoxRecorder boxes;
  int dialogs = 0;
  CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
    ++dialogs;
    dialog.EndDialog(IDCANCEL);
  });
  ASSERT_TRUE(SetClipboardText("before"));
  const struct {
    std::vector<UINT> modifiers;
    UINT key;
  } others[] = {{{VK_CONTROL}, 'N'}, {{VK_CONTROL}, 'O'}, {{VK_CONTROL}, 'S'}, {{VK_CONTROL}, 'P'},
                {{VK_CONTROL}, 'Z'}, {{VK_CONTROL}, 'X'}, {{VK_CONTROL}, 'V'}, {{VK_MENU}, VK_BACK},
                {{VK_SHIFT}, VK_DELETE}, {{VK_SHIFT}, VK_INSERT}, {{}, VK_F6}, {{VK_SHIFT}, VK_F6}};
  for (const auto& k : others) Press(k.modifiers, k.key);
  CDialog::SetModalHook(previous);
  EXPECT_EQ("before", ClipboardText());
  EXPECT_EQ(0, dialogs);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_TRUE(IsWindow(m_hWndFrame));
  EXPECT_EQ(1, m_view->GetTabCount());
  EXPECT_EQ(3, Rows());
}

// The keys users of Windows lists expect, through the program's own loop: Ctrl+A selects
// every row, F3 before any find opens the find dialog, Shift+F10 (rather than the menu bar)
// and the context-menu key open the rows' menu, Ctrl+Tab, Ctrl+PageDown, Ctrl+Shift+Tab and
// Ctrl+PageUp go round the tabs, and Ctrl+F4 and Ctrl+W close the active one.
TEST_F(WindowTest, TheKeysOfAWindowsListSelectFindOpenTheRowMenuAndSwitchTabs) {
  Start();
  Ok("open b1 title=First");
  Ok("open b2 title=Second");
  SelectBrowser("b1");
  SelectBrowser("b2");
  ASSERT_EQ(2, m_view->GetTabCount());
  Ok("status b2 first");
  ASSERT_TRUE(PumpProgram(m_app, [&] { return Rows() == 2; }));
  SetFocus(List());
  Press({VK_CONTROL}, 'A');
  EXPECT_EQ(2, SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0));
  std::vector<UINT> dialogs;
  CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
    dialogs.push_back(dialog.GetTemplateId());
    dialog.EndDialog(IDCANCEL);
  });
  Press({}, VK_F3);
  CDialog::SetModalHook(previous);
  EXPECT_EQ(std::vector<UINT>{IDD_FIND_LOG}, dialogs);
  const testsupport::OpenedMenu byShiftF10 = testsupport::WhileMenuOpen([&] { Press({VK_SHIFT}, VK_F10); }, 0);
  const testsupport::OpenedMenu byMenuKey = testsupport::WhileMenuOpen([&] { Press({}, VK_APPS); }, 0);
  ASSERT_EQ(11u, byShiftF10.texts.size());
  EXPECT_EQ("コピー(&C)\tCtrl+C", byShiftF10.texts[0]);
  EXPECT_FALSE(byShiftF10.grayed[0]) << "copy, with the rows selected";
  EXPECT_EQ(byShiftF10.texts, byMenuKey.texts);
  const struct {
    std::vector<UINT> modifiers;
    UINT key;
    int tab;
  } steps[] = {{{VK_CONTROL}, VK_TAB, 0},
               {{VK_CONTROL}, VK_NEXT, 1},
               {{VK_CONTROL, VK_SHIFT}, VK_TAB, 0},
               {{VK_CONTROL}, VK_PRIOR, 1}};
  for (const auto& step : steps) {
    Press(step.modifiers, step.key);
    EXPECT_EQ(step.tab, m_view->GetActiveTab()) << step.key;
  }

  // Ctrl+F4 and Ctrl+W close the active tab, asking first about rows that would be lost.
  Command(ID_VIEW_ASK_BEFORE_DISCARD);
  m_view->ActivateTab(1);
  MessageBoxRecorder boxes;
  boxes.SetAnswer(IDCANCEL);
  Press({VK_CONTROL}, VK_F4);
  EXPECT_EQ(2, m_view->GetTabCount());
  boxes.SetAnswer(IDNO);
  Press({VK_CONTROL}, 'W');
  ASSERT_EQ(1, m_view->GetTabCount());
  EXPECT_EQ(2u, boxes.Boxes().size());
  ExpectEnabled(ID_TAB_CLOSE_ACTIVE, true);
  Press({VK_CONTROL}, VK_F4);  // nothing unsaved in the first tab: no question
  EXPECT_EQ(0, m_view->GetTabCount());
  EXPECT_EQ(2u, boxes.Boxes().size());
  ExpectEnabled(ID_TAB_CLOSE_ACTIVE, false);
}

// Ctrl+G, through the program's loop, asks for a time and selects the first row at or after
// the time typed, alone. (The dialog and the rows it finds: eventlog_tests and log_tests.)
TEST_F(WindowTest, CtrlGGoesToTheFirstRowAtOrAfterTheTimeTyped) {
  Start();
  Command(ID_VIEW_TIME_MILLISECONDS);
  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  Ok("status b1 first");
  Ok("status b1 second");
  ASSERT_TRUE(PumpProgram(m_app, [&] { return Rows() == 3; }));
  SetFocus(List());
  Select(0, true);
  // The newest row's time; an older row stamped in the same millisecond comes first.
  const std::string typed = testsupport::ListItemText(List(), 2, 1);
  int expected = 0;
  while (testsupport::ListItemText(List(), expected, 1) != typed) ++expected;
  std::vector<UINT> dialogs;
  CDialog::ModalHook previous = CDialog::SetModalHook([&](CDialog& dialog) {
    dialogs.push_back(dialog.GetTemplateId());
    SetDlgItemTextA(dialog.m_hWnd, IDC_GO_TO_TIME_TEXT, typed.c_str());
    testsupport::ClickButton(dialog, IDOK);
  });
  Press({VK_CONTROL}, 'G');
  CDialog::SetModalHook(previous);
  EXPECT_EQ(std::vector<UINT>{IDD_GO_TO_TIME}, dialogs);
  EXPECT_EQ(1, SendMessageA(List(), LVM_GETSELECTEDCOUNT, 0, 0));
  EXPECT_EQ(expected, SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) << typed;
}

TEST_F(WindowTest, HoveredButtonsShowPromptsAndTheEqualWidthMarkFollowsTheStoredStyle) {
  const DWORD zero = 0;
  RegSetKeyValueA(HKEY_CURRENT_USER, kAppKey, "TabFixdWidth", REG_DWORD, &zero, sizeof(zero));
  Start();
  EXPECT_FALSE(m_view->GetStyle() & TCS_FIXEDWIDTH);
  EXPECT_FALSE(MenuState(ID_TAB_EQUAL_WIDTH) & MF_CHECKED);
  Command(ID_TAB_EQUAL_WIDTH);
  EXPECT_TRUE(m_view->GetStyle() & TCS_FIXEDWIDTH);
  EXPECT_TRUE(MenuState(ID_TAB_EQUAL_WIDTH) & MF_CHECKED);

  // The pointer rests on the "select a browser" button.
  CToolBar& bar = m_frame->m_wndToolBar;
  RECT button;
  bar.GetItemRect(bar.CommandToIndex(ID_SELECT_BROWSER), &button);
  POINT centre = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
  POINT screen = centre;
  ClientToScreen(bar.m_hWnd, &screen);
  SetCursorPos(screen.x, screen.y);
  bar.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
  EXPECT_TRUE(PumpProgram(m_app, [&] {
    return m_frame->GetMessageText() == "イベントを監視するInternet Explorerを選択します。";
  })) << m_frame->GetMessageText();
}

// The tab's context menu, tracked by the view, shows its items' prompts in the frame's
// status bar as the frame's own menus do, and the idle text once it closes.
TEST_F(WindowTest, TabContextMenuShowsPromptsInTheStatusBar) {
  Start();
  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  ASSERT_EQ(1, m_view->GetTabCount());
  static CMainFrame* frame;
  static std::vector<std::string> seen;
  static int step;
  frame = m_frame;
  seen.clear();
  step = 0;
  // Down to the first item, down to the next past the separator, then Esc; the status text
  // is read after each key has been handled.
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWnd = FindWindowA("#32768", nullptr);
    if (!menuWnd || !IsWindowVisible(menuWnd)) return;
    if (step == 3) {
      KillTimer(nullptr, id);
      return;
    }
    if (step > 0) seen.push_back(frame->GetMessageText());
    const UINT keys[] = {VK_DOWN, VK_DOWN, VK_ESCAPE};
    PostMessageA(menuWnd, WM_KEYDOWN, keys[step++], 0);
  });
  RECT tab = {};
  m_view->SendMessage(TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  m_view->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2));
  KillTimer(nullptr, timer);
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("", seen[0]);  // アクティブ化(&A) has no prompt
  EXPECT_EQ("アクティブなタブを閉じます。", seen[1]);
  EXPECT_EQ("レディ", m_frame->GetMessageText());
  EXPECT_EQ(1, m_view->GetTabCount());
}

// The selected log's column header stays painted when the equal-width command restyles
// the strip, either way.
TEST_F(WindowTest, ColumnHeaderStaysPaintedThroughTheEqualWidthCommand) {
  Start();
  Ok("open b1 title=Watched");
  SelectBrowser("b1");
  const HWND header = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0));
  auto textPixels = [header] {
    RECT client = {};
    GetClientRect(header, &client);
    HDC dc = GetDC(header);
    int count = 0;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96) ++count;
      }
    ReleaseDC(header, dc);
    return count;
  };
  ASSERT_TRUE(PumpProgram(m_app, [&] { return textPixels() > 0; }));
  for (int i = 0; i < 2; ++i) {
    Command(ID_TAB_EQUAL_WIDTH);
    PumpProgram(m_app, [] { return true; });
    EXPECT_GT(textPixels(), 0) << "after the command's run " << i + 1;
  }
}

TEST_F(WindowTest, StatusPanesFollowTheSystemStatusFont) {
  Start();
  NONCLIENTMETRICSA original = {};
  original.cbSize = sizeof(original);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(original), &original, 0));
  NONCLIENTMETRICSA bigger = original;
  bigger.lfStatusFont.lfHeight = -24;
  struct Restore {
    NONCLIENTMETRICSA metrics;
    ~Restore() { SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0); }
  } restore = {original};
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(bigger), &bigger, 0));
  m_frame->SendMessage(WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, reinterpret_cast<LPARAM>("WindowMetrics"));

  CStatusBar& bar = m_frame->m_wndStatusBar;
  HDC dc = GetDC(bar.m_hWnd);
  HFONT font = CreateFontIndirectA(&bigger.lfStatusFont);
  HGDIOBJ old = SelectObject(dc, font);
  const char* texts[] = {"CAP", "NUM", "SCRL"};
  for (int pane = 1; pane <= 3; ++pane) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, texts[pane - 1], static_cast<int>(strlen(texts[pane - 1])), &size);
    RECT rect;
    bar.GetItemRect(pane, &rect);
    EXPECT_EQ(size.cx + 2 + CStatusBar::kPaneBorder, rect.right - rect.left) << texts[pane - 1];
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(bar.m_hWnd, dc);
}

}  // namespace
