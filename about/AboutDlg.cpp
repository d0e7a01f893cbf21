#include "about/AboutDlg.h"

#include <string>

#include "res/resource.h"

namespace {
// The same texts as the links show in the dialog template.
const char kMailAddress[] = "ormix@example.com";
const char kHomePage[] = "https://www.example.com/ormix/";
}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ABOUT_MAIL, m_MailLink);
  DDX_Control(pDX, IDC_ABOUT_URL, m_HomePageLink);
  DDX_Control(pDX, IDC_ABOUT_ICON, m_Icon);
}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CenterWindow();
  m_Icon.SetIconResource(IDR_MAINFRAME);
  m_MailLink.SetLinkUrl((std::string("mailto:") + kMailAddress).c_str());
  m_MailLink.SetUnderlineMode(-1);
  m_HomePageLink.SetLinkUrl(kHomePage);
  m_HomePageLink.SetUnderlineMode(-1);
  return TRUE;
}
