#include "log/NavigationIndex.h"

#include <algorithm>
#include <cstring>

#include "events/EventCatalog.h"
#include "log/EventParameterFormats.h"

namespace {

constexpr int64_t kDayMs = 24 * 60 * 60 * 1000;

}  // namespace

void NavigationIndex::Clear() {
  // The kinds stay: they are by the store's name index, and the store keeps its names.
  m_tracks.clear();
  m_frameTracks.clear();
  m_lastFrameTrack = kNone;
  m_navigations.clear();
  m_open.clear();
  m_latestEnds.clear();
  m_downloads.clear();
  m_downloadDepth = 0;
  m_marks.clear();
  m_clockSteps.clear();
  m_lastTimeOfDay = 0;
  m_lastMs = 0;
}

void NavigationIndex::Add(size_t row) {
  const uint32_t timeOfDay = m_rows.TimeOfDayMs(row);
  if (m_clockSteps.empty()) {
    m_clockSteps.push_back({static_cast<uint32_t>(row), -static_cast<int64_t>(timeOfDay)});
    m_tracks.emplace_back(EventRowStore::OriginText(EventRowStore::Origin::Page));
  } else if (timeOfDay < m_lastTimeOfDay) {
    const int64_t back = m_lastTimeOfDay - timeOfDay;
    m_clockSteps.push_back({static_cast<uint32_t>(row), m_clockSteps.back().offsetMs + (back > kDayMs / 2 ? kDayMs : back)});
  }
  m_lastTimeOfDay = timeOfDay;
  const int64_t ms = timeOfDay + m_clockSteps.back().offsetMs;
  m_lastMs = ms;

  const Kind kind = KindOf(row);
  const uint32_t track = TrackOfNewRow(row);
  const uint32_t at = static_cast<uint32_t>(row);
  const uint32_t open = m_tracks[track].open;
  switch (kind) {
    case Kind::BeforeNavigate2:
      if (track == kPageTrack) {
        // The page goes elsewhere: its frames' navigations go with it.
        while (!m_open.empty()) Finish(m_open.back(), End::Replaced, at, ms);
      } else if (open != kNone) {
        Finish(open, End::Replaced, at, ms);
      }
      Begin(track, at, ms);
      break;
    case Kind::NavigateComplete2:
      if (open != kNone && m_navigations[open].completeRow == kNone) {
        m_navigations[open].completeRow = at;
        m_navigations[open].completeMs = ms;
      }
      break;
    case Kind::DocumentComplete:
      if (open != kNone) Finish(open, End::Completed, at, ms);
      break;
    case Kind::NavigateError:
      m_marks.push_back({MarkKind::NavigateError, track, at, ms});
      if (open != kNone) Finish(open, End::Failed, at, ms);
      break;
    case Kind::NewWindow2:
      m_marks.push_back({MarkKind::NewWindow2, track, at, ms});
      break;
    case Kind::OnQuit:
      while (!m_open.empty()) Finish(m_open.back(), End::Quit, at, ms);
      break;
    case Kind::DownloadBegin:
      if (m_downloadDepth++ == 0) m_downloads.push_back({at, kNone, ms, -1});
      break;
    case Kind::DownloadComplete:
      if (m_downloadDepth > 0 && --m_downloadDepth == 0) {
        m_downloads.back().endRow = at;
        m_downloads.back().endMs = ms;
      }
      break;
    case Kind::Other:
      break;
  }
}

NavigationIndex::Kind NavigationIndex::KindOf(size_t row) {
  const size_t name = m_rows.NameIndexOf(row);
  // Each event name is looked at once, when the store first has it.
  while (m_kinds.size() <= name) {
    static const struct {
      size_t slot;
      Kind kind;
    } kKinds[] = {
        {kBeforeNavigate2, Kind::BeforeNavigate2}, {kNavigateComplete2, Kind::NavigateComplete2},
        {kDocumentComplete, Kind::DocumentComplete}, {kNavigateError, Kind::NavigateError},
        {kNewWindow2, Kind::NewWindow2},           {kOnQuit, Kind::OnQuit},
        {kDownloadBegin, Kind::DownloadBegin},     {kDownloadComplete, Kind::DownloadComplete},
    };
    const std::string text = m_rows.NameOfIndex(m_kinds.size());
    Kind kind = Kind::Other;
    for (const auto& each : kKinds)
      if (text == std::string(kEventRowNamePrefix) + kEventCatalog[each.slot].name) kind = each.kind;
    m_kinds.push_back(kind);
  }
  return m_kinds[name];
}

uint32_t NavigationIndex::TrackOfNewRow(size_t row) {
  if (m_rows.OriginOf(row) != EventRowStore::Origin::Frame) return kPageTrack;
  size_t length = 0;
  const char* label = m_rows.OriginCell(row, length);
  return FrameTrack(label, length);
}

uint32_t NavigationIndex::FrameTrack(const char* label, size_t length) {
  if (m_lastFrameTrack != kNone) {
    const std::string& last = m_tracks[m_lastFrameTrack].label;
    if (last.size() == length && std::memcmp(last.data(), label, length) == 0) return m_lastFrameTrack;
  }
  std::string key(label, length);
  auto found = m_frameTracks.find(key);
  if (found == m_frameTracks.end()) {
    m_tracks.emplace_back(key);
    found = m_frameTracks.emplace(std::move(key), static_cast<uint32_t>(m_tracks.size() - 1)).first;
  }
  m_lastFrameTrack = found->second;
  return found->second;
}

