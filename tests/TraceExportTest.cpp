// A log written as a trace, with no window, and read back with the JSON library that wrote
// it: valid JSON for every kind of row and text, each navigation a complete event on its
// track, the tracks and the process named, texts in UTF-8; a trace that cannot be written
// leaves nothing behind; a run's traces in their folder.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "events/EventCatalog.h"
#include "log/EventRowStore.h"
#include "log/JournalFileName.h"
#include "log/LogFileWriter.h"
#include "log/LogModel.h"
#include "log/NavigationIndex.h"
#include "log/TraceExport.h"
#include "support/Files.h"
#include "support/LogSteps.h"

namespace {

using Json = nlohmann::json;
constexpr uint32_t kTen = 36000000;  // 10:00:00.000

class TraceExportTest : public ::testing::Test {
 protected:
  void Add(const testsupport::LogStep& step) { testsupport::AddLogStep(m_rows, m_index, step); }
  // The trace written to a file and read back.
  Json WrittenTrace() {
    const std::string path = m_folder.path + "\\trace.json";
    EXPECT_TRUE(WriteLogFile(path.c_str(), TraceLines(m_rows, m_index, "テスト タブ", 7)).written);
    return Json::parse(testsupport::FileBytes(path));
  }

  EventRowStore m_rows;
  NavigationIndex m_index{m_rows};
  testsupport::TempFolder m_folder{"otr"};
};

// A page navigation that completes, a frame's that fails, one that the browser's quitting
// ends, and every other kind of event with Japanese text, quotes, control characters and
// bytes that are no code page 932 text.
TEST_F(TraceExportTest, EachNavigationIsACompleteEventOnItsTrackAndEveryOtherRowAnInstant) {
  Add({"", "", kTen, "イベントの記録を開始しました。"});
  Add({"BeforeNavigate2", "page", kTen,
       "URL:http://h/ページ.html  Flags:0  TargetFrameName:  PostData:  Headers:"});
  Add({"DownloadBegin", "", kTen + 5});
  Add({"NavigateComplete2", "page", kTen + 10, "URL:http://h/ページ.html"});
  Add({"BeforeNavigate2", "f1", kTen + 20, "URL:http://h/f1.html  Flags:0  TargetFrameName:f1  PostData:  Headers:"});
  Add({"NavigateError", "f1", kTen + 30, "URL:http://h/f1.html  Frame:f1  StatusCode:404"});
  Add({"StatusTextChange", "", kTen + 35, "Text:読み込み中\t\"完了\""});
  Add({"DocumentComplete", "loaded", kTen + 80, "URL:http://h/ページ.html"});
  Add({"BeforeNavigate2", "page", kTen + 90, "URL:http://h/next  Flags:0  TargetFrameName:  PostData:  Headers:"});
  Add({"OnQuit", "", kTen + 100});
  const std::set<size_t> navigating = {kBeforeNavigate2, kNavigateComplete2, kDocumentComplete, kNavigateError,
                                       kOnQuit};
  for (size_t slot = 0; slot < kEventCount; ++slot)
    if (!navigating.count(slot)) Add({kEventCatalog[slot].name, "page", kTen + 100, "Text:テスト"});
  const long lastPlain = static_cast<long>(m_rows.Count());
  Add({"StatusTextChange", "", kTen + 110, "Text:a\"b\\c\x01"});
  Add({"StatusTextChange", "", kTen + 110, "Text:\x81\x20\xff"});

  const Json trace = WrittenTrace();
  const struct {
    const char* name;
    int tid;
    int64_t ts, dur;
    const char* ended;
    std::vector<long> rows;
  } navigations[] = {
      {u8"http://h/ページ.html", 1, 0, 80000, "completed", {2, 4, 8}},
      {"http://h/f1.html", 2, 20000, 10000, "failed", {5}},
      {"http://h/next", 1, 90000, 10000, "quit", {9}},
  };
  std::map<int, std::string> threads;
  std::string process;
  std::vector<Json> complete;
  std::set<long> instantRows;
  std::map<long, Json> instants;
  for (const Json& event : trace.at("traceEvents")) {
    EXPECT_EQ(7, event.at("pid"));
    const std::string phase = event.at("ph");
    if (phase == "M" && event.at("name") == "thread_name") threads[event.at("tid")] = event.at("args").at("name");
    if (phase == "M" && event.at("name") == "process_name") process = event.at("args").at("name");
    if (phase == "X" && event.at("name") != "NavigateComplete2") complete.push_back(event);
    if (phase == "i") {
      EXPECT_EQ("t", event.at("s"));
      instants[event.at("args").at("row")] = event;
    }
  }
  EXPECT_EQ(u8"テスト タブ", process);
  EXPECT_EQ((std::map<int, std::string>{{1, u8"ページ"}, {2, u8"フレーム: f1"}}), threads);
  ASSERT_EQ(3u, complete.size());
  for (size_t i = 0; i < complete.size(); ++i) {
    const auto& expected = navigations[i];
    EXPECT_EQ(expected.name, complete[i].at("name")) << i;
    EXPECT_EQ(expected.tid, complete[i].at("tid")) << i;
    EXPECT_EQ(expected.ts, complete[i].at("ts")) << i;
    EXPECT_EQ(expected.dur, complete[i].at("dur")) << i;
    EXPECT_EQ(expected.ended, complete[i].at("args").at("ended")) << i;
    EXPECT_EQ(expected.rows, complete[i].at("args").at("rows").get<std::vector<long>>()) << i;
  }
  // The moment of the first one's NavigateComplete2, inside it.
  EXPECT_NE(trace.at("traceEvents").end(),
            std::find(trace.at("traceEvents").begin(), trace.at("traceEvents").end(),
                      Json{{"ph", "X"}, {"cat", "navigation"}, {"name", "NavigateComplete2"}, {"pid", 7}, {"tid", 1},
                           {"ts", 0}, {"dur", 10000}, {"args", {{"row", 4}}}}));

  EXPECT_EQ(m_rows.Count() - 5, instants.size()) << "every row but the navigations' own";
  for (long own : {2, 4, 5, 8, 9}) EXPECT_EQ(0u, instants.count(own)) << own;
  EXPECT_EQ(u8"メッセージ", instants.at(1).at("name"));
  EXPECT_EQ(u8"イベントの記録を開始しました。", instants.at(1).at("args").at("text"));
  EXPECT_EQ("StatusTextChange", instants.at(7).at("name"));
  EXPECT_EQ(u8"Text:読み込み中\t\"完了\"", instants.at(7).at("args").at("text"));
  EXPECT_EQ(35000, instants.at(7).at("ts"));
  EXPECT_EQ(2, instants.at(6).at("tid")) << "the frame's error is on its track";
  EXPECT_EQ(u8"Text:テスト", instants.at(lastPlain).at("args").at("text"));
  EXPECT_EQ("Text:a\"b\\c\x01", instants.at(lastPlain + 1).at("args").at("text"));
  EXPECT_TRUE(instants.at(lastPlain + 2).at("args").at("text").is_string()) << "bytes that are no text";
}

// A trace that cannot be written leaves the folder as it was, and says why; an empty log
// writes nothing and is no error.
TEST_F(TraceExportTest, ATraceThatCannotBeWrittenLeavesNothing) {
  const std::string target = m_folder.path + "\\kept.json";
  EXPECT_EQ(0u, WriteLogFile(target.c_str(), TraceLines(m_rows, m_index, "t", 1)).error);
  Add({"BeforeNavigate2", "page", kTen, "URL:http://h/  Flags:0"});
  const auto diskFull = [](std::FILE* file, const std::string& bytes) -> unsigned long {
    std::fwrite(bytes.data(), 1, bytes.size() / 2, file);
    return ERROR_DISK_FULL;
  };
  const LogFileResult failed = WriteLogFile(target.c_str(), TraceLines(m_rows, m_index, "t", 1), diskFull);
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), failed.error);
  const LogFileResult missing =
      WriteLogFile((m_folder.path + "\\missing\\a.json").c_str(), TraceLines(m_rows, m_index, "t", 1));
  EXPECT_NE(0u, missing.error);
  EXPECT_EQ(std::vector<std::string>{}, m_folder.Files());
}

// A run's trace goes into its folder, made with its parents, named as the log's journal
// would be with ".json"; a second of the same name does not replace the first.
TEST_F(TraceExportTest, ARunsTracesAreNamedAsJournalsInAFolderMadeForThem) {
  LogModel log;
  log.NoteCreated();
  log.AppendRow(1, "", "x", 0, EventRowStore::Origin::None, nullptr, 0);
  const std::string folder = m_folder.path + "\\made\\here";
  std::string first, second;
  EXPECT_TRUE(log.SaveTraceInto(folder, "A/B", 1, &first).written);
  EXPECT_TRUE(log.SaveTraceInto(folder, "A/B", 1, &second).written);
  EXPECT_EQ(folder + "\\" + TraceFileName(log.CreatedTime(), "A/B"), first);
  EXPECT_EQ(first.substr(0, first.size() - 5) + " (2).json", second);
  for (const std::string& path : {first, second}) {
    EXPECT_NO_THROW(Json::parse(testsupport::FileBytes(path))) << path;
    ::DeleteFileA(path.c_str());
  }
  ::RemoveDirectoryA(folder.c_str());
  ::RemoveDirectoryA((m_folder.path + "\\made").c_str());
}

}  // namespace
