#include "log/TraceExport.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include <nlohmann/json.hpp>

#include "events/EventCatalog.h"
#include "log/Utf8Text.h"

namespace {

using Json = nlohmann::ordered_json;

const char kOpening[] = "{\"traceEvents\":[\n";
const char kClosing[] = "\n],\"displayTimeUnit\":\"ms\"}\n";
const char kSeparator[] = ",\n";
const char kMessageName[] = "メッセージ";
const char* const kEndNames[] = {"open", "completed", "replaced", "failed", "quit"};

int64_t Microseconds(int64_t ms) { return ms * 1000; }

}  // namespace

// The library writes every event, through one serializer (json::dump makes a new one per
// call, which reads the C library's locale and fills an indent buffer: under Wine most of a
// trace's time). A row's instant event, one per row, is the bulk of a trace, and the library
// took about 1 us to write one from an object (6 to 7 times a text save of the same rows): so
// its fixed keys are written as they stand, its numbers as digits, and each of its texts as it
// is between quotes when nothing in it needs escaping, or else by the library. Texts are UTF-8
// by then; should one not be, the library makes its bad bytes U+FFFD rather than failing.
struct TraceLines::Writer {
  Writer()
      : serializer(nlohmann::detail::output_adapter<char>(bytes), ' ', Json::error_handler_t::replace),
        messageName(utf8.Of(kMessageName, sizeof(kMessageName) - 1)) {}

  void Append(const Json& event, std::string& out) {
    bytes.clear();
    serializer.dump(event, false, false, 0);
    out += bytes;
  }
  // `text` (UTF-8) as a JSON string.
  void AppendString(const std::string& text, std::string& out) {
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
      return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
    if (!plain) {
      escaped.get_ref<std::string&>() = text;
      return Append(escaped, out);
    }
    out += '"';
    out += text;
    out += '"';
  }
  void AppendNumber(int64_t number, std::string& out) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof(digits), number).ptr);
  }

  std::string bytes;  // what the serializer writes
  nlohmann::detail::serializer<Json> serializer;
  Json escaped = "";  // a text to escape
  Utf8Text utf8;
  const std::string messageName;  // in UTF-8
};

TraceLines::TraceLines(const EventRowStore& rows, const NavigationIndex& index, const std::string& processName,
                       unsigned pid)
    : m_rows(rows), m_index(index), m_processName(processName), m_pid(pid), m_writer(std::make_unique<Writer>()) {
  for (size_t n = 0; n < index.NavigationCount(); ++n) {
    const std::vector<uint32_t> own = index.RowsOf(n);
    m_navigationRows.insert(m_navigationRows.end(), own.begin(), own.end());
  }
  std::sort(m_navigationRows.begin(), m_navigationRows.end());
}

TraceLines::~TraceLines() = default;

size_t TraceLines::Count() const {
  if (m_rows.Count() == 0) return 0;
  return 1 + m_index.TrackCount() + m_index.NavigationCount() + m_rows.Count() + 1;
}

void TraceLines::Append(size_t line, std::string& out) const {
  if (line == 0) {
    out += kOpening;
    m_writer->Append({{"ph", "M"}, {"name", "process_name"}, {"pid", m_pid}, {"tid", 0},
                      {"args", {{"name", m_writer->utf8.Of(m_processName)}}}},
                     out);
    return;
  }
  size_t at = line - 1;
  if (at < m_index.TrackCount()) return AppendTrack(at, out);
  at -= m_index.TrackCount();
  if (at < m_index.NavigationCount()) return AppendNavigation(at, out);
  at -= m_index.NavigationCount();
  if (at < m_rows.Count()) return AppendRow(at, out);
  out += kClosing;
}

void TraceLines::AppendTrack(size_t track, std::string& out) const {
  const unsigned tid = static_cast<unsigned>(track + 1);
  out += kSeparator;
  m_writer->Append({{"ph", "M"}, {"name", "thread_name"}, {"pid", m_pid}, {"tid", tid},
                    {"args", {{"name", m_writer->utf8.Of(m_index.TrackLabel(track))}}}},
                   out);
  out += kSeparator;
  m_writer->Append({{"ph", "M"}, {"name", "thread_sort_index"}, {"pid", m_pid}, {"tid", tid},
                    {"args", {{"sort_index", track}}}},
                   out);
}

void TraceLines::AppendNavigation(size_t navigation, std::string& out) const {
  const NavigationIndex::Navigation& n = m_index.NavigationAt(navigation);
  const unsigned tid = n.track + 1;
  const int64_t endMs = n.end == NavigationIndex::End::Open ? m_index.LastMs() : n.endMs;
  Json rows = Json::array();
  for (uint32_t row : m_index.RowsOf(navigation)) rows.push_back(m_rows.Number(row));
  Json args = {{"rows", std::move(rows)}, {"ended", kEndNames[static_cast<int>(n.end)]}};
  if (n.endRow != NavigationIndex::kNone) args["endRow"] = m_rows.Number(n.endRow);
  out += kSeparator;
  m_writer->Append({{"ph", "X"}, {"cat", "navigation"}, {"name", m_writer->utf8.Of(m_index.Url(navigation))},
                    {"pid", m_pid}, {"tid", tid}, {"ts", Microseconds(n.beginMs)},
                    {"dur", Microseconds(endMs - n.beginMs)}, {"args", std::move(args)}},
                   out);
  if (n.completeRow == NavigationIndex::kNone) return;
  out += kSeparator;
  m_writer->Append({{"ph", "X"}, {"cat", "navigation"}, {"name", "NavigateComplete2"}, {"pid", m_pid}, {"tid", tid},
                    {"ts", Microseconds(n.beginMs)}, {"dur", Microseconds(n.completeMs - n.beginMs)},
                    {"args", {{"row", m_rows.Number(n.completeRow)}}}},
                   out);
}

void TraceLines::AppendRow(size_t row, std::string& out) const {
  if (std::binary_search(m_navigationRows.begin(), m_navigationRows.end(), row)) return;
  Writer& writer = *m_writer;
  const char* name = m_rows.Name(row);
  const size_t prefix = sizeof(kEventRowNamePrefix) - 1;
  if (std::strncmp(name, kEventRowNamePrefix, prefix) == 0) name += prefix;
  const bool message = *name == '\0';
  const uint32_t track = m_index.TrackOfRow(row);
  // {"ph":"i","s":"t","cat":...,"name":...,"pid":...,"tid":...,"ts":...,"args":{"row":...,"text":...}}
  out += kSeparator;
  out += message ? R"({"ph":"i","s":"t","cat":"message","name":)" : R"({"ph":"i","s":"t","cat":"event","name":)";
  writer.AppendString(message ? writer.messageName : writer.utf8.Of(name, std::strlen(name)), out);
  out += R"(,"pid":)";
  writer.AppendNumber(m_pid, out);
  out += R"(,"tid":)";
  writer.AppendNumber(track == NavigationIndex::kNone ? 1 : track + 1, out);
  out += R"(,"ts":)";
  writer.AppendNumber(Microseconds(m_index.MsOfRow(row)), out);
  out += R"(,"args":{"row":)";
  writer.AppendNumber(m_rows.Number(row), out);
  out += R"(,"text":)";
  writer.AppendString(writer.utf8.Of(m_rows.Text(row), m_rows.TextLength(row)), out);
  out += "}}";
}
