#pragma once
// Lists the running browsers without holding the calling thread: each listing walks on a
// worker apartment of its own, and its entries come back on the calling thread in the walk's
// order, all of them when it ends, or those found so far once one step (creating the list,
// one browser's answers) has kept it waiting too long. A walk held by a browser that does not
// answer holds up no later listing, and an owner that abandons its walk is never called back.
// The walk is the shell's window list unless the owner is given another.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "browser/BrowserDiscovery.h"
#include "threads/BoundedWork.h"

class CBrowserListingWalk {
 public:
  // How a listing ended: every browser answered in time; one kept it waiting too long (the
  // entries found before it are listed); or the walk could not read the list itself (or a
  // step of it failed: the entries before that step are listed).
  enum class End { Whole, NotAnswered, Unreadable };
  // The entries in the collection's order, and how the listing ended.
  using Finished = std::function<void(const std::vector<BrowserListEntry>& entries, End end)>;

  // An entry found, with its place in the walk's order (entries may be found out of order).
  using EntryFound = std::function<void(long place, const BrowserListEntry& entry)>;
  using StepDone = std::function<void()>;
  // A step at `place` failed: the walk ends there, and entries of later places do not count.
  using StepFailed = std::function<void(long place)>;
  // A walk, for any apartment: calls `found` for each entry (from any thread), `stepped`
  // after a step that listed nothing, and `failed` when a step fails; TRUE when it ran to its
  // end.
  using Walker = BOOL (*)(const EntryFound& found, const StepDone& stepped, const StepFailed& failed);

  // A browser kept busy by a script answers within a second or two; one that has not
  // answered after three is hung for all a user can tell.
  static constexpr DWORD kStepLimitMs = 3000;

  // `stepLimitMs`: how long the walk may go without a step ending before the owner is given
  // what was found so far.
  explicit CBrowserListingWalk(Walker walker = &WalkShellBrowsers, DWORD stepLimitMs = kStepLimitMs);
  CBrowserListingWalk(const CBrowserListingWalk&) = delete;
  CBrowserListingWalk& operator=(const CBrowserListingWalk&) = delete;
  ~CBrowserListingWalk();

  // Starts listing (abandoning a listing of this owner still under way); `finished` runs
  // once, on this thread, from its message loop.
  void Start(Finished finished);
  void Abandon();
  bool IsRunning() const { return static_cast<bool>(m_finished); }

  // The shell's window list (WalkBrowsers) as a walker.
  static BOOL WalkShellBrowsers(const EntryFound& found, const StepDone& stepped, const StepFailed& failed);

  struct Progress;

 private:
  static LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Gives the owner what was found once the walk has gone a step limit without progress.
  void CheckProgress();
  void Deliver(End end);

  Walker m_walker;
  DWORD m_stepLimitMs;
  std::shared_ptr<Progress> m_progress;
  CBoundedWork<bool> m_work;
  Finished m_finished;
  // A message-only window whose timer falls due when the step limit would be reached.
  HWND m_hWndTimer = nullptr;
};
