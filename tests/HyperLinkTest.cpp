// The link control on real static controls: fitting to its text, target and text defaults,
// colours and fonts through hover, opening through the shell and through the registered
// browser's command line, and the failure messages.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AboutTestHelpers.h"
#include "about/HyperLink.h"
#include "support/MessageBoxRecorder.h"
#include "support/MessagePump.h"

using testsupport::SharedHost;
using testsupport::ToolTipText;

namespace {

const COLORREF kLink = RGB(0, 0, 238), kVisited = RGB(85, 26, 139), kHover = RGB(255, 0, 0);
const std::string kUrl = "https://www.example.com/ormix/";

class CTestLink : public CHyperLink {
 public:
  using CHyperLink::ShowOpenFailure;
};

HWND MakeStatic(const char* text, DWORD style, int x, int y, int cx, int cy) {
  HWND hWnd = ::CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy,
                                SharedHost().m_hWnd, nullptr, nullptr, nullptr);
  ::SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), 0);
  return hWnd;
}

// The text colour the link chooses when its parent asks how to draw it.
COLORREF TextColour(CHyperLink& link) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  SharedHost().SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(link.m_hWnd));
  const COLORREF colour = ::GetTextColor(dc);
  ::DeleteDC(dc);
  return colour;
}

bool Underlined(CHyperLink& link) {
  LOGFONTA font = {};
  ::GetObjectA(link.GetFont(), sizeof(font), &font);
  return font.lfUnderline != 0;
}

RECT RectInParent(HWND hWnd) {
  RECT rect;
  ::GetWindowRect(hWnd, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Click(CHyperLink& link) { link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, 0); }

// What the shell and the fallback were asked to run, and what they answer.
struct {
  std::vector<std::string> shell, exec;
  INT_PTR shellResult;
  UINT execResult;
} g_calls;

HINSTANCE RecordShell(HWND, const char* verb, const char* file, const char*, const char*, int show) {
  g_calls.shell.push_back(std::string(verb) + " " + file + " " + std::to_string(show));
  return reinterpret_cast<HINSTANCE>(g_calls.shellResult);
}

UINT RecordExec(const char* commandLine, UINT) {
  g_calls.exec.push_back(commandLine);
  return g_calls.execResult;
}

// Captures the shell and the fallback, with HKEY_CLASSES_ROOT redirected to an empty key.
class HyperLinkTest : public testing::Test {
 protected:
  void SetUp() override {
    g_calls = {{}, {}, 42, 33};
    CHyperLink::SetShellExecuteHook(&RecordShell);
    CHyperLink::SetWinExecHook(&RecordExec);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kClasses);
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kClasses, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_classes, nullptr);
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, m_classes);
  }
  void TearDown() override {
    CHyperLink::SetShellExecuteHook(nullptr);
    CHyperLink::SetWinExecHook(nullptr);
    ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    ::RegCloseKey(m_classes);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kClasses);
  }
  void Register(const char* subKey, DWORD type, const void* data, DWORD size) {
    ::RegSetKeyValueA(m_classes, subKey, nullptr, type, data, size);
  }
  void Register(const char* subKey, const std::string& text) {
    Register(subKey, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }

  static constexpr const char* kClasses = "Software\\OrmixAboutTest\\Classes";
  HKEY m_classes = nullptr;
  MessageBoxRecorder m_boxes;
};

}  // namespace

