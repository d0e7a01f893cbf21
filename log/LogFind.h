#pragma once
// Find in an event log, with no window: the next (or previous) shown row that holds a text
// in any column, counted from a start position and wrapping round the shown rows.
#include <string>

#include "log/EventRowStore.h"
#include "log/RowFilter.h"

// The shown position of the first shown row after (`forward`) or before `from` that holds
// `text`, going round the shown rows and coming back to `from` last; -1 when none does or
// the text is empty. `from` is a shown position, or -1 for none: forward then starts at the
// first shown row, backward at the last.
long FindShownRow(const EventRowStore& rows, const RowFilter& shown, const std::string& text, long from,
                  bool forward);

// Whether a find that started from shown position `from` (-1: none) and landed on `found`
// went round the end (forward) or the start (backward) of the shown rows to get there.
bool FindWentRound(long from, long found, bool forward);
