#include "log/TraceExport.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

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

// Short pieces put together on the stack and handed to `out` a few hundred bytes at a time: a
// row's event is a dozen pieces, and appending each to the string on its own cost more than
// the piece itself.
class Pieces {
 public:
  explicit Pieces(std::string& out) : m_out(out) {}
  ~Pieces() { Flush(); }
  Pieces(const Pieces&) = delete;
  Pieces& operator=(const Pieces&) = delete;

  void Put(std::string_view text) {
    if (m_used + text.size() > sizeof(m_bytes)) {
      Flush();
      if (text.size() > sizeof(m_bytes)) return static_cast<void>(m_out.append(text.data(), text.size()));
    }
    std::memcpy(m_bytes + m_used, text.data(), text.size());
    m_used += text.size();
  }
  void PutNumber(int64_t number) {
    if (m_used + kNumberRoom > sizeof(m_bytes)) Flush();
    m_used = static_cast<size_t>(std::to_chars(m_bytes + m_used, m_bytes + sizeof(m_bytes), number).ptr - m_bytes);
  }
  void Flush() {
    m_out.append(m_bytes, m_used);
    m_used = 0;
  }

 private:
  static constexpr size_t kNumberRoom = 20;  // the digits and sign of any int64_t
  std::string& m_out;
  char m_bytes[512];
  size_t m_used = 0;
};

}  // namespace

// The library writes every event's JSON, or every text's that needs escaping, through one
// serializer: json::dump makes a new one per call, which reads the C library's locale and fills
// an indent buffer, and under Wine that was most of a trace's time. A navigation's events are
// objects made once whose values are replaced in place (a new object per event, its keys,
// strings and nodes allocated afresh, took about 5 us under Wine). A row's instant event, one
// per row, is the bulk of a trace: the library took about 1 us to write one even so, against
// about 0.07 us for the row's line of a text save (bench/trace_bench); so its fixed keys are
// written as they stand, its numbers as digits, and its texts between quotes as they are when
// nothing in them needs escaping, else by the library. Texts are UTF-8 by then; should one not
// be, the library makes its bad bytes U+FFFD rather than failing.
struct TraceLines::Writer {
  explicit Writer(unsigned pid)
      : serializer(nlohmann::detail::output_adapter<char>(bytes), ' ', Json::error_handler_t::replace),
        navigation({{"ph", "X"},
                    {"cat", "navigation"},
                    {"name", ""},
                    {"pid", pid},
                    {"tid", 0u},
                    {"ts", int64_t{0}},
                    {"dur", int64_t{0}},
                    {"args", {{"rows", Json::array()}, {"ended", ""}, {"endRow", nullptr}}}}),
        complete({{"ph", "X"},
                  {"cat", "navigation"},
                  {"name", "NavigateComplete2"},
                  {"pid", pid},
                  {"tid", 0u},
                  {"ts", int64_t{0}},
                  {"dur", int64_t{0}},
                  {"args", {{"row", 0L}}}}),
        messageName(Quoted(utf8.Of(kMessageName, sizeof(kMessageName) - 1))),
        pidAndTid(",\"pid\":" + std::to_string(pid) + ",\"tid\":") {}

  void Append(const Json& event, std::string& out) {
    bytes.clear();
    serializer.dump(event, false, false, 0);
    out += bytes;
  }
  // `text` (UTF-8) as a JSON string.
  void PutString(std::string_view text, Pieces& pieces) {
    if (!IsPlain(text)) {
      escaped.get_ref<std::string&>() = text;
      bytes.clear();
      serializer.dump(escaped, false, false, 0);
      return pieces.Put(bytes);
    }
    pieces.Put("\"");
    pieces.Put(text);
    pieces.Put("\"");
  }
  // `text` (code page 932) as a JSON string. Most texts are ASCII with nothing to escape,
  // found so in one pass.
  void PutText(const char* text, size_t length, Pieces& pieces) {
    const std::string_view ascii(text, length);
    if (std::all_of(ascii.begin(), ascii.end(), [](char c) { return c >= 0x20 && c != '"' && c != '\\'; })) {
      pieces.Put("\"");
      pieces.Put(ascii);
      return pieces.Put("\"");
    }
    PutString(utf8.Of(text, length), pieces);
  }
  // Whether UTF-8 `text` needs no escaping in JSON: no quote, backslash or control character.
  static bool IsPlain(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
      return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
  }
  std::string Quoted(std::string_view text) {
    std::string quoted;
    Pieces pieces(quoted);
    PutString(text, pieces);
    return quoted;
  }
  // The JSON string of the event name of the store's name index `index`, without the
  // interface's prefix; each is made once.
  const std::string& EventName(const EventRowStore& rows, size_t index) {
    while (eventNames.size() <= index) {
      const char* name = rows.NameOfIndex(eventNames.size());
      const size_t prefix = sizeof(kEventRowNamePrefix) - 1;
      if (std::strncmp(name, kEventRowNamePrefix, prefix) == 0) name += prefix;
      eventNames.push_back(*name ? Quoted(utf8.Of(name, std::strlen(name))) : messageName);
    }
    return eventNames[index];
  }

