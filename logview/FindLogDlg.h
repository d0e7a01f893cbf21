#pragma once
// The find dialog of the event log: asks for the text to look for in every column of the
// log. 次を検索 looks for the next row holding it and leaves the dialog open, as the find
// dialogs of Windows do, for the next press; キャンセル closes it.
#include <functional>
#include <string>

#include "framework/Dialog.h"

class CFindLogDlg : public CDialog {
 public:
  explicit CFindLogDlg(CWnd* pParentWnd = nullptr);

  std::string m_strFind;
  // Runs at each press of 次を検索 with the text typed (not empty); without it, the press
  // ends the dialog with IDOK.
  std::function<void(CFindLogDlg& dialog)> m_onFindNext;

  void OnOK() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
