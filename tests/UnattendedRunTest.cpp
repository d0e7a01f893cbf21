// Recording without anyone at the screen: ormix.exe started as a process with its own
// switches against the simulator. It opens a tab on each browser whose caption or URL holds
// a text asked for (also embedded ones, and one that appears after start-up), records only
// the events named, writes journals and traces, ends by itself once the watched browsers have
// quit, and says with its exit code how the run went: 0 watched, 2 nothing matched, 3 a
// journal or trace not written, 4 a switch it cannot read.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "framework/StandardIds.h"
#include "support/Files.h"
#include "support/ListTextReader.h"
#include "support/MessagePump.h"
#include "support/OrmixProcess.h"
#include "support/SimulatorProcess.h"

using testsupport::OrmixProcess;
using testsupport::PumpUntil;
using testsupport::SimulatorProcess;
using testsupport::TextOf;

namespace {

const char kAppKey[] = "Software\\Morvane\\Ormix";
// Far more than a loaded machine needs to list, look up and connect a few browsers.
constexpr DWORD kGenerousMs = 60000;

// The tab strip (the view) and the log of its first tab, in the program's main window.
HWND View(HWND main) { return GetDlgItem(main, AFX_IDW_PANE_FIRST); }
HWND FirstLog(HWND main) {
  HWND found = nullptr;
  EnumChildWindows(main, [](HWND hWnd, LPARAM lParam) {
    char name[64] = "";
    GetClassNameA(hWnd, name, sizeof(name));
    if (lstrcmpiA(name, WC_LISTVIEWA) != 0) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The names of the .json files in `folder`.
std::vector<std::string> Jsons(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found = {};
  const HANDLE search = FindFirstFileA((folder + "\\*.json").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

int TabCount(HWND main) { return static_cast<int>(SendMessageA(View(main), TCM_GETITEMCOUNT, 0, 0)); }

bool HasValue(const char* name) {
  return RegGetValueA(HKEY_CURRENT_USER, kAppKey, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetAskBeforeDiscard() {
  const DWORD on = 1;
  RegSetKeyValueA(HKEY_CURRENT_USER, kAppKey, "AskBeforeDiscard", REG_DWORD, &on, sizeof(on));
}

// What a process writes to its standard error stream, read once it has ended.
class ErrorStream {
 public:
  ErrorStream() {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    CreatePipe(&m_read, &m_write, &inherit, 1 << 16);
  }
  ~ErrorStream() {
    if (m_write) CloseHandle(m_write);
    CloseHandle(m_read);
  }
  // The end the process writes to; the test lets go of its own copy once the process has it.
  HANDLE WriteEnd() const { return m_write; }
  void Started() {
    CloseHandle(m_write);
    m_write = nullptr;
  }
  std::string ReadAll() {
    std::string said;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(m_read, chunk, sizeof(chunk), &got, nullptr) && got > 0) said.append(chunk, got);
    return said;
  }

 private:
  HANDLE m_read = nullptr;
  HANDLE m_write = nullptr;
};

class UnattendedRunTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
    ASSERT_TRUE(m_sim.Start()) << m_sim.Problem();
  }
  void TearDown() override {
    EXPECT_TRUE(m_sim.Stop());
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
  }

  void Ok(const std::string& command) { EXPECT_EQ(0u, m_sim.Send(command, kGenerousMs).rfind("OK", 0)) << command; }

  SimulatorProcess m_sim;
};

TEST_F(UnattendedRunTest, WatchesEachMatchingBrowserAndEndsOnceTheyHaveQuit) {
  Ok("open b1 title=Alpha url=http://one.example/");
  Ok("open b2 title=Other url=http://target.example/page");
  Ok("open b3 title=Ignored url=http://three.example/");
  Ok("host h1 caption=HostWindow title=Inner url=http://inner.example/");
  // Rows nobody saved are not asked about at an end nobody is at the screen for.
  SetAskBeforeDiscard();
  OrmixProcess ormix;
  ASSERT_TRUE(ormix.Start("/watch ALPHA /watch target.EXAMPLE /embedded hostwindow /wait 600 /exit-when-done "
                          "/minimized"));
  for (const char* id : {"b1", "b2", "h1"}) Ok(std::string("wait sinks ") + id + " 1 timeout=60000");
  // One that appears after start-up, while the wait lasts.
  Ok("open b4 title=\"Late alpha\" url=http://four.example/");
  Ok("wait sinks b4 1 timeout=60000");
  EXPECT_EQ("OK sinks=0", m_sim.Send("sinks b3"));

  const HWND main = ormix.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(IsIconic(main));
  // A tab is added once its browser is connected.
  EXPECT_TRUE(PumpUntil([&] { return TabCount(main) == 4; }, kGenerousMs)) << TabCount(main);

  // Each watched browser quits; the program ends only after the last.
  for (const char* id : {"b1", "b2", "b4"}) Ok(std::string("close ") + id + " quit");
  EXPECT_FALSE(ormix.HasExited());
  Ok("close h1");
  ASSERT_TRUE(ormix.WaitForExit(kGenerousMs));
  EXPECT_EQ(0u, ormix.ExitCode());
  Ok("close b3");
}

TEST_F(UnattendedRunTest, RecordsOnlyTheEventsNamedWithThisRunsOptions) {
  Ok("open e1 title=Events url=http://events.example/");
  OrmixProcess ormix;
  ASSERT_TRUE(ormix.Start("/watch events /events TitleChange,OnQuit /ms /csv /wait 1"));
  Ok("wait sinks e1 1 timeout=60000");
  Ok("status e1 loading");
  Ok("title e1 Renamed");
  const HWND main = ormix.MainWindow();
  ASSERT_NE(nullptr, main);
  const HWND log = FirstLog(main);
  ASSERT_NE(nullptr, log);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(log, LVM_GETITEMCOUNT, 0, 0) >= 2; }, kGenerousMs));
  // Rows come in the order the events came: the status text, before the title, left none.
  std::string rows;
  EXPECT_TRUE(testsupport::ReadListTextsElsewhere(log, 2, &rows));
  const size_t second = rows.find('\n') + 1;
  const std::string row = rows.substr(second);
  EXPECT_EQ(0u, row.rfind("00000002,", 0)) << rows;
  EXPECT_NE(std::string::npos, row.find(",DIID_DWebBrowserEvents2::TitleChange,Text:Renamed")) << rows;
  int h = -1, m = -1, s = -1, ms = -1;
  EXPECT_EQ(4, sscanf(row.c_str() + 9, "%2d:%2d:%2d.%3d", &h, &m, &s, &ms)) << rows;
  ASSERT_TRUE(ormix.Close());
  EXPECT_EQ(0u, ormix.ExitCode());
  // For this run only: the stored options are untouched.
  EXPECT_FALSE(HasValue("TimeWithMilliseconds"));
  EXPECT_FALSE(HasValue("SaveAsCsv"));
  Ok("close e1");
}

// /journal writes the run's rows to its folder, made with its parents when missing, all of
// them by the time the program has ended; a journal that cannot be written (its folder
// cannot be made below a plain file) makes the exit code 3, said on the standard error
// stream, and the rows it could not keep are not asked about.
TEST_F(UnattendedRunTest, TheJournalIsCompleteAtExitAndItsFailureIsTheExitCode) {
  // The journal makes its missing folder; one below a plain file cannot be made.
  const testsupport::TempFolder journal("ormix-journal-");
  const std::string& folder = journal.path;
  RemoveDirectoryA(folder.c_str());
  const testsupport::TempFolder other("ormix-journal-plain-");
  const std::string plain = other.path + "\\plain";
  CloseHandle(CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  SetAskBeforeDiscard();
  const struct {
    std::string folder;
    DWORD exitCode;
  } cases[] = {{folder, 0}, {plain + "\\journal", 3}};
  for (const auto& c : cases) {
    Ok("open j1 title=Journal url=http://journal.example/");
    OrmixProcess ormix;
    ErrorStream errors;
    ASSERT_TRUE(ormix.Start("/watch journal /journal \"" + c.folder + "\" /wait 1 /exit-when-done", nullptr,
                            errors.WriteEnd()));
    errors.Started();
    Ok("wait sinks j1 1 timeout=60000");
    Ok("title j1 Written");
    Ok("close j1 quit");
    ASSERT_TRUE(ormix.WaitForExit(kGenerousMs)) << c.folder;
    EXPECT_EQ(c.exitCode, ormix.ExitCode()) << c.folder;
    const std::string said = errors.ReadAll();
    EXPECT_EQ(c.exitCode == 0 ? std::string::npos : 0u, said.find("Ormix: ")) << said;
    if (c.exitCode != 0) {
      EXPECT_NE(std::string::npos, said.find(c.folder)) << said;
    }
  }
  const std::vector<std::string> files = journal.Files();
  ASSERT_EQ(1u, files.size());
  const std::string text = journal.Read(files[0]);
  EXPECT_NE(std::string::npos, text.find("TitleChange,Text:Written")) << text;
  EXPECT_NE(std::string::npos, text.find("OnQuit")) << text;
}

// /trace writes each tab's trace into its folder (made with its parents when missing) when
// the browser quits, or when the run ends while the browser is still open: a complete event
// for each navigation of the page and of each of its frames, named by its URL, on the track of
// the page or its frame. A trace that cannot be written makes the exit code 3, said on the
// standard error stream.
TEST_F(UnattendedRunTest, TheTraceHasACompleteEventPerNavigationAndItsFailureIsTheExitCode) {
  const testsupport::TempFolder traces("ormix-trace-");
  const std::string folder = traces.path + "\\made\\here";
  const std::string plain = traces.path + "\\plain";
  // How the run ends: by itself once the browser has quit (/exit-when-done), or closed by
  // hand after the browser quit or while it is still open.
  enum class End { ByItself, AfterQuit, BrowserOpen };
  const struct {
    std::string folder;
    End end;
    DWORD exitCode;
  } cases[] = {{folder, End::ByItself, 0},
               {folder, End::AfterQuit, 0},
               {folder, End::BrowserOpen, 0},
               {plain + "\\traces", End::ByItself, 3}};
  for (const auto& c : cases) {
    RemoveDirectoryA(folder.c_str());
    CloseHandle(CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Ok("open t1 title=Trace url=http://trace.example/ frames=2");
    OrmixProcess ormix;
    ErrorStream errors;
    ASSERT_TRUE(ormix.Start("/watch trace.example /trace \"" + c.folder + "\" /wait 1 /minimized" +
                                (c.end == End::ByItself ? " /exit-when-done" : ""),
                            nullptr, errors.WriteEnd()));
    errors.Started();
    Ok("wait sinks t1 1 timeout=60000");
    Ok("navigate t1 http://trace.example/a.html title=A");
    Ok("navigate t1 http://trace.example/b.html title=B");
    if (c.end == End::BrowserOpen) {
      // Ending the run writes the trace; every event the browser has sent is in the log by then.
      ASSERT_TRUE(ormix.Close());
      Ok("close t1");
    } else {
      Ok("close t1 quit");
    }
    if (c.end == End::AfterQuit) {
      // Written while the program goes on.
      EXPECT_TRUE(PumpUntil([&] { return !Jsons(folder).empty(); }, kGenerousMs));
      EXPECT_FALSE(ormix.HasExited());
      ASSERT_TRUE(ormix.Close());
    }
    ASSERT_TRUE(ormix.WaitForExit(kGenerousMs)) << c.folder;
    EXPECT_EQ(c.exitCode, ormix.ExitCode()) << c.folder;
    const std::string said = errors.ReadAll();
    if (c.exitCode != 0) {
      EXPECT_NE(std::string::npos, said.find(c.folder)) << said;
      continue;
    }
    const std::vector<std::string> files = Jsons(folder);
    ASSERT_EQ(1u, files.size()) << static_cast<int>(c.end);
    const std::string path = folder + "\\" + files[0];
    const nlohmann::json trace = nlohmann::json::parse(testsupport::FileBytes(path));
    DeleteFileA(path.c_str());
    std::vector<std::string> navigations;
    for (const nlohmann::json& event : trace.at("traceEvents"))
      if (event.at("ph") == "X" && event.at("name") != "NavigateComplete2")
        navigations.push_back(event.at("name").get<std::string>() + " " + event.at("args").at("ended").get<std::string>() +
                              " " + std::to_string(event.at("tid").get<int>()));
    EXPECT_EQ((std::vector<std::string>{
                  "http://trace.example/a.html completed 1", "http://trace.example/frame1.html completed 2",
                  "http://trace.example/frame2.html completed 3", "http://trace.example/b.html completed 1",
                  "http://trace.example/frame1.html completed 2", "http://trace.example/frame2.html completed 3"}),
              navigations)
        << static_cast<int>(c.end);
  }
  DeleteFileA(plain.c_str());
  RemoveDirectoryA(folder.c_str());
  RemoveDirectoryA((traces.path + "\\made").c_str());
}

TEST_F(UnattendedRunTest, EndsWithTwoWhenNothingMatchesAndFourForASwitchItCannotRead) {
  Ok("open b1 title=Alpha url=http://one.example/");
  // Nothing matched, or nothing to look for: the run ends when its wait does, and says so.
  for (const char* args : {"/watch no-such-browser /wait 2 /exit-when-done", "/exit-when-done /wait 2"}) {
    OrmixProcess ormix;
    ErrorStream errors;
    ASSERT_TRUE(ormix.Start(args, nullptr, errors.WriteEnd()));
    errors.Started();
    ASSERT_TRUE(ormix.WaitForExit(kGenerousMs)) << args;
    EXPECT_EQ(2u, ormix.ExitCode()) << args;
    EXPECT_EQ(0u, errors.ReadAll().find("Ormix: 2 ")) << args;
    EXPECT_EQ("OK sinks=0", m_sim.Send("sinks b1"));
  }
  {
    // Nobody is at the screen: no window, no message box; the message goes to the standard
    // error stream.
    OrmixProcess ormix;
    ErrorStream errors;
    ASSERT_TRUE(ormix.Start("/exit-when-done /bogus", nullptr, errors.WriteEnd()));
    errors.Started();
    ASSERT_TRUE(ormix.WaitForExit(kGenerousMs));
    EXPECT_EQ(4u, ormix.ExitCode());
    const std::string said = errors.ReadAll();
    EXPECT_NE(std::string::npos, said.find("/bogus")) << said;
    EXPECT_NE(std::string::npos, said.find("/exit-when-done")) << said;
  }
  // A switch the program does not know is refused only beside its own switches.
  for (const char* args : {"/csv /bogus", "/watch Alpha /wait"}) {
    OrmixProcess ormix;
    ASSERT_TRUE(ormix.Start(args));
    const HWND box = ormix.WaitFor("#32770", nullptr, kGenerousMs);
    ASSERT_NE(nullptr, box) << args;
    EXPECT_EQ("Ormix", TextOf(box));
    const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    const std::string named = std::string(args).substr(std::string(args).rfind('/'));
    EXPECT_NE(std::string::npos, text.find(named)) << text;
    for (const char* listed : {"/watch", "/embedded", "/wait", "/events", "/journal", "/trace", "/csv", "/ms",
                               "/exit-when-done", "/minimized"})
      EXPECT_NE(std::string::npos, text.find(listed)) << listed;
    EXPECT_EQ(nullptr, ormix.Find("OrmixMainFrame", nullptr));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    ASSERT_TRUE(ormix.WaitForExit(kGenerousMs));
    EXPECT_EQ(4u, ormix.ExitCode()) << args;
  }
  Ok("close b1");
}

}  // namespace
