#pragma once
// The application's profile settings in the registry: once SetKey has named the
// company and the application, a section is a subkey of HKEY_CURRENT_USER
// "Software\<company>\<application>" and an entry is a value in it. Reads fall back to the
// given default; writes create the key and the section as needed. Before SetKey
// (or with an empty company) every read gives its default and every write fails.
#include <windows.h>

#include <string>
#include <vector>

namespace profile {

void SetKey(const char* company, const char* application);
// "Software\<company>\<application>", or "" while no key is set.
std::string KeyPath();

UINT GetInt(const char* section, const char* entry, int nDefault);
BOOL WriteInt(const char* section, const char* entry, int nValue);
// A REG_SZ entry; the default for a missing entry or one of another type.
std::string GetString(const char* section, const char* entry, const char* def = "");
// With a NULL value the entry is deleted; with a NULL entry the whole section is.
BOOL WriteString(const char* section, const char* entry, const char* value);
// A REG_BINARY entry; FALSE (and *data empty) when missing or of another type.
BOOL GetBinary(const char* section, const char* entry, std::vector<BYTE>* data);
BOOL WriteBinary(const char* section, const char* entry, const void* data, UINT size);

}  // namespace profile
