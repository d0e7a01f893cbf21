#pragma once
// Whether the logs are journaled and into which folder, kept in the program's registry key
// ("JournalOn", a REG_DWORD 0 or 1, off when missing; "JournalFolder", a REG_SZ).
#include <string>

struct JournalSettings {
  bool on = false;
  std::string folder;

  void Load();
  void Save() const;
  // The folder to journal into, or empty when the logs are not journaled.
  std::string ActiveFolder() const { return on ? folder : std::string(); }
};
