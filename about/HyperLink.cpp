#include "about/HyperLink.h"

#include <cstdio>
#include <cstring>

#include "framework/MessageBox.h"
#include "framework/SystemFunction.h"

ORMIX_BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
  msgmap::CtlColorStaticReflect<&CHyperLink::CtlColor>(),
  msgmap::SetCursor<&CHyperLink::OnSetCursor>(),
  msgmap::Mouse<&CHyperLink::OnMouseMove>(WM_MOUSEMOVE),
  msgmap::Timer<&CHyperLink::OnTimer>(),
  msgmap::ControlReflect<&CHyperLink::OnClicked>(STN_CLICKED),
  msgmap::EraseBkgnd<&CHyperLink::OnEraseBkgnd>(),
ORMIX_END_MESSAGE_MAP()

namespace {

const char kCaption[] = "Ormix";
const char kFailurePrefix[] = "Unable to open hyperlink:\n\n";
const int kToolId = 1;

HINSTANCE SystemShellExecute(HWND hWnd, const char* verb, const char* file,
                             const char* parameters, const char* directory, int show) {
  using Run = decltype(&::ShellExecuteA);
  static const Run run = SystemFunction<Run>("shell32.dll", "ShellExecuteA");
  // Without the shell, the link fails as if its handler were missing.
  if (!run) return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
  return run(hWnd, verb, file, parameters, directory, show);
}

UINT SystemWinExec(const char* commandLine, UINT show) { return ::WinExec(commandLine, show); }

CHyperLink::ShellExecuteFn g_shellExecute = &SystemShellExecute;
CHyperLink::WinExecFn g_winExec = &SystemWinExec;

// What ShellExecute's result codes mean, as the user reads them.
struct OpenFailureText {
  int nCode;
  const char* text;
};

const OpenFailureText kOpenFailureTexts[] = {
    {0, "The operating system is out\nof memory or resources."},
    {SE_ERR_FNF, "The specified file was not found."},
    {SE_ERR_PNF, "The specified path was not found."},
    {SE_ERR_ACCESSDENIED, "The operating system denied\naccess to the specified file."},
    {SE_ERR_OOM, "There was not enough memory to complete the operation."},
    {ERROR_BAD_FORMAT, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {SE_ERR_SHARE, "A sharing violation occurred. "},
    {SE_ERR_ASSOCINCOMPLETE, "The filename association is\nincomplete or invalid."},
    {SE_ERR_DDETIMEOUT, "The DDE transaction could not\nbe completed because the request timed out."},
    {SE_ERR_DDEFAIL, "The DDE transaction failed."},
    {SE_ERR_DDEBUSY,
     "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
     "processed."},
    {SE_ERR_NOASSOC, "There is no application associated\nwith the given filename extension."},
    {SE_ERR_DLLNOTFOUND, "The specified dynamic-link library was not found."},
};

// The first occurrence of `needle` in `text` that starts on a character boundary of the
// ANSI code page (a trail byte of a double-byte character never starts a match).
const char* FindText(const char* text, const char* needle) {
  const size_t length = std::strlen(needle);
  for (const char* p = text; *p; p = ::CharNextA(p))
    if (std::strncmp(p, needle, length) == 0) return p;
  return nullptr;
}

}  // namespace

CHyperLink::ShellExecuteFn CHyperLink::SetShellExecuteHook(ShellExecuteFn hook) {
  const ShellExecuteFn previous = g_shellExecute;
  g_shellExecute = hook ? hook : &SystemShellExecute;
  return previous;
}

CHyperLink::WinExecFn CHyperLink::SetWinExecHook(WinExecFn hook) {
  const WinExecFn previous = g_winExec;
  g_winExec = hook ? hook : &SystemWinExec;
  return previous;
}

CHyperLink::CHyperLink() = default;

CHyperLink::~CHyperLink() {
  // The window goes first: it must not keep drawing with the fonts deleted below.
  if (IsWindow() && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
  if (m_hLinkCursor) ::DestroyCursor(m_hLinkCursor);
}

// --- attributes ---------------------------------------------------------------------------

void CHyperLink::SetLinkUrl(const char* url) {
  m_strURL = url ? url : "";
  if (!IsWindow()) return;
  FitToText();
  m_ToolTip.UpdateTipText(m_strURL.c_str(), this, kToolId);
}

void CHyperLink::SetUnderlineMode(int nMode) {
  if (nMode == m_nUnderline) return;
  if (IsWindow()) {
    SetFont(nMode == 1 ? m_UnderlineFont : m_StdFont, TRUE);
    Invalidate(TRUE);
  }
  m_nUnderline = nMode;
}

void CHyperLink::SetVisitedState(BOOL bVisited) {
  m_bVisited = bVisited;
  if (IsWindow()) Invalidate(TRUE);
}

// --- attaching and destroying ---------------------------------------------------------------

void CHyperLink::PreSubclassWindow() {
  // A static control reports clicks only with SS_NOTIFY.
  ModifyStyle(0, SS_NOTIFY);

  const std::string text = GetWindowText();
  if (m_strURL.empty()) m_strURL = text;
  if (text.empty()) SetWindowText(m_strURL.c_str());

  HGDIOBJ font = GetFont();
  if (!font) font = ::GetStockObject(DEFAULT_GUI_FONT);
  if (!font) font = ::GetStockObject(ANSI_VAR_FONT);
  LOGFONTA logFont = {};
  ::GetObjectA(font, sizeof(logFont), &logFont);
  m_StdFont.CreateFontIndirect(&logFont);
  logFont.lfUnderline = TRUE;
  m_UnderlineFont.CreateFontIndirect(&logFont);

  FitToText();
  LoadHandCursor();
  SetUnderlineMode(-1);

  if (m_ToolTip.Create(this)) {
    RECT rect;
    GetClientRect(&rect);
    m_ToolTip.AddTool(this, m_strURL.c_str(), rect, kToolId);
  }
  CStatic::PreSubclassWindow();
}

BOOL CHyperLink::DestroyWindow() {
  KillTimer(m_nTimerID);
  return CStatic::DestroyWindow();
}

BOOL CHyperLink::PreTranslateMessage(MSG* pMsg) {
  m_ToolTip.RelayEvent(pMsg);
  return CStatic::PreTranslateMessage(pMsg);
}

// --- drawing and the pointer -----------------------------------------------------------------

HBRUSH CHyperLink::CtlColor(HDC hDC) {
  COLORREF colour = m_crLinkColour;
  if (m_bOverControl)
    colour = m_crHoverColour;
  else if (m_bVisited)
    colour = m_crVisitedColour;
  ::SetTextColor(hDC, colour);
  ::SetBkMode(hDC, TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

BOOL CHyperLink::OnEraseBkgnd(HDC hDC) {
  RECT rect;
  GetClientRect(&rect);
  ::FillRect(hDC, &rect, ::GetSysColorBrush(COLOR_3DFACE));
  return TRUE;
}

BOOL CHyperLink::OnSetCursor(HWND, UINT, UINT) {
  if (!m_hLinkCursor) return FALSE;
  ::SetCursor(m_hLinkCursor);
  return TRUE;
}

void CHyperLink::OnMouseMove(UINT, POINT) {
  if (!m_bOverControl) {
    m_bOverControl = TRUE;
    if (m_nUnderline == -1) SetFont(m_UnderlineFont, TRUE);
    Invalidate(TRUE);
    SetTimer(m_nTimerID, 100);
  }
  Default();
}

// The pointer leaving is seen only by polling: a static control gets no message for it.
void CHyperLink::OnTimer(UINT_PTR) {
  const DWORD position = ::GetMessagePos();
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ScreenToClient(&point);
  RECT rect;
  GetClientRect(&rect);
  if (!::PtInRect(&rect, point)) {
    m_bOverControl = FALSE;
    KillTimer(m_nTimerID);
    if (m_nUnderline != 1) SetFont(m_StdFont, TRUE);
    Invalidate(TRUE);
  }
  Default();
}

void CHyperLink::FitToText() {
  if (!IsWindow() || !m_bAdjustToFit) return;

  RECT window, client;
  GetWindowRect(&window);
  GetClientRect(&client);
  ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  if (HWND hWndParent = ::GetParent(m_hWnd)) {
    ::MapWindowPoints(nullptr, hWndParent, reinterpret_cast<POINT*>(&window), 2);
    ::MapWindowPoints(nullptr, hWndParent, reinterpret_cast<POINT*>(&client), 2);
  }

  const std::string text = GetWindowText();
  SIZE extent = {0, 0};
  if (HDC hDC = ::GetDC(m_hWnd)) {
    HGDIOBJ oldFont = ::SelectObject(hDC, m_UnderlineFont.GetSafeHandle());
    ::GetTextExtentPoint32A(hDC, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(hDC, oldFont);
    ::ReleaseDC(m_hWnd, hDC);
  }

  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int neededWidth = extent.cx + width - (client.right - client.left);
  const int neededHeight = extent.cy + height - (client.bottom - client.top);

  const DWORD style = GetStyle();
  if (style & SS_CENTERIMAGE) {
    const int shrink = (height - neededHeight) / 2;
    window.top += shrink;
    window.bottom -= shrink;
  } else {
    window.bottom = window.top + neededHeight;
  }
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: {
      const int shrink = (width - neededWidth) / 2;
      window.left += shrink;
      window.right -= shrink;
      break;
    }
    case SS_RIGHT:
      window.left = window.right - neededWidth;
      break;
    default:
      window.right = window.left + neededWidth;
      break;
  }
  SetWindowPos(nullptr, window.left, window.top, window.right - window.left,
               window.bottom - window.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The help program's hand cursor where it has one; else the system's own hand pointer.
void CHyperLink::LoadHandCursor() {
  if (m_hLinkCursor) return;
  char directory[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryA(directory, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const std::string path = std::string(directory) + "\\winhlp32.exe";
    // Only its resources are needed: mapped as data, nothing of it runs.
    if (HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
      if (HCURSOR cursor = ::LoadCursorA(module, MAKEINTRESOURCEA(106)))
        m_hLinkCursor = static_cast<HCURSOR>(::CopyIcon(cursor));
      ::FreeLibrary(module);
    }
  }
  if (!m_hLinkCursor) {
    if (HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND)) m_hLinkCursor = static_cast<HCURSOR>(::CopyIcon(hand));
  }
}

// --- opening the target -------------------------------------------------------------------------

void CHyperLink::OnClicked() {
  m_bOverControl = FALSE;
  const INT_PTR result = OpenLink(m_strURL.c_str(), SW_SHOW);
  m_bVisited = result > 32;
  if (m_bVisited) {
    SetVisitedState(TRUE);
  } else {
    ::MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenFailure(static_cast<int>(result));
  }
}

INT_PTR CHyperLink::OpenLink(const char* url, int nShowCmd) {
  const INT_PTR shellResult =
      reinterpret_cast<INT_PTR>(g_shellExecute(nullptr, "open", url, nullptr, nullptr, nShowCmd));
  if (static_cast<UINT_PTR>(shellResult) > 32) return shellResult;

  // The shell refused: start the browser registered for ".htm" with the target. The command
  // line is built to the size it needs, however long the target.
  std::string command;
  if (QueryRegistryDefault(HKEY_CLASSES_ROOT, ".htm", command) != ERROR_SUCCESS)
    return shellResult;
  command += "\\shell\\open\\command";
  if (QueryRegistryDefault(HKEY_CLASSES_ROOT, command.c_str(), command) != ERROR_SUCCESS)
    return shellResult;

  const char* placeholder = FindText(command.c_str(), "\"%1\"");
  if (!placeholder) placeholder = FindText(command.c_str(), "%1");
  if (placeholder) command.resize(static_cast<size_t>(placeholder - command.c_str()));
  command += ' ';
  command += url;
  return static_cast<INT_PTR>(g_winExec(command.c_str(), static_cast<UINT>(nShowCmd)));
}

LONG CHyperLink::QueryRegistryDefault(HKEY root, const char* subKey, std::string& value) {
  HKEY key = nullptr;
  LONG result = ::RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key);
  if (result != ERROR_SUCCESS) return result;
  char data[MAX_PATH];
  DWORD type = REG_NONE;
  DWORD size = sizeof(data);
  // A value that does not fit is refused (ERROR_MORE_DATA), never read past the buffer.
  result = ::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  // A stored string need not end with its zero: it ends at the first zero or at its size.
  const size_t length = strnlen(data, size);
  if (length >= sizeof(data)) return ERROR_MORE_DATA;
  data[length] = '\0';
  if (type == REG_EXPAND_SZ) {
    char expanded[MAX_PATH];
    const DWORD needed = ::ExpandEnvironmentStringsA(data, expanded, MAX_PATH);
    if (needed == 0 || needed > MAX_PATH) return ERROR_MORE_DATA;
    value = expanded;
  } else {
    value.assign(data, length);
  }
  return ERROR_SUCCESS;
}

void CHyperLink::ShowOpenFailure(int nCode) {
  std::string text = kFailurePrefix;
  const char* reason = nullptr;
  for (const OpenFailureText& entry : kOpenFailureTexts)
    if (entry.nCode == nCode) reason = entry.text;
  if (reason) {
    text += reason;
  } else {
    char unknown[64];
    std::snprintf(unknown, sizeof(unknown), "Unknown Error (%d) occurred.", nCode);
    text += unknown;
  }
  HWND hWndOwner = IsWindow() ? ::GetAncestor(m_hWnd, GA_ROOT) : nullptr;
  ShowMessageBox(hWndOwner, text.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
}
