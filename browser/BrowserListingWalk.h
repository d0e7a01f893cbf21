#pragma once
// Lists the running browsers without holding the calling thread: the walk runs on a worker
// apartment, and its entries come back on the calling thread in the walk's order, all of them
// when it ends, or those found so far once a browser has kept it waiting too long. At most one walk of a
// kind runs in the process: an owner that starts while one is still under way waits for that
// walk's entries instead. An owner that abandons its walk is never called back. The walk is
// the shell's window list unless the owner is given another.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "browser/BrowserDiscovery.h"

class CBrowserListingWalk {
 public:
  // The entries in the collection's order, and whether every browser answered in time.
  using Finished = std::function<void(const std::vector<BrowserListEntry>& entries, bool everyoneAnswered)>;

  // An entry found, with its place in the walk's order (entries may be found out of order).
  using EntryFound = std::function<void(long place, const BrowserListEntry& entry)>;
  using StepDone = std::function<void()>;
  // A step at `place` failed: the walk ends there, and entries of later places do not count.
  using StepFailed = std::function<void(long place)>;
  // A walk, for any apartment: calls `found` for each entry (from any thread), may call
  // `stepped` after a step that listed nothing, and `failed` when a step fails; TRUE when it
  // ran to its end. Walks of one function are of one kind.
  using Walker = BOOL (*)(const EntryFound& found, const StepDone& stepped, const StepFailed& failed);

  explicit CBrowserListingWalk(Walker walker = &WalkShellBrowsers);
  CBrowserListingWalk(const CBrowserListingWalk&) = delete;
  CBrowserListingWalk& operator=(const CBrowserListingWalk&) = delete;
  ~CBrowserListingWalk();

  // Starts listing (abandoning a listing of this owner still under way); `finished` runs
  // once, on this thread, from its message loop.
  void Start(Finished finished);
  void Abandon();
  bool IsRunning() const { return static_cast<bool>(m_finished); }

  struct Shared;

  // The shell's window list (WalkBrowsers) as a walker.
  static BOOL WalkShellBrowsers(const EntryFound& found, const StepDone& stepped, const StepFailed& failed);

 private:
  static void CALLBACK CheckProgress(HWND, UINT, UINT_PTR timer, DWORD);
  static void WalkEnded(const std::shared_ptr<Shared>& shared);
  void Deliver(bool everyoneAnswered);

  Walker m_walker;
  std::shared_ptr<Shared> m_shared;
  Finished m_finished;
  UINT_PTR m_timer = 0;
  DWORD m_started = 0;
};
