// The bytes of a saved log and the file they go to, with no window: plain and CSV lines, no
// file touched for an empty log, a failed save that leaves the folder as it was, a file near
// the path limit, a long log written whole.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/EventRowStore.h"
#include "log/LogFileWriter.h"
#include "log/RowFilter.h"
#include "log/SaveLogFileTypes.h"
#include "log/SavedLogLines.h"
#include "support/Files.h"

namespace {

std::string AllLines(const SavedLogLines& lines) {
  std::string out;
  for (size_t line = 0; line < lines.Count(); ++line) lines.Append(line, out);
  return out;
}

class LogExportTest : public ::testing::Test {
 protected:
  void SetUp() override { m_path = testsupport::NewTempFile("olx"); }
  void TearDown() override { ::DeleteFileA(m_path.c_str()); }
  void Add(const char* name, const char* text, EventRowStore::Origin origin = EventRowStore::Origin::None) {
    const SYSTEMTIME time = {0, 0, 0, 0, 12, 0, 0, 5};
    m_rows.Append(static_cast<long>(m_rows.Count() + 1), time, name, text, 0, origin);
  }

  EventRowStore m_rows;
  std::string m_path;
};

const char kNavigate[] = "DIID_DWebBrowserEvents2::BeforeNavigate2";

// Plain: the column texts joined by commas, unquoted, every line feed inside a text written as
// carriage return + line feed; the origin column goes before the text while it is shown.
TEST_F(LogExportTest, PlainLinesAreTheColumnTextsJoinedByCommas) {
  Add("", "イベントの記録を開始しました。");
  Add(kNavigate, "URL:http://h/?a=1,b=2  Headers:X-A: 1\r\n", EventRowStore::Origin::Page);
  EXPECT_EQ(std::string("00000001,12:00:00,,イベントの記録を開始しました。\r\n") +
                "00000002,12:00:00," + kNavigate + ",URL:http://h/?a=1,b=2  Headers:X-A: 1\r\r\n\r\n",
            AllLines(SavedLogLines(m_rows, false)));
  m_rows.SetOriginShown(true);
  m_rows.SetTimeWithMilliseconds(true);
  EXPECT_NE(std::string::npos, AllLines(SavedLogLines(m_rows, false))
                                   .find(std::string("\r\n00000002,12:00:00.005,") + kNavigate + ",ページ,URL:"));
  // Bytes that are no code page 932 text (post data is any bytes) are kept and written as
  // they are: lead bytes before a blank or at the end, 0xA0, 0xFD-0xFF.
  const std::string body = "PostData:a=\x81\x20&c=\xa0\xfd\xfe\xff&e=\x40\x81";
  Add(kNavigate, body.c_str());
  EXPECT_EQ(body, m_rows.CellText(2, kTextColumn));
  EXPECT_NE(std::string::npos, AllLines(SavedLogLines(m_rows, false)).find(",," + body + "\r\n"));
}

TEST_F(LogExportTest, ACsvFieldIsQuotedWhenItHoldsACommaAQuoteOrALineBreak) {
  const struct {
    const char *field, *written;
  } cases[] = {{"plain", "plain"}, {"", ""}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""},
               {"a\nb", "\"a\nb\""}, {"a\rb", "\"a\rb\""}, {"読み\x83\x5C", "読み\x83\x5C"}};
  for (const auto& c : cases) {
    std::string out;
    AppendCsvField(c.field, std::strlen(c.field), out);
    EXPECT_EQ(c.written, out) << c.field;
  }
}

// CSV: a heading line from the column table (with the frame column while shown), then each
// row's fields, line breaks kept as they are inside quotes.
TEST_F(LogExportTest, CsvHasAHeadingLineAndQuotedFields) {
  EXPECT_EQ(0u, SavedLogLines(m_rows, true).Count()) << "no heading for an empty log";
  Add("", "Text:say \"hi\", then\r\nmore");
  EXPECT_EQ("番号,日時,イベント名,パラメータ\r\n00000001,12:00:00,,\"Text:say \"\"hi\"\", then\r\nmore\"\r\n",
            AllLines(SavedLogLines(m_rows, true)));
  m_rows.SetOriginShown(true);
  EXPECT_EQ(0u, AllLines(SavedLogLines(m_rows, true)).find("番号,日時,イベント名,フレーム,パラメータ\r\n"));
}

