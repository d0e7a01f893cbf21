#include "framework/FileError.h"

#include <string>

#include "framework/MessageBox.h"

void ReportFileWriteError(HWND hWndOwner, const char* path, int errorCode) {
  std::string text = std::string(path ? path : "") + " への書き込み中にエラーが発生しました。";
  if (errorCode != 0) text += " (" + std::to_string(errorCode) + ")";
  ShowMessageBox(hWndOwner, text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}
