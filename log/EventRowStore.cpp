#include "log/EventRowStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "log/FrameLabels.h"

namespace {

const char kFramePrefix[] = "フレーム: ";

// The bytes of `text` that fit in `limit`, whole characters of the ANSI code page only.
size_t WholeCharactersWithin(const char* text, size_t limit) {
  size_t fits = 0;
  while (text[fits] && fits < limit) {
    const size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(text[fits])) && text[fits + 1] ? 2 : 1;
    if (fits + step > limit) break;
    fits += step;
  }
  return fits;
}

}  // namespace

void EventRowStore::Append(long number, const SYSTEMTIME& time, const char* name,
                           const char* text, int image, Origin origin, const char* frameLabel) {
  if (origin == Origin::Frame && frameLabel && *frameLabel) {
    std::string cell = kFramePrefix;
    cell.append(frameLabel, WholeCharactersWithin(frameLabel, kMaxFrameLabelBytes));
    m_frameTexts.push_back({static_cast<uint32_t>(m_count), static_cast<uint32_t>(cell.size()),
                            KeepText(cell.c_str(), cell.size())});
  }
  if (m_count % kRowsPerBlock == 0 && m_count / kRowsPerBlock == m_blocks.size())
    m_blocks.emplace_back(new Row[kRowsPerBlock]);
  const size_t length = text ? std::strlen(text) : 0;
  Row& row = m_blocks[m_count / kRowsPerBlock][m_count % kRowsPerBlock];
  row.text = KeepText(text ? text : "", length);
  row.length = static_cast<uint32_t>(length);
  row.number = static_cast<int32_t>(number);
  row.time = ((time.wHour * 60u + time.wMinute) * 60u + time.wSecond) * 1000u + time.wMilliseconds;
  row.name = NameIndex(name ? name : "");
  ++m_nameRows[row.name];
  row.image = static_cast<uint8_t>(image);
  row.origin = static_cast<uint8_t>(origin);
  ++m_count;
}

void EventRowStore::Clear() {
  m_blocks.clear();
  m_count = 0;
  m_chunks.clear();
  m_longTexts.clear();
  m_frameTexts.clear();
  m_chunkUsed = kTextChunkBytes;
  m_nameRows.assign(m_nameRows.size(), 0);
}

uint16_t EventRowStore::NameIndex(const char* name) {
  const auto found = m_nameIndex.find(name);
  if (found != m_nameIndex.end()) return found->second;
  const uint16_t index = static_cast<uint16_t>(m_names.size());
  m_names.emplace_back(name);
  m_nameRows.push_back(0);
  m_nameIndex.emplace(m_names.back(), index);
  return index;
}

// Texts go one after another into chunks that never move, each with its terminating zero;
// a long text gets a block of its own, so a chunk is never left mostly empty.
const char* EventRowStore::KeepText(const char* text, size_t length) {
  const size_t size = length + 1;
  char* place = nullptr;
  if (size > kTextChunkBytes / 4) {
    m_longTexts.emplace_back(new char[size]);
    place = m_longTexts.back().get();
  } else {
    if (m_chunkUsed + size > kTextChunkBytes) {
      m_chunks.emplace_back(new char[kTextChunkBytes]);
      m_chunkUsed = 0;
    }
    place = m_chunks.back().get() + m_chunkUsed;
    m_chunkUsed += size;
  }
  std::memcpy(place, text, length);
  place[length] = '\0';
  return place;
}

const char* EventRowStore::OriginText(Origin origin) {
  switch (origin) {
    case Origin::Page:
    case Origin::PageLoaded:
      return "ページ";
    case Origin::Frame:
      return "フレーム";
    default:
      return "";
  }
}

const char* EventRowStore::OriginCell(size_t row, size_t& length) const {
  const Origin origin = OriginOf(row);
  if (origin == Origin::Frame && !m_frameTexts.empty()) {
    const auto found = std::lower_bound(m_frameTexts.begin(), m_frameTexts.end(), row,
                                        [](const FrameText& each, size_t wanted) { return each.row < wanted; });
    if (found != m_frameTexts.end() && found->row == row) {
      length = found->length;
      return found->text;
    }
  }
  const char* text = OriginText(origin);
  length = std::strlen(text);
  return text;
}

std::string EventRowStore::ShortOriginText(size_t row) const {
  size_t length = 0;
  const char* cell = OriginCell(row, length);
  const size_t prefix = sizeof(kFramePrefix) - 1;
  if (length <= prefix || std::memcmp(cell, kFramePrefix, prefix) != 0) return std::string(cell, length);
  return ShortFrameLabel(std::string(cell + prefix, length - prefix));
}

const char* EventRowStore::CellBytes(size_t row, int column, char* buffer, size_t& length) const {
  const Row& r = At(row);
  const char* text = "";
  switch (column) {
    case kNumberColumn:
      length = FormatRowNumber(r.number, buffer);
      return buffer;
    case kTimeColumn:
      length = FormatTimeOfDay(r.time, m_bMilliseconds, buffer);
      return buffer;
    case kNameColumn:
      length = m_names[r.name].size();
      return m_names[r.name].c_str();
    case kTextColumn:
      length = r.length;
      return r.text;
    case kOriginColumn:
      return OriginCell(row, length);
    default:
      break;
  }
  length = std::strlen(text);
  return text;
}

std::string EventRowStore::CellText(size_t row, int column) const {
  char buffer[kCellTextBytes];
  size_t length = 0;
  const char* text = CellBytes(row, column, buffer, length);
  return std::string(text, length);
}

size_t EventRowStore::NumberAndTimeText(size_t row, char* out) const {
  size_t length = FormatRowNumber(At(row).number, out);
  out[length++] = ',';
  return length + FormatTimeOfDay(At(row).time, m_bMilliseconds, out + length);
}

void EventRowStore::AppendLine(size_t row, std::string& out) const {
  size_t count = 0;
  const int* columns = LogColumnOrder(m_bOriginShown, count);
  char buffer[kCellTextBytes];
  for (size_t i = 0; i < count; ++i) {
    if (i) out += ',';
    size_t length = 0;
    const char* text = CellBytes(row, columns[i], buffer, length);
    out.append(text, length);
  }
}

size_t EventRowStore::CopyCellText(size_t row, int column, char* out, size_t size) const {
  char buffer[kCellTextBytes];
  size_t length = 0;
  const char* text = CellBytes(row, column, buffer, length);
  return CopyWholeCharacters(text, length, out, size);
}

size_t EventRowStore::CopyShownCellText(size_t row, int column, char* out, size_t size) const {
  if (column != kOriginColumn) return CopyCellText(row, column, out, size);
  const std::string shown = ShortOriginText(row);
  return CopyWholeCharacters(shown.data(), shown.size(), out, size);
}

size_t EventRowStore::CopyWholeCharacters(const char* text, size_t length, char* out, size_t size) {
  if (!out || size == 0) return 0;
  if (length >= size) {
    // Whole characters only, up to the room there is.
    size_t fits = 0;
    while (fits < size - 1) {
      const size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(text[fits])) && fits + 1 < length ? 2 : 1;
      if (fits + step > size - 1) break;
      fits += step;
    }
    length = fits;
  }
  std::memcpy(out, text, length);
  out[length] = '\0';
  return length;
}