// Under a filter, the lines may be those of the shown rows alone, plain or CSV; a copied row
// saved as CSV is the same record as its line of the file.
TEST_F(LogExportTest, TheShownRowsAloneAreWrittenWhenAsked) {
  Add("", "start");
  Add(kNavigate, "URL:a,\"b\"\r\nc");
  Add("", "end");
  RowFilter filter;
  filter.Apply(m_rows, true, {kNavigate}, "");
  const std::string record = "00000002,12:00:00," + std::string(kNavigate) + ",\"URL:a,\"\"b\"\"\r\nc\"";
  EXPECT_EQ("00000002,12:00:00," + std::string(kNavigate) + ",URL:a,\"b\"\r\r\nc\r\n",
            AllLines(SavedLogLines(m_rows, false, &filter)));
  EXPECT_EQ("番号,日時,イベント名,パラメータ\r\n" + record + "\r\n", AllLines(SavedLogLines(m_rows, true, &filter)));
  std::string copied;
  SavedLogLines::AppendCsvRecord(m_rows, 1, copied);
  EXPECT_EQ(record, copied);
  EXPECT_EQ(3u, SavedLogLines(m_rows, false).Count());
}

// The save dialog's types: the plain ones (CSV first while saving as CSV, and its default
// extension), each given twice under a filter, every row first, then the shown rows alone.
TEST(SaveLogFileTypesTest, AFilterOffersEveryRowFirstAndTheShownRowsSecond) {
  const SaveLogFileTypes plain(false, false, 3, 3);
  EXPECT_EQ("ログファイル (*.log)|*.log|テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*||", plain.Filter());
  EXPECT_STREQ("log", plain.DefaultExtension());
  EXPECT_FALSE(plain.ShownRowsOnly(2));
  const SaveLogFileTypes csv(true, false, 3, 3);
  EXPECT_EQ(0u, csv.Filter().find("CSVファイル (*.csv)|*.csv|ログファイル (*.log)|*.log|"));
  EXPECT_STREQ("csv", csv.DefaultExtension());
  const SaveLogFileTypes filtered(true, true, 2, 40);
  EXPECT_EQ(0u, filtered.Filter().find("CSVファイル (*.csv) - すべての行 (40 行)|*.csv|"
                                       "CSVファイル (*.csv) - 表示中の行のみ (2 行)|*.csv|"
                                       "ログファイル (*.log) - すべての行 (40 行)|*.log|"));
  for (DWORD index = 1; index <= 8; ++index) EXPECT_EQ(index % 2 == 0, filtered.ShownRowsOnly(index)) << index;
}

// The names in `folder`, "." and ".." aside.
std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
      names.push_back(found.cFileName);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

// A save that cannot be carried out says why (the system's error code) and leaves the folder
// as it was: the file of that name keeps its bytes, and nothing is left beside it. An empty
// log touches nothing and is no error.
TEST_F(LogExportTest, AFailedSaveGivesTheSystemsReasonAndLeavesTheFolderAsItWas) {
  const std::string folder = m_path + ".d";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string target = folder + "\\kept.log";
  std::ofstream(target, std::ios::binary) << "older";
  const LogFileResult empty = WriteLogFile(target.c_str(), SavedLogLines(m_rows, false));
  EXPECT_FALSE(empty.written);
  EXPECT_EQ(0u, empty.error);
  Add("", "x");

  // Held open by another program, which shares no deleting.
  HANDLE other = ::CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  const struct {
    std::string path;
  } refused[] = {{target}, {folder + "\\missing\\a.log"}, {folder + "\\bad|name?.log"}};
  for (const auto& c : refused) {
    const LogFileResult result = WriteLogFile(c.path.c_str(), SavedLogLines(m_rows, false));
    EXPECT_FALSE(result.written) << c.path;
    EXPECT_NE(0u, result.error) << c.path;
    EXPECT_EQ(std::vector<std::string>{"kept.log"}, FolderNames(folder)) << c.path;
  }
  ::CloseHandle(other);
  EXPECT_EQ("older", testsupport::FileBytes(target));

  EXPECT_TRUE(WriteLogFile(target.c_str(), SavedLogLines(m_rows, false)).written);
  EXPECT_EQ("00000001,12:00:00,,x\r\n", testsupport::FileBytes(target));
  EXPECT_EQ(std::vector<std::string>{"kept.log"}, FolderNames(folder));
  ::DeleteFileA(target.c_str());
  ::RemoveDirectoryA(folder.c_str());
}

