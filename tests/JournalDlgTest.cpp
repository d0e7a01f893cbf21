// The journal dialog in a real window: OK with the journal on takes only a folder the
// journal can use, and the browse button fills the folder field from the folder browser.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "framework/FolderDialog.h"
#include "log/JournalFolder.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/Files.h"
#include "support/MessageBoxRecorder.h"
#include "view/JournalDlg.h"

using testsupport::ClickButton;
using testsupport::RunModal;

namespace {

// With the journal on, OK refuses a folder that is not named, cannot be made or takes no new
// file: a box says why, and the dialog stays with the folder field focused and its text
// selected. A missing folder is made, with its parent, and taken; with the journal off, the
// field is taken as it is.
TEST(JournalDialog, OkTakesOnlyAFolderTheJournalCanUse) {
  MessageBoxRecorder boxes;
  testsupport::TempFolder temp("ormix-journal-dialog-");
  const std::string plain = temp.path + "\\plain", drive = testsupport::MissingDrive();
  ::CloseHandle(::CreateFileA(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_NE("", drive);
  const struct {
    std::string folder, said;
  } refused[] = {
      {"", "ジャーナルのフォルダーを指定してください。"},
      {plain + "\\journal", "フォルダー " + plain + "\\journal を作成できません。"},
      {drive + "\\logs", "フォルダー " + drive + "\\logs を作成できません。"},
      // Linux's /proc through Wine's drive of the root folder: a folder that takes no new file.
      {"Z:\\proc", "フォルダー Z:\\proc に書き込めません。"},
  };
  for (const auto& c : refused) {
    boxes.Clear();
    CJournalDlg dialog;
    dialog.m_bOn = true;
    dialog.m_strFolder = c.folder;
    HWND window = nullptr, field = nullptr, focused = nullptr;
    DWORD selection = 0;
    const INT_PTR result = RunModal<CJournalDlg>(dialog, [&](CJournalDlg& d) {
      window = d.m_hWnd;
      field = ::GetDlgItem(d.m_hWnd, IDC_JOURNAL_FOLDER);
      d.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(d.m_hWnd, IDOK)), TRUE);  // as a click does
      ClickButton(d, IDOK);
      focused = ::GetFocus();
      selection = static_cast<DWORD>(d.SendDlgItemMessage(IDC_JOURNAL_FOLDER, EM_GETSEL));
      ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result) << c.folder;
    ASSERT_EQ(1u, boxes.Boxes().size()) << c.folder;
    EXPECT_EQ(c.said, boxes.Boxes()[0].text);
    EXPECT_EQ("Ormix", boxes.Boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes.Boxes()[0].type);
    EXPECT_EQ(window, boxes.Boxes()[0].owner);
    EXPECT_EQ(field, focused) << c.folder;
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, c.folder.size())), selection) << c.folder;
  }

  boxes.Clear();
  const std::string made = temp.path + "\\新しい表\\journal";
  const struct {
    bool on;
    std::string folder;
  } taken[] = {{true, made}, {false, ""}, {false, drive + "\\logs"}};
  for (const auto& c : taken) {
    CJournalDlg dialog;
    dialog.m_bOn = c.on;
    dialog.m_strFolder = c.folder;
    EXPECT_EQ(IDOK, RunModal<CJournalDlg>(dialog, [](CJournalDlg& d) { ClickButton(d, IDOK); })) << c.folder;
    EXPECT_EQ(c.on, dialog.m_bOn);
    EXPECT_EQ(c.folder, dialog.m_strFolder);
  }
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_TRUE(IsFolder(made));
  ::RemoveDirectoryA(made.c_str());
  ::RemoveDirectoryA((temp.path + "\\新しい表").c_str());
  ::DeleteFileA(plain.c_str());
}

// The browse button opens the folder browser at the field's folder and puts the folder
// chosen in the field; cancelled, the field keeps its text.
TEST(JournalDialog, BrowsePutsTheChosenFolderInTheField) {
  const struct {
    INT_PTR answer;
    const char* shown;  // in the field afterwards
  } cases[] = {{IDOK, "D:\\選んだ\\フォルダー"}, {IDCANCEL, "C:\\logs"}};
  for (const auto& c : cases) {
    std::string openedAt;
    CFolderDialog::RunHook previous = CFolderDialog::SetRunHook([&](CFolderDialog& browser) {
      openedAt = browser.GetFolder();
      browser.SetFolder("D:\\選んだ\\フォルダー");
      return c.answer;
    });
    CJournalDlg dialog;
    dialog.m_strFolder = "C:\\logs";
    std::string shown;
    RunModal<CJournalDlg>(dialog, [&](CJournalDlg& d) {
      ClickButton(d, IDC_JOURNAL_BROWSE);
      shown = d.GetDlgItem(IDC_JOURNAL_FOLDER)->GetWindowText();
      ClickButton(d, IDCANCEL);
    });
    CFolderDialog::SetRunHook(previous);
    EXPECT_EQ("C:\\logs", openedAt);
    EXPECT_EQ(c.shown, shown);
  }
}

}  // namespace
