#pragma once
// Writes a saved log's lines to a file, with no window: opened for writing alone (a file
// another program has open is refused rather than mixed into), written in binary a buffer at
// a time while the next buffer is filled.
#include <cstddef>

#include "log/SavedLogLines.h"

struct LogFileResult {
  bool written = false;
  // The errno of a write or close that failed once the file was open; 0 otherwise (also
  // when there was nothing to write or the file could not be opened).
  int error = 0;
};

// Writes `lines` to `path`, replacing what it held. No lines: no file is touched.
LogFileResult WriteLogFile(const char* path, const SavedLogLines& lines);
