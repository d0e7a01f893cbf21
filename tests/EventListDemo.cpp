// Shows an event log with every kind of row in a visible top-level window, for looking at
// (and capturing) the real control: event rows, the three recording messages and the
// browser-quit message, with a three-icon image list, grid lines and full-row selection.
// Usage: eventlog_demo [READY_FILE [SECONDS [menu]]] — writes READY_FILE once the window has
// been painted and closes itself after SECONDS (default 30); with "menu", the rows' right-click
// menu is open at the selected row meanwhile.
#include <windows.h>
#include <commctrl.h>
#include <exdispid.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "logview/EventListCtrl.h"
#include "support/FakeBrowser.h"
#include "support/Variants.h"

namespace {

class CDemoFrame : public CWnd {
 public:
  CEventListCtrl* m_pList = nullptr;

 protected:
  void OnSize(UINT, int cx, int cy) {
    if (m_pList && m_pList->m_hWnd) m_pList->MoveWindow(0, 0, cx, cy);
  }
  void OnDestroy() {
    ::PostQuitMessage(0);
    CWnd::OnDestroy();
  }
  ORMIX_DECLARE_MESSAGE_MAP()
};

ORMIX_BEGIN_MESSAGE_MAP(CDemoFrame, CWnd)
  msgmap::Size<&CDemoFrame::OnSize>(),
  msgmap::Destroy<&CDemoFrame::OnDestroy>(),
ORMIX_END_MESSAGE_MAP()

HIMAGELIST MakeRowIcons() {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 3);
  for (LPCSTR id : {IDI_APPLICATION, IDI_INFORMATION, IDI_WARNING}) {
    HICON icon = static_cast<HICON>(::LoadImageA(nullptr, id, IMAGE_ICON, 16, 16, LR_SHARED));
    ImageList_AddIcon(images, icon);
  }
  return images;
}

void FillLog(FakeBrowser* browser, CEventListCtrl& list) {
  list.Connect(static_cast<IWebBrowser2*>(browser));
  BSTR url = SysAllocString(L"http://www.example.jp/検索?q=ブラウザ");
  BSTR title = SysAllocString(L"例のページ - 検索結果");
  BSTR headers = SysAllocString(L"Content-Type: application/x-www-form-urlencoded\r\n");
  VARIANT vUrl = VarBstr(url), vFlags = VarI4(0), vFrame = VarBstr(nullptr),
          vHeaders = VarBstr(headers);
  SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 0, 3);
  void* data = nullptr;
  SafeArrayAccessData(bytes, &data);
  memcpy(data, "a=1", 3);
  SafeArrayUnaccessData(bytes);
  VARIANT inner = VarOfType(VT_ARRAY | VT_UI1);
  inner.parray = bytes;
  VARIANT post = VarRef(VT_VARIANT, &inner);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  browser->Fire(DISPID_BEFORENAVIGATE2,
                {VarDispatch(nullptr), VarRef(VT_VARIANT, &vUrl), VarRef(VT_VARIANT, &vFlags),
                 VarRef(VT_VARIANT, &vFrame), VarRef(VT_VARIANT, &post),
                 VarRef(VT_VARIANT, &vHeaders), VarRef(VT_BOOL, &cancel)});
  browser->Fire(DISPID_DOWNLOADBEGIN, {});
  browser->Fire(DISPID_PROGRESSCHANGE, {VarI4(50), VarI4(100)});
  browser->Fire(DISPID_TITLECHANGE, {VarBstr(title)});
  browser->Fire(DISPID_NAVIGATECOMPLETE2, {VarDispatch(nullptr), VarRef(VT_VARIANT, &vUrl)});
  list.StopRecording();
  browser->Fire(DISPID_STATUSTEXTCHANGE, {VarBstr(title)});  // not recorded
  list.ResumeRecording();
  browser->Fire(DISPID_DOCUMENTCOMPLETE, {VarDispatch(nullptr), VarRef(VT_VARIANT, &vUrl)});
  browser->Fire(DISPID_COMMANDSTATECHANGE, {VarI4(1), VarBool(VARIANT_TRUE)});
  browser->Fire(DISPID_ONQUIT, {});
  VariantClear(&inner);
  SysFreeString(url);
  SysFreeString(title);
  SysFreeString(headers);
}

}  // namespace

int main(int argc, char** argv) {
  const char* readyFile = argc > 1 ? argv[1] : nullptr;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
  const bool showMenu = argc > 3 && std::string(argv[3]) == "menu";
  if (FAILED(OleInitialize(nullptr))) return 2;
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "OrmixEventLogDemo";
  ::RegisterClassA(&wc);

  CDemoFrame frame;
  auto* list = new CEventListCtrl;
  frame.m_pList = list;
  if (!frame.CreateEx(0, "OrmixEventLogDemo", "Ormix - イベントログ", WS_OVERLAPPEDWINDOW, 20, 20,
                      980, 420, nullptr, nullptr))
    return 3;
  if (!list->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_REPORT, RECT{}, &frame, 100))
    return 4;
  list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  HIMAGELIST icons = MakeRowIcons();
  list->SetImageList(icons, LVSIL_SMALL);
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  HFONT font = ::CreateFontIndirectA(&metrics.lfStatusFont);
  list->SetListFont(font, TRUE);

  auto* browser = new FakeBrowser;
  FillLog(browser, *list);
  list->SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  RECT client;
  frame.GetClientRect(&client);
  list->MoveWindow(0, 0, client.right, client.bottom);
  frame.ShowWindow(SW_SHOW);
  frame.UpdateWindow();
  ::SetForegroundWindow(frame.m_hWnd);
  ::SetFocus(list->m_hWnd);
  ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (readyFile) {
    if (FILE* f = std::fopen(readyFile, "w")) std::fclose(f);
  }
  ::SetTimer(frame.m_hWnd, 1, static_cast<UINT>(seconds) * 1000, nullptr);
  if (showMenu) {
    ::PostMessageA(list->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd), MAKELPARAM(-1, -1));
    // The menu's own loop runs timer procedures: it is closed just before the window.
    ::SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000 - 500, [](HWND, UINT, UINT_PTR id, DWORD) {
      ::KillTimer(nullptr, id);
      ::EndMenu();
    });
  }

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == frame.m_hWnd) {
      frame.DestroyWindow();
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  delete list;
  browser->Release();
  ::DeleteObject(font);
  ImageList_Destroy(icons);
  OleUninitialize();
  return 0;
}
