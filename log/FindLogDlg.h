#pragma once
// The find dialog of the event log: asks for the text to look for in every column of the
// log; OK looks for the next row holding it.
#include <string>

#include "framework/Dialog.h"

class CFindLogDlg : public CDialog {
 public:
  explicit CFindLogDlg(CWnd* pParentWnd = nullptr);

  std::string m_strFind;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
