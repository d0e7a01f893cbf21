// Find over long runs of double-byte text whose trail bytes have lead-byte values (ャ is
// 0x83 0x83): every byte of such a run is a candidate for a text that starts with 0x83. Prints
// the time per search for runs of growing length; a linear search grows with the run, a
// quadratic one with its square.
#include <windows.h>

#include <cstdio>
#include <string>

#include "log/LogTextSearch.h"

int main() {
  const LogTextSearch search("\x83\x5C");  // ソ, which the run never holds
  std::printf("%-24s %12s %14s\n", "run of 0x83 (bytes)", "ms/search", "ns/byte");
  for (size_t run : {10000u, 40000u, 160000u, 640000u}) {
    const std::string text = "Text:" + std::string(run, '\x83') + "\\";
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    int searches = 0;
    bool found = false;
    ::QueryPerformanceCounter(&start);
    do {
      found = search.FoundIn(text.data(), text.size()) || found;
      ++searches;
      ::QueryPerformanceCounter(&end);
    } while (end.QuadPart - start.QuadPart < frequency.QuadPart / 2 && searches < 1000);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / searches;
    std::printf("%-24zu %12.3f %14.2f%s\n", run, ms, ms * 1e6 / static_cast<double>(run), found ? " (found?)" : "");
  }
  return 0;
}
