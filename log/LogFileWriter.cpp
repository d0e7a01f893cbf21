#include "log/LogFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <share.h>
#include <string>

#include "log/OverlappedFileWriter.h"

// Written in binary: writing the same lines in the C library's text mode took 2.5 to 4.5
// times as long as writing the converted bytes in binary, most of what a million rows' save
// cost.
LogFileResult WriteLogFile(const char* path, const SavedLogLines& lines) {
  LogFileResult result;
  const size_t count = lines.Count();
  if (count == 0 || !path) return result;
  std::FILE* file = _fsopen(path, "wb", _SH_DENYRW);
  if (!file) return result;
  constexpr size_t kBufferBytes = 1 << 20;
  std::string buffer;
  buffer.reserve(kBufferBytes + 4096);
  {
    OverlappedFileWriter writer(file);
    for (size_t line = 0; line < count; ++line) {
      lines.Append(line, buffer);
      if (buffer.size() < kBufferBytes && line + 1 < count) continue;
      if (!writer.Write(buffer)) break;
      buffer.reserve(kBufferBytes + 4096);
    }
    result.error = writer.Finish();
  }
  if (std::fclose(file) != 0 && result.error == 0) result.error = errno ? errno : EIO;
  result.written = result.error == 0;
  return result;
}
