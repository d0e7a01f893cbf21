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
  // Check marks and images share one column. With a column each, Wine sizes a pop-up that
  // has both too narrow for its longest text and cuts it off.
  MENUINFO menuInfo = {};
  menuInfo.cbSize = sizeof(menuInfo);
  menuInfo.fMask = MIM_STYLE;
  ::GetMenuInfo(hPopup, &menuInfo);
  menuInfo.dwStyle |= MNS_CHECKORBMP;
  ::SetMenuInfo(hPopup, &menuInfo);
  const int count = ::GetMenuItemCount(hPopup);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_BITMAP;
    if (!::GetMenuItemInfoA(hPopup, static_cast<UINT>(i), TRUE, &info)) continue;
    if ((info.fType & MFT_SEPARATOR) || info.hSubMenu || GetImageIndex(info.wID) < 0) continue;
    if (info.hbmpItem == HBMMENU_CALLBACK) continue;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = HBMMENU_CALLBACK;
    ::SetMenuItemInfoA(hPopup, static_cast<UINT>(i), TRUE, &info);
  }
}

BOOL CImageMenus::OnMeasureItem(MEASUREITEMSTRUCT* measure) {
  if (!measure || measure->CtlType != ODT_MENU || GetImageIndex(measure->itemID) < 0) return FALSE;
  measure->itemWidth = static_cast<UINT>(m_cxImage + CToolkitSettings::Get().GetMenuImageGap());
  measure->itemHeight = static_cast<UINT>(m_cyImage);
  return TRUE;
}

BOOL CImageMenus::OnDrawItem(const DRAWITEMSTRUCT* draw) {
  if (!draw || draw->CtlType != ODT_MENU) return FALSE;
  const int image = GetImageIndex(draw->itemID);
  if (image < 0) return FALSE;
  const RECT& rc = draw->rcItem;
  // The image sits at the left of its column; the gap separates it from the text.
  const int gap = CToolkitSettings::Get().GetMenuImageGap();
  const int x = rc.left + (rc.right - rc.left - m_cxImage - gap) / 2;
  const int y = rc.top + (rc.bottom - rc.top - m_cyImage) / 2;
  if (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) {
    HICON icon = ::ImageList_GetIcon(m_hImageList, image, ILD_TRANSPARENT);
    ::DrawStateA(draw->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, m_cxImage,
                 m_cyImage, DST_ICON | DSS_DISABLED);
    ::DestroyIcon(icon);
  } else {
    ::ImageList_Draw(m_hImageList, image, draw->hDC, x, y, ILD_TRANSPARENT);
  }
  return TRUE;
}
