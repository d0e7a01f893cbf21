#include "log/EventRowStore.h"

#include <cstdio>
#include <cstring>

void EventRowStore::Append(long number, const SYSTEMTIME& time, const char* name,
                           const char* text, int image, Origin origin) {
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

std::string EventRowStore::CellText(size_t row, int column) const {
  char text[24];
  switch (column) {
    case 0:
      std::snprintf(text, sizeof(text), "%08ld", static_cast<long>(At(row).number));
      return text;
    case 1: {
      const unsigned long seconds = At(row).time / 1000;
      if (m_bMilliseconds)
        std::snprintf(text, sizeof(text), "%02lu:%02lu:%02lu.%03lu", seconds / 3600, seconds / 60 % 60,
                      seconds % 60, static_cast<unsigned long>(At(row).time % 1000));
      else
        std::snprintf(text, sizeof(text), "%02lu:%02lu:%02lu", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
      return text;
    }
    case 2:
      return Name(row);
    case 3:
      return std::string(At(row).text, At(row).length);
    case kOriginColumn:
      return OriginText(OriginOf(row));
    default:
      return std::string();
  }
}

// Written by hand: saving, and finding or filtering by digits, do this for every row.
size_t EventRowStore::NumberAndTimeText(size_t row, char* out) const {
  const Row& r = At(row);
  size_t length = 0;
  if (r.number >= 0 && r.number <= 99999999) {
    unsigned long n = static_cast<unsigned long>(r.number);
    for (int i = 7; i >= 0; --i, n /= 10) out[i] = static_cast<char>('0' + n % 10);
    length = 8;
  } else {
    length = static_cast<size_t>(std::snprintf(out, kNumberAndTimeBytes, "%08ld", static_cast<long>(r.number)));
  }
  const unsigned long seconds = r.time / 1000;
  const unsigned long parts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
  for (int i = 0; i < 3; ++i) {
    out[length++] = i == 0 ? ',' : ':';
    out[length++] = static_cast<char>('0' + parts[i] / 10 % 10);
    out[length++] = static_cast<char>('0' + parts[i] % 10);
  }
  if (m_bMilliseconds) {
    const unsigned long ms = r.time % 1000;
    out[length++] = '.';
    out[length++] = static_cast<char>('0' + ms / 100);
    out[length++] = static_cast<char>('0' + ms / 10 % 10);
    out[length++] = static_cast<char>('0' + ms % 10);
  }
  return length;
}

void EventRowStore::AppendLine(size_t row, std::string& out) const {
  const Row& r = At(row);
  char text[kNumberAndTimeBytes + 1];
  size_t length = NumberAndTimeText(row, text);
  text[length++] = ',';
  out.append(text, length);
  out += m_names[r.name];
  out += ',';
  if (m_bOriginShown) {
    out += OriginText(static_cast<Origin>(r.origin));
    out += ',';
  }
  out.append(r.text, r.length);
}

size_t EventRowStore::CopyCellText(size_t row, int column, char* out, size_t size) const {
  if (!out || size == 0) return 0;
  std::string formatted;
  const char* text = nullptr;
  size_t length = 0;
  if (column == kOriginColumn) {
    text = OriginText(OriginOf(row));
    length = std::strlen(text);
  } else if (column == 2) {
    text = Name(row);
    length = std::strlen(text);
  } else if (column == 3) {
    text = At(row).text;
    length = At(row).length;
  } else {
    formatted = CellText(row, column);
    text = formatted.c_str();
    length = formatted.size();
  }
  if (length >= size) {
    // Walk whole characters up to the room there is.
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
