#include "toolkit/ToolkitSettings.h"

#include <algorithm>
#include <cstring>

namespace {

BOOL CALLBACK CollectChildFont(HWND hWnd, LPARAM lParam) {
  auto* fonts = reinterpret_cast<std::vector<HFONT>*>(lParam);
  if (HFONT font = reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)))
    fonts->push_back(font);
  return TRUE;
}

BOOL CALLBACK CollectWindowFonts(HWND hWnd, LPARAM lParam) {
  CollectChildFont(hWnd, lParam);
  ::EnumChildWindows(hWnd, &CollectChildFont, lParam);
  return TRUE;
}

}  // namespace

CToolkitSettings& CToolkitSettings::Get() {
  static CToolkitSettings settings;
  return settings;
}

CToolkitSettings::~CToolkitSettings() {
  if (m_hMenuFont) ::DeleteObject(m_hMenuFont);
  if (m_hStatusFont) ::DeleteObject(m_hStatusFont);
  for (HFONT font : m_retiredFonts) ::DeleteObject(font);
}

void CToolkitSettings::UpdateFont(const LOGFONTA& logFont, HFONT* font) {
  LOGFONTA current = {};
  if (*font && ::GetObjectA(*font, sizeof(current), &current) == sizeof(current) &&
      memcmp(&current, &logFont, sizeof(current)) == 0)
    return;
  HFONT created = ::CreateFontIndirectA(&logFont);
  if (!created) return;
  if (*font) m_retiredFonts.push_back(*font);
  *font = created;
}

void CToolkitSettings::RefreshSystemMetrics() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    UpdateFont(metrics.lfMenuFont, &m_hMenuFont);
    UpdateFont(metrics.lfStatusFont, &m_hStatusFont);
  }
  for (int i = 0; i <= COLOR_MENUBAR; ++i) m_colors[i] = ::GetSysColor(i);
  m_bMetricsRead = true;
}

void CToolkitSettings::DeleteRetiredFonts() {
  if (m_retiredFonts.empty()) return;
  std::vector<HFONT> inUse;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWindowFonts,
                      reinterpret_cast<LPARAM>(&inUse));
  std::vector<HFONT> kept;
  for (HFONT font : m_retiredFonts) {
    if (std::find(inUse.begin(), inUse.end(), font) != inUse.end())
      kept.push_back(font);
    else
      ::DeleteObject(font);
  }
  m_retiredFonts.swap(kept);
}

void CToolkitSettings::EnsureMetrics() {
  if (!m_bMetricsRead) RefreshSystemMetrics();
}

HFONT CToolkitSettings::GetMenuFont() {
  EnsureMetrics();
  return m_hMenuFont ? m_hMenuFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HFONT CToolkitSettings::GetStatusFont() {
  EnsureMetrics();
  return m_hStatusFont ? m_hStatusFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF CToolkitSettings::GetColor(int nIndex) {
  EnsureMetrics();
  if (nIndex < 0 || nIndex > COLOR_MENUBAR) return ::GetSysColor(nIndex);
  return m_colors[nIndex];
}
