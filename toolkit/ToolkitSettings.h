#pragma once
// The toolkit's global appearance: three options the application sets before it creates any
// window (flat bars, images in menus, the gap between a menu image and its text), and the
// system fonts and colours the bars and menus draw with. RefreshSystemMetrics reads the
// fonts and colours again after the user changed them (WM_SETTINGCHANGE); a font it replaces
// stays alive until DeleteRetiredFonts finds that no window of the thread holds it.
#include <windows.h>

#include <vector>

class CToolkitSettings {
 public:
  static CToolkitSettings& Get();

  // Bars with flat, hot-tracked buttons and no etched lines between dock rows.
  void SetFlatBars(bool bFlat) { m_bFlatBars = bFlat; }
  bool IsFlatBars() const { return m_bFlatBars; }
  // Menu items whose command has a tool bar button show the button's image.
  void SetMenuImages(bool bImages) { m_bMenuImages = bImages; }
  bool IsMenuImages() const { return m_bMenuImages; }
  // Pixels between a menu item's image and its text.
  void SetMenuImageGap(int cx) { m_nMenuImageGap = cx < 0 ? 0 : cx; }
  int GetMenuImageGap() const { return m_nMenuImageGap; }

  // Reads the system's non-client fonts and colours again. A font whose description did not
  // change keeps its handle; a replaced one is retired, not deleted: windows still use it.
  void RefreshSystemMetrics();
  // Deletes the retired fonts that no window of this thread holds any more (WM_GETFONT).
  // Call it after the windows were given the new fonts.
  void DeleteRetiredFonts();
  // The menu font, for the menu bar.
  HFONT GetMenuFont();
  // The system's status-bar font.
  HFONT GetStatusFont();
  COLORREF GetColor(int nIndex);  // COLOR_* index

 private:
  CToolkitSettings() = default;
  ~CToolkitSettings();
  CToolkitSettings(const CToolkitSettings&) = delete;
  CToolkitSettings& operator=(const CToolkitSettings&) = delete;
  void EnsureMetrics();
  // Puts a font for `logFont` into *font, retiring the one it replaces.
  void UpdateFont(const LOGFONTA& logFont, HFONT* font);

  bool m_bFlatBars = false;
  bool m_bMenuImages = false;
  int m_nMenuImageGap = 0;
  bool m_bMetricsRead = false;
  HFONT m_hMenuFont = nullptr;
  HFONT m_hStatusFont = nullptr;
  std::vector<HFONT> m_retiredFonts;
  COLORREF m_colors[COLOR_MENUBAR + 1] = {};
};
