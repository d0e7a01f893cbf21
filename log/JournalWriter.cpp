#include "log/JournalWriter.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "log/FolderFiles.h"

// Shared with the thread, so that a thread outliving its journal (a disk that does not
// answer) still has it.
struct JournalWriter::State {
  std::mutex mutex;
  std::condition_variable changed;
  std::string pending;              // whole rows not yet taken by the thread
  std::vector<size_t> pendingEnds;  // where each of them ends in `pending`
  DWORD firstPendingTick = 0;       // when the oldest of them came
  bool writeNow = false;
  bool stopping = false;
  bool ended = false;
  bool failed = false;
  uint64_t appended = 0;  // bytes appended, and bytes written or dropped
  uint64_t done = 0;
  std::string path;
  std::function<void()> onFailed;
  JournalWriter::WriteBytes write = nullptr;
};

namespace {

// Creates the first free one of `fileName`, "name (2).ext", ... in `folder`; `path` is the
// file's full path.
HANDLE CreateNewFile(const std::string& folder, const std::string& fileName, std::string& path) {
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int number = 1; number < 1000 && file == INVALID_HANDLE_VALUE; ++number) {
    path = InFolder(folder, NumberedName(fileName, number));
    file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return file;
}

// Writes `bytes` through `write`; `written` is how many of them the system took before a
// write failed (all of them when none did).
bool WriteAll(HANDLE file, const std::string& bytes, JournalWriter::WriteBytes write, size_t& written) {
  written = 0;
  while (written < bytes.size()) {
    DWORD chunkWritten = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
    const BOOL ok = write(file, bytes.data() + written, chunk, &chunkWritten);
    written += chunkWritten;
    if (!ok || chunkWritten == 0) return false;
  }
  return true;
}

// Cuts `file` back to `size` bytes, so that a write that failed part-way leaves no part of
// a row behind.
void CutBack(HANDLE file, uint64_t size) {
  LARGE_INTEGER at = {};
  at.QuadPart = static_cast<LONGLONG>(size);
  if (::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) ::SetEndOfFile(file);
}

}  // namespace

BOOL JournalWriter::WriteFileBytes(HANDLE file, const void* bytes, DWORD size, DWORD* written) {
  return ::WriteFile(file, bytes, size, written, nullptr);
}

JournalWriter::JournalWriter(const std::string& folder, const std::string& fileName,
                             std::function<void()> onFailed, WriteBytes write)
    : m_state(std::make_shared<State>()) {
  m_state->path = InFolder(folder, fileName);
  m_state->onFailed = std::move(onFailed);
  m_state->write = write;
  // The writing runs on a worker of the program's one facility for work off the caller's
  // thread; the journal is its only owner, and lets it go when it ends.
  m_writer.Start([state = m_state, folder, fileName] {
    Run(state, folder, fileName);
    return true;
  });
}

JournalWriter::~JournalWriter() {
  std::unique_lock<std::mutex> lock(m_state->mutex);
  m_state->stopping = true;
  m_state->changed.notify_all();
  m_state->changed.wait_for(lock, std::chrono::milliseconds(kCloseWaitMs), [this] { return m_state->ended; });
  // The journal's owner is gone: a failure still to come tells no one.
  m_state->onFailed = nullptr;
}

void JournalWriter::Append(const std::string& lines) {
  if (lines.empty()) return;
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->appended += lines.size();
  if (m_state->failed) {
    m_state->done += lines.size();
    return;
  }
  const bool wasEmpty = m_state->pending.empty();
  m_state->pending += lines;
  m_state->pendingEnds.push_back(m_state->pending.size());
  if (!wasEmpty) return;
  // Only the first row of a batch wakes the thread, which then waits out the delay.
  m_state->firstPendingTick = ::GetTickCount();
  m_state->changed.notify_all();
}

void JournalWriter::WriteSoon() {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  if (m_state->pending.empty()) return;
  m_state->writeNow = true;
  m_state->changed.notify_all();
}

bool JournalWriter::WaitWritten(DWORD timeoutMs) {
  std::unique_lock<std::mutex> lock(m_state->mutex);
  const uint64_t target = m_state->appended;
  m_state->writeNow = true;
  m_state->changed.notify_all();
  m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return m_state->done >= target || m_state->ended; });
  return m_state->done >= target && !m_state->failed;
}

bool JournalWriter::Failed() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->failed;
}

std::string JournalWriter::Path() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->path;
}

void JournalWriter::Run(std::shared_ptr<State> state, std::string folder, std::string fileName) {
  // Created on this thread: a folder on a disk that does not answer holds no one else. A
  // folder named that does not exist yet is made, as a tool that writes files into a folder
  // of the user's choosing does.
  std::string path;
  HANDLE file = CreateNewFile(folder, fileName, path);
  if (file == INVALID_HANDLE_VALUE && !folder.empty() && !IsFolder(folder) && CreateFolderWithParents(folder))
    file = CreateNewFile(folder, fileName, path);
  std::unique_lock<std::mutex> lock(state->mutex);
  if (file != INVALID_HANDLE_VALUE) state->path = path;
  bool ok = file != INVALID_HANDLE_VALUE;
  std::string writing;
  std::vector<size_t> writingEnds;
  uint64_t fileBytes = 0;  // the bytes of the whole rows in the file
  uint64_t unwritten = 0;  // bytes of a write that failed, not yet counted as done
  for (;;) {
    if (!ok && !state->failed) {
      state->failed = true;
      unwritten += state->pending.size();
      state->pending.clear();
      state->pendingEnds.clear();
      std::function<void()> tell = state->onFailed;
      state->onFailed = nullptr;
      lock.unlock();
      if (tell) tell();
      lock.lock();
      // Told before anyone waiting for these bytes hears that they are done with.
      state->done += unwritten;
      unwritten = 0;
      state->changed.notify_all();
    }
    if (state->pending.empty()) {
      if (state->stopping) break;
      state->changed.wait(lock, [&] { return state->stopping || !state->pending.empty(); });
      continue;
    }
    if (!state->writeNow && !state->stopping) {
      const DWORD waited = ::GetTickCount() - state->firstPendingTick;
      if (waited < kMaxDelayMs) {
        state->changed.wait_for(lock, std::chrono::milliseconds(kMaxDelayMs - waited),
                                [&] { return state->writeNow || state->stopping; });
        continue;
      }
    }
    writing.swap(state->pending);
    writingEnds.swap(state->pendingEnds);
    state->pending.clear();
    state->pendingEnds.clear();
    state->writeNow = false;
    lock.unlock();
    size_t written = 0;
    if (WriteAll(file, writing, state->write, written)) {
      fileBytes += writing.size();
    } else {
      // The rows the system took whole stay; the part of the next one that it took goes.
      const auto end = std::upper_bound(writingEnds.begin(), writingEnds.end(), written);
      fileBytes += end == writingEnds.begin() ? 0 : *(end - 1);
      CutBack(file, fileBytes);
      ok = false;
    }
    lock.lock();
    if (ok)
      state->done += writing.size();
    else
      unwritten += writing.size();
    writing.clear();
    writingEnds.clear();
    state->changed.notify_all();
  }
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  state->ended = true;
  state->changed.notify_all();
}
