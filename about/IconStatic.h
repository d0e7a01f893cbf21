#pragma once
// A static control that shows an icon large: the icon stretched into a white box with a
// black outline and a dark grey drop shadow, on grey. Bind it with DDX_Control and give it
// the icon with SetIconResource; it paints the whole picture off screen, then in one copy.
#include <windows.h>

#include "framework/Static.h"

class CIconStatic : public CStatic {
 public:
  CIconStatic();
  ~CIconStatic() override;

  // Loads icon `nIDResource` (low 16 bits) from the program's resources; TRUE if found.
  BOOL SetIconResource(UINT nIDResource);

 protected:
  void OnPaint();
  BOOL OnEraseBkgnd(HDC hDC);
  // The framed icon on a w by h context.
  void DrawFramedIcon(HDC hDC, int w, int h) const;

  HICON m_hIcon = nullptr;  // a shared resource icon: never destroyed here
  int m_nIconWidth;
  int m_nIconHeight;

  ORMIX_DECLARE_MESSAGE_MAP()
};
