#include "log/JournalFolder.h"

#include <windows.h>

#include <cstdio>

namespace {

// Whether `folder` ends with a separator: a last byte 0x5C may be the second half of a
// double-byte character instead.
bool EndsWithSeparator(const std::string& folder) {
  bool separator = false;
  for (size_t i = 0; i < folder.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folder[i]);
    separator = c == '\\' || c == '/';
    if (::IsDBCSLeadByte(c)) ++i;
  }
  return separator;
}

// Creates a new file in `folder` that goes when it is closed: whether the folder takes the
// files a journal makes. The name is no longer than a journal's ("YYYYMMDD-HHMMSS.txt").
bool TakesNewFiles(const std::string& folder) {
  for (unsigned number = 0; number < 100; ++number) {
    char name[32];
    std::snprintf(name, sizeof(name), "~ormix%02u.tmp", number);
    const HANDLE probe =
        ::CreateFileA(PathInFolder(folder, name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      ::CloseHandle(probe);
      return true;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || EndsWithSeparator(folder)) return folder + name;
  return folder + "\\" + name;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolderWithParents(const std::string& folder) {
  // A separator is looked for only between characters: the second byte of a double-byte
  // character may be 0x5C.
  for (size_t i = 0; i < folder.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folder[i]);
    if (::IsDBCSLeadByte(c)) {
      ++i;
      continue;
    }
    if ((c == '\\' || c == '/') && i > 0) ::CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
  }
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return IsFolder(folder);
}

JournalFolderState PrepareJournalFolder(const std::string& folder) {
  if (folder.empty()) return JournalFolderState::Unnamed;
  if (!IsFolder(folder) && !CreateFolderWithParents(folder)) return JournalFolderState::NotMade;
  return TakesNewFiles(folder) ? JournalFolderState::Ready : JournalFolderState::NotWritable;
}
