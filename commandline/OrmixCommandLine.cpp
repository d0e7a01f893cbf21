#include "commandline/OrmixCommandLine.h"

#include <windows.h>

#include <climits>
#include <cstdlib>

#include "events/EventCatalog.h"

namespace {

// The framework's own switches: handed to it as they always were.
const char* const kFrameworkSwitches[] = {"p",        "pt",        "dde",      "Automation", "Embedding",
                                          "Register", "Regserver", "Unregister", "Unregserver"};

// The longest wait a number may ask for: about a day, far from any overflow.
constexpr unsigned long kMaxWaitSeconds = 86400;

bool SameName(const std::string& a, const char* b) { return ::lstrcmpiA(a.c_str(), b) == 0; }

// As the framework tells a switch from a file name.
bool IsSwitch(const std::string& arg) { return !arg.empty() && (arg[0] == '/' || arg[0] == '-'); }

}  // namespace

bool COrmixCommandLine::Fail(Problem problem, const std::string& written) {
  m_problem = problem;
  m_problemSwitch = written;
  return false;
}

bool COrmixCommandLine::Parse(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!IsSwitch(arg)) {
      ParseParam(arg.c_str(), false, i + 1 == args.size());
      continue;
    }
    const std::string name = arg.substr(1);
    bool framework = false;
    for (const char* known : kFrameworkSwitches) framework = framework || SameName(name, known);
    if (framework) {
      ParseParam(name.c_str(), true, i + 1 == args.size());
      continue;
    }
    size_t next = i + 1;
    if (ParseOwnSwitch(name, arg, args, &next)) {
      m_ownSwitchUsed = true;
      i = next - 1;
      continue;
    }
    if (m_problem != Problem::None && m_problem != Problem::UnknownSwitch) {
      // Whether anyone is at the screen to be told still counts.
      for (const std::string& any : args)
        if (IsSwitch(any) && SameName(any.substr(1), "exit-when-done")) m_exitWhenDone = true;
      return false;
    }
    // A switch the program does not know is ignored, as the framework ignores one, unless the
    // command line also uses the program's own switches: then it is most likely a typing
    // mistake in a run nobody watches, and carrying on would record the wrong thing.
    if (m_problem == Problem::None) Fail(Problem::UnknownSwitch, arg);
    ParseParam(name.c_str(), true, i + 1 == args.size());
  }
  if (m_problem == Problem::UnknownSwitch && !m_ownSwitchUsed) {
    m_problem = Problem::None;
    m_problemSwitch.clear();
  }
  return m_problem == Problem::None;
}

bool COrmixCommandLine::ParseOwnSwitch(const std::string& name, const std::string& written,
                                       const std::vector<std::string>& args, size_t* next) {
  const bool hasArgument = *next < args.size();
  // A switch that takes an argument takes the next one whatever it looks like: a text to
  // look for may well begin with a slash.
  auto argument = [&](std::string* value) {
    if (!hasArgument) return Fail(Problem::MissingArgument, written);
    *value = args[(*next)++];
    return true;
  };
  std::string value;
  if (SameName(name, "watch") || SameName(name, "embedded")) {
    if (!argument(&value)) return false;
    (SameName(name, "watch") ? m_watchTexts : m_embeddedTexts).push_back(value);
    return true;
  }
  if (SameName(name, "wait")) {
    if (!argument(&value)) return false;
    char* end = nullptr;
    const unsigned long seconds = value.empty() || value[0] == '-' ? ULONG_MAX : std::strtoul(value.c_str(), &end, 10);
    if (seconds > kMaxWaitSeconds || !end || *end) return Fail(Problem::BadArgument, written + " " + value);
    m_waitSeconds = static_cast<unsigned>(seconds);
    return true;
  }
  if (SameName(name, "events")) {
    if (!argument(&value)) return false;
    return ParseEvents(value) || Fail(Problem::BadArgument, written + " " + value);
  }
  if (SameName(name, "journal") || SameName(name, "trace")) {
    if (!argument(&value)) return false;
    if (value.empty()) return Fail(Problem::BadArgument, written + " \"\"");
    (SameName(name, "journal") ? m_journalFolder : m_traceFolder) = value;
    return true;
  }
  bool* flag = SameName(name, "csv")              ? &m_saveAsCsv
               : SameName(name, "ms")             ? &m_timeWithMilliseconds
               : SameName(name, "exit-when-done") ? &m_exitWhenDone
               : SameName(name, "minimized")      ? &m_minimized
                                                  : nullptr;
  if (!flag) return false;
  *flag = true;
  return true;
}

bool COrmixCommandLine::ParseEvents(const std::string& names) {
  // Only the events named; the flag that belongs to no event keeps its value.
  for (const EventInfo& event : kEventCatalog) m_events.Set(event.maskIndex, 0);
  bool any = false;
  size_t start = 0;
  for (;;) {
    const size_t comma = names.find(',', start);
    const std::string name = names.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const EventInfo* found = nullptr;
    for (const EventInfo& event : kEventCatalog)
      if (SameName(name, event.name)) found = &event;
    if (!found) return false;
    m_events.Set(found->maskIndex, 1);
    any = true;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return any;
}
