#include "log/OverlappedFileWriter.h"

#include <windows.h>

OverlappedFileWriter::OverlappedFileWriter(std::FILE* file) : m_file(file), m_thread([this] { Run(); }) {}

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
    ::SetLastError(0);
    const bool written = std::fwrite(writing.data(), 1, writing.size(), m_file) == writing.size();
    // The system's reason, as the failed WriteFile left it on this thread.
    const DWORD lastError = ::GetLastError();
    const unsigned long error = written ? 0 : (lastError ? lastError : ERROR_WRITE_FAULT);
    writing.clear();
    if (!written) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_error = error;
    }
  }
}
