#include "CpuUse.h"

#include "Clock.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>

namespace bench {

namespace {

// Linux counts CPU time in clock ticks of 1/100 s for every program (USER_HZ).
constexpr double kMsPerTick = 10.0;

std::string WindowThreadLabel(const std::string& label) { return label + "'s window thread"; }

// A file of /proc, whole (its size reads as 0, so it is read until its end).
std::string ReadProcFile(const std::string& path) {
  const HANDLE file = CreateFileA(("Z:" + path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return text;
}

// A /proc/PID/stat line: its name, and user plus system time in ticks. The name is in
// parentheses and may hold spaces; the times are the 12th and 13th fields after it.
bool ParseStat(const std::string& line, std::string* name, double* ticks) {
  const size_t open = line.find('(');
  const size_t close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  *name = line.substr(open + 1, close - open - 1);
  const char* p = line.c_str() + close + 1;
  char* end = nullptr;
  double values[13] = {};
  for (double& value : values) {
    while (*p == ' ') ++p;
    if (std::isalpha(static_cast<unsigned char>(*p))) {  // the state letter
      ++p;
      value = 0;
      continue;
    }
    value = std::strtod(p, &end);
    if (end == p) return false;
    p = end;
  }
  *ticks = values[11] + values[12];
  return true;
}

}  // namespace

CpuUse::CpuUse(std::vector<Process> processes) : m_processes(std::move(processes)) {}

std::vector<std::string> CpuUse::Labels() const {
  std::vector<std::string> labels;
  for (const Process& process : m_processes) {
    if (std::find(labels.begin(), labels.end(), process.label) == labels.end()) labels.push_back(process.label);
    if (process.windowThreadApart) labels.push_back(WindowThreadLabel(process.label));
  }
  return labels;
}

CpuUse::Snapshot CpuUse::Take() const {
  Snapshot snapshot;
  snapshot.wallMs = NowMs();
  // The first line of /proc/stat: every core's ticks by kind; idle and waiting for I/O are
  // the fourth and fifth.
  const std::string stat = ReadProcFile("/proc/stat");
  if (stat.compare(0, 4, "cpu ") == 0) {
    const char* p = stat.c_str() + 4;
    char* end = nullptr;
    for (int field = 0; field < 8; ++field) {
      const double value = std::strtod(p, &end);
      if (end == p) break;
      p = end;
      if (field != 3 && field != 4) snapshot.machineBusyMs += value * kMsPerTick;
    }
  }
  WIN32_FIND_DATAA found = {};
  const HANDLE find = FindFirstFileA("Z:\\proc\\*", &found);
  if (find == INVALID_HANDLE_VALUE) return snapshot;
  do {
    const char* pid = found.cFileName;
    if (!*pid || std::strspn(pid, "0123456789") != std::strlen(pid)) continue;
    std::string name;
    double ticks = 0;
    if (!ParseStat(ReadProcFile(std::string("/proc/") + pid + "/stat"), &name, &ticks)) continue;
    const auto process = std::find_if(m_processes.begin(), m_processes.end(),
                                      [&](const Process& candidate) { return candidate.name == name; });
    if (process == m_processes.end()) continue;
    snapshot.byLabel[process->label] += ticks * kMsPerTick;
    // The first thread has the process's own id.
    double firstTicks = 0;
    if (process->windowThreadApart &&
        ParseStat(ReadProcFile(std::string("/proc/") + pid + "/task/" + pid + "/stat"), &name, &firstTicks))
      snapshot.windowThreadByLabel[process->label] += firstTicks * kMsPerTick;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return snapshot;
}

void CpuUse::Start() { m_start = Take(); }

std::map<std::string, double> CpuUse::Stop() const {
  const Snapshot now = Take();
  const auto at = [](const std::map<std::string, double>& times, const std::string& key) {
    const auto it = times.find(key);
    return it == times.end() ? 0.0 : it->second;
  };
  std::map<std::string, double> used;
  double named = 0;
  for (const Process& process : m_processes) {
    // A process that started or ended meanwhile counts what it used while seen.
    const auto since = [&](std::map<std::string, double> Snapshot::*times) {
      return std::max(0.0, at(now.*times, process.label) - at(m_start.*times, process.label));
    };
    if (!used.count(process.label)) {  // processes of one label were added up when taken
      used[process.label] = since(&Snapshot::byLabel);
      named += used[process.label];
    }
    if (process.windowThreadApart) used[WindowThreadLabel(process.label)] = since(&Snapshot::windowThreadByLabel);
  }
  used["machine busy"] = now.machineBusyMs - m_start.machineBusyMs;
  used["everything else"] = std::max(0.0, used["machine busy"] - named);
  used["wall"] = now.wallMs - m_start.wallMs;
  return used;
}

std::string CpuUse::Describe(const std::map<std::string, double>& used, long events) const {
  std::string text;
  char part[160];
  std::vector<std::string> labels = Labels();
  labels.push_back("everything else");
  for (const std::string& label : labels) {
    const auto it = used.find(label);
    if (it == used.end() || events <= 0) continue;
    std::snprintf(part, sizeof(part), "%s%s %.3f", text.empty() ? "" : ", ", label.c_str(), it->second / events);
    text += part;
  }
  const auto wall = used.find("wall");
  const auto busy = used.find("machine busy");
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  if (wall != used.end() && busy != used.end() && wall->second > 0) {
    std::snprintf(part, sizeof(part), "; machine busy %.2f of %lu cores", busy->second / wall->second,
                  static_cast<unsigned long>(system.dwNumberOfProcessors));
    text += part;
  }
  return text;
}

}  // namespace bench
