#include "commandline/RunOutcome.h"

#include <cstdio>

namespace {

const char kNothingMatched[] = "Ormix: %u 秒待ちましたが、記録するブラウザーはありませんでした。";
const char kJournalFailed[] = "Ormix: ジャーナルをフォルダー %s に書き込めませんでした。";
const char kTraceFailed[] = "Ormix: トレースをフォルダー %s に書き込めませんでした。";

}  // namespace

RunOutcome OutcomeOfRun(const COrmixCommandLine& commandLine, const RunFacts& facts) {
  if (!commandLine.UsesOwnSwitches() || facts.loopCode != 0) return {facts.loopCode, ""};
  char line[1024];
  if (facts.journalFailed) {
    std::snprintf(line, sizeof(line), kJournalFailed, commandLine.JournalFolder().c_str());
    return {kExitJournalFailed, line};
  }
  // A trace that could not be written counts as a journal that could not.
  if (facts.traceFailed) {
    std::snprintf(line, sizeof(line), kTraceFailed, commandLine.TraceFolder().c_str());
    return {kExitJournalFailed, line};
  }
  const bool nothingWatched =
      commandLine.WatchesBrowsers() ? !facts.watchedAny : commandLine.ExitWhenDone() && facts.waitRanOut;
  if (nothingWatched) {
    std::snprintf(line, sizeof(line), kNothingMatched, commandLine.WaitSeconds());
    return {kExitNothingMatched, line};
  }
  return {kExitWatched, ""};
}