  std::string bytes;  // what the serializer writes
  nlohmann::detail::serializer<Json> serializer;
  Json escaped = "";  // a text to escape
  Json navigation;    // a navigation's complete event
  Json complete;      // the one inside it, to its NavigateComplete2
  Utf8Text utf8;
  const std::string messageName;
  const std::string pidAndTid;  // ,"pid":N,"tid":
  std::vector<std::string> eventNames;
};

TraceLines::TraceLines(const EventRowStore& rows, const NavigationIndex& index, const std::string& processName,
                       unsigned pid)
    : m_rows(rows), m_index(index), m_processName(processName), m_pid(pid), m_writer(std::make_unique<Writer>(pid)) {
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
                      {"args", {{"name", std::string(m_writer->utf8.Of(m_processName))}}}},
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
                    {"args", {{"name", std::string(m_writer->utf8.Of(m_index.TrackLabel(track)))}}}},
                   out);
  out += kSeparator;
  m_writer->Append({{"ph", "M"}, {"name", "thread_sort_index"}, {"pid", m_pid}, {"tid", tid},
                    {"args", {{"sort_index", track}}}},
                   out);
}

void TraceLines::AppendNavigation(size_t navigation, std::string& out) const {
  const NavigationIndex::Navigation& n = m_index.NavigationAt(navigation);
  Writer& writer = *m_writer;
  Json& event = writer.navigation;
  const unsigned tid = n.track + 1;
  const int64_t endMs = n.end == NavigationIndex::End::Open ? m_index.LastMs() : n.endMs;
  const std::string url = m_index.Url(navigation);
  event["name"].get_ref<std::string&>() = writer.utf8.Of(url);
  event["tid"] = tid;
  event["ts"] = Microseconds(n.beginMs);
  event["dur"] = Microseconds(endMs - n.beginMs);
  Json& args = event["args"];
  Json::array_t& rows = args["rows"].get_ref<Json::array_t&>();
  rows.clear();
  for (uint32_t row : m_index.RowsOf(navigation)) rows.emplace_back(m_rows.Number(row));
  args["ended"].get_ref<std::string&>() = kEndNames[static_cast<int>(n.end)];
  args["endRow"] = n.endRow == NavigationIndex::kNone ? Json(nullptr) : Json(m_rows.Number(n.endRow));
  out += kSeparator;
  writer.Append(event, out);
  if (n.completeRow == NavigationIndex::kNone) return;
  Json& inside = writer.complete;
  inside["tid"] = tid;
  inside["ts"] = Microseconds(n.beginMs);
  inside["dur"] = Microseconds(n.completeMs - n.beginMs);
  inside["args"]["row"] = m_rows.Number(n.completeRow);
  out += kSeparator;
  writer.Append(inside, out);
}

void TraceLines::AppendRow(size_t row, std::string& out) const {
  if (std::binary_search(m_navigationRows.begin(), m_navigationRows.end(), row)) return;
  Writer& writer = *m_writer;
  const uint32_t track = m_index.TrackOfRow(row);
  // ,\n{"ph":"i","s":"t","name":...,"pid":...,"tid":...,"ts":...,"args":{"row":...,"text":...}}
  Pieces pieces(out);
  pieces.Put(R"(,
{"ph":"i","s":"t","name":)");
  pieces.Put(writer.EventName(m_rows, m_rows.NameIndexOf(row)));
  pieces.Put(writer.pidAndTid);
  pieces.PutNumber(track == NavigationIndex::kNone ? 1 : track + 1);
  pieces.Put(R"(,"ts":)");
  pieces.PutNumber(Microseconds(m_index.MsOfRow(row)));
  pieces.Put(R"(,"args":{"row":)");
  pieces.PutNumber(m_rows.Number(row));
  pieces.Put(R"(,"text":)");
  writer.PutText(m_rows.Text(row), m_rows.TextLength(row), pieces);
  pieces.Put("}}");
}
