#include "toolkit/ToolBarResource.h"

#include <cstring>

namespace {

constexpr WORD kToolBarResourceType = 241;  // RT_TOOLBAR
constexpr COLORREF kTransparentColor = RGB(192, 192, 192);

}  // namespace

BOOL ToolBarResource::Load(UINT nID) {
  commands.clear();
  HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(hInstance, MAKEINTRESOURCEA(nID),
                                 MAKEINTRESOURCEA(kToolBarResourceType));
  if (!found) return FALSE;
  HGLOBAL loaded = ::LoadResource(hInstance, found);
  const DWORD size = ::SizeofResource(hInstance, found);
  const auto* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
  if (!data) return FALSE;
  // The resource compiler's layout: WORD version 1, width, height, count, one WORD command
  // per button. GNU windres writes DWORDs instead and no version: width, height, count,
  // then one DWORD per button.
  DWORD dwords[3] = {};
  if (size >= sizeof(dwords)) memcpy(dwords, data, sizeof(dwords));
  if (size >= sizeof(dwords) && dwords[2] <= 0xFFFF &&
      size == sizeof(dwords) + dwords[2] * sizeof(DWORD)) {
    cxButton = static_cast<int>(dwords[0]);
    cyButton = static_cast<int>(dwords[1]);
    for (DWORD i = 0; i < dwords[2]; ++i) {
      DWORD command;
      memcpy(&command, data + sizeof(dwords) + i * sizeof(DWORD), sizeof(command));
      commands.push_back(command);
    }
  } else {
    WORD header[4] = {};
    if (size < sizeof(header)) return FALSE;
    memcpy(header, data, sizeof(header));
    if (header[0] != 1 || size < sizeof(header) + header[3] * sizeof(WORD)) return FALSE;
    cxButton = header[1];
    cyButton = header[2];
    for (WORD i = 0; i < header[3]; ++i) {
      WORD command;
      memcpy(&command, data + sizeof(header) + i * sizeof(WORD), sizeof(command));
      commands.push_back(command);
    }
  }
  if (cxButton <= 0 || cyButton <= 0 || cxButton > 256 || cyButton > 256) {
    commands.clear();
    return FALSE;
  }
  return TRUE;
}

HIMAGELIST ToolBarResource::LoadImages(UINT nID) const {
  if (cxButton <= 0 || cyButton <= 0) return nullptr;
  HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                     MAKEINTRESOURCEA(nID), IMAGE_BITMAP, 0, 0,
                                                     LR_CREATEDIBSECTION));
  if (!bitmap) return nullptr;
  BITMAP info = {};
  ::GetObjectA(bitmap, sizeof(info), &info);
  const int images = info.bmWidth / cxButton;
  HIMAGELIST list = ::ImageList_Create(cxButton, cyButton, ILC_COLOR24 | ILC_MASK, images, 1);
  if (list && ::ImageList_AddMasked(list, bitmap, kTransparentColor) < 0) {
    ::ImageList_Destroy(list);
    list = nullptr;
  }
  ::DeleteObject(bitmap);
  return list;
}
