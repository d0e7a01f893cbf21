// Every value Ormix reads from the registry, filled with garbage of every length and of
// every type: the program's own values, the profile settings and the window placement fall
// back to their defaults and never crash or read past a value. Also: the registry helpers
// leave no key open, and a full recent-file list survives a restart.
#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MainFrame.h"
#include "framework/Profile.h"
#include "framework/WinApp.h"
#include "settings/AppValues.h"
#include "settings/RegistrySettings.h"

namespace {

// Stores a value in the program's key or in its subkey `subkey`, creating them as needed
// (some garbage the registry may refuse to convert; the reads then find nothing).
void Store(const char* subkey, const char* name, DWORD type, const std::vector<BYTE>& bytes) {
  const std::string path = *subkey ? std::string(kAppKeyPath) + "\\" + subkey : kAppKeyPath;
  RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

}  // namespace

TEST(SettingsGarbageTest, EveryValueReadFallsBackOnGarbage) {
  std::mt19937 random(20261207);
  const DWORD types[] = {REG_BINARY, REG_SZ, REG_DWORD, REG_MULTI_SZ, REG_EXPAND_SZ, REG_NONE};
  CWinApp app("Ormix");
  app.SetRegistryKey("Morvane");

  for (DWORD type : types) {
    for (size_t length = 0; length <= 70; ++length) {
      SCOPED_TRACE("type " + std::to_string(type) + ", " + std::to_string(length) + " bytes");
      RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
      std::vector<BYTE> bytes(length);
      for (BYTE& b : bytes) b = static_cast<BYTE>(random());
      Store("", kFontValue, type, bytes);
      Store("", kTabFixedWidthValue, type, bytes);
      Store("Settings", "WindowPos", type, bytes);
      Store("Settings", "PreviewPages", type, bytes);
      Store("Recent File List", "File1", type, bytes);

      // The program's own values: the font only as exactly 60 binary bytes; a flag off only
      // where up to four bytes of any type read as 0 (text as the registry converts it).
      LOGFONTA font = {};
      font.lfHeight = 12345;
      const bool whole = type == REG_BINARY && length == sizeof(LOGFONTA);
      EXPECT_EQ(whole, appvalues::ReadFont(&font));
      EXPECT_TRUE(whole || font.lfHeight == 12345);
      DWORD number = 1;
      const bool storedZero =
          ReadRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, kTabFixedWidthValue, &number) && number == 0;
      EXPECT_EQ(!storedZero, appvalues::ReadFlag(kTabFixedWidthValue, true));

      // The profile settings: a recent file is only ever a string.
      app.LoadStdProfileSettings(4);
      EXPECT_TRUE(type == REG_SZ || app.GetRecentFiles().empty());

      // The window placement: only ten numbers count.
      CMainFrame frame;
      WINDOWPLACEMENT placement = {};
      placement.length = sizeof(placement);
      const BOOL loaded = frame.LoadWindowPlacement(&placement);
      EXPECT_TRUE(type == REG_SZ || !loaded);
    }
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
}

// Each helper's rules, on success and on the failures that happen after a key was opened,
// checked over and over: no key is left open.
TEST(SettingsStoreTest, RegistryHelpersFollowTheirRulesAndLeaveNoKeyOpen) {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
  DWORD cleared = 99;
  EXPECT_FALSE(WriteRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, "x", 1));  // no key made
  EXPECT_FALSE(CreateRegistryKey(HKEY_CURRENT_USER, kAppKeyPath, "Sub"));
  EXPECT_FALSE(ReadRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, "x", &cleared));
  EXPECT_EQ(0u, cleared);  // before anything else
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kCompanyKeyParent, kCompanyKeyName));
  ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kAppKeyParent, kAppKeyName));
  Store("", "sz0", REG_SZ, {'0', 0});
  Store("", "sz5", REG_SZ, {'1', '2', '3', '4', '5', 0});
  const BYTE bytes[60] = {1, 2, 3};
  auto useEveryHelper = [&] {
    EXPECT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, kAppKeyParent, kAppKeyName));
    EXPECT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, kTabFixedWidthValue, 7));
    DWORD number = 0;
    EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, kTabFixedWidthValue, &number));
    EXPECT_EQ(7u, number);
    EXPECT_TRUE(ReadRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, "sz0", &number));
    EXPECT_EQ(48u, number);  // the digit and its terminating zero
    EXPECT_FALSE(ReadRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, "sz5", &number));
    EXPECT_FALSE(ReadRegistryDword(HKEY_CURRENT_USER, kAppKeyPath, "missing", &number));
    EXPECT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, kAppKeyPath, kFontValue, bytes, sizeof(bytes)));
    BYTE* data = nullptr;
    DWORD size = 0;
    EXPECT_TRUE(ReadRegistryBinary(HKEY_CURRENT_USER, kAppKeyPath, kFontValue, &data, &size));
    EXPECT_EQ(sizeof(bytes), size);
    EXPECT_TRUE(data && std::memcmp(bytes, data, sizeof(bytes)) == 0);
    FreeRegistryBuffer(data);
    EXPECT_FALSE(ReadRegistryBinary(HKEY_CURRENT_USER, kAppKeyPath, kTabFixedWidthValue, &data, &size));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(4u, size);  // known, although not binary
    EXPECT_FALSE(ReadRegistryBinary(HKEY_CURRENT_USER, kAppKeyPath, "missing", &data, &size));
  };
  useEveryHelper();  // whatever the system opens once for itself
  // A new handle takes the lowest free slot of the process's handle table (Wine reports no
  // handle count): keys left open push it up by one slot each.
  auto nextHandle = [] {
    HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(probe);
    return reinterpret_cast<UINT_PTR>(probe);
  };
  const UINT_PTR before = nextHandle();
  for (int i = 0; i < 100; ++i) useEveryHelper();
  const UINT_PTR after = nextHandle();
  EXPECT_LE(after, before + 16 * sizeof(UINT_PTR)) << "next handle before " << before << ", after 100 rounds " << after;
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
}

TEST(SettingsStoreTest, FourRecentFilesSurviveARestart) {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
  const std::vector<std::string> files = {"C:\\logs\\first.ormix", "C:\\logs\\second.ormix",
                                          "C:\\logs\\third.ormix", "C:\\logs\\fourth.ormix"};
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string entry = "File" + std::to_string(i + 1);
    Store("Recent File List", entry.c_str(), REG_SZ,
          std::vector<BYTE>(files[i].c_str(), files[i].c_str() + files[i].size() + 1));
  }
  CWinApp app("Ormix");
  app.SetRegistryKey("Morvane");
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE("start " + std::to_string(start + 1));
    app.LoadStdProfileSettings(4);
    EXPECT_EQ(files, app.GetRecentFiles());
    app.ExitInstance(0);
  }
  char text[MAX_PATH] = "";
  DWORD size = sizeof(text);
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Morvane\\Ormix\\Recent File List",
                                        "File4", RRF_RT_REG_SZ, nullptr, text, &size));
  EXPECT_EQ(files[3], text);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morvane");
}
