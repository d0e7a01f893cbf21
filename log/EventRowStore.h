#pragma once
// The rows of one event log, kept compactly: per row its number, time of day to the
// millisecond, event name (each distinct name kept once), icon, where the event came from
// (the page or one of its frames) and text bytes exactly as given. Rows are only appended or
// all cleared; the texts the log shows and writes are formatted from here.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "log/LogCellText.h"
#include "log/LogColumns.h"

class EventRowStore {
 public:
  // Where a row's event came from: no browser argument, the tab's top-level browser (the
  // page; its DocumentComplete says the page has loaded) or a frame of the page.
  enum class Origin : uint8_t { None = 0, Page = 1, PageLoaded = 2, Frame = 3 };
  // The column that tells the origin, when shown: after the event name, before the text.
  static constexpr int kOriginColumn = ::kOriginColumn;

  EventRowStore() = default;
  EventRowStore(const EventRowStore&) = delete;
  EventRowStore& operator=(const EventRowStore&) = delete;

  // Appends a row; `text` is kept byte for byte up to its terminating zero. A frame's row may
  // carry which frame it was (`frameLabel`: its name or URL), cut to kMaxFrameLabelBytes.
  void Append(long number, const SYSTEMTIME& time, const char* name, const char* text, int image,
              Origin origin = Origin::None, const char* frameLabel = nullptr);
  static constexpr size_t kMaxFrameLabelBytes = 256;
  void Clear();
  size_t Count() const { return m_count; }

  long Number(size_t row) const { return At(row).number; }
  int Image(size_t row) const { return At(row).image; }
  Origin OriginOf(size_t row) const { return static_cast<Origin>(At(row).origin); }
  const char* Name(size_t row) const { return m_names[At(row).name].c_str(); }
  // Rows with the same event name share its index, below NameCount().
  size_t NameIndexOf(size_t row) const { return At(row).name; }
  size_t NameCount() const { return m_names.size(); }
  const char* NameOfIndex(size_t index) const { return m_names[index].c_str(); }
  // How many stored rows have the event name of `index`; counted as rows are appended.
  size_t RowsWithName(size_t index) const { return m_nameRows[index]; }
  // The row's time of day, in milliseconds since midnight.
  uint32_t TimeOfDayMs(size_t row) const { return At(row).time; }
  const char* Text(size_t row) const { return At(row).text; }
  size_t TextLength(size_t row) const { return At(row).length; }
  // The row's time of day in milliseconds since midnight.
  uint32_t TimeOfDay(size_t row) const { return At(row).time; }

  // Times as "HH:MM:SS.mmm" rather than "HH:MM:SS".
  void SetTimeWithMilliseconds(bool on) { m_bMilliseconds = on; }
  bool IsTimeWithMilliseconds() const { return m_bMilliseconds; }

  // Lines written and copied carry the origin column between the name and the text.
  void SetOriginShown(bool on) { m_bOriginShown = on; }
  bool IsOriginShown() const { return m_bOriginShown; }

  // The shown text of a column (a LogColumn: number "%08ld", time, name, text, origin).
  std::string CellText(size_t row, int column) const;
  // Copies the shown text of a column into `out` (`size` bytes, zero included); a text that
  // does not fit is cut before a character, never inside one. The length copied.
  size_t CopyCellText(size_t row, int column, char* out, size_t size) const;
  // As CopyCellText, with the text the list shows: the origin cell shortened (ShortOriginText).
  size_t CopyShownCellText(size_t row, int column, char* out, size_t size) const;
  // "ページ", "フレーム" or "".
  static const char* OriginText(Origin origin);
  // The origin column's whole text of a row: OriginText, and for a frame whose name or URL
  // is known, "フレーム: " and that label. Its length goes to `length`.
  const char* OriginCell(size_t row, size_t& length) const;
  // What the list shows of the origin cell, short enough for the column: for a frame whose
  // label is known, that label shortened (ShortFrameLabel), else OriginText.
  std::string ShortOriginText(size_t row) const;
  // Room for the number and time texts joined by a comma, zero included.
  static constexpr size_t kNumberAndTimeBytes = 2 * kCellTextBytes;
  // Writes the number and time texts joined by a comma into `out` (kNumberAndTimeBytes);
  // their length, no zero written.
  size_t NumberAndTimeText(size_t row, char* out) const;
  // Appends the column texts joined by commas: number, time, name, the origin while it is
  // shown, text.
  void AppendLine(size_t row, std::string& out) const;

 private:
  struct Row {
    const char* text;
    uint32_t length;
    int32_t number;
    uint32_t time;
    uint16_t name;
    uint8_t image;
    uint8_t origin;  // an Origin; fits the room the row already had
  };
  static_assert(sizeof(Row) <= 24, "a row stays 24 bytes");
  static constexpr size_t kRowsPerBlock = 4096;
  static constexpr size_t kTextChunkBytes = 256 * 1024;

  const Row& At(size_t row) const { return m_blocks[row / kRowsPerBlock][row % kRowsPerBlock]; }
  // A column's text as it stands in the store, or formatted into `buffer` (kCellTextBytes).
  const char* CellBytes(size_t row, int column, char* buffer, size_t& length) const;
  uint16_t NameIndex(const char* name);
  const char* KeepText(const char* text, size_t length);

  std::vector<std::unique_ptr<Row[]>> m_blocks;
  size_t m_count = 0;
  bool m_bMilliseconds = false;
  bool m_bOriginShown = false;
  std::vector<std::unique_ptr<char[]>> m_chunks;
  std::vector<std::unique_ptr<char[]>> m_longTexts;
  size_t m_chunkUsed = kTextChunkBytes;  // bytes taken in the last chunk; full at first
  // The origin texts of the frame rows that name their frame, by row, in row order: only
  // such rows pay for one.
  struct FrameText {
    uint32_t row;
    uint32_t length;
    const char* text;
  };
  std::vector<FrameText> m_frameTexts;
  // Copies `length` bytes of `text` into `out` (`size` bytes, zero included), cut before a
  // character that does not fit. The length copied.
  static size_t CopyWholeCharacters(const char* text, size_t length, char* out, size_t size);
  std::vector<std::string> m_names;
  std::vector<uint32_t> m_nameRows;  // per name index, the rows that have it
  std::unordered_map<std::string, uint16_t> m_nameIndex;
};
