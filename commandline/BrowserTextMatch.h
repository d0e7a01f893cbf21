#pragma once
// Whether a browser is one the command line asks for: its caption (as the selection dialog
// lists it) or its page's URL holds one of the texts, ignoring the case of single-byte
// letters. Text is in the system code page: a double-byte character is compared whole and a
// match begins only where a character begins, so the second byte of one character (which
// may look like a letter) never matches on its own.
#include <string>
#include <vector>

// Whether `text` holds `part` (an empty part is in every text).
bool ContainsIgnoringCase(const std::string& text, const std::string& part);

// Whether `caption` or `url` holds any of `wanted`.
bool IsWantedBrowser(const std::string& caption, const std::string& url, const std::vector<std::string>& wanted);
