// One log's state with no window: when a burst of rows is over, when rows go to the journal
// and what it holds, and which rows count as unkept.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "log/LogModel.h"
#include "log/SavedLogLines.h"
#include "support/Files.h"

namespace {

const char kStatusTextChange[] = "DIID_DWebBrowserEvents2::StatusTextChange";
const char kDocumentComplete[] = "DIID_DWebBrowserEvents2::DocumentComplete";

void WINAPI FixedClock(SYSTEMTIME* time) { *time = {2026, 12, 3, 9, 11, 30, 5, 250}; }

void AddRow(LogModel& log, long number, const char* name, DWORD tick) {
  log.AppendRow(number, name, "Text:row", 0, EventRowStore::Origin::None, nullptr, tick);
}

TEST(LogModelTest, ABurstIsOverOnceItsRowsStopOrOnceItHasGoneOnTooLong) {
  // Ticks close to where the tick count wraps round, and far from it.
  for (const DWORD start : {DWORD{1000}, DWORD{0xFFFFFFF0}}) {
    SCOPED_TRACE(start);
    LogModel log;
    log.BeginBurst(start);
    AddRow(log, 1, kStatusTextChange, start);
    EXPECT_TRUE(log.InBurst());
    EXPECT_FALSE(log.BurstOverAt(start + LogModel::kBurstQuietMs - 1));
    EXPECT_TRUE(log.BurstOverAt(start + LogModel::kBurstQuietMs)) << "its rows stopped";
    // Rows that go on coming, each sooner than the quiet time: over at the longest burst.
    DWORD tick = start;
    while (tick + 20 - start < LogModel::kMaxBurstMs) AddRow(log, 2, kStatusTextChange, tick += 20);
    EXPECT_FALSE(log.BurstOverAt(start + LogModel::kMaxBurstMs - 1));
    EXPECT_TRUE(log.BurstOverAt(start + LogModel::kMaxBurstMs)) << "it went on too long";
    log.EndBurst();
    EXPECT_FALSE(log.InBurst());
  }

  // A burst's first row, as shown under a filter and as stored.
  LogModel log;
  AddRow(log, 1, kStatusTextChange, 0);
  AddRow(log, 2, kDocumentComplete, 0);
  AddRow(log, 3, kStatusTextChange, 0);
  log.ApplyFilter(true, {kDocumentComplete}, "");
  log.BeginBurst(0);
  EXPECT_EQ(1, log.BurstFirstShownRow());
  EXPECT_EQ(3u, log.BurstFirstStoredRow());
  log.DropBurst();
  EXPECT_FALSE(log.InBurst());
}

class LogModelJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_log.SetClockSource(&FixedClock);
    m_log.NoteCreated();
  }
  testsupport::TempFolder m_temp{"ormix-log-model-"};
  LogModel m_log;
};

// Within a row's own call, rows go to the journal only once the hand-over interval has
// passed; the file then holds the bytes a save of the same rows writes, plain or CSV, under
// a name from the log's creation time by its clock.
TEST_F(LogModelJournalTest, RowsGoToTheJournalAfterTheIntervalWithTheBytesOfASave) {
  for (const bool csv : {false, true}) {
    SCOPED_TRACE(csv);
    m_log.Clear();
    m_log.SetSaveAsCsv(csv);
    AddRow(m_log, 1, kStatusTextChange, 0);
    m_log.StartJournal(m_temp.path, csv ? "csv" : "plain", nullptr);
    EXPECT_EQ(1u, m_log.JournaledRowCount()) << "the rows stored before it began";
    EXPECT_EQ(m_temp.path + "\\20261209-113005 " + (csv ? "csv.csv" : "plain.txt"), m_log.JournalPath());
    const DWORD handedOver = 5000;
    m_log.HandOverJournalRows(handedOver);
    AddRow(m_log, 2, kDocumentComplete, handedOver + LogModel::kJournalHandOverMs - 1);
    EXPECT_EQ(1u, m_log.JournaledRowCount());
    AddRow(m_log, 3, kStatusTextChange, handedOver + LogModel::kJournalHandOverMs);
    EXPECT_EQ(3u, m_log.JournaledRowCount());
    AddRow(m_log, 4, kStatusTextChange, handedOver + LogModel::kJournalHandOverMs + 1);
    EXPECT_TRUE(m_log.FinishJournal(30000));
    EXPECT_EQ(4u, m_log.JournaledRowCount());

    std::string saved;
    const SavedLogLines lines(m_log.Rows(), csv);
    for (size_t line = 0; line < lines.Count(); ++line) lines.Append(line, saved);
    const std::string path = m_log.JournalPath();
    m_log.StopJournal();
    EXPECT_EQ("", m_log.JournalPath());
    EXPECT_EQ(saved, testsupport::FileBytes(path));
  }
}

// Event rows are unkept until a save writes them or a journal that works holds them;
// clearing lets them go. A journal that fails makes them unkept again, and says so once.
TEST_F(LogModelJournalTest, EventRowsAreUnkeptUntilSavedJournaledOrCleared) {
  AddRow(m_log, 1, "", 0);
  EXPECT_FALSE(m_log.HasUnkeptRows()) << "a message row alone";
  m_log.MarkUnkept();
  AddRow(m_log, 2, kStatusTextChange, 0);
  EXPECT_TRUE(m_log.HasUnkeptRows());

  const std::string path = m_temp.path + "\\saved.log";
  EXPECT_FALSE(m_log.Save((m_temp.path + "\\missing\\saved.log").c_str(), false).written);
  EXPECT_TRUE(m_log.HasUnkeptRows()) << "a save that failed";
  // Only the shown rows of a filter that hides some: the hidden ones still need keeping.
  AddRow(m_log, 3, kDocumentComplete, 0);
  m_log.ApplyFilter(true, {kDocumentComplete}, "");
  EXPECT_TRUE(m_log.Save(path.c_str(), true).written);
  EXPECT_TRUE(m_log.HasUnkeptRows()) << "the shown rows saved";
  EXPECT_TRUE(m_log.Save(path.c_str(), false).written);
  EXPECT_FALSE(m_log.HasUnkeptRows());
  ::DeleteFileA(path.c_str());

  m_log.MarkUnkept();
  m_log.StartJournal(m_temp.path, "kept", nullptr);
  EXPECT_FALSE(m_log.HasUnkeptRows()) << "journaled";
  EXPECT_FALSE(m_log.TakeJournalFailure());
  m_log.StopJournal();
  EXPECT_TRUE(m_log.HasUnkeptRows()) << "no journal any more";
  m_log.Clear();
  EXPECT_FALSE(m_log.HasUnkeptRows());

  // A folder that cannot be made: below a plain file.
  const std::string plain = m_temp.path + "\\plain";
  ::CloseHandle(::CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  AddRow(m_log, 1, "", 0);
  m_log.StartJournal(plain + "\\journal", "failing", nullptr);
  EXPECT_FALSE(m_log.FinishJournal(30000));
  EXPECT_TRUE(m_log.JournalFailed());
  EXPECT_FALSE(m_log.HasUnkeptRows()) << "only message rows so far";
  EXPECT_TRUE(m_log.TakeJournalFailure());
  EXPECT_FALSE(m_log.TakeJournalFailure()) << "told once";
  EXPECT_TRUE(m_log.HasUnkeptRows()) << "the rows the journal lost";
  m_log.StopJournal();
  ::DeleteFileA(plain.c_str());
}

}  // namespace