TEST_F(HyperLinkTest, ShrinksToItsTextKeepingItsAlignment) {
  const char text[] = "Ormix home page";
  const DWORD styles[] = {SS_LEFT | WS_BORDER, SS_CENTER, SS_RIGHT, SS_LEFT | SS_CENTERIMAGE};
  CHyperLink links[4];
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(links[i].SubclassWindow(MakeStatic(text, styles[i], 20, 10 + 40 * i, 200, 30)));
  HDC dc = ::GetDC(links[0]);
  TEXTMETRICA metrics;
  ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  ::GetTextMetricsA(dc, &metrics);
  ::ReleaseDC(links[0], dc);
  const int tw = testsupport::TextWidth(links[0]), th = metrics.tmHeight;
  const int dx = (200 - tw) / 2, dy = (30 - th) / 2;
  ASSERT_LT(tw, 190);
  const RECT expected[] = {{20, 10, 20 + tw + 2, 10 + th + 2},  // left edge kept, border kept
                           {20 + dx, 50, 220 - dx, 50 + th},    // shrunk about its centre
                           {220 - tw, 90, 220, 90 + th},        // right edge kept
                           {20, 130 + dy, 20 + tw, 160 - dy}};  // shrunk about its middle
  for (int i = 0; i < 4; ++i) {
    const RECT r = RectInParent(links[i]);
    EXPECT_EQ(expected[i].left, r.left) << i;
    EXPECT_EQ(expected[i].top, r.top) << i;
    EXPECT_EQ(expected[i].right, r.right) << i;
    EXPECT_EQ(expected[i].bottom, r.bottom) << i;
  }
}

TEST_F(HyperLinkTest, TargetAndTextDefaultToEachOther) {
  CHyperLink fromText, fromTarget;
  ASSERT_TRUE(fromText.SubclassWindow(MakeStatic(kUrl.c_str(), SS_LEFT, 10, 10, 300, 20)));
  fromTarget.SetLinkUrl("mailto:ormix@example.com");
  ASSERT_TRUE(fromTarget.SubclassWindow(MakeStatic("", SS_LEFT, 10, 40, 300, 20)));
  EXPECT_EQ(kUrl, fromText.GetLinkUrl());
  EXPECT_EQ(kUrl, ToolTipText(fromText));
  EXPECT_NE(0u, fromText.GetStyle() & SS_NOTIFY);
  EXPECT_EQ("mailto:ormix@example.com", fromTarget.GetWindowText());
  EXPECT_EQ("mailto:ormix@example.com", ToolTipText(fromTarget));
  // A new target changes the tool tip, not the text shown.
  fromText.SetLinkUrl("https://example.com/other");
  EXPECT_EQ(kUrl, fromText.GetWindowText());
  EXPECT_EQ("https://example.com/other", ToolTipText(fromText));
  // The pointer over the link is a hand (the system's, where the help program has none).
  EXPECT_TRUE(fromText.SendMessage(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_NE(::LoadCursorA(nullptr, IDC_ARROW), ::GetCursor());
}

TEST_F(HyperLinkTest, HoverColoursAndUnderlinesByMode) {
  CHyperLink link;
  ASSERT_TRUE(link.SubclassWindow(MakeStatic(kUrl.c_str(), SS_LEFT, 10, 10, 300, 20)));
  RECT rect;
  link.GetWindowRect(&rect);
  const struct {
    int mode;
    bool underlinedOver, underlinedAfter;
  } modes[] = {{-1, true, false}, {1, true, true}, {0, false, false}};
  for (const auto& m : modes) {
    link.SetUnderlineMode(m.mode);
    EXPECT_EQ(m.underlinedAfter, Underlined(link)) << m.mode;
    ::SetCursorPos(rect.left + 5, rect.top + 5);
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(kHover, TextColour(link)) << m.mode;
    EXPECT_EQ(m.underlinedOver, Underlined(link)) << m.mode;
    // The pointer leaves: the next tick of the hover timer notices.
    ::SetCursorPos(rect.right + 100, rect.bottom + 200);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return TextColour(link) == kLink; }, 3000)) << m.mode;
    EXPECT_EQ(m.underlinedAfter, Underlined(link)) << m.mode;
    EXPECT_FALSE(link.KillTimer(100)) << "the hover timer still runs in mode " << m.mode;
  }
  // A visited link too turns to the hover colour under the pointer, and back to visited.
  link.SetVisitedState(TRUE);
  EXPECT_EQ(kVisited, TextColour(link));
  ::SetCursorPos(rect.left + 5, rect.top + 5);
  link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(kHover, TextColour(link));
  ::SetCursorPos(rect.right + 100, rect.bottom + 200);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return TextColour(link) == kVisited; }, 3000));
}

