#pragma once
// Where the processors' time went while a burst ran: Linux's own accounting, read through
// Wine's Z: drive. The machine's busy time over every core (/proc/stat), and the CPU time
// of the processes a browser's call passes through, by their Linux name (/proc/PID/stat:
// the simulator, the receiving program, Wine's server, the X server), with a process's
// first thread (a Windows program's window thread) apart from the rest of it.
//
// Processes are told apart by name only: the figures are meant for a machine that runs
// nothing else of the same name meanwhile ("everything else" shows what else did run).
#include <map>
#include <string>
#include <vector>

namespace bench {

class CpuUse {
 public:
  struct Process {
    std::string name;   // as Linux names it (`ps -o comm`, at most 15 characters)
    std::string label;  // as the figures name it; processes of one label are added up
    bool windowThreadApart = false;  // its first thread is shown on its own too
  };
  explicit CpuUse(std::vector<Process> processes);

  void Start();
  // Since Start, in CPU ms: each label; "LABEL's window thread" for those shown apart;
  // "everything else" what the machine was busy with besides; "machine busy" all of it; and
  // "wall" the time that passed.
  std::map<std::string, double> Stop() const;

  // One line: each figure per event (ms of CPU) in the order the processes were given, and
  // the machine's busy cores.
  std::string Describe(const std::map<std::string, double>& used, long events) const;

 private:
  struct Snapshot {
    double wallMs = 0;
    double machineBusyMs = 0;
    std::map<std::string, double> byLabel;
    std::map<std::string, double> windowThreadByLabel;  // of the processes shown apart
  };
  Snapshot Take() const;
  std::vector<std::string> Labels() const;

  std::vector<Process> m_processes;
  Snapshot m_start;
};

}  // namespace bench
