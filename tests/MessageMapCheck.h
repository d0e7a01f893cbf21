#pragma once
// Checks on a class's own message-map table (not its bases').
#include <set>
#include <tuple>

#include "framework/MessageMap.h"

// The entries of `map` that repeat an earlier (message, code, id) key; 0 for a sound table.
inline int CountDuplicateEntries(const MessageMap* map) {
  std::set<std::tuple<UINT, UINT, UINT>> seen;
  int duplicates = 0;
  for (const MessageEntry* e = map->pEntries; e->pfn; ++e)
    for (UINT id = e->nID; id <= e->nLastID; ++id)
      if (!seen.insert({e->nMessage, e->nCode, id}).second) ++duplicates;
  return duplicates;
}

inline int CountEntries(const MessageMap* map) {
  int count = 0;
  for (const MessageEntry* e = map->pEntries; e->pfn; ++e) ++count;
  return count;
}
