#pragma once
// The journal settings: whether every log is also written, row by row, to a file of its own,
// and the folder the files go into. With the journal on, OK takes the folder only once it
// exists (it is made, with its parents, when missing) and takes new files; otherwise it says
// why and puts the user back in the folder field. The browse button picks the folder with
// the system's folder browser.
#include <string>

#include "framework/Dialog.h"

class CJournalDlg : public CDialog {
 public:
  explicit CJournalDlg(CWnd* pParentWnd = nullptr);

  bool m_bOn = false;
  std::string m_strFolder;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;
  // Opens the folder browser at the field's folder and puts the folder chosen in the field.
  void OnBrowse();

  ORMIX_DECLARE_MESSAGE_MAP()

 private:
  // Tells the user that the folder cannot be used (`format` names it with %s) and selects
  // the folder field.
  void RefuseFolder(const char* format);
};
