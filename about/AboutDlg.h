#pragma once
// The About box: the program's name and version, a notice line and two links (e-mail and
// home page) beside the program's icon drawn large. Run it with DoModal; without a parent
// the active main window owns it. Nothing is kept after it closes.
#include <windows.h>

#include "about/HyperLink.h"
#include "about/IconStatic.h"
#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  ~CAboutDlg() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  CHyperLink m_MailLink;
  CHyperLink m_HomePageLink;
  CIconStatic m_Icon;
};
