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
