#include "browser/BrowserListingWalk.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <utility>

#include "framework/ApartmentWork.h"

namespace {

// How long one step of the walk (creating the shell's list, one browser's answers) may take
// before the owner is given what was found so far. A walk takes 50-250 ms per browser here;
// a browser kept busy by a script answers within a second or two; one that has not answered
// after three is hung for all a user can tell.
constexpr DWORD kStepLimitMs = 3000;
// How often an owner looks at the walk's progress while it waits.
constexpr UINT kProgressCheckMs = 100;

}  // namespace

// What the worker and the owners share: the entries found so far and when the last step ended.
struct CBrowserListingWalk::Shared {
  explicit Shared(Walker kind) : walker(kind) {}
  const Walker walker;
  std::mutex lock;
  std::vector<std::pair<long, BrowserListEntry>> entries;  // with their places
  long firstFailed = LONG_MAX;  // where a failed step ended the walk
  DWORD lastProgress = ::GetTickCount();
  bool ended = false;  // touched on the owners' thread only
};

namespace {

// The owners waiting on this thread, and the walks under way, one per kind (only these
// threads' owners touch them, so no lock is needed).
std::vector<CBrowserListingWalk*> g_owners;
std::vector<std::shared_ptr<CBrowserListingWalk::Shared>> g_running;

std::shared_ptr<CBrowserListingWalk::Shared> RunningWalk(CBrowserListingWalk::Walker walker) {
  for (const auto& running : g_running)
    if (running->walker == walker && !running->ended) return running;
  return nullptr;
}

}  // namespace

CBrowserListingWalk::CBrowserListingWalk(Walker walker) : m_walker(walker) { g_owners.push_back(this); }

BOOL CBrowserListingWalk::WalkShellBrowsers(const EntryFound& found, const StepDone&, const StepFailed& failed) {
  return WalkBrowsers(found, failed);
}

CBrowserListingWalk::~CBrowserListingWalk() {
  Abandon();
  g_owners.erase(std::remove(g_owners.begin(), g_owners.end(), this), g_owners.end());
}

void CBrowserListingWalk::Abandon() {
  if (m_timer) ::KillTimer(nullptr, m_timer);
  m_timer = 0;
  m_finished = nullptr;
  m_shared.reset();
}

void CBrowserListingWalk::Start(Finished finished) {
  Abandon();
  m_finished = std::move(finished);
  m_started = ::GetTickCount();
  m_timer = ::SetTimer(nullptr, 0, kProgressCheckMs, &CBrowserListingWalk::CheckProgress);
  if (std::shared_ptr<Shared> running = RunningWalk(m_walker)) {
    m_shared = running;  // one walk of a kind at a time: wait for the one under way
    return;
  }
  auto shared = std::make_shared<Shared>(m_walker);
  m_shared = shared;
  g_running.push_back(shared);
  CApartmentWork::Run(
      [shared] {
        shared->walker(
            [&shared](long place, const BrowserListEntry& entry) {
              std::lock_guard<std::mutex> hold(shared->lock);
              shared->entries.emplace_back(place, entry);
              shared->lastProgress = ::GetTickCount();
            },
            [&shared] {
              std::lock_guard<std::mutex> hold(shared->lock);
              shared->lastProgress = ::GetTickCount();
            },
            [&shared](long place) {
              std::lock_guard<std::mutex> hold(shared->lock);
              shared->firstFailed = std::min(shared->firstFailed, place);
              shared->lastProgress = ::GetTickCount();
            });
      },
      0, [shared] { WalkEnded(shared); });
}

void CBrowserListingWalk::WalkEnded(const std::shared_ptr<Shared>& shared) {
  shared->ended = true;
  g_running.erase(std::remove(g_running.begin(), g_running.end(), shared), g_running.end());
  // A copy: an owner called back may start another listing, or go.
  const std::vector<CBrowserListingWalk*> owners = g_owners;
  for (CBrowserListingWalk* owner : owners)
    if (std::find(g_owners.begin(), g_owners.end(), owner) != g_owners.end() && owner->m_shared == shared)
      owner->Deliver(true);
}

void CALLBACK CBrowserListingWalk::CheckProgress(HWND, UINT, UINT_PTR timer, DWORD) {
  for (CBrowserListingWalk* owner : g_owners) {
    if (owner->m_timer != timer || !owner->m_shared) continue;
    DWORD lastProgress = 0;
    {
      std::lock_guard<std::mutex> hold(owner->m_shared->lock);
      lastProgress = owner->m_shared->lastProgress;
    }
    // An owner that joined a walk under way gives it the full time from its own start.
    const DWORD now = ::GetTickCount();
    const DWORD waited = std::min(now - lastProgress, now - owner->m_started);
    if (waited > kStepLimitMs) owner->Deliver(false);
    return;
  }
}

void CBrowserListingWalk::Deliver(bool everyoneAnswered) {
  std::vector<std::pair<long, BrowserListEntry>> found;
  long firstFailed = LONG_MAX;
  {
    std::lock_guard<std::mutex> hold(m_shared->lock);
    found = m_shared->entries;
    firstFailed = m_shared->firstFailed;
  }
  // In the walk's order, and only those before a step that failed.
  std::stable_sort(found.begin(), found.end(),
                   [](const std::pair<long, BrowserListEntry>& a, const std::pair<long, BrowserListEntry>& b) {
                     return a.first < b.first;
                   });
  std::vector<BrowserListEntry> entries;
  for (const auto& entry : found)
    if (entry.first < firstFailed) entries.push_back(entry.second);
  Finished finished = std::move(m_finished);
  Abandon();
  if (finished) finished(entries, everyoneAnswered);
}
