#pragma once
// The program's own values in its key (HKEY_CURRENT_USER "Software\Morvane\Ormix"): on/off
// flags kept as REG_DWORD 0 or 1, and the log font kept as one REG_BINARY LOGFONTA. Built on
// the registry helpers; a value that cannot be read gives the caller's default, and a value
// that cannot be written is lost without notice.
#include <windows.h>

#include <string>

namespace appvalues {

// Creates the company key and the program's key below it, if they are missing.
void CreateKeys();
// `whenMissing` unless the value can be read; then whether it is not 0. Up to 4 bytes of a
// value of any type are read, so a REG_SZ "0" reads as 48, that is on.
bool ReadFlag(const char* name, bool whenMissing);
bool WriteFlag(const char* name, bool on);
// A REG_SZ value; empty when it is missing, of another type or cannot be read.
std::string ReadText(const char* name);
bool WriteText(const char* name, const std::string& text);
// The stored font, only when it is REG_BINARY of exactly a LOGFONTA's size; `*font` is left
// alone otherwise.
bool ReadFont(LOGFONTA* font);
bool WriteFont(const LOGFONTA& font);

}  // namespace appvalues
