#include "sim/SimRegistration.h"

#include <exdisp.h>

#include <string>

namespace sim {

namespace {

const char kClassesClsid[] = "Software\\Classes\\CLSID\\";

std::string GuidText(REFGUID guid) {
  wchar_t wide[64] = L"";
  StringFromGUID2(guid, wide, 64);
  char narrow[64] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof(narrow), nullptr, nullptr);
  return narrow;
}

bool SetDefaultValue(const std::string& path, const std::string& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG result = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace

bool RegisterShellWindowsServer() {
  char module[MAX_PATH] = "";
  if (!GetModuleFileNameA(nullptr, module, MAX_PATH)) return false;
  const std::string ours = std::string(kClassesClsid) + GuidText(kSimulatorShellWindowsClsid);
  const std::string shell = std::string(kClassesClsid) + GuidText(CLSID_ShellWindows);
  return SetDefaultValue(ours, "Ormix browser simulator ShellWindows") &&
         SetDefaultValue(ours + "\\LocalServer32", std::string("\"") + module + "\"") &&
         SetDefaultValue(shell + "\\TreatAs", GuidText(kSimulatorShellWindowsClsid));
}

bool UnregisterShellWindowsServer() {
  const std::string ours = std::string(kClassesClsid) + GuidText(kSimulatorShellWindowsClsid);
  const std::string shell = std::string(kClassesClsid) + GuidText(CLSID_ShellWindows);
  const LONG a = RegDeleteKeyA(HKEY_LOCAL_MACHINE, (shell + "\\TreatAs").c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, (ours + "\\LocalServer32").c_str());
  const LONG b = RegDeleteKeyA(HKEY_LOCAL_MACHINE, ours.c_str());
  return (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) && (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
}

}  // namespace sim
