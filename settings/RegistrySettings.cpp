#include "settings/RegistrySettings.h"

#include <new>

namespace {

// Closes the key when it leaves scope, so that every path out of a helper closes it.
class KeyCloser {
 public:
  KeyCloser() = default;
  KeyCloser(const KeyCloser&) = delete;
  KeyCloser& operator=(const KeyCloser&) = delete;
  ~KeyCloser() {
    if (m_key) ::RegCloseKey(m_key);
  }
  HKEY* Receive() { return &m_key; }
  HKEY Get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

bool Open(HKEY root, const char* path, REGSAM access, KeyCloser* key) {
  return ::RegOpenKeyExA(root, path, 0, access, key->Receive()) == ERROR_SUCCESS;
}

}  // namespace

bool CreateRegistryKey(HKEY root, const char* parent, const char* name) {
  KeyCloser parentKey;
  if (!Open(root, parent, KEY_SET_VALUE, &parentKey)) return false;
  KeyCloser created;
  DWORD disposition = 0;
  return ::RegCreateKeyExA(parentKey.Get(), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, created.Receive(),
                           &disposition) == ERROR_SUCCESS;
}

bool WriteRegistryDword(HKEY root, const char* path, const char* name, DWORD value) {
  KeyCloser key;
  if (!Open(root, path, KEY_SET_VALUE, &key)) return false;
  return ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

bool ReadRegistryDword(HKEY root, const char* path, const char* name, DWORD* value) {
  if (!value) return false;
  *value = 0;
  KeyCloser key;
  if (!Open(root, path, KEY_READ, &key)) return false;
  DWORD size = sizeof(*value);
  return ::RegQueryValueExA(key.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                            &size) == ERROR_SUCCESS;
}

bool WriteRegistryBinary(HKEY root, const char* path, const char* name, const void* data,
                         DWORD size) {
  KeyCloser key;
  if (!Open(root, path, KEY_SET_VALUE, &key)) return false;
  return ::RegSetValueExA(key.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data),
                          size) == ERROR_SUCCESS;
}

bool ReadRegistryBinary(HKEY root, const char* path, const char* name, BYTE** data, DWORD* size) {
  if (!data || !size) return false;
  *data = nullptr;
  *size = 0;
  KeyCloser key;
  if (!Open(root, path, KEY_READ, &key)) return false;
  DWORD type = 0;
  DWORD length = 0;
  if (::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &length) != ERROR_SUCCESS)
    return false;
  *size = length;
  if (type != REG_BINARY) return false;
  // One byte more than the value keeps a zero-length value from asking for no buffer.
  BYTE* buffer = new (std::nothrow) BYTE[length + 1];
  if (!buffer) return false;
  DWORD read = length;
  if (::RegQueryValueExA(key.Get(), name, nullptr, &type, buffer, &read) != ERROR_SUCCESS ||
      type != REG_BINARY || read != length) {
    delete[] buffer;
    return false;
  }
  *data = buffer;
  return true;
}

void FreeRegistryBuffer(BYTE* data) { delete[] data; }
