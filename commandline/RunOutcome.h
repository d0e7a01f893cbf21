#pragma once
// How a run that used the program's own switches ended, as its exit code and, for a run that
// did not go as asked, one line saying why (for the standard error stream, in the program's
// code page). Window-free: the start-up code gathers the facts, this decides.
#include <string>

#include "commandline/OrmixCommandLine.h"

// Exit codes of a run that used the program's own switches (0 otherwise, as always).
enum RunExitCode {
  kExitWatched = 0,         // it went as asked: a browser was watched, or none was asked for
  kExitNothingMatched = 2,  // no browser was watched within the wait
  kExitJournalFailed = 3,   // a journal (or a trace) could not be written
  kExitBadCommandLine = 4,  // a switch could not be understood
};

struct RunFacts {
  int loopCode = 0;           // the message loop's own exit code
  bool journalFailed = false; // a journal of /journal could not be written
  bool watchedAny = false;    // a tab was opened on a browser the command line asked for
  bool waitRanOut = false;    // /exit-when-done without browsers to look for: the wait ended the run
  bool traceFailed = false;   // a trace of /trace could not be written
};

struct RunOutcome {
  int exitCode = 0;
  std::string reason;  // empty when the exit code is 0
};

RunOutcome OutcomeOfRun(const COrmixCommandLine& commandLine, const RunFacts& facts);
