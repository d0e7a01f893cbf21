#include <set>
#include <string>

#include <gtest/gtest.h>

#include "events/EventCatalog.h"
#include "events/EventMask.h"

// A fresh mask has all thirty-three flags set; Set stores a value unchanged, and a copy takes
// every flag, the unused index nine too.
TEST(EventMask, FlagsStartSetKeepWhatIsStoredAndAreAllCopied) {
  EventMask mask;
  for (int i = 0; i < EventMask::kFlagCount; ++i) EXPECT_EQ(1, mask.Get(i)) << i;
  mask.Set(12, 0);
  mask.Set(3, -7);
  mask.Set(9, 0);
  const EventMask copy(mask);
  for (int i = 0; i < EventMask::kFlagCount; ++i) {
    EXPECT_EQ(i == 12 || i == 9 ? 0 : i == 3 ? -7 : 1, mask.Get(i)) << i;
    EXPECT_EQ(mask.Get(i), copy.Get(i)) << i;
  }
  // Index 12 is the flag of OnQuit and of no other event; index 9 belongs to no event.
  int events = 0;
  for (const EventInfo& e : kEventCatalog) {
    EXPECT_NE(9, e.maskIndex) << e.name;
    if (e.maskIndex == 12) {
      ++events;
      EXPECT_STREQ("OnQuit", e.name);
    }
  }
  EXPECT_EQ(1, events);
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

// Mask indexes are the slot, then the slot plus one past nine; the grid fills three columns
// in slot order: column 1 slots 0-11, column 2 slots 12-23, column 3 slots 24-31, row by row.
TEST(EventCatalog, MaskIndexesSkipNineAndTheGridFillsThreeColumnsInSlotOrder) {
  for (size_t slot = 0; slot < kEventCount; ++slot) {
    SCOPED_TRACE(kEventCatalog[slot].name);
    EXPECT_EQ(static_cast<int>(slot < 9 ? slot : slot + 1), kEventCatalog[slot].maskIndex);
    EXPECT_EQ(slot < 12 ? 1 : slot < 24 ? 2 : 3, kEventCatalog[slot].column);
    EXPECT_EQ(static_cast<int>(slot % 12) + 1, kEventCatalog[slot].row);
  }
  EXPECT_EQ(10, kEventCatalog[kNavigateComplete2].maskIndex);
  EXPECT_EQ(1013, kEventCatalog[kNavigateComplete2].checkBoxId);
  // OnQuit's box, id 1025, is twelfth in column 1, between 1014 and the first of column 2.
  EXPECT_EQ(1014, kEventCatalog[kOnQuit - 1].checkBoxId);
  EXPECT_EQ(1025, kEventCatalog[kOnQuit].checkBoxId);
  EXPECT_EQ(1015, kEventCatalog[kOnQuit + 1].checkBoxId);
}
