#pragma once
// Files for tests: a new empty file or folder of the temporary folder, a file's bytes, and a
// drive that is not there.
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

// Creates an empty file with a name of its own in the temporary folder; returns its path.
inline std::string NewTempFile(const char* prefix) {
  char temp[MAX_PATH] = "", name[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, temp);
  ::GetTempFileNameA(temp, prefix, 0, name);
  return name;
}

// Every byte of the file at `path`; empty when it cannot be read.
inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A drive letter with its colon ("Q:") that names no drive; empty if every one does.
inline std::string MissingDrive() {
  const DWORD drives = ::GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
  return "";
}

// A folder of its own in the temporary folder (`name` and this process's id), removed with
// the files it holds.
struct TempFolder {
  explicit TempFolder(const char* name) {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + name + std::to_string(::GetCurrentProcessId());
    Empty();  // of what an earlier run left
    ::CreateDirectoryA(path.c_str(), nullptr);
  }
  ~TempFolder() { Empty(); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  void Empty() {
    for (const std::string& file : Files()) ::DeleteFileA((path + "\\" + file).c_str());
    ::RemoveDirectoryA(path.c_str());
  }
  // The names of the files it holds, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    const HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Read(const std::string& name) const { return FileBytes(path + "\\" + name); }
  std::string path;
};

}  // namespace testsupport
