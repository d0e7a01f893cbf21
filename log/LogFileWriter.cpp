#include "log/LogFileWriter.h"

#include <cstdio>
#include <share.h>
#include <string>

namespace {

// The folder that holds `path` ("." for a bare name), found by the system so that a
// double-byte character whose second byte is a backslash does not split it.
bool FolderOf(const char* path, std::string& folder) {
  char full[MAX_PATH * 2];
  char* name = nullptr;
  const DWORD length = ::GetFullPathNameA(path, sizeof(full), full, &name);
  if (length == 0 || length >= sizeof(full) || !name) return false;
  folder.assign(full, static_cast<size_t>(name - full));
  return true;
}

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = ::GetLastError();
  return error ? error : fallback;
}

// Writes every line to the open `file`: 0, or the Win32 error code of the write or close that
// failed. The file is closed either way.
DWORD WriteAndClose(std::FILE* file, const FileLines& lines, OverlappedFileWriter::WriteBytes write) {
  constexpr size_t kBufferBytes = 1 << 20;
  const size_t count = lines.Count();
  std::string buffer;
  buffer.reserve(kBufferBytes + 4096);
  DWORD error = 0;
  {
    OverlappedFileWriter writer(file, write);
    for (size_t line = 0; line < count; ++line) {
      lines.Append(line, buffer);
      if (buffer.size() < kBufferBytes && line + 1 < count) continue;
      if (!writer.Write(buffer)) break;
      buffer.reserve(kBufferBytes + 4096);
    }
    error = writer.Finish();
  }
  ::SetLastError(0);
  if (std::fclose(file) != 0 && error == 0) error = LastErrorOr(ERROR_WRITE_FAULT);
  return error;
}

}  // namespace

// Written in binary: writing the same lines in the C library's text mode took 2.5 to 4.5
// times as long as writing the converted bytes in binary, most of what a million rows' save
// cost.
LogFileResult WriteLogFile(const char* path, const FileLines& lines, OverlappedFileWriter::WriteBytes write) {
  LogFileResult result;
  if (lines.Count() == 0 || !path) return result;
  std::string folder;
  if (!FolderOf(path, folder)) {
    result.error = LastErrorOr(ERROR_INVALID_NAME);
    return result;
  }
  char temporary[MAX_PATH * 2];
  if (!::GetTempFileNameA(folder.c_str(), "olg", 0, temporary)) {
    result.error = LastErrorOr(ERROR_PATH_NOT_FOUND);
    return result;
  }
  ::SetLastError(0);
  std::FILE* file = _fsopen(temporary, "wb", _SH_DENYRW);
  if (!file) {
    result.error = LastErrorOr(ERROR_ACCESS_DENIED);
    ::DeleteFileA(temporary);
    return result;
  }
  result.error = WriteAndClose(file, lines, write);
  if (result.error == 0 && !::MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    result.error = LastErrorOr(ERROR_ACCESS_DENIED);
  if (result.error != 0) ::DeleteFileA(temporary);
  result.written = result.error == 0;
  return result;
}
