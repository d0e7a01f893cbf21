#include "view/JournalDlg.h"

#include <cstdio>
#include <vector>

#include "framework/DataExchange.h"
#include "framework/FolderDialog.h"
#include "framework/MessageBox.h"
#include "log/JournalFolder.h"
#include "res/resource.h"

ORMIX_BEGIN_MESSAGE_MAP(CJournalDlg, CDialog)
  msgmap::ButtonClicked<&CJournalDlg::OnBrowse>(IDC_JOURNAL_BROWSE),
ORMIX_END_MESSAGE_MAP()

namespace {

const char kCaption[] = "Ormix";
const char kNoFolder[] = "ジャーナルのフォルダーを指定してください。";
const char kFolderNotMade[] = "フォルダー %s を作成できません。";
const char kFolderNotWritable[] = "フォルダー %s に書き込めません。";
const char kBrowseTitle[] = "ジャーナルを書き込むフォルダーを選んでください。";

// What the user is told about a folder that the journal cannot use (%s names it); NULL for
// one it can.
const char* RefusalOf(JournalFolderState state) {
  switch (state) {
    case JournalFolderState::Unnamed:
      return kNoFolder;
    case JournalFolderState::NotMade:
      return kFolderNotMade;
    case JournalFolderState::NotWritable:
      return kFolderNotWritable;
    case JournalFolderState::Ready:
      break;
  }
  return nullptr;
}

}  // namespace

CJournalDlg::CJournalDlg(CWnd* pParentWnd) : CDialog(IDD_JOURNAL, pParentWnd) {}

void CJournalDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  if (HWND check = pDX->PrepareCtrl(IDC_JOURNAL_ON)) {
    if (pDX->m_bSaveAndValidate)
      m_bOn = ::SendMessageA(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
    else
      ::SendMessageA(check, BM_SETCHECK, m_bOn ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  DDX_Text(pDX, IDC_JOURNAL_FOLDER, m_strFolder);
}

void CJournalDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  // Off, the folder is only remembered: it is made and tried once the journal is turned on.
  if (const char* refusal = m_bOn ? RefusalOf(PrepareJournalFolder(m_strFolder)) : nullptr) {
    RefuseFolder(refusal);
    return;
  }
  EndDialog(IDOK);
}

void CJournalDlg::RefuseFolder(const char* format) {
  std::vector<char> text(std::snprintf(nullptr, 0, format, m_strFolder.c_str()) + 1u);
  std::snprintf(text.data(), text.size(), format, m_strFolder.c_str());
  ShowMessageBox(m_hWnd, text.data(), kCaption, MB_OK | MB_ICONEXCLAMATION);
  // The dialog's own way to move the focus: its default button follows, and an edit box
  // gets its text selected.
  const HWND field = ::GetDlgItem(m_hWnd, IDC_JOURNAL_FOLDER);
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  ::SendMessageA(field, EM_SETSEL, 0, -1);
}

void CJournalDlg::OnBrowse() {
  CFolderDialog browser(kBrowseTitle, GetDlgItem(IDC_JOURNAL_FOLDER)->GetWindowText(), this);
  if (browser.DoModal() != IDOK) return;
  ::SetDlgItemTextA(m_hWnd, IDC_JOURNAL_FOLDER, browser.GetFolder().c_str());
}
