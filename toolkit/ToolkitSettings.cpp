#include "toolkit/ToolkitSettings.h"

CToolkitSettings& CToolkitSettings::Get() {
  static CToolkitSettings settings;
  return settings;
}

CToolkitSettings::~CToolkitSettings() {
  if (m_hMenuFont) ::DeleteObject(m_hMenuFont);
  if (m_hStatusFont) ::DeleteObject(m_hStatusFont);
}

void CToolkitSettings::RefreshSystemMetrics() {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    // The old fonts stay alive until the new ones exist: windows may still be using them.
    HFONT menuFont = ::CreateFontIndirectA(&metrics.lfMenuFont);
    HFONT statusFont = ::CreateFontIndirectA(&metrics.lfStatusFont);
    if (menuFont) {
      if (m_hMenuFont) ::DeleteObject(m_hMenuFont);
      m_hMenuFont = menuFont;
    }
    if (statusFont) {
      if (m_hStatusFont) ::DeleteObject(m_hStatusFont);
      m_hStatusFont = statusFont;
    }
  }
  for (int i = 0; i <= COLOR_MENUBAR; ++i) m_colors[i] = ::GetSysColor(i);
  m_bMetricsRead = true;
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
