#pragma once
// The journal settings: whether every log is also written, row by row, to a file of its own,
// and the folder the files go into.
#include <string>

#include "framework/Dialog.h"

class CJournalDlg : public CDialog {
 public:
  explicit CJournalDlg(CWnd* pParentWnd = nullptr);

  bool m_bOn = false;
  std::string m_strFolder;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
