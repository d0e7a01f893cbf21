#pragma once
// The name of a tab's journal file, with no window: the time the tab opened and the browser's
// title, as in "20261209-113005 タイトル.txt" (".csv" for comma-separated values); its trace
// file's is the same with ".json". The title is made safe for a file name first.
#include <windows.h>

#include <cstddef>
#include <string>

// `title` with every character a file name cannot hold (control characters and \ / : * ? " < > |)
// replaced by "_", cut to at most `maxBytes` bytes before a character, never inside a
// double-byte one, and without trailing dots or spaces. Empty for a title with nothing left.
std::string SafeFileTitle(const std::string& title, size_t maxBytes = 120);

// "YYYYMMDD-HHMMSS title.ext", or "YYYYMMDD-HHMMSS.ext" when the safe title is empty.
std::string JournalFileName(const SYSTEMTIME& opened, const std::string& title, bool csv);

// As JournalFileName, with ".json".
std::string TraceFileName(const SYSTEMTIME& opened, const std::string& title);
