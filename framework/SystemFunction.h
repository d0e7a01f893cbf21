// Functions of system libraries a program needs only now and then (the common dialogs, the
// shell), looked up on first use rather than imported: every imported library, and every
// library that one imports, is loaded before the program's first line runs.
#pragma once

#include <windows.h>

// The function `name` of the system library `library`, or NULL if either is missing. Only
// the system directory is searched, so a library of the same name beside the program or in
// the current directory is never picked up. The library stays loaded.
template <typename Function>
Function SystemFunction(const char* library, const char* name) {
  HMODULE module = ::GetModuleHandleA(library);
  if (!module) module = ::LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
