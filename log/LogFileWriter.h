#pragma once
// Writes a saved log's lines (or another file's, such as a trace's) to a file, with no window.
// The lines go to a new file beside the target (its path no longer than the target's, however
// deep the folder; opened for writing alone, written in binary a buffer at a time while the
// next buffer is filled), which then takes the target's place in one step: a save that fails
// at any point leaves the file of the user's name as it was, and no half-written file under
// that name or beside it.
#include <windows.h>

#include <cstddef>

#include "log/FileLines.h"
#include "log/OverlappedFileWriter.h"
#include "log/SavedLogLines.h"

struct LogFileResult {
  bool written = false;
  // The Win32 error code of the step that failed (making the new file, writing it, closing
  // it, putting it in the target's place); 0 when written or when there was nothing to write.
  DWORD error = 0;
};

// Writes `lines` to `path`, replacing what it held. No lines: no file is touched. `write`
// puts each buffer into the new file (a test gives one that fails part-way).
LogFileResult WriteLogFile(const char* path, const FileLines& lines,
                           OverlappedFileWriter::WriteBytes write = &OverlappedFileWriter::WriteWhole);