// A write that fails part-way, with bytes of the new file already on the disk: the file of
// that name keeps its bytes, nothing is left beside it, and the write's reason is given.
TEST_F(LogExportTest, ASaveThatFailsPartWayLeavesTheFileAsItWas) {
  const std::string folder = m_path + ".d";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  const std::string target = folder + "\\kept.log";
  std::ofstream(target, std::ios::binary) << "older";
  Add("", "x");
  const auto halfThenDiskFull = [](std::FILE* file, const std::string& bytes) -> unsigned long {
    std::fwrite(bytes.data(), 1, bytes.size() / 2, file);
    std::fflush(file);
    return ERROR_DISK_FULL;
  };
  const LogFileResult result = WriteLogFile(target.c_str(), SavedLogLines(m_rows, false), halfThenDiskFull);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), result.error);
  EXPECT_EQ("older", testsupport::FileBytes(target));
  EXPECT_EQ(std::vector<std::string>{"kept.log"}, FolderNames(folder));
  ::DeleteFileA(target.c_str());
  ::RemoveDirectoryA(folder.c_str());
}

// The characters of `text` in the ANSI code page, as the system's path limit counts them.
size_t Characters(const std::string& text) {
  return static_cast<size_t>(
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0));
}

// Makes folders below `base`, named with `character` repeated, down to one whose path is
// `length` characters long; the folders made, the deepest last.
std::vector<std::string> MakeFolderOfLength(const std::string& base, const std::string& character,
                                            size_t length) {
  std::vector<std::string> made;
  std::string folder = base;
  for (size_t at = Characters(base); at < length;) {
    // Each name at most 100 characters, and never a last one too short to be a name.
    const size_t left = length - at - 1, name = left > 100 ? std::min<size_t>(100, left - 2) : left;
    folder += "\\";
    for (size_t i = 0; i < name; ++i) folder += character;
    if (!::CreateDirectoryA(folder.c_str(), nullptr)) break;
    made.push_back(folder);
    at += 1 + name;
  }
  return made;
}

// A file whose path is a few characters short of the system's limit, in a folder too deep
// for a temporary name of the usual length beside it (and, in Japanese, longer in bytes than
// the limit): it is saved and replaced as anywhere else, a save that fails part-way leaves it
// as it was, and nothing is left beside it.
TEST_F(LogExportTest, AFileNearThePathLimitIsSavedAsAnyOther) {
  testsupport::TempFolder temp("ormix-deep-save-");
  const std::string name = "a.log";
  const struct {
    std::string character;
    size_t length;  // of the file's path, in characters
  } cases[] = {{"深", MAX_PATH - 5}, {"d", MAX_PATH - 1}};
  for (const auto& c : cases) {
    m_rows.Clear();
    const std::vector<std::string> folders = MakeFolderOfLength(temp.path, c.character, c.length - 1 - name.size());
    ASSERT_FALSE(folders.empty());
    const std::string target = folders.back() + "\\" + name;
    ASSERT_EQ(c.length, Characters(target));
    Add("", "first");
    EXPECT_TRUE(WriteLogFile(target.c_str(), SavedLogLines(m_rows, false)).written) << c.character;
    Add("", "second");
    EXPECT_TRUE(WriteLogFile(target.c_str(), SavedLogLines(m_rows, false)).written) << c.character;
    const std::string saved = AllLines(SavedLogLines(m_rows, false));
    EXPECT_EQ(saved, testsupport::FileBytes(target)) << c.character;
    Add("", "third");
    const auto diskFull = [](std::FILE* file, const std::string& bytes) -> unsigned long {
      std::fwrite(bytes.data(), 1, bytes.size() / 2, file);
      std::fflush(file);
      return ERROR_DISK_FULL;
    };
    EXPECT_FALSE(WriteLogFile(target.c_str(), SavedLogLines(m_rows, false), diskFull).written) << c.character;
    EXPECT_EQ(saved, testsupport::FileBytes(target)) << c.character;
    EXPECT_EQ(std::vector<std::string>{name}, FolderNames(folders.back())) << c.character;
    ::DeleteFileA(target.c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) ::RemoveDirectoryA(folder->c_str());
  }
}

// Some megabytes, written a buffer at a time while the next is filled: every line, in order.
TEST_F(LogExportTest, ALongLogIsWrittenWholeAndInOrder) {
  for (int i = 0; i < 20000; ++i)
    Add("DIID_DWebBrowserEvents2::StatusTextChange",
        "Text:a row of a log long enough to take several of the buffers the save writes");
  ASSERT_TRUE(WriteLogFile(m_path.c_str(), SavedLogLines(m_rows, false)).written);
  const std::string big = testsupport::FileBytes(m_path);
  EXPECT_EQ(AllLines(SavedLogLines(m_rows, false)), big);
  EXPECT_GT(big.size(), 2000000u);
}

}  // namespace
