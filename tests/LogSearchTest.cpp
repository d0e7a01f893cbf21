// Finding and filtering an event log's rows with no window: the text search over code page
// 932 bytes, the filter's index of shown rows, and find over the shown rows.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/EventRowStore.h"
#include "log/ClearOfRow.h"
#include "log/LogFind.h"
#include "log/LogTextSearch.h"
#include "log/RowFilter.h"

namespace {

const char kDocumentComplete[] = "DIID_DWebBrowserEvents2::DocumentComplete";
const char kStatusTextChange[] = "DIID_DWebBrowserEvents2::StatusTextChange";

// Letters match whatever their case; a match starts only on a character, so a trail byte
// that has the value of a backslash is no backslash (ソ is 0x83 0x5C, ャ is 0x83 0x83).
TEST(LogTextSearchTest, MatchesWholeCharactersWhateverTheCaseOfLetters) {
  const struct {
    const char *text, *wanted;
    bool found;
  } cases[] = {{"URL:http://Example.com/", "EXAMPLE.com", true},  {"Text:\x83\x5C", "\\", false},
               {"Text:C:\\dir \x83\x5C", "\\", true},             {"Text:01 \x83\x83\x83\x5C end", "\\", false},
               {"Text:01 \x83\x83\\ The Far End", "\\", true},     {"Text:01 \x83\x83\\ End", "\x83\x5C", false},
               {"Text:01 \x83\x83\x83\x5C end", "\x83\x5C", true}, {"Text:the far END", "THE FAR end", true},
               {"short", "longer than the text", false}};
  for (const auto& c : cases)
    EXPECT_EQ(c.found, LogTextSearch(c.wanted).FoundIn(c.text, std::strlen(c.text))) << c.text << " / " << c.wanted;
}

// A long run of lead bytes, every one a candidate: telling characters from trail bytes looks
// at each byte of the run about once, not once per candidate.
TEST(LogTextSearchTest, ALongRunOfLeadBytesIsLookedAtOnce) {
  const LogTextSearch search("\x83\x5C");
  for (size_t run : {200000u, 200001u}) {
    const std::string text = std::string(run, '\x83') + "\x5C";
    size_t lookedBack = 0;
    // With an odd run, the last 0x83 starts a character: ソ; with an even one it is a trail.
    EXPECT_EQ(run % 2 == 1, search.FoundIn(text.data(), text.size(), &lookedBack)) << run;
    EXPECT_LE(lookedBack, text.size()) << run;
  }
}

class LogRowsTest : public ::testing::Test {
 protected:
  // Rows 1-6, a second apart from 12:00:01: a message row, two page loads, three status texts.
  void SetUp() override {
    Add("", "イベントの記録を開始しました。");
    Add(kDocumentComplete, "URL:http://a.example/");
    Add(kStatusTextChange, "Text:読み込み中");
    Add(kDocumentComplete, "URL:http://b.example/");
    Add(kStatusTextChange, "Text:完了 b.example");
    Add(kStatusTextChange, "Text:");
  }
  void Add(const char* name, const char* text) {
    const SYSTEMTIME time = {0, 0, 0, 0, 12, 0, static_cast<WORD>(m_rows.Count() + 1), 0};
    m_rows.Append(static_cast<long>(m_rows.Count() + 1), time, name, text, name[0] ? 0 : 1);
    m_filter.Appended(m_rows, m_rows.Count() - 1);
  }
  std::vector<int> Shown() const {
    std::vector<int> numbers;
    for (size_t item = 0; item < m_filter.ShownCount(m_rows); ++item)
      numbers.push_back(m_rows.Number(m_filter.RowAt(item)));
    return numbers;
  }

