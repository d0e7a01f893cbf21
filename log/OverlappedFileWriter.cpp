#include "log/OverlappedFileWriter.h"

#include <windows.h>

unsigned long OverlappedFileWriter::WriteWhole(std::FILE* file, const std::string& bytes) {
  ::SetLastError(0);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) return 0;
  // The system's reason, as the failed WriteFile left it on this thread.
  const DWORD lastError = ::GetLastError();
  return lastError ? lastError : ERROR_WRITE_FAULT;
}

OverlappedFileWriter::OverlappedFileWriter(std::FILE* file, WriteBytes write)
    : m_file(file), m_write(write), m_thread([this] { Run(); }) {}

OverlappedFileWriter::~OverlappedFileWriter() { Finish(); }

bool OverlappedFileWriter::Write(std::string& buffer) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_changed.wait(lock, [this] { return !m_hasPending; });
  if (m_error) return false;
  m_pending.swap(buffer);  // the caller gets back the buffer the thread wrote last
  buffer.clear();
  m_hasPending = true;
  m_changed.notify_all();
  return true;
}

unsigned long OverlappedFileWriter::Finish() {
  if (m_thread.joinable()) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_finishing = true;
    }
    m_changed.notify_all();
    m_thread.join();
  }
  return m_error;
}

void OverlappedFileWriter::Run() {
  std::string writing;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_changed.wait(lock, [this] { return m_hasPending || m_finishing; });
      if (!m_hasPending) return;
      writing.swap(m_pending);
      m_hasPending = false;
    }
    m_changed.notify_all();
    const unsigned long error = m_write(m_file, writing);
    writing.clear();
    if (error) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_error = error;
    }
  }
}