void NavigationIndex::Begin(uint32_t track, uint32_t row, int64_t ms) {
  const uint32_t navigation = static_cast<uint32_t>(m_navigations.size());
  m_navigations.push_back({track, row, kNone, kNone, ms, -1, -1, End::Open});
  m_tracks[track].open = navigation;
  m_tracks[track].navigations.push_back(navigation);
  m_open.push_back(navigation);
  if (m_latestEnds.empty() || m_latestEnds.back().ms < ms) m_latestEnds.push_back({navigation, ms});
}

void NavigationIndex::Finish(uint32_t navigation, End end, uint32_t row, int64_t ms) {
  Navigation& ended = m_navigations[navigation];
  ended.end = end;
  ended.endRow = row;
  ended.endMs = ms;
  m_tracks[ended.track].open = kNone;
  m_open.erase(std::find(m_open.begin(), m_open.end(), navigation));
  // No time before `ms` has come yet: from this navigation on, the latest end is `ms`.
  while (!m_latestEnds.empty() && m_latestEnds.back().navigation >= navigation) m_latestEnds.pop_back();
  m_latestEnds.push_back({navigation, ms});
}

int64_t NavigationIndex::MsOfRow(size_t row) const {
  const auto step = std::upper_bound(m_clockSteps.begin(), m_clockSteps.end(), row,
                                     [](size_t wanted, const ClockStep& each) { return wanted < each.row; });
  if (step == m_clockSteps.begin()) return 0;
  return m_rows.TimeOfDayMs(row) + (step - 1)->offsetMs;
}

uint32_t NavigationIndex::TrackOfRow(size_t row) const {
  if (m_tracks.empty() || row >= m_rows.Count()) return kNone;
  if (m_rows.OriginOf(row) != EventRowStore::Origin::Frame) return kPageTrack;
  size_t length = 0;
  const char* label = m_rows.OriginCell(row, length);
  const auto found = m_frameTracks.find(std::string(label, length));
  return found == m_frameTracks.end() ? kNone : found->second;
}

uint32_t NavigationIndex::NavigationOfRow(size_t row) const {
  const uint32_t track = TrackOfRow(row);
  if (track == kNone) return kNone;
  const std::vector<uint32_t>& navigations = m_tracks[track].navigations;
  const auto after = std::upper_bound(navigations.begin(), navigations.end(), row, [this](size_t wanted, uint32_t each) {
    return wanted < m_navigations[each].beginRow;
  });
  if (after == navigations.begin()) return kNone;
  const Navigation& candidate = m_navigations[*(after - 1)];
  return candidate.endRow == kNone || row <= candidate.endRow ? *(after - 1) : kNone;
}

std::string NavigationIndex::Url(size_t navigation) const {
  // "URL:..." up to the next piece, "  Flags:...", as the event's parameter format writes it.
  const EventParameterFormat& format = EventParameterFormatOf(kBeforeNavigate2);
  const std::string text(m_rows.Text(m_navigations[navigation].beginRow),
                         m_rows.TextLength(m_navigations[navigation].beginRow));
  const std::string label = format.pieces[0].label;
  if (text.compare(0, label.size(), label) != 0) return std::string();
  const size_t end = text.find(std::string("  ") + format.pieces[1].label, label.size());
  return text.substr(label.size(), end == std::string::npos ? std::string::npos : end - label.size());
}

std::vector<uint32_t> NavigationIndex::RowsOf(size_t navigation) const {
  const Navigation& n = m_navigations[navigation];
  std::vector<uint32_t> rows = {n.beginRow};
  if (n.completeRow != kNone) rows.push_back(n.completeRow);
  if (n.end == End::Completed) rows.push_back(n.endRow);
  return rows;
}

void NavigationIndex::NavigationsOverlapping(int64_t fromMs, int64_t toMs, std::vector<uint32_t>& out) const {
  if (fromMs > toMs || fromMs > m_lastMs) return;
  // Those that began by `toMs` are a prefix of the navigations.
  const size_t begun = std::upper_bound(m_navigations.begin(), m_navigations.end(), toMs,
                                        [](int64_t wanted, const Navigation& each) { return wanted < each.beginMs; }) -
                       m_navigations.begin();
  // Before the first whose latest end reaches `fromMs`, every closed one ended too early.
  const auto reaching = std::lower_bound(m_latestEnds.begin(), m_latestEnds.end(), fromMs,
                                         [](const LatestEnd& each, int64_t wanted) { return each.ms < wanted; });
  const size_t first = std::min(begun, reaching == m_latestEnds.end() ? begun : size_t{reaching->navigation});
  // The open ones before it (an open one counts its begin there) last until now.
  const size_t from = out.size();
  for (uint32_t open : m_open)
    if (open < first) out.push_back(open);
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(from), out.end());
  for (size_t i = first; i < begun; ++i)
    if (m_navigations[i].end == End::Open || m_navigations[i].endMs >= fromMs) out.push_back(static_cast<uint32_t>(i));
}
