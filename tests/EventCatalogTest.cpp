#include <set>
#include <string>

#include <gtest/gtest.h>

#include "events/EventCatalog.h"
#include "events/EventMask.h"

TEST(EventMask, FreshMaskHasAllThirtyThreeFlagsSet) {
  EventMask mask;
  for (int i = 0; i < EventMask::kFlagCount; ++i) EXPECT_EQ(1, mask.Get(i)) << i;
}

TEST(EventMask, SetAndGetStoreValuesUnchanged) {
  EventMask mask;
  mask.Set(12, 0);
  mask.Set(3, -7);
  for (int i = 0; i < EventMask::kFlagCount; ++i)
    EXPECT_EQ(i == 12 ? 0 : i == 3 ? -7 : 1, mask.Get(i)) << i;
  // Index 12 is the flag of OnQuit and of no other event.
  int events = 0;
  for (const EventInfo& e : kEventCatalog)
    if (e.maskIndex == 12) {
      ++events;
      EXPECT_STREQ("OnQuit", e.name);
    }
  EXPECT_EQ(1, events);
}

TEST(EventMask, CopyTakesEveryFlagIncludingUnusedIndexNine) {
  EventMask source;
  source.Set(9, 0);
  EventMask copy(source);
  for (int i = 0; i < EventMask::kFlagCount; ++i) EXPECT_EQ(i == 9 ? 0 : 1, copy.Get(i)) << i;
  for (const EventInfo& e : kEventCatalog) EXPECT_NE(0, copy.Get(e.maskIndex)) << e.name;
}

TEST(EventCatalog, NamesDispidsAndCheckBoxesAreDistinct) {
  std::set<std::string> names;
  std::set<DISPID> dispids;
  std::set<int> boxes;
  for (const EventInfo& e : kEventCatalog) {
    names.insert(e.name);
    dispids.insert(e.dispid);
    boxes.insert(e.checkBoxId);
  }
  EXPECT_EQ(kEventCount, names.size());
  EXPECT_EQ(kEventCount, dispids.size());
  EXPECT_EQ(kEventCount, boxes.size());
  EXPECT_EQ(1004, *boxes.begin());
  EXPECT_EQ(1035, *boxes.rbegin());
}

TEST(EventCatalog, MaskIndexIsSlotThenSlotPlusOneSkippingNine) {
  for (size_t slot = 0; slot < kEventCount; ++slot) {
    const int expected = static_cast<int>(slot < 9 ? slot : slot + 1);
    EXPECT_EQ(expected, kEventCatalog[slot].maskIndex) << kEventCatalog[slot].name;
    EXPECT_NE(9, kEventCatalog[slot].maskIndex);
  }
  EXPECT_EQ(10, kEventCatalog[kNavigateComplete2].maskIndex);
  EXPECT_EQ(1013, kEventCatalog[kNavigateComplete2].checkBoxId);
}

TEST(EventCatalog, GridFillsThreeColumnsInSlotOrder) {
  // Column 1 holds slots 0-11, column 2 slots 12-23, column 3 slots 24-31, row by row.
  for (size_t slot = 0; slot < kEventCount; ++slot) {
    const int column = slot < 12 ? 1 : slot < 24 ? 2 : 3;
    const int row = static_cast<int>(slot < 12 ? slot : slot < 24 ? slot - 12 : slot - 24) + 1;
    EXPECT_EQ(column, kEventCatalog[slot].column) << kEventCatalog[slot].name;
    EXPECT_EQ(row, kEventCatalog[slot].row) << kEventCatalog[slot].name;
  }
  // OnQuit's box, id 1025, is twelfth in column 1, between 1014 and the first of column 2.
  EXPECT_EQ(1014, kEventCatalog[kOnQuit - 1].checkBoxId);
  EXPECT_EQ(1025, kEventCatalog[kOnQuit].checkBoxId);
  EXPECT_EQ(1015, kEventCatalog[kOnQuit + 1].checkBoxId);
}
