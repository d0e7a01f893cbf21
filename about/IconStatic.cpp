#include "about/IconStatic.h"

ORMIX_BEGIN_MESSAGE_MAP(CIconStatic, CStatic)
  msgmap::Paint<&CIconStatic::OnPaint>(),
  msgmap::EraseBkgnd<&CIconStatic::OnEraseBkgnd>(),
ORMIX_END_MESSAGE_MAP()

namespace {

const COLORREF kBackground = RGB(128, 128, 128);
const int kShadow = 4;  // width and offset of the drop shadow
const int kMargin = 2;  // from the box's edge to the icon: the outline and one white pixel

void FillGrey(HDC hDC, int w, int h) {
  HBRUSH brush = ::CreateSolidBrush(kBackground);
  HGDIOBJ oldBrush = ::SelectObject(hDC, brush);
  ::PatBlt(hDC, 0, 0, w, h, PATCOPY);
  ::SelectObject(hDC, oldBrush);
  ::DeleteObject(brush);
}

}  // namespace

CIconStatic::CIconStatic()
    : m_nIconWidth(::GetSystemMetrics(SM_CXICON)), m_nIconHeight(::GetSystemMetrics(SM_CYICON)) {}

CIconStatic::~CIconStatic() = default;

BOOL CIconStatic::SetIconResource(UINT nIDResource) {
  m_hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(LOWORD(nIDResource)));
  return m_hIcon != nullptr;
}

BOOL CIconStatic::OnEraseBkgnd(HDC hDC) {
  RECT rect;
  GetClientRect(&rect);
  FillGrey(hDC, rect.right, rect.bottom);
  return TRUE;
}

void CIconStatic::OnPaint() {
  PAINTSTRUCT ps;
  HDC hDC = ::BeginPaint(m_hWnd, &ps);
  RECT rect;
  GetClientRect(&rect);
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  HBITMAP bitmap = ::CreateCompatibleBitmap(hDC, w, h);
  HDC memory = ::CreateCompatibleDC(hDC);
  if (bitmap && memory) {
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    DrawFramedIcon(memory, w, h);
    ::BitBlt(hDC, rect.left, rect.top, w, h, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, oldBitmap);
  }
  if (memory) ::DeleteDC(memory);
  if (bitmap) ::DeleteObject(bitmap);
  ::EndPaint(m_hWnd, &ps);
}

void CIconStatic::DrawFramedIcon(HDC hDC, int w, int h) const {
  FillGrey(hDC, w, h);

  // The box: black outline filled with the context's default white brush.
  HGDIOBJ oldPen = ::SelectObject(hDC, ::GetStockObject(BLACK_PEN));
  ::Rectangle(hDC, 0, 0, w - kShadow, h - kShadow);
  ::SelectObject(hDC, oldPen);

  HBRUSH shadow = static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH));
  const RECT right = {w - kShadow, kShadow, w, h};
  const RECT below = {kShadow, h - kShadow, w, h};
  ::FillRect(hDC, &right, shadow);
  ::FillRect(hDC, &below, shadow);

  // The icon at its own size on a black square, then stretched into the box.
  HBITMAP iconBitmap = ::CreateCompatibleBitmap(hDC, m_nIconWidth, m_nIconHeight);
  HDC iconDC = ::CreateCompatibleDC(hDC);
  if (iconBitmap && iconDC) {
    HGDIOBJ oldBitmap = ::SelectObject(iconDC, iconBitmap);
    if (m_hIcon) ::DrawIcon(iconDC, 0, 0, m_hIcon);
    ::StretchBlt(hDC, kMargin, kMargin, w - 2 * kShadow, h - 2 * kShadow, iconDC, 0, 0,
                 m_nIconWidth, m_nIconHeight, SRCCOPY);
    ::SelectObject(iconDC, oldBitmap);
  }
  if (iconDC) ::DeleteDC(iconDC);
  if (iconBitmap) ::DeleteObject(iconBitmap);
}