TEST_F(HyperLinkTest, ClickOpensTheTargetAndShowsVisitedUntilAFailure) {
  CHyperLink link;
  ASSERT_TRUE(link.SubclassWindow(MakeStatic("ormix@example.com", SS_LEFT, 10, 10, 300, 20)));
  link.SetLinkUrl("mailto:ormix@example.com");
  Click(link);
  EXPECT_EQ(std::vector<std::string>{"open mailto:ormix@example.com " + std::to_string(SW_SHOW)}, g_calls.shell);
  EXPECT_EQ(kVisited, TextColour(link));
  EXPECT_TRUE(m_boxes.Boxes().empty());

  // Refused by the shell, and no browser registered for the fallback.
  g_calls.shellResult = SE_ERR_NOASSOC;
  Click(link);
  EXPECT_EQ(kLink, TextColour(link));
  EXPECT_TRUE(g_calls.exec.empty());
  ASSERT_EQ(1u, m_boxes.Boxes().size());
  const RecordedMessageBox& box = m_boxes.Boxes()[0];
  EXPECT_EQ("Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.", box.text);
  EXPECT_EQ("Ormix", box.caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
}

TEST_F(HyperLinkTest, FallbackRunsTheRegisteredBrowserWithTheTarget) {
  CHyperLink link;
  ASSERT_TRUE(link.SubclassWindow(MakeStatic(kUrl.c_str(), SS_LEFT, 10, 10, 300, 20)));
  g_calls.shellResult = SE_ERR_NOASSOC;
  Register(".htm", "OrmixTest.Page");
  const char* const command = "OrmixTest.Page\\shell\\open\\command";
  const std::pair<std::string, std::string> cases[] = {
      {"\"C:\\Web\\view.exe\" -new \"%1\" -x", "\"C:\\Web\\view.exe\" -new  " + kUrl},
      {"C:\\Web\\view.exe %1", "C:\\Web\\view.exe  " + kUrl},
      {"C:\\Web\\view.exe -page", "C:\\Web\\view.exe -page " + kUrl}};
  for (const auto& c : cases) {
    Register(command, c.first);
    Click(link);
    ASSERT_FALSE(g_calls.exec.empty()) << c.first;
    EXPECT_EQ(c.second, g_calls.exec.back());
    EXPECT_EQ(kVisited, TextColour(link)) << c.first;
  }
  EXPECT_TRUE(m_boxes.Boxes().empty());

  // A failing command reports its own code.
  g_calls.execResult = SE_ERR_FNF;
  Click(link);
  // A command too long for the lookup, or a value that is no string, is not run: the shell's
  // code is reported.
  Register(command, "C:\\" + std::string(400, 'w') + ".exe \"%1\"");
  Click(link);
  const DWORD number = 7;
  Register(command, REG_DWORD, &number, sizeof(number));
  Click(link);
  EXPECT_EQ(4u, g_calls.exec.size());
  ASSERT_EQ(3u, m_boxes.Boxes().size());
  EXPECT_EQ("Unable to open hyperlink:\n\nThe specified file was not found.", m_boxes.Boxes()[0].text);
  EXPECT_NE(std::string::npos, m_boxes.Boxes()[1].text.find("no application associated"));
  EXPECT_NE(std::string::npos, m_boxes.Boxes()[2].text.find("no application associated"));
}

TEST_F(HyperLinkTest, FailureMessagesByResultCode) {
  CTestLink link;
  ASSERT_TRUE(link.SubclassWindow(MakeStatic(kUrl.c_str(), SS_LEFT, 10, 10, 300, 20)));
  const std::pair<int, std::string> cases[] = {
      {0, "The operating system is out\nof memory or resources."},
      {2, "The specified file was not found."},
      {26, "A sharing violation occurred. "},
      {31, "There is no application associated\nwith the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
      {1, "Unknown Error (1) occurred."},
      {33, "Unknown Error (33) occurred."}};
  for (const auto& c : cases) link.ShowOpenFailure(c.first);
  ASSERT_EQ(std::size(cases), m_boxes.Boxes().size());
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ("Unable to open hyperlink:\n\n" + cases[i].second, m_boxes.Boxes()[i].text);
}
