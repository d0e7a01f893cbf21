#include "log/JournalFolder.h"

#include <windows.h>

#include <cstdio>

namespace {

// Creates a new file in `folder` that goes when it is closed: whether the folder takes the
// files a journal makes. The name is no longer than a journal's ("YYYYMMDD-HHMMSS.txt").
bool TakesNewFiles(const std::string& folder) {
  for (unsigned number = 0; number < 100; ++number) {
    char name[32];
    std::snprintf(name, sizeof(name), "~ormix%02u.tmp", number);
    const HANDLE probe =
        ::CreateFileA(InFolder(folder, name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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

JournalFolderState PrepareJournalFolder(const std::string& folder) {
  if (folder.empty()) return JournalFolderState::Unnamed;
  if (!IsFolder(folder) && !CreateFolderWithParents(folder)) return JournalFolderState::NotMade;
  return TakesNewFiles(folder) ? JournalFolderState::Ready : JournalFolderState::NotWritable;
}
