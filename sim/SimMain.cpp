// Entry point of ormix-sim.exe, the browser simulator (see sim/README.md).
//   ormix-sim.exe [--pipe NAME] [--scenario FILE]   run browsers, driven by a pipe or script
//   ormix-sim.exe --register | --unregister         write or remove the COM registration
//   ormix-sim.exe -Embedding                        started by COM: an empty collection
//   ormix-sim.exe --host-only [--pipe NAME] [--scenario FILE]
//                                                   a host program's process: embedded
//                                                   browser controls only, no ShellWindows
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/SimRegistration.h"
#include "sim/Simulator.h"

namespace {

bool IsFlag(const char* arg, const char* name) {
  return (arg[0] == '-' || arg[0] == '/') && (_stricmp(arg + 1, name) == 0 || (arg[1] == '-' && _stricmp(arg + 2, name) == 0));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  sim::SimOptions options;
  for (int i = 1; i < __argc; ++i) {
    const char* arg = __argv[i];
    if (IsFlag(arg, "register")) return sim::RegisterShellWindowsServer() ? 0 : 3;
    if (IsFlag(arg, "unregister")) return sim::UnregisterShellWindowsServer() ? 0 : 3;
    if (IsFlag(arg, "Embedding")) options.embedding = true;
    else if (IsFlag(arg, "host-only")) options.hostOnly = true;
    else if (IsFlag(arg, "pipe") && i + 1 < __argc) options.pipeName = __argv[++i];
    else if (IsFlag(arg, "scenario") && i + 1 < __argc) options.scenarioPath = __argv[++i];
    else return 1;
  }
  if (FAILED(OleInitialize(nullptr))) return 2;
  int code = 0;
  {
    sim::Simulator simulator(options);
    code = simulator.Run();
  }
  OleUninitialize();
  return code;
}
