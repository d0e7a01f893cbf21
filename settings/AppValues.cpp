#include "settings/AppValues.h"

#include <cstring>

#include "settings/RegistrySettings.h"

namespace appvalues {

void CreateKeys() {
  CreateRegistryKey(HKEY_CURRENT_USER, kCompanyKeyParent, kCompanyKeyName);
  CreateRegistryKey(HKEY_CURRENT_USER, kAppKeyParent, kAppKeyName);
}

bool ReadFlag(const char* name, bool whenMissing) {
  DWORD value = 0;
  if (!ReadRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, name, &value)) return whenMissing;
  return value != 0;
}

bool WriteFlag(const char* name, bool on) {
  return WriteRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, name, on ? 1 : 0);
}

std::string ReadText(const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kAppKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  std::string text;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ && size > 0) {
    text.resize(size);
    if (::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      size = 0;
    // Stored with or without its terminating zero: the text ends at the first one.
    text.resize(size);
    text.resize(std::strlen(text.c_str()));
  }
  ::RegCloseKey(key);
  return text;
}

bool WriteText(const char* name, const std::string& text) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kAppKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
  const bool written = ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return written;
}

bool ReadFont(LOGFONTA* font) {
  BYTE* stored = nullptr;
  DWORD size = 0;
  const bool read = ReadRegistryBinary(HKEY_CURRENT_USER, kAppKeyPath, kFontValue, &stored, &size) &&
                    size == sizeof(LOGFONTA);
  if (read) std::memcpy(font, stored, sizeof(LOGFONTA));
  FreeRegistryBuffer(stored);
  return read;
}

bool WriteFont(const LOGFONTA& font) {
  return WriteRegistryBinary(HKEY_CURRENT_USER, kAppKeyPath, kFontValue, &font, sizeof(font));
}

}  // namespace appvalues
