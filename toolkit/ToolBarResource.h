#pragma once
// A TOOLBAR resource and its bitmap of the same id: the button size, the command of each
// button (0 for a separator) and the button images as a masked image list (the bitmap's
// light grey is transparent). Used by the tool bar and by the image menus.
#include <windows.h>
#include <commctrl.h>

#include <vector>

struct ToolBarResource {
  int cxButton = 0;
  int cyButton = 0;
  std::vector<UINT> commands;  // one per button, 0 for a separator

  // Reads resource `nID`; FALSE if there is none or it is malformed.
  BOOL Load(UINT nID);
  // The images of bitmap `nID`, one per button that is not a separator; NULL on failure.
  HIMAGELIST LoadImages(UINT nID) const;
};
