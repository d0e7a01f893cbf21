// The listing walk's owner side, with walks of the test's own making: the entries come back
// in the walk's order; the step limit runs from the last step that ended, not from the start;
// and a walk held by a browser that does not answer holds up no later listing.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/BrowserListingWalk.h"
#include "threads/BoundedWork.h"
#include "support/MessagePump.h"

namespace {

constexpr DWORD kDeadlineMs = 10000;

// The browsers the test's walk finds, in walk order; a browser named "hung" does not answer
// until the gate opens. Read by the walks' workers, written by the test between listings.
std::vector<std::string> g_browsers;
HANDLE g_gate = nullptr;
// Set: each step first waits for the test to let it go (`g_step` is signalled once per step).
HANDLE g_step = nullptr;

BOOL TestWalk(const CBrowserListingWalk::EntryFound& found, const CBrowserListingWalk::StepDone& stepped,
              const CBrowserListingWalk::StepFailed&) {
  const std::vector<std::string> browsers = g_browsers;
  for (size_t i = 0; i < browsers.size(); ++i) {
    if (g_step) ::WaitForSingleObject(g_step, kDeadlineMs);
    if (browsers[i] == "hung") {
      ::WaitForSingleObject(g_gate, kDeadlineMs * 3);
      stepped();
      continue;
    }
    if (browsers[i] == "unreadable") return FALSE;
    found(static_cast<long>(i), BrowserListEntry{browsers[i], nullptr});
  }
  return TRUE;
}

struct Listing {
  std::vector<std::string> captions;
  bool everyoneAnswered = false;
  CBrowserListingWalk::End end = CBrowserListingWalk::End::Whole;
  bool done = false;
};

void StartListing(CBrowserListingWalk& walk, Listing& listing) {
  walk.Start([&listing](const std::vector<BrowserListEntry>& entries, CBrowserListingWalk::End end) {
    for (const BrowserListEntry& entry : entries) listing.captions.push_back(entry.caption);
    listing.everyoneAnswered = end == CBrowserListingWalk::End::Whole;
    listing.end = end;
    listing.done = true;
  });
}

class ListingWalkTest : public testing::Test {
 protected:
  void SetUp() override { g_gate = ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  void TearDown() override {
    ::SetEvent(g_gate);
    EXPECT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
    ::CloseHandle(g_gate);
    g_gate = nullptr;
  }
};

}  // namespace

TEST_F(ListingWalkTest, AWalkWhoseStepsKeepEndingIsNeverCutOff) {
  // Steps end every fifth of the limit, for longer than the limit in all.
  constexpr DWORD kLimitMs = 1500;
  g_browsers = {"a", "b", "c", "d", "e", "f", "g", "h"};
  g_step = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CBrowserListingWalk walk(&TestWalk, kLimitMs);
  Listing listing;
  StartListing(walk, listing);
  for (size_t i = 0; i < g_browsers.size() && !listing.done; ++i) {
    ::SetEvent(g_step);
    testsupport::PumpUntil([&] { return listing.done; }, kLimitMs / 5);
  }
  ::SetEvent(g_step);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return listing.done; }, kDeadlineMs));
  EXPECT_TRUE(listing.everyoneAnswered);
  EXPECT_EQ(g_browsers, listing.captions);
  ::CloseHandle(g_step);
  g_step = nullptr;
}

TEST_F(ListingWalkTest, AListingAfterAHungOneListsTheBrowsersOfItsOwnTime) {
  constexpr DWORD kLimitMs = 300;
  CBrowserListingWalk walk(&TestWalk, kLimitMs);
  CBrowserListingWalk other(&TestWalk, kLimitMs);

  // The first listing is held by a browser that does not answer; what came before it is shown.
  g_browsers = {"one", "hung", "two"};
  Listing first;
  StartListing(walk, first);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return first.done; }, kDeadlineMs));
  EXPECT_FALSE(first.everyoneAnswered);
  EXPECT_EQ(std::vector<std::string>{"one"}, first.captions);

  // Later listings, of this owner and of another, walk again: a browser opened since is
  // listed, a closed one is not, and the walk still held up stays out of it.
  g_browsers = {"three", "hung", "four"};
  for (CBrowserListingWalk* owner : {&walk, &other}) {
    Listing later;
    StartListing(*owner, later);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return later.done; }, kDeadlineMs));
    EXPECT_FALSE(later.everyoneAnswered);
    EXPECT_EQ(std::vector<std::string>{"three"}, later.captions);
  }

  // Once the browser answers, a listing is whole again.
  ::SetEvent(g_gate);
  Listing whole;
  StartListing(other, whole);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return whole.done; }, kDeadlineMs));
  EXPECT_TRUE(whole.everyoneAnswered);
  EXPECT_EQ((std::vector<std::string>{"three", "four"}), whole.captions);
}

// A walk that could not read on (the list, or a step of it) lists what came before and says so.
TEST_F(ListingWalkTest, AWalkThatCannotReadTheListSaysSo) {
  CBrowserListingWalk walk(&TestWalk, kDeadlineMs);
  for (const auto& browsers : {std::vector<std::string>{"unreadable"}, std::vector<std::string>{"one", "unreadable"}}) {
    g_browsers = browsers;
    Listing listing;
    StartListing(walk, listing);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return listing.done; }, kDeadlineMs));
    EXPECT_EQ(CBrowserListingWalk::End::Unreadable, listing.end);
    EXPECT_EQ(std::vector<std::string>(browsers.begin(), browsers.end() - 1), listing.captions);
  }
}

// An owner that abandons its listing, or goes, is never called back.
TEST_F(ListingWalkTest, AnAbandonedListingCallsNobodyBack) {
  g_browsers = {"one", "hung"};
  Listing abandoned, gone;
  CBrowserListingWalk walk(&TestWalk, kDeadlineMs);
  StartListing(walk, abandoned);
  walk.Abandon();
  EXPECT_FALSE(walk.IsRunning());
  {
    CBrowserListingWalk going(&TestWalk, kDeadlineMs);
    StartListing(going, gone);
  }
  ::SetEvent(g_gate);
  ASSERT_TRUE(CBoundedWorkBase::WaitForOutstanding(kDeadlineMs));
  testsupport::PumpPendingMessages();
  EXPECT_FALSE(abandoned.done);
  EXPECT_FALSE(gone.done);
}