  EventRowStore m_rows;
  RowFilter m_filter;
};

using Rows = std::vector<int>;

// By event, by text in any column (as find matches it) and by both; rows appended later show
// when they match, also of an event first seen after the filter was applied.
TEST_F(LogRowsTest, AFilterShowsTheMatchingRowsAndTakesInMatchingNewOnes) {
  const struct {
    bool byName;
    std::vector<std::string> names;
    const char* text;
    Rows shown;
  } cases[] = {
      {true, {kDocumentComplete}, "", {2, 4}},
      {false, {}, "B.EXAMPLE", {4, 5}},
      {false, {}, "読み", {3}},
      {false, {}, "documentcomplete", {2, 4}},  // the event name column
      {false, {}, "00000005", {5}},             // the number column
      {false, {}, "12:00:03", {3}},             // the time column
      {false, {}, "12:00:03.000", {}},          // not while times show seconds only
      {true, {kStatusTextChange, ""}, "", {1, 3, 5, 6}},  // message rows have no name
      {true, {kStatusTextChange}, "example", {5}},
      {true, {}, "", {}},
  };
  for (const auto& c : cases) {
    m_filter.Apply(m_rows, c.byName, c.names, c.text);
    EXPECT_EQ(c.shown, Shown()) << c.text;
  }
  m_rows.SetTimeWithMilliseconds(true);
  m_filter.Apply(m_rows, false, {}, "12:00:03.000");
  EXPECT_EQ(Rows({3}), Shown());

  m_filter.Apply(m_rows, false, {}, "example");
  Add(kStatusTextChange, "Text:nothing");
  Add("DIID_DWebBrowserEvents2::NavigateComplete2", "URL:http://c.example/");
  EXPECT_EQ(Rows({2, 4, 5, 8}), Shown()) << "an event first seen under the filter";
  // A stored row's shown position, or -1 for a hidden row: a selection kept by its row never
  // passes to the next shown row.
  const long expected[] = {0, -1, 1, 2, -1, -1, 3};
  for (size_t row = 1; row < 8; ++row) EXPECT_EQ(expected[row - 1], m_filter.ItemOf(row)) << row;
  m_filter.Off();
  EXPECT_EQ(8u, m_filter.ShownCount(m_rows));
  EXPECT_EQ(2, m_filter.ItemOf(2));
}

// Find goes round the shown rows from a start; with none, forward starts at the first row and
// backward at the last.
TEST_F(LogRowsTest, FindGoesRoundTheShownRowsFromTheStartInEitherDirection) {
  const struct {
    const char* text;
    long from;
    bool forward;
    long found;
    bool wentRound;
  } cases[] = {{"example", -1, true, 1, false}, {"text:", -1, false, 5, false}, {"example", 1, true, 3, false},
               {"example", 4, true, 1, true},   {"example", 1, false, 4, true}, {"example", 3, false, 1, false},
               {"12:00:0", 5, true, 0, true},   {"読み", 2, true, 2, true},     {"nowhere", -1, true, -1, false},
               {"", -1, true, -1, false}};
  for (const auto& c : cases) {
    const long found = FindShownRow(m_rows, m_filter, c.text, c.from, c.forward);
    EXPECT_EQ(c.found, found) << c.text << " " << c.from;
    EXPECT_EQ(c.wentRound, FindWentRound(c.from, found, c.forward)) << c.text << " " << c.from;
  }
  m_filter.Apply(m_rows, true, {kDocumentComplete}, "");
  EXPECT_EQ(-1, FindShownRow(m_rows, m_filter, "読み込み", -1, true)) << "a hidden row is not found";
  EXPECT_EQ(1, FindShownRow(m_rows, m_filter, "b.example", -1, true)) << "row 4, shown second";
  EXPECT_EQ(0, FindShownRow(m_rows, m_filter, "example", 1, true)) << "wraps over the shown rows";
}

// The find dialog moves off the row found: below it where it fits, else above, else to the
// side with more room inside the work area; it stays put when it covers no part of the row.
TEST(ClearOfRowTest, AWindowOverTheRowMovesBelowItOrAboveIt) {
  const RECT work = {0, 0, 1000, 700};
  const RECT row = {0, 300, 800, 320};
  const struct {
    RECT window, row;
    LONG top;
  } cases[] = {
      {{100, 400, 400, 500}, row, 400},                  // below the row: left alone
      {{900, 250, 990, 350}, row, 250},                  // beside the row: left alone
      {{100, 250, 400, 350}, row, 328},                  // over it: just below, with a gap
      {{100, 550, 400, 650}, {0, 600, 800, 620}, 492},   // no room below: just above
      {{100, 250, 400, 650}, row, 300},                  // room on neither side: the larger one
  };
  for (const auto& c : cases) {
    const POINT placed = PlaceClearOfRow(c.window, c.row, work);
    EXPECT_EQ(c.window.left, placed.x);
    EXPECT_EQ(c.top, placed.y) << c.window.top;
  }
}

}  // namespace
