#pragma once
// Menus drawn with tool bar images: every item whose command has a button in a tool bar
// resource shows that button's image beside its text. The frame hands its menu messages
// on: WM_INITMENUPOPUP marks the items (an owner-drawn item bitmap, HBMMENU_CALLBACK),
// WM_MEASUREITEM and WM_DRAWITEM size and draw the images from the tool bar's image list.
// Owner-drawn bitmaps rather than 32-bit item bitmaps, whose transparency not every
// system honours. The images get a column of their own after the check marks, as wide as an
// image plus the gap to the text; every item of a pop-up with images takes part in it, so
// that all texts start in one place and none is cut.
#include <windows.h>
#include <commctrl.h>

#include <map>

class CImageMenus {
 public:
  CImageMenus() = default;
  ~CImageMenus();
  CImageMenus(const CImageMenus&) = delete;
  CImageMenus& operator=(const CImageMenus&) = delete;

  // Takes the images and commands of TOOLBAR resource `nIDToolBar`.
  BOOL Load(UINT nIDToolBar);
  BOOL IsLoaded() const { return m_hImageList != nullptr; }
  // The image of command `nID`, or -1.
  int GetImageIndex(UINT nID) const;

  void OnInitMenuPopup(HMENU hPopup);
  // TRUE when the item was one of ours.
  BOOL OnMeasureItem(MEASUREITEMSTRUCT* measure);
  BOOL OnDrawItem(const DRAWITEMSTRUCT* draw);

  // Pixels between an image and its item's text.
  static int ImageGap();
  // The colour of a disabled item's image under the menu highlight.
  static COLORREF DisabledOnHighlightColor();

 private:
  HIMAGELIST m_hImageList = nullptr;
  std::map<UINT, int> m_images;  // command -> image
  int m_cxImage = 0;
  int m_cyImage = 0;
};
