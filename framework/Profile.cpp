#include "framework/Profile.h"

#include <cstring>

namespace {

std::string& ProfileKeyPath() {
  static std::string path;
  return path;
}

// Opens (creating if asked) the section's key; NULL when no profile key is set or the
// registry refuses.
HKEY OpenSection(const char* section, bool create) {
  const std::string& root = ProfileKeyPath();
  if (root.empty() || !section) return nullptr;
  const std::string path = root + "\\" + section;
  HKEY key = nullptr;
  LONG rc;
  if (create) {
    rc = ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  } else {
    rc = ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
  }
  return rc == ERROR_SUCCESS ? key : nullptr;
}

// Reads a value of type `type` whole, whatever its size.
bool QueryValue(const char* section, const char* entry, DWORD type, std::vector<BYTE>* data) {
  data->clear();
  HKEY key = OpenSection(section, false);
  if (!key) return false;
  DWORD actual = 0;
  DWORD size = 0;
  LONG rc = ::RegQueryValueExA(key, entry, nullptr, &actual, nullptr, &size);
  if (rc == ERROR_SUCCESS && actual == type) {
    data->resize(size);
    rc = ::RegQueryValueExA(key, entry, nullptr, &actual, data->empty() ? nullptr : data->data(),
                            &size);
    data->resize(rc == ERROR_SUCCESS ? size : 0);
  }
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS && actual == type;
}

BOOL SetValue(const char* section, const char* entry, DWORD type, const void* data, DWORD size) {
  HKEY key = OpenSection(section, true);
  if (!key) return FALSE;
  const LONG rc = ::RegSetValueExA(key, entry, 0, type, static_cast<const BYTE*>(data), size);
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

}  // namespace

namespace profile {

void SetKey(const char* company, const char* application) {
  if (!company || !*company || !application || !*application) {
    ProfileKeyPath().clear();
    return;
  }
  ProfileKeyPath() = std::string("Software\\") + company + "\\" + application;
}

std::string KeyPath() { return ProfileKeyPath(); }

UINT GetInt(const char* section, const char* entry, int nDefault) {
  std::vector<BYTE> data;
  if (!QueryValue(section, entry, REG_DWORD, &data) || data.size() != sizeof(DWORD))
    return static_cast<UINT>(nDefault);
  DWORD value = 0;
  memcpy(&value, data.data(), sizeof(value));
  return value;
}

BOOL WriteInt(const char* section, const char* entry, int nValue) {
  const DWORD value = static_cast<DWORD>(nValue);
  return SetValue(section, entry, REG_DWORD, &value, sizeof(value));
}

std::string GetString(const char* section, const char* entry, const char* def) {
  std::vector<BYTE> data;
  if (!QueryValue(section, entry, REG_SZ, &data)) return def ? def : "";
  // The stored text may or may not carry its terminating zero; stop at the first one.
  std::string text(data.begin(), data.end());
  const size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

BOOL WriteString(const char* section, const char* entry, const char* value) {
  if (!entry) {
    const std::string& root = ProfileKeyPath();
    if (root.empty() || !section) return FALSE;
    const std::string path = root + "\\" + section;
    const LONG rc = ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }
  if (!value) {
    HKEY key = OpenSection(section, false);
    if (!key) return TRUE;  // nothing to delete
    const LONG rc = ::RegDeleteValueA(key, entry);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }
  return SetValue(section, entry, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1));
}

BOOL GetBinary(const char* section, const char* entry, std::vector<BYTE>* data) {
  return QueryValue(section, entry, REG_BINARY, data) ? TRUE : FALSE;
}

BOOL WriteBinary(const char* section, const char* entry, const void* data, UINT size) {
  return SetValue(section, entry, REG_BINARY, data, size);
}

}  // namespace profile
