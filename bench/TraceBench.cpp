// The trace of a long log against saving it as text, and what the navigation index costs per
// row. A log of N rows (1,000,000 unless given) with a navigation every 100 rows (a page with
// one frame every 200 rows, as a browser loads it: 10,000 navigations in a million rows) is
// stored once; then:
//   - the index is fed every stored row again, into a new index, three times: ns per row;
//   - the log is saved as plain text and written as a trace, alternately, five times each,
//     into the temporary folder: the medians, their ratio, the files' sizes.
// Figures are printed, never judged. Usage: trace_bench.exe [ROWS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/NavigationLogMix.h"
#include "log/EventRowStore.h"
#include "log/LogFileWriter.h"
#include "log/NavigationIndex.h"
#include "log/SavedLogLines.h"
#include "log/TraceExport.h"

namespace {

double Seconds() {
  LARGE_INTEGER frequency, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void FillLog(EventRowStore& rows, size_t count) {
  ForEachNavigationLogRow(count, [&rows](size_t i, const NavigationLogRow& row) {
    rows.Append(static_cast<long>(i + 1), NavigationLogTime(i), row.name, row.text, 0, row.origin, row.frameLabel);
  });
}

std::string TempPath(const char* name) {
  char folder[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  EventRowStore rows;
  double start = Seconds();
  FillLog(rows, count);
  const double storeSeconds = Seconds() - start;

  std::vector<double> perRow;
  size_t navigations = 0;
  for (int round = 0; round < 3; ++round) {
    NavigationIndex index(rows);
    start = Seconds();
    for (size_t row = 0; row < rows.Count(); ++row) index.Add(row);
    perRow.push_back((Seconds() - start) * 1e9 / static_cast<double>(count));
    navigations = index.NavigationCount();
  }
  NavigationIndex index(rows);
  for (size_t row = 0; row < rows.Count(); ++row) index.Add(row);

  const std::string textPath = TempPath("ormix-bench-log.txt");
  const std::string tracePath = TempPath("ormix-bench-trace.json");
  std::vector<double> text, trace;
  bool written = true;
  for (int round = 0; round < 5; ++round) {
    start = Seconds();
    written = WriteLogFile(textPath.c_str(), SavedLogLines(rows, false)).written && written;
    text.push_back(Seconds() - start);
    start = Seconds();
    written = WriteLogFile(tracePath.c_str(), TraceLines(rows, index, "ベンチマーク", 1)).written && written;
    trace.push_back(Seconds() - start);
  }
  std::printf("rows %zu, navigations %zu, tracks %zu%s\n", count, navigations, index.TrackCount(),
              written ? "" : " (a file was not written)");
  std::printf("storing the rows: %.0f ns per row\n", storeSeconds * 1e9 / static_cast<double>(count));
  std::printf("navigation index: %.0f ns per row (median of 3; %.0f / %.0f / %.0f)\n", Median(perRow), perRow[0],
              perRow[1], perRow[2]);
  std::printf("save as text: %.3f s (median of 5), %lld bytes\n", Median(text), FileSize(textPath));
  std::printf("trace:        %.3f s (median of 5), %lld bytes\n", Median(trace), FileSize(tracePath));
  std::printf("trace / text: %.2f\n", Median(trace) / Median(text));
  ::DeleteFileA(textPath.c_str());
  ::DeleteFileA(tracePath.c_str());
  return 0;
}
