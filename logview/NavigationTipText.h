#pragma once
// The tool tip of a navigation's bar in the waterfall, with no window: its URL, when it began,
// completed and ended (in ms from the log's first row, with the time each phase took) and
// how it ended.
#include <cstdint>
#include <string>

#include "log/NavigationIndex.h"

std::string NavigationTipText(const NavigationIndex& index, uint32_t navigation);
