#pragma once
// Writes buffers to an open file on a thread of its own, in the order they are handed over,
// so that whoever fills them fills the next one while the last one is being written.
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

class OverlappedFileWriter {
 public:
  // Writes `bytes` to `file`: 0, or the Win32 error code of the write that failed.
  using WriteBytes = unsigned long (*)(std::FILE* file, const std::string& bytes);
  // Writes the bytes whole with the C library.
  static unsigned long WriteWhole(std::FILE* file, const std::string& bytes);

  // `write` writes each buffer (a test gives one that fails).
  explicit OverlappedFileWriter(std::FILE* file, WriteBytes write = &WriteWhole);
  ~OverlappedFileWriter();
  OverlappedFileWriter(const OverlappedFileWriter&) = delete;
  OverlappedFileWriter& operator=(const OverlappedFileWriter&) = delete;

  // Hands `buffer` over, once the buffer handed over before has been taken; `buffer` comes
  // back empty. False, and nothing handed over, once a write has failed.
  bool Write(std::string& buffer);
  // Waits until every buffer handed over is written: 0, or the Win32 error code of the failed
  // write. The file is the caller's again afterwards.
  unsigned long Finish();

 private:
  void Run();

  std::FILE* m_file;
  WriteBytes m_write;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::string m_pending;  // handed over, not yet taken
  bool m_hasPending = false;
  bool m_finishing = false;
  unsigned long m_error = 0;
  std::thread m_thread;
};
