#pragma once
// The five small registry functions on which the program's own values under
// HKEY_CURRENT_USER "Software\Morvane\Ormix" are kept (see AppValues.h). Each takes a root key, the path of a key below
// it and a value (or subkey) name, returns true only if every registry call it made
// succeeded, and closes every key it opened. None creates the key it writes into: a write
// to a missing path fails.
#include <windows.h>

// Where the program's settings live, and the names of its own values.
constexpr char kCompanyKeyParent[] = "Software";
constexpr char kCompanyKeyName[] = "Morvane";
constexpr char kAppKeyParent[] = "Software\\Morvane";
constexpr char kAppKeyName[] = "Ormix";
constexpr char kAppKeyPath[] = "Software\\Morvane\\Ormix";
constexpr char kFontValue[] = "font";
constexpr char kTabFixedWidthValue[] = "TabFixdWidth";
// Whether the navigation waterfall shows below the active log (a REG_DWORD, 0 or 1).
constexpr char kWaterfallValue[] = "Waterfall";

// Creates (or opens) subkey `name` below `parent`.
bool CreateRegistryKey(HKEY root, const char* parent, const char* name);
bool WriteRegistryDword(HKEY root, const char* path, const char* name, DWORD value);
// `*value` is 0 unless the read succeeds. Up to 4 bytes of a value of any type land in it;
// a longer value cannot be read.
bool ReadRegistryDword(HKEY root, const char* path, const char* name, DWORD* value);
bool WriteRegistryBinary(HKEY root, const char* path, const char* name, const void* data,
                         DWORD size);
// A REG_BINARY value in a buffer of exactly its size, which the caller frees with
// FreeRegistryBuffer. `*size` is the value's size as soon as it is known, also when the
// type is not REG_BINARY; `*data` is NULL unless the read succeeds.
bool ReadRegistryBinary(HKEY root, const char* path, const char* name, BYTE** data, DWORD* size);
void FreeRegistryBuffer(BYTE* data);
