#pragma once
// Drives a modal dialog from inside its modal loop, so tests never block on it.
#include <windows.h>

#include <functional>

#include "framework/Dialog.h"

namespace testsupport {

// Clicks button `id` of the dialog as the user would.
inline void ClickButton(CDialog& dialog, int id) {
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog.m_hWnd, id)));
}

// Runs `dialog` modally with `steps` carried out right after its initialisation; the steps
// end the dialog (with OK, Cancel or EndDialog). Returns DoModal's result.
template <typename Dialog>
INT_PTR RunModal(Dialog& dialog, const std::function<void(Dialog&)>& steps) {
  CDialog::ModalHook previous =
      CDialog::SetModalHook([&](CDialog& running) { steps(static_cast<Dialog&>(running)); });
  const INT_PTR result = dialog.DoModal();
  CDialog::SetModalHook(previous);
  return result;
}

}  // namespace testsupport
