// The About box run modally and driven from inside its modal loop: caption, controls in
// their places, links fitted to their texts with their targets as tool tips, and the three
// ways to close it.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "AboutTestHelpers.h"
#include "about/AboutDlg.h"
#include "res/resource.h"
#include "support/DialogDriver.h"

using testsupport::RunModal;

TEST(AboutDialog, ShowsItsTextsAndLinksInPlace) {
  const struct {
    int id;
    const char* text;
    RECT units;  // x, y, width, height in dialog units
  } controls[] = {{IDOK, "OK", {168, 4, 44, 14}},
                  {-1, "Ormix for Internet Explorer", {56, 8, 100, 8}},
                  {-1, "version 1.00", {56, 17, 100, 8}},
                  {-1, "", {56, 32, 160, 1}},
                  {-1, "Copyright (C) 2024 The Ormix Project", {56, 40, 160, 8}},
                  {-1, "E-mail ： ", {56, 51, 28, 8}},
                  {IDC_ABOUT_ICON, "Big Icon", {7, 12, 40, 44}},
                  {IDC_ABOUT_MAIL, "ormix@example.com", {84, 52, 132, 8}},
                  {-1, "URL ：", {56, 64, 24, 8}},
                  {IDC_ABOUT_URL, "https://www.example.com/ormix/", {84, 64, 132, 8}}};
  CAboutDlg dialog;
  RunModal<CAboutDlg>(dialog, [&](CAboutDlg& d) {
    EXPECT_EQ("バージョン情報", d.GetWindowText());
    HWND child = ::GetWindow(d.m_hWnd, GW_CHILD);
    for (const auto& c : controls) {
      ASSERT_NE(nullptr, child);
      EXPECT_EQ(c.id, static_cast<short>(::GetDlgCtrlID(child)));
      EXPECT_EQ(c.text, CWnd::FromHandle(child)->GetWindowText());
      RECT rect, expected = c.units;  // position and size converted each on its own
      ::MapDialogRect(d.m_hWnd, &expected);
      ::GetWindowRect(child, &rect);
      ::MapWindowPoints(nullptr, d.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
      EXPECT_EQ(expected.left, rect.left) << c.text;
      EXPECT_EQ(expected.top, rect.top) << c.text;
      // The links shrink to their texts; the other controls keep their template size.
      const bool link = c.id == IDC_ABOUT_MAIL || c.id == IDC_ABOUT_URL;
      EXPECT_EQ(link ? testsupport::TextWidth(child) : expected.right, rect.right - rect.left) << c.text;
      if (!link) {
        EXPECT_EQ(expected.bottom, rect.bottom - rect.top) << c.text;
      }
      child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ("mailto:ormix@example.com", testsupport::ToolTipText(::GetDlgItem(d.m_hWnd, IDC_ABOUT_MAIL)));
    EXPECT_EQ("https://www.example.com/ormix/", testsupport::ToolTipText(::GetDlgItem(d.m_hWnd, IDC_ABOUT_URL)));
    d.EndDialog(IDCANCEL);
  });
}

TEST(AboutDialog, EnterEscAndTheCloseBoxCloseIt) {
  const struct {
    UINT message;
    WPARAM wParam;
    INT_PTR result;
  } ways[] = {{WM_KEYDOWN, VK_RETURN, IDOK}, {WM_KEYDOWN, VK_ESCAPE, IDCANCEL}, {WM_SYSCOMMAND, SC_CLOSE, IDCANCEL}};
  for (const auto& way : ways) {
    CAboutDlg dialog;
    const INT_PTR result = RunModal<CAboutDlg>(dialog, [&](CAboutDlg& d) {
      // Should the message not close it, the dialog ends itself with -2 after 5 s.
      ::SetTimer(d.m_hWnd, 1, 5000, [](HWND hWnd, UINT, UINT_PTR, DWORD) { ::EndDialog(hWnd, -2); });
      // Keys go to the focused OK button, the close box's command to the dialog.
      ::PostMessageA(way.message == WM_KEYDOWN ? ::GetDlgItem(d.m_hWnd, IDOK) : d.m_hWnd, way.message, way.wParam, 0);
    });
    EXPECT_EQ(way.result, result) << way.wParam;
  }
}
