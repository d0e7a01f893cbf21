#include "log/SaveLogFileTypes.h"

#include <cstdio>

namespace {

struct FileType {
  const char* text;
  const char* pattern;
};

const FileType kCsvType = {"CSVファイル (*.csv)", "*.csv"};
const FileType kPlainTypes[] = {
    {"ログファイル (*.log)", "*.log"},
    {"テキストファイル (*.txt)", "*.txt"},
    {"すべてのファイル (*.*)", "*.*"},
};

}  // namespace

SaveLogFileTypes::SaveLogFileTypes(bool csv, bool filtered, size_t shownRows, size_t allRows)
    : m_csv(csv), m_filtered(filtered) {
  char every[64];
  char shown[64];
  std::snprintf(every, sizeof(every), " - すべての行 (%lu 行)", static_cast<unsigned long>(allRows));
  std::snprintf(shown, sizeof(shown), " - 表示中の行のみ (%lu 行)", static_cast<unsigned long>(shownRows));
  auto add = [&](const FileType& type) {
    m_filter.append(type.text).append(filtered ? every : "").append("|").append(type.pattern).append("|");
    if (filtered) m_filter.append(type.text).append(shown).append("|").append(type.pattern).append("|");
  };
  if (csv) add(kCsvType);
  for (const FileType& type : kPlainTypes) add(type);
  m_filter += "|";
}
