// The program's command line read without a window: every switch, the framework's handling
// of file names and its own switches, refusals with what they name, and the matching of a
// browser's caption or URL against the texts asked for, in the Japanese code page.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "commandline/BrowserTextMatch.h"
#include "commandline/OrmixCommandLine.h"
#include "commandline/RunOutcome.h"
#include "events/EventCatalog.h"

namespace {

using Problem = COrmixCommandLine::Problem;

TEST(CommandLineTest, ReadsEverySwitchBesideADocument) {
  COrmixCommandLine line;
  ASSERT_TRUE(line.Parse({"/watch", "Alpha", "-WATCH", "/path/page", "/Embedded", "Host", "/wait", "5", "/events",
                          "TitleChange,onquit", "/journal", "C:\\logs", "/Trace", "D:\\トレース", "/csv", "/ms",
                          "/exit-when-done", "/minimized", "doc.ormix"}));
  EXPECT_EQ((std::vector<std::string>{"Alpha", "/path/page"}), line.WatchTexts());
  EXPECT_EQ(std::vector<std::string>{"Host"}, line.EmbeddedTexts());
  EXPECT_EQ(5u, line.WaitSeconds());
  for (const EventInfo& event : kEventCatalog)
    EXPECT_EQ(event.dispid == DISPID_TITLECHANGE || event.dispid == DISPID_ONQUIT ? 1 : 0,
              line.Events().Get(event.maskIndex))
        << event.name;
  EXPECT_EQ("C:\\logs", line.JournalFolder());
  EXPECT_EQ("D:\\トレース", line.TraceFolder());
  EXPECT_TRUE(line.SaveAsCsv() && line.TimeWithMilliseconds() && line.ExitWhenDone() && line.StartMinimized());
  EXPECT_TRUE(line.UsesOwnSwitches() && line.WatchesBrowsers());
  EXPECT_EQ(CCommandLineInfo::FileOpen, line.m_nShellCommand);
  EXPECT_EQ("doc.ormix", line.m_strFileName);
}

TEST(CommandLineTest, WithoutOwnSwitchesItIsTheFrameworksCommandLine) {
  const struct {
    std::vector<std::string> args;
    CCommandLineInfo::ShellCommand command;
    const char* file;
  } cases[] = {
      {{}, CCommandLineInfo::FileNew, ""},
      {{"a.ormix"}, CCommandLineInfo::FileOpen, "a.ormix"},
      {{"/dde", "a.ormix", "b.ormix"}, CCommandLineInfo::FileOpen, "a.ormix"},
      {{"-Embedding"}, CCommandLineInfo::FileNew, ""},
      // Without the program's own switches, a switch it does not know is ignored.
      {{"/bogus", "a.ormix"}, CCommandLineInfo::FileOpen, "a.ormix"},
      {{"-x"}, CCommandLineInfo::FileNew, ""},
  };
  for (const auto& c : cases) {
    COrmixCommandLine line;
    ASSERT_TRUE(line.Parse(c.args)) << line.ProblemSwitch();
    EXPECT_EQ(c.command, line.m_nShellCommand);
    EXPECT_EQ(c.file, line.m_strFileName);
    EXPECT_FALSE(line.UsesOwnSwitches() || line.WatchesBrowsers() || line.ExitWhenDone());
    EXPECT_EQ(COrmixCommandLine::kDefaultWaitSeconds, line.WaitSeconds());
    for (const EventInfo& event : kEventCatalog) EXPECT_NE(0, line.Events().Get(event.maskIndex)) << event.name;
  }
}

TEST(CommandLineTest, RefusesWhatItCannotUnderstandAndNamesIt) {
  const struct {
    std::vector<std::string> args;
    Problem problem;
    const char* named;
    bool exitWhenDone;
  } cases[] = {
      {{"/bogus", "/csv"}, Problem::UnknownSwitch, "/bogus", false},
      {{"/ms", "/bogus", "-y"}, Problem::UnknownSwitch, "/bogus", false},
      {{"a.ormix", "-x", "/exit-when-done"}, Problem::UnknownSwitch, "-x", true},
      {{"/exit-when-done", "/watch"}, Problem::MissingArgument, "/watch", true},
      {{"/embedded"}, Problem::MissingArgument, "/embedded", false},
      {{"/wait", "soon"}, Problem::BadArgument, "/wait soon", false},
      {{"/wait", "-1"}, Problem::BadArgument, "/wait -1", false},
      {{"/wait", "99999999999"}, Problem::BadArgument, "/wait 99999999999", false},
      {{"/events", "TitleChange,Nothing"}, Problem::BadArgument, "/events TitleChange,Nothing", false},
      {{"/events", "TitleChange,"}, Problem::BadArgument, "/events TitleChange,", false},
      {{"/journal"}, Problem::MissingArgument, "/journal", false},
      {{"/trace"}, Problem::MissingArgument, "/trace", false},
      {{"/trace", ""}, Problem::BadArgument, "/trace \"\"", false},
  };
  for (const auto& c : cases) {
    COrmixCommandLine line;
    EXPECT_FALSE(line.Parse(c.args)) << c.named;
    EXPECT_EQ(c.problem, line.ProblemKind()) << c.named;
    EXPECT_EQ(c.named, line.ProblemSwitch());
    EXPECT_EQ(c.exitWhenDone, line.ExitWhenDone()) << c.named;
  }
}

// The exit code of a run, and the line saying why whenever it is not 0.
TEST(CommandLineTest, TheRunsOutcomeFollowsWhatItWasAskedAndWhatHappened) {
  const struct {
    std::vector<std::string> args;
    RunFacts facts;
    int exitCode;
    const char* said;  // a part of the reason; "" for none
  } cases[] = {
      {{}, {}, 0, ""},
      {{}, {5, false, false, false}, 5, ""},
      {{"/watch", "x", "/wait", "7"}, {0, false, false, false}, kExitNothingMatched, "7 秒待ちましたが"},
      {{"/watch", "x"}, {0, false, true, false}, kExitWatched, ""},
      {{"/watch", "x", "/journal", "Q:\\logs"}, {0, true, true, false}, kExitJournalFailed, "Q:\\logs"},
      // /journal alone: a journal that could not be written is still the exit code.
      {{"/journal", "Q:\\logs"}, {0, true, false, false}, kExitJournalFailed, "Q:\\logs"},
      {{"/journal", "C:\\logs"}, {0, false, false, false}, kExitWatched, ""},
      // A trace that could not be written counts as a journal that could not.
      {{"/watch", "x", "/trace", "Q:\\traces"}, {0, false, true, false, true}, kExitJournalFailed, "トレースをフォルダー Q:\\traces"},
      // /exit-when-done with nothing to look for ends, as nothing matched, when its wait does;
      // closed by hand before that, it went as asked.
      {{"/exit-when-done", "/wait", "2"}, {0, false, false, true}, kExitNothingMatched, "2 秒"},
      {{"/exit-when-done"}, {0, false, false, false}, kExitWatched, ""},
  };
  for (const auto& c : cases) {
    COrmixCommandLine line;
    ASSERT_TRUE(line.Parse(c.args));
    const RunOutcome outcome = OutcomeOfRun(line, c.facts);
    EXPECT_EQ(c.exitCode, outcome.exitCode) << c.args.size();
    EXPECT_EQ(outcome.exitCode == 0 || c.facts.loopCode != 0, outcome.reason.empty()) << outcome.reason;
    EXPECT_NE(std::string::npos, outcome.reason.find(c.said)) << outcome.reason;
  }
}

TEST(BrowserTextMatchTest, FindsTextIgnoringCaseOfWholeCharactersOnly) {
  const struct {
    const char* text;
    const char* part;
    bool found;
  } cases[] = {
      {"Alpha Page", "alpha", true},
      {"http://Example.COM/path", "example.com/", true},
      {"abc", "", true},
      {"ab", "abc", false},
      {"日本語のページ", "ページ", true},
      {"ページ", "ペ－ジ", false},
      // "ア" is 0x83 0x41: its second byte is not an "a".
      {"ア", "a", false},
      // "ソ" is 0x83 0x5C: its second byte is not a backslash.
      {"ソフト", "\\", false},
      // A part that begins with a second byte's value matches only a whole character.
      {"ソA", "\\A", false},
      {"C:\\ソフト", "c:\\", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.found, ContainsIgnoringCase(c.text, c.part)) << c.text << " / " << c.part;

  EXPECT_TRUE(IsWantedBrowser("Other", "http://target.example/", {"nothing", "TARGET"}));
  EXPECT_TRUE(IsWantedBrowser("ログイン", "", {"ログ"}));
  EXPECT_FALSE(IsWantedBrowser("Other", "http://target.example/", {"alpha"}));
  EXPECT_FALSE(IsWantedBrowser("Other", "http://target.example/", {}));
}

}  // namespace
