#include "log/JournalFileName.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsForbiddenInFileName(unsigned char c) { return c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr; }

}  // namespace

std::string SafeFileTitle(const std::string& title, size_t maxBytes) {
  std::string safe;
  for (size_t i = 0; i < title.size() && title[i] != '\0';) {
    const unsigned char c = static_cast<unsigned char>(title[i]);
    // The second byte of a double-byte character may well be 0x5C or 0x7C: it is kept.
    const size_t length = ::IsDBCSLeadByte(c) && i + 1 < title.size() && title[i + 1] != '\0' ? 2 : 1;
    if (safe.size() + length > maxBytes) break;
    if (length == 1 && IsForbiddenInFileName(c))
      safe += '_';
    else
      safe.append(title, i, length);
    i += length;
  }
  // Windows drops trailing dots and spaces from a name, which would make it another file's.
  while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
  return safe;
}

namespace {

std::string StampedFileName(const SYSTEMTIME& opened, const std::string& title, const char* extension) {
  char stamp[32];
  std::snprintf(stamp, sizeof(stamp), "%04u%02u%02u-%02u%02u%02u", opened.wYear, opened.wMonth, opened.wDay,
                opened.wHour, opened.wMinute, opened.wSecond);
  std::string name = stamp;
  const std::string safe = SafeFileTitle(title);
  if (!safe.empty()) name += " " + safe;
  return name + extension;
}

}  // namespace

std::string JournalFileName(const SYSTEMTIME& opened, const std::string& title, bool csv) {
  return StampedFileName(opened, title, csv ? ".csv" : ".txt");
}

std::string TraceFileName(const SYSTEMTIME& opened, const std::string& title) {
  return StampedFileName(opened, title, ".json");
}
