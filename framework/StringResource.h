#pragma once
// Strings from the program's string table, in the ANSI code page.
#include <windows.h>

#include <string>

// The text of string resource `nID` of the program's module, "" if there is none.
std::string LoadResourceString(UINT nID);
