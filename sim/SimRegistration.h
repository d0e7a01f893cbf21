#pragma once
// Registry entries that route CoCreateInstance(CLSID_ShellWindows) to the simulator:
// HKLM\Software\Classes\CLSID\{ShellWindows}\TreatAs names the simulator's own class,
// whose LocalServer32 is this executable. Wine's desktop already serves ShellWindows
// itself and wins any race for that class, so the simulator answers under its own CLSID.
#include <windows.h>

namespace sim {

// {6F3C2A91-5B7E-4D08-9A1C-2E4B7D9F0C55}
inline constexpr CLSID kSimulatorShellWindowsClsid = {
    0x6f3c2a91, 0x5b7e, 0x4d08, {0x9a, 0x1c, 0x2e, 0x4b, 0x7d, 0x9f, 0x0c, 0x55}};

// Writes the entries for the running executable's path; false if a key could not be written.
bool RegisterShellWindowsServer();
bool UnregisterShellWindowsServer();

}  // namespace sim
