#pragma once
// A journal file and the rows waiting for it, with no window: whoever records rows appends
// them one by one, which never waits for the disk (only for a short lock), and the journal's
// worker (a CBoundedWork) creates the file and writes what is waiting in one piece, at the
// latest kMaxDelayMs after it came and at once when asked to (at the end of a burst of rows).
// So a process ended by force leaves a file of whole rows. A file that cannot be created or
// written makes the journal failed: a write that failed part-way (a full disk) is cut back
// to the end of the last row written whole, and the journal says so once, through the
// callback, on the worker, and drops what it is given from then on.
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "threads/BoundedWork.h"

class JournalWriter {
 public:
  // The longest time a line waits before it is written.
  static constexpr DWORD kMaxDelayMs = 500;

  // Writes `size` bytes to `file` as WriteFile does: FALSE when the write failed, `written`
  // the bytes it took all the same.
  using WriteBytes = BOOL (*)(HANDLE file, const void* bytes, DWORD size, DWORD* written);
  // Writes with the system's WriteFile.
  static BOOL WriteFileBytes(HANDLE file, const void* bytes, DWORD size, DWORD* written);

  // Starts writing into a new file `fileName` in `folder`, which is made (with its parents)
  // when it does not exist; a file of that name already there is left alone and " (2)",
  // " (3)"... is put before the extension instead. `onFailed` runs at most once, on the
  // journal's worker. `write` puts the bytes into the file (a test gives one that fills up).
  JournalWriter(const std::string& folder, const std::string& fileName, std::function<void()> onFailed,
                WriteBytes write = &WriteFileBytes);
  // Writes what is still waiting, waiting for that at most `kCloseWaitMs`; a worker the disk
  // still holds then finishes on its own.
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Appends one row: `lines`, which must end with a whole line (a row's text may hold line
  // breaks, and a CSV heading counts as a row).
  void Append(const std::string& lines);
  // Has what is waiting written now rather than after the delay.
  void WriteSoon();
  // Has what is waiting written now and waits for it at most `timeoutMs`; true once every
  // line appended before the call is in the file.
  bool WaitWritten(DWORD timeoutMs);

  bool Failed() const;
  // The file's full path (before the file exists, the one it is meant to have).
  std::string Path() const;

  static constexpr DWORD kCloseWaitMs = 3000;

 private:
  struct State;
  static void Run(std::shared_ptr<State> state, std::string folder, std::string fileName);

  std::shared_ptr<State> m_state;
  // The worker that creates the file and writes; let go (not waited for) when the journal
  // ends, after the bounded wait of the destructor.
  CBoundedWork<bool> m_writer;
};
