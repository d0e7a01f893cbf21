#pragma once
// The program's command line: the framework's standard handling (a file name opens a
// document; the framework's own switches keep their meaning) plus the switches for recording
// without anyone at the screen. No window is needed: Parse reads the arguments, and the
// start-up code carries out what they ask. With none of the program's own switches, the
// result is exactly the framework's.
#include <string>
#include <vector>

#include "events/EventMask.h"
#include "framework/CommandLineInfo.h"

class COrmixCommandLine : public CCommandLineInfo {
 public:
  // How long browsers that appear after start-up are still taken, unless /wait says.
  static constexpr unsigned kDefaultWaitSeconds = 30;

  // Why the command line could not be understood.
  enum class Problem { None, UnknownSwitch, MissingArgument, BadArgument };

  // Reads `args` (as SplitCommandLine gives them). A switch the program does not know is
  // ignored, as the framework's standard rules say, unless one of the program's own
  // switches is given too. False when a switch cannot be understood: ProblemKind and
  // ProblemSwitch say which and why (the first such switch), and ExitWhenDone whether
  // anyone is at the screen to be told.
  bool Parse(const std::vector<std::string>& args);

  Problem ProblemKind() const { return m_problem; }
  // The switch as it was written (with its argument, when that was the trouble).
  const std::string& ProblemSwitch() const { return m_problemSwitch; }

  // Whether any of the program's own switches was given.
  bool UsesOwnSwitches() const { return m_ownSwitchUsed; }
  // Whether start-up looks for browsers to watch.
  bool WatchesBrowsers() const { return !m_watchTexts.empty() || !m_embeddedTexts.empty(); }

  // /watch TEXT: browsers of the shell's window list whose caption or URL holds TEXT.
  const std::vector<std::string>& WatchTexts() const { return m_watchTexts; }
  // /embedded TEXT: browser controls embedded in other programs, matched the same way.
  const std::vector<std::string>& EmbeddedTexts() const { return m_embeddedTexts; }
  // /wait SECONDS
  unsigned WaitSeconds() const { return m_waitSeconds; }
  // /events NAME,...: the events to record; every event when not given (as the selection
  // dialog starts with them all checked).
  const EventMask& Events() const { return m_events; }
  // /journal FOLDER ("" when not given).
  const std::string& JournalFolder() const { return m_journalFolder; }
  // /trace FOLDER ("" when not given).
  const std::string& TraceFolder() const { return m_traceFolder; }
  // /csv, /ms: log options for this run only.
  bool SaveAsCsv() const { return m_saveAsCsv; }
  bool TimeWithMilliseconds() const { return m_timeWithMilliseconds; }
  bool ExitWhenDone() const { return m_exitWhenDone; }
  bool StartMinimized() const { return m_minimized; }

 private:
  // Reads one of the program's own switches named `name`, taking its argument from
  // args[*next] and moving *next past it. False when `name` is none of them, or it fails.
  bool ParseOwnSwitch(const std::string& name, const std::string& written, const std::vector<std::string>& args,
                      size_t* next);
  bool ParseEvents(const std::string& names);
  bool Fail(Problem problem, const std::string& written);

  std::vector<std::string> m_watchTexts;
  std::vector<std::string> m_embeddedTexts;
  unsigned m_waitSeconds = kDefaultWaitSeconds;
  EventMask m_events;
  std::string m_journalFolder;
  std::string m_traceFolder;
  bool m_saveAsCsv = false;
  bool m_timeWithMilliseconds = false;
  bool m_exitWhenDone = false;
  bool m_minimized = false;
  bool m_ownSwitchUsed = false;
  Problem m_problem = Problem::None;
  std::string m_problemSwitch;
};
