#include "log/LogColumns.h"

const LogColumnInfo kLogColumns[kLogColumnCount] = {
    {"番号", "ABCEF00000", "ABCEF00000", 16, true},
    {"日時", "00:00:0000", "00:00:00.00000", 0, true},
    {"イベント名", "DIID_DWebBrowserEvents2::CommandStateChange00", "DIID_DWebBrowserEvents2::CommandStateChange00", 0,
     false},
    {"パラメータ", nullptr, nullptr, 0, false},
    // Its widest text and its heading, with room for the cell margins.
    {"フレーム", "フレーム00", "フレーム00", 0, false},
};

const int* LogColumnOrder(bool originShown, size_t& count) {
  static const int kPlain[] = {kNumberColumn, kTimeColumn, kNameColumn, kTextColumn};
  static const int kWithOrigin[] = {kNumberColumn, kTimeColumn, kNameColumn, kOriginColumn, kTextColumn};
  count = originShown ? 5 : 4;
  return originShown ? kWithOrigin : kPlain;
}
