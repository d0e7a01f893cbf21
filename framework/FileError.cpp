#include "framework/FileError.h"

#include "framework/MessageBox.h"

std::string SystemErrorText(DWORD errorCode) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, errorCode,
      0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = length && text ? std::string(text, length) : std::string();
  if (text) ::LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
    reason.pop_back();
  if (reason.empty()) reason = "エラー " + std::to_string(errorCode);
  return reason;
}

void ReportFileWriteError(HWND hWndOwner, const char* path, DWORD errorCode) {
  std::string text = std::string(path ? path : "") + " に保存できませんでした。";
  if (errorCode != 0) text += "\r\n\r\n" + SystemErrorText(errorCode);
  ShowMessageBox(hWndOwner, text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}
