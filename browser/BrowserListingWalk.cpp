#include "browser/BrowserListingWalk.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <utility>

#include "threads/MessageOnlyWindow.h"

namespace {

const char kTimerWindowClass[] = "OrmixListingWalkTimer";
constexpr UINT_PTR kStepTimer = 1;

}  // namespace

// What a walk's worker and its owner share: the entries found so far and when the last step
// ended.
struct CBrowserListingWalk::Progress {
  std::mutex lock;
  std::vector<std::pair<long, BrowserListEntry>> entries;  // with their places
  long firstFailed = LONG_MAX;  // where a failed step ended the walk
  DWORD lastProgress = ::GetTickCount();

  void Stepped() {
    std::lock_guard<std::mutex> hold(lock);
    lastProgress = ::GetTickCount();
  }
};

CBrowserListingWalk::CBrowserListingWalk(Walker walker, DWORD stepLimitMs)
    : m_walker(walker), m_stepLimitMs(stepLimitMs) {}

CBrowserListingWalk::~CBrowserListingWalk() {
  Abandon();
  if (m_hWndTimer) ::DestroyWindow(m_hWndTimer);
}

BOOL CBrowserListingWalk::WalkShellBrowsers(const EntryFound& found, const StepDone& stepped,
                                            const StepFailed& failed) {
  return WalkBrowsers(found, stepped, failed);
}

void CBrowserListingWalk::Abandon() {
  if (m_hWndTimer) ::KillTimer(m_hWndTimer, kStepTimer);
  // The walk goes on by itself until its browsers answer; nothing of it comes back here.
  m_work.Abandon();
  m_finished = nullptr;
  m_progress.reset();
}

LRESULT CALLBACK CBrowserListingWalk::TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_TIMER || wParam != kStepTimer) return ::DefWindowProcA(window, message, wParam, lParam);
  if (auto* owner = reinterpret_cast<CBrowserListingWalk*>(::GetWindowLongPtrA(window, GWLP_USERDATA)))
    owner->CheckProgress();
  return 0;
}

void CBrowserListingWalk::Start(Finished finished) {
  Abandon();
  if (!m_hWndTimer) {
    m_hWndTimer = CreateMessageOnlyWindow(kTimerWindowClass, TimerWindowProc);
    if (m_hWndTimer) ::SetWindowLongPtrA(m_hWndTimer, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  auto progress = std::make_shared<Progress>();
  m_progress = progress;
  m_finished = std::move(finished);
  const Walker walker = m_walker;
  const bool started = m_work.Start(
      [walker, progress] {
        return walker(
                   [progress](long place, const BrowserListEntry& entry) {
                     std::lock_guard<std::mutex> hold(progress->lock);
                     progress->entries.emplace_back(place, entry);
                     progress->lastProgress = ::GetTickCount();
                   },
                   [progress] { progress->Stepped(); },
                   [progress](long place) {
                     std::lock_guard<std::mutex> hold(progress->lock);
                     progress->firstFailed = std::min(progress->firstFailed, place);
                     progress->lastProgress = ::GetTickCount();
                   }) != FALSE;
      },
      nullptr, [this](std::optional<bool> walked) { Deliver(walked.value_or(false) ? End::Whole : End::Unreadable); });
  if (!started) {
    Deliver(End::Unreadable);
    return;
  }
  if (m_hWndTimer) ::SetTimer(m_hWndTimer, kStepTimer, m_stepLimitMs, nullptr);
}

void CBrowserListingWalk::CheckProgress() {
  if (!m_progress) return;
  DWORD lastProgress = 0;
  {
    std::lock_guard<std::mutex> hold(m_progress->lock);
    lastProgress = m_progress->lastProgress;
  }
  const DWORD quiet = ::GetTickCount() - lastProgress;
  if (quiet >= m_stepLimitMs) {
    Deliver(End::NotAnswered);
    return;
  }
  // A step ended meanwhile: the limit runs from there.
  ::SetTimer(m_hWndTimer, kStepTimer, m_stepLimitMs - quiet, nullptr);
}

void CBrowserListingWalk::Deliver(End end) {
  std::vector<std::pair<long, BrowserListEntry>> found;
  long firstFailed = LONG_MAX;
  if (m_progress) {
    std::lock_guard<std::mutex> hold(m_progress->lock);
    found = m_progress->entries;
    firstFailed = m_progress->firstFailed;
  }
  // In the walk's order, and only those before a step that failed.
  std::stable_sort(found.begin(), found.end(),
                   [](const std::pair<long, BrowserListEntry>& a, const std::pair<long, BrowserListEntry>& b) {
                     return a.first < b.first;
                   });
  std::vector<BrowserListEntry> entries;
  for (const auto& entry : found)
    if (entry.first < firstFailed) entries.push_back(entry.second);
  m_work.Take();  // a walk that ended lets its worker go at once
  Finished finished = std::move(m_finished);
  Abandon();
  if (finished) finished(entries, end);
}
