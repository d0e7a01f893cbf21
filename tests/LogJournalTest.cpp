// The journal's window-free part: the file name from the opening time and a title made safe,
// the folder made and tried before a journal starts, and the writer that puts whole rows
// into a new file off the caller's thread.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/JournalFileName.h"
#include "log/JournalFolder.h"
#include "log/JournalWriter.h"
#include "support/Files.h"

namespace {

TEST(JournalFileNameTest, TheTitleIsMadeSafeForAFileName) {
  const struct {
    const char *title, *safe;
  } cases[] = {
      {"ニュース - 一覧", "ニュース - 一覧"},
      {"a\\b/c:d*e?f\"g<h>i|j\tk", "a_b_c_d_e_f_g_h_i_j_k"},
      // 0x5C and 0x7C as the second byte of a double-byte character stay.
      {"\x83\x5C\x83\x7C", "\x83\x5C\x83\x7C"},
      {"ends with dots. . .", "ends with dots"},
      {"...", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.safe, SafeFileTitle(c.title)) << c.title;
  // Cut by bytes, never inside a double-byte character.
  EXPECT_EQ("ab", SafeFileTitle("abあ", 3));
  EXPECT_EQ("abあ", SafeFileTitle("abあい", 4));
}

TEST(JournalFileNameTest, TheNameIsTheOpeningTimeAndTheTitle) {
  const SYSTEMTIME opened = {2026, 12, 3, 9, 11, 30, 5, 250};
  EXPECT_EQ("20261209-113005 タイトル.txt", JournalFileName(opened, "タイトル", false));
  EXPECT_EQ("20261209-113005 a_b.csv", JournalFileName(opened, "a/b", true));
  EXPECT_EQ("20261209-113005.txt", JournalFileName(opened, " . ", false));
}

// The folder is made (with its parents) when missing and tried with a new file before any
// journal starts; none named, one that cannot be made and one that takes no file are told
// apart. Trying leaves nothing in the folder.
TEST(JournalFolderTest, AFolderIsMadeAndTriedBeforeAJournalStarts) {
  testsupport::TempFolder temp("ormix-journal-folder-");
  const std::string plain = temp.path + "\\plain", parent = temp.path + "\\新しい表";
  ::CloseHandle(::CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::string missingDrive = testsupport::MissingDrive();
  ASSERT_NE("", missingDrive);
  const struct {
    std::string folder;
    JournalFolderState state;
  } cases[] = {
      {"", JournalFolderState::Unnamed},
      {temp.path, JournalFolderState::Ready},
      // Both names end with a character whose second byte is 0x5C.
      {parent + "\\ソ", JournalFolderState::Ready},
      {plain + "\\journal", JournalFolderState::NotMade},
      {missingDrive + "\\logs", JournalFolderState::NotMade},
      // Linux's /proc through Wine's drive of the root folder: a folder that takes no new file.
      {"Z:\\proc", JournalFolderState::NotWritable},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.state, PrepareJournalFolder(c.folder)) << c.folder;
    if (c.state == JournalFolderState::Ready) {
      EXPECT_TRUE(IsFolder(c.folder)) << c.folder;
    }
  }
  EXPECT_EQ(std::vector<std::string>{"plain"}, temp.Files());
  EXPECT_TRUE(::RemoveDirectoryA((parent + "\\ソ").c_str()));  // empty: the try left no file
  ::RemoveDirectoryA(parent.c_str());
  ::DeleteFileA(plain.c_str());
}

class JournalWriterTest : public ::testing::Test {
 protected:
  testsupport::TempFolder m_temp{"ormix-journal-"};
  const std::string m_folder = m_temp.path;
};

// Lines reach the file without anyone waiting: asked to write soon, or after the delay alone.
TEST_F(JournalWriterTest, LinesReachTheFileInOrderOffTheCallersThread) {
  std::atomic<int> failures{0};
  JournalWriter writer(m_folder, "j.txt", [&] { ++failures; });
  writer.Append("00000001,a\r\n");
  writer.Append("00000002,b\r\n");
  writer.WriteSoon();
  const std::string path = m_folder + "\\j.txt";
  EXPECT_EQ(path, writer.Path());
  const auto waitForBytes = [&](size_t bytes) {
    const DWORD start = ::GetTickCount();
    while (testsupport::FileBytes(path).size() < bytes && ::GetTickCount() - start < 30000) ::Sleep(20);
  };
  waitForBytes(24);
  writer.Append("00000003,c\r\n");  // written once the delay has passed
  waitForBytes(36);
  EXPECT_EQ("00000001,a\r\n00000002,b\r\n00000003,c\r\n", testsupport::FileBytes(path));
  writer.Append("00000004,d\r\n");
  EXPECT_TRUE(writer.WaitWritten(30000));
  EXPECT_EQ(48u, testsupport::FileBytes(path).size());
  EXPECT_FALSE(writer.Failed());
  EXPECT_EQ(0, failures.load());
}

// The delay counts from the oldest line waiting: lines that go on coming, each far sooner
// than the delay after the last, do not hold the first back until they stop.
TEST_F(JournalWriterTest, AStreamOfLinesDoesNotPutOffTheWrite) {
  JournalWriter writer(m_folder, "j.txt", nullptr);
  const std::string path = m_folder + "\\j.txt", first = "00000001,a\r\n";
  writer.Append(first);
  // The deadline is many times the delay: only a delay put off by every line misses it.
  const DWORD start = ::GetTickCount();
  while (testsupport::FileBytes(path).empty() && ::GetTickCount() - start < 30000) {
    writer.Append("00000002,b\r\n");
    ::Sleep(1);  // the pace of the stream
  }
  EXPECT_EQ(0u, testsupport::FileBytes(path).rfind(first, 0));
}

// One file per journal: a name already taken gets a number; the first file is left alone.
TEST_F(JournalWriterTest, AJournalNeverWritesIntoAnExistingFile) {
  {
    JournalWriter first(m_folder, "j.txt", nullptr);
    first.Append("first\r\n");
    EXPECT_TRUE(first.WaitWritten(30000));
    JournalWriter second(m_folder, "j.txt", nullptr);
    second.Append("second\r\n");
    EXPECT_TRUE(second.WaitWritten(30000));
    EXPECT_EQ(m_folder + "\\j (2).txt", second.Path());
  }
  EXPECT_EQ("first\r\n", testsupport::FileBytes(m_folder + "\\j.txt"));
  EXPECT_EQ("second\r\n", testsupport::FileBytes(m_folder + "\\j (2).txt"));
}

// A folder that does not exist yet is made, with its parents, and holds the journal.
TEST_F(JournalWriterTest, AMissingFolderIsMadeWithItsParents) {
  // Both names end with a character whose second byte is 0x5C.
  const std::string parent = m_folder + "\\新しい表", folder = parent + "\\ソ";
  {
    JournalWriter writer(folder, "j.txt", nullptr);
    writer.Append("00000001,a\r\n");
    EXPECT_TRUE(writer.WaitWritten(30000));
    EXPECT_FALSE(writer.Failed());
  }
  EXPECT_EQ("00000001,a\r\n", testsupport::FileBytes(folder + "\\j.txt"));
  ::DeleteFileA((folder + "\\j.txt").c_str());
  ::RemoveDirectoryA(folder.c_str());
  ::RemoveDirectoryA(parent.c_str());
}

// A folder that cannot be made: below a plain file, or with a name no folder may have.
TEST_F(JournalWriterTest, AFolderThatCannotBeMadeFailsOnceAndDropsTheLines) {
  const std::string plain = m_folder + "\\plain";
  ::CloseHandle(::CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (const std::string& folder : {plain + "\\journal", m_folder + "\\bad|name"}) {
    std::atomic<int> failures{0};
    JournalWriter writer(folder, "j.txt", [&] { ++failures; });
    writer.Append("00000001,a\r\n");
    EXPECT_FALSE(writer.WaitWritten(30000)) << folder;
    writer.Append("00000002,b\r\n");
    EXPECT_FALSE(writer.WaitWritten(30000)) << folder;
    EXPECT_TRUE(writer.Failed()) << folder;
    EXPECT_EQ(1, failures.load()) << folder;
  }
  ::DeleteFileA(plain.c_str());
}

// The bytes of the journal file that a disk has room for, for WriteToSmallDisk.
std::atomic<LONGLONG> g_diskRoom{0};

// Writes as a disk with room for g_diskRoom bytes of the file does: what fits, then
// ERROR_DISK_FULL.
BOOL WriteToSmallDisk(HANDLE file, const void* bytes, DWORD size, DWORD* written) {
  LARGE_INTEGER at = {};
  ::SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT);
  const DWORD fits = static_cast<DWORD>(std::clamp<LONGLONG>(g_diskRoom - at.QuadPart, 0, size));
  if (!::WriteFile(file, bytes, fits, written, nullptr)) return FALSE;
  if (fits == size) return TRUE;
  ::SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

// A disk that fills up part-way through a write: the file is cut back to the end of the
// last row written whole (a row's text may hold a line break), the journal says so once, and
// what comes after is dropped.
TEST_F(JournalWriterTest, AWriteThatFailsPartWayLeavesOnlyWholeRows) {
  const std::string first = "00000001,a\r\n", second = "00000002,b\r\n", third = "00000003,c\r\nd\r\n";
  const struct {
    LONGLONG room;
    std::string kept;
  } cases[] = {
      {12, first},                   // no room for a byte of the second row
      {18, first},                   // half the second row
      {24 + 12, first + second},     // the third row's first line, not the whole row
  };
  for (const auto& c : cases) {
    testsupport::TempFolder folder("ormix-journal-full-");
    g_diskRoom = c.room;
    std::atomic<int> failures{0};
    JournalWriter writer(folder.path, "j.txt", [&] { ++failures; }, &WriteToSmallDisk);
    writer.Append(first);
    ASSERT_TRUE(writer.WaitWritten(30000));
    writer.Append(second);
    writer.Append(third);
    EXPECT_FALSE(writer.WaitWritten(30000)) << c.room;
    EXPECT_EQ(c.kept, folder.Read("j.txt")) << c.room;
    writer.Append("00000004,e\r\n");
    EXPECT_FALSE(writer.WaitWritten(30000)) << c.room;
    EXPECT_EQ(c.kept, folder.Read("j.txt")) << c.room;
    EXPECT_TRUE(writer.Failed()) << c.room;
    EXPECT_EQ(1, failures.load()) << c.room;
  }
}

}  // namespace
