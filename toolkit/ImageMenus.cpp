#include "toolkit/ImageMenus.h"

#include "toolkit/ToolBarResource.h"
#include "toolkit/ToolkitSettings.h"

CImageMenus::~CImageMenus() {
  if (m_hImageList) ::ImageList_Destroy(m_hImageList);
}

BOOL CImageMenus::Load(UINT nIDToolBar) {
  ToolBarResource resource;
  if (!resource.Load(nIDToolBar)) return FALSE;
  HIMAGELIST images = resource.LoadImages(nIDToolBar);
  if (!images) return FALSE;
  if (m_hImageList) ::ImageList_Destroy(m_hImageList);
  m_hImageList = images;
  m_cxImage = resource.cxButton;
  m_cyImage = resource.cyButton;
  m_images.clear();
  int image = 0;
  for (UINT command : resource.commands)
    if (command != 0) m_images.emplace(command, image++);
  return TRUE;
}

int CImageMenus::GetImageIndex(UINT nID) const {
  auto it = m_images.find(nID);
  return it == m_images.end() ? -1 : it->second;
}

void CImageMenus::OnInitMenuPopup(HMENU hPopup) {
  if (!m_hImageList || !hPopup || !CToolkitSettings::Get().IsMenuImages()) return;
  const int count = ::GetMenuItemCount(hPopup);
  bool anyImage = false;
  for (int i = 0; i < count && !anyImage; ++i)
    anyImage = GetImageIndex(::GetMenuItemID(hPopup, i)) >= 0;
  if (!anyImage) return;
  // Check marks and images in columns of their own (no MNS_CHECKORBMP): sharing one, Wine
  // starts the text at the check mark's width whatever the image's, and the image touches
  // or covers it. Items without an image get the empty column too: the system starts every
  // text after the widest item bitmap, but sizes an item without one as if it had none.
  MENUINFO menuInfo = {};
  menuInfo.cbSize = sizeof(menuInfo);
  menuInfo.fMask = MIM_STYLE;
  ::GetMenuInfo(hPopup, &menuInfo);
  if (menuInfo.dwStyle & MNS_CHECKORBMP) {
    menuInfo.dwStyle &= ~static_cast<DWORD>(MNS_CHECKORBMP);
    ::SetMenuInfo(hPopup, &menuInfo);
  }
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_BITMAP;
    if (!::GetMenuItemInfoA(hPopup, static_cast<UINT>(i), TRUE, &info)) continue;
    if ((info.fType & MFT_SEPARATOR) || info.hbmpItem == HBMMENU_CALLBACK) continue;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = HBMMENU_CALLBACK;
    ::SetMenuItemInfoA(hPopup, static_cast<UINT>(i), TRUE, &info);
  }
}

BOOL CImageMenus::OnMeasureItem(MEASUREITEMSTRUCT* measure) {
  // Every owner-drawn menu item of the frame is an item bitmap of ours, with or without an
  // image.
  if (!measure || measure->CtlType != ODT_MENU || !m_hImageList) return FALSE;
  measure->itemWidth = static_cast<UINT>(m_cxImage + ImageGap());
  measure->itemHeight = static_cast<UINT>(m_cyImage);
  return TRUE;
}

int CImageMenus::ImageGap() {
  // At least the space the system leaves between its check mark column and the text.
  const int gap = CToolkitSettings::Get().GetMenuImageGap();
  const int edge = 2 * ::GetSystemMetrics(SM_CXEDGE);
  return gap > edge ? gap : edge;
}

BOOL CImageMenus::OnDrawItem(const DRAWITEMSTRUCT* draw) {
  if (!draw || draw->CtlType != ODT_MENU || !m_hImageList) return FALSE;
  const int image = GetImageIndex(draw->itemID);
  if (image < 0) return TRUE;  // the empty column of an item without an image
  const RECT& rc = draw->rcItem;
  // The image sits at the left of its column; the gap separates it from the text.
  const int x = rc.left;
  const int y = rc.top + (rc.bottom - rc.top - m_cyImage) / 2;
  if (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) {
    HICON icon = ::ImageList_GetIcon(m_hImageList, image, ILD_TRANSPARENT);
    if (draw->itemState & ODS_SELECTED) {
      // Under the highlight an embossed image is white and grey on the highlight colour:
      // draw its shape flat in the colour of a disabled text there instead.
      HBRUSH brush = ::CreateSolidBrush(DisabledOnHighlightColor());
      ::DrawStateA(draw->hDC, brush, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y,
                   m_cxImage, m_cyImage, DST_ICON | DSS_MONO);
      ::DeleteObject(brush);
    } else {
      ::DrawStateA(draw->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y,
                   m_cxImage, m_cyImage, DST_ICON | DSS_DISABLED);
    }
    ::DestroyIcon(icon);
  } else {
    ::ImageList_Draw(m_hImageList, image, draw->hDC, x, y, ILD_TRANSPARENT);
  }
  return TRUE;
}

COLORREF CImageMenus::DisabledOnHighlightColor() {
  // The system shows a disabled item under the highlight in its grey text colour; where that
  // grey is too close to the highlight to be read, halfway between the highlight and its
  // text colour, which stands out from the highlight yet does not look enabled.
  CToolkitSettings& settings = CToolkitSettings::Get();
  const COLORREF gray = settings.GetColor(COLOR_GRAYTEXT);
  const COLORREF back = settings.GetColor(COLOR_HIGHLIGHT);
  const COLORREF text = settings.GetColor(COLOR_HIGHLIGHTTEXT);
  auto luma = [](COLORREF c) {
    return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
  };
  const int contrast = luma(gray) - luma(back);
  if (contrast > 96 || contrast < -96) return gray;
  return RGB((GetRValue(back) + GetRValue(text)) / 2, (GetGValue(back) + GetGValue(text)) / 2,
             (GetBValue(back) + GetBValue(text)) / 2);
}
