#include "log/JournalWriter.h"

#include <algorithm>
#include <chrono>

// Shared with the thread, so that a thread outliving its journal (a disk that does not
// answer) still has it.
struct JournalWriter::State {
  std::mutex mutex;
  std::condition_variable changed;
  std::string pending;         // whole lines not yet taken by the thread
  DWORD firstPendingTick = 0;  // when the oldest of them came
  bool writeNow = false;
  bool stopping = false;
  bool ended = false;
  bool failed = false;
  uint64_t appended = 0;  // bytes appended, and bytes written or dropped
  uint64_t done = 0;
  std::string path;
  std::function<void()> onFailed;
};

namespace {

std::string NumberedName(const std::string& fileName, int number) {
  if (number < 2) return fileName;
  const size_t dot = fileName.rfind('.');
  const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : fileName.substr(dot);
  return stem + " (" + std::to_string(number) + ")" + extension;
}

// Whether `folder` ends with a separator: a last byte 0x5C may be the second half of a
// double-byte character instead.
bool EndsWithSeparator(const std::string& folder) {
  bool separator = false;
  for (size_t i = 0; i < folder.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folder[i]);
    separator = c == '\\' || c == '/';
    if (::IsDBCSLeadByte(c)) ++i;
  }
  return separator;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || EndsWithSeparator(folder)) return folder + name;
  return folder + "\\" + name;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Makes `folder` and whichever of its parents are missing, from the top down; true once it
// is a folder. A parent that cannot be made (a drive, a share, a plain file) is left to the
// last step to fail. A separator is looked for only between characters: the second byte of
// a double-byte character may be 0x5C.
bool CreateFolderWithParents(const std::string& folder) {
  for (size_t i = 0; i < folder.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folder[i]);
    if (::IsDBCSLeadByte(c)) {
      ++i;
      continue;
    }
    if ((c == '\\' || c == '/') && i > 0) ::CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
  }
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return IsFolder(folder);
}

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

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 30));
    if (!::WriteFile(file, bytes.data() + at, chunk, &written, nullptr) || written == 0) return false;
    at += written;
  }
  return true;
}

}  // namespace

JournalWriter::JournalWriter(const std::string& folder, const std::string& fileName,
                             std::function<void()> onFailed)
    : m_state(std::make_shared<State>()) {
  m_state->path = InFolder(folder, fileName);
  m_state->onFailed = std::move(onFailed);
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
  if (!wasEmpty) return;
  // Only the first line of a batch wakes the thread, which then waits out the delay.
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
  for (;;) {
    if (!ok && !state->failed) {
      state->failed = true;
      state->done += state->pending.size();
      state->pending.clear();
      std::function<void()> tell = state->onFailed;
      state->onFailed = nullptr;
      lock.unlock();
      if (tell) tell();
      lock.lock();
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
    state->pending.clear();
    state->writeNow = false;
    lock.unlock();
    const bool written = WriteAll(file, writing);
    lock.lock();
    state->done += writing.size();
    writing.clear();
    if (!written) ok = false;
    state->changed.notify_all();
  }
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  state->ended = true;
  state->changed.notify_all();
}
