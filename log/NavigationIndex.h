#pragma once
// The navigations of one event log, with no window, kept as its rows are stored: who drew a
// timeline of the log (a trace file, a waterfall) reads them from here instead of scanning
// the rows.
//
// Tracks: track 0 is the page (with every row that names no frame); each frame has a track
// of its own, told by the frame column's text ("フレーム: name or URL", the same for every
// event of one frame), numbered in the order the frames first appear.
//
// A navigation runs on one track from its BeforeNavigate2, through NavigateComplete2, to
// its end: DocumentComplete on that track (completed); a new BeforeNavigate2 on the same
// track, or for a frame's navigation a new BeforeNavigate2 of the page (replaced); a
// NavigateError on that track (failed: the error is also a mark); OnQuit (quit, every open
// navigation at once); or none yet (open). A NavigateComplete2 or DocumentComplete with no
// navigation open on its track (the log began in the middle of one, or it has ended) starts
// nothing.
//
// Times are milliseconds from the log's first row, never going back: rows carry their time
// of day, so a time that goes back by more than half a day is taken as midnight passed (a day
// added), and a smaller step back (the clock set back) as no time passed.
//
// Feeding a row costs a table look-up for its event name, and for a frame's row a look-up of
// its track (about 12 ns a row in all: bench/trace_bench); a navigation takes 48 bytes, and
// nothing is kept per row. The index reads the store it was given, which must outlive it and
// is cleared together with it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "log/EventRowStore.h"

class NavigationIndex {
 public:
  // No row, no navigation, no track.
  static constexpr uint32_t kNone = UINT32_MAX;
  static constexpr uint32_t kPageTrack = 0;

  enum class End : uint8_t { Open, Completed, Replaced, Failed, Quit };
  struct Navigation {
    uint32_t track;
    uint32_t beginRow;     // its BeforeNavigate2
    uint32_t completeRow;  // its NavigateComplete2; kNone before it
    uint32_t endRow;       // the row that ended it (see End); kNone while open
    int64_t beginMs;
    int64_t completeMs;  // -1 without a NavigateComplete2
    int64_t endMs;       // -1 while open
    End end;
  };
  // DownloadBegin to its DownloadComplete (nested pairs count as one span), page level.
  struct Span {
    uint32_t beginRow;
    uint32_t endRow;  // kNone while open
    int64_t beginMs;
    int64_t endMs;  // -1 while open
  };
  enum class MarkKind : uint8_t { NavigateError, NewWindow2 };
  struct Mark {
    MarkKind kind;
    uint32_t track;
    uint32_t row;
    int64_t ms;
  };

  explicit NavigationIndex(const EventRowStore& rows) : m_rows(rows) {}
  NavigationIndex(const NavigationIndex&) = delete;
  NavigationIndex& operator=(const NavigationIndex&) = delete;

  // Takes in the store's newest row; rows come one by one, in order.
  void Add(size_t row);
  void Clear();

  // --- what the index holds
  size_t TrackCount() const { return m_tracks.size(); }
  // "ページ" for the page, the frame column's text for a frame.
  const std::string& TrackLabel(size_t track) const { return m_tracks[track].label; }
  // Navigations in the order they began (so by begin time and begin row).
  size_t NavigationCount() const { return m_navigations.size(); }
  const Navigation& NavigationAt(size_t navigation) const { return m_navigations[navigation]; }
  // The navigations of one track, in order; on a track they never overlap.
  const std::vector<uint32_t>& NavigationsOfTrack(size_t track) const { return m_tracks[track].navigations; }
  const std::vector<Span>& Downloads() const { return m_downloads; }
  const std::vector<Mark>& Marks() const { return m_marks; }

  // --- queries
  // The time of row `row`, in ms from the log's first row; the latest row's for LastMs.
  int64_t MsOfRow(size_t row) const;
  int64_t LastMs() const { return m_lastMs; }
  // The track row `row` belongs to.
  uint32_t TrackOfRow(size_t row) const;
  // The navigation on the row's track that the row falls in (from its BeforeNavigate2 to the
  // row that ended it); kNone when none does.
  uint32_t NavigationOfRow(size_t row) const;
  // The URL it went to: its BeforeNavigate2's "URL:" field.
  std::string Url(size_t navigation) const;
  // The navigation's own rows, in order: its BeforeNavigate2, its NavigateComplete2 when it
  // came, and the DocumentComplete that completed it.
  std::vector<uint32_t> RowsOf(size_t navigation) const;
  // Appends to `out`, in the order they began, the navigations whose time overlaps [fromMs,
  // toMs] (an open one lasts until the latest row, LastMs). Two binary searches bound what is
  // looked at: the navigations that began by `toMs`, from the first one of which some
  // navigation begun no later still ran at `fromMs` (a step function of the latest end so far,
  // kept as navigations end), and the open ones; never every navigation of the log.
  void NavigationsOverlapping(int64_t fromMs, int64_t toMs, std::vector<uint32_t>& out) const;

 private:
  // What a row's event name means to the index.
  enum class Kind : uint8_t {
    Other, BeforeNavigate2, NavigateComplete2, DocumentComplete, NavigateError, NewWindow2, OnQuit,
    DownloadBegin, DownloadComplete
  };
  struct Track {
    explicit Track(std::string text) : label(std::move(text)) {}
    std::string label;
    uint32_t open = kNone;  // the navigation open on it
    std::vector<uint32_t> navigations;
  };
  // From row `row` on, a row's time of day plus `offsetMs` is its time on the log's clock.
  struct ClockStep {
    uint32_t row;
    int64_t offsetMs;
  };
  // From navigation `navigation` on (in begin order), the latest end of a navigation that
  // began at or before it is `ms` (an open navigation counts its begin).
  struct LatestEnd {
    uint32_t navigation;
    int64_t ms;
  };

  Kind KindOf(size_t row);
  uint32_t TrackOfNewRow(size_t row);
  // The track of the frame column text `label`, made when new.
  uint32_t FrameTrack(const char* label, size_t length);
  void Begin(uint32_t track, uint32_t row, int64_t ms);
  void Finish(uint32_t navigation, End end, uint32_t row, int64_t ms);

  const EventRowStore& m_rows;
  std::vector<Kind> m_kinds;  // by the store's name index
  std::vector<Track> m_tracks;
  std::unordered_map<std::string, uint32_t> m_frameTracks;
  uint32_t m_lastFrameTrack = kNone;  // frames' events come in runs: the last one is tried first
  std::vector<Navigation> m_navigations;
  std::vector<uint32_t> m_open;  // every navigation still open
  std::vector<LatestEnd> m_latestEnds;
  std::vector<Span> m_downloads;
  int m_downloadDepth = 0;
  std::vector<Mark> m_marks;
  std::vector<ClockStep> m_clockSteps;
  uint32_t m_lastTimeOfDay = 0;
  int64_t m_lastMs = 0;
};
