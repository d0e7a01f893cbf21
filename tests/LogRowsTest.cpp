// The rows of an event log with no window: the store keeps each text whole, formats the
// number and time texts one way for the list, saving and matching, and cuts a text for a
// reader only between characters; each event's parameter text from its format.
#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "log/EventParameterFormats.h"
#include "log/EventRowStore.h"
#include "log/FrameLabels.h"
#include "log/LogCellText.h"
#include "log/LogFind.h"
#include "log/RowFilter.h"
#include "support/Variants.h"

namespace {

SYSTEMTIME Time(WORD hour, WORD minute, WORD second, WORD ms) { return {0, 0, 0, 0, hour, minute, second, ms}; }

TEST(EventRowStoreTest, KeepsEachTextWholeWithItsOwnEndAndCountsRowsPerName) {
  EventRowStore rows;
  const std::string big(100000, 'x');  // a block of its own
  rows.Append(1, Time(0, 0, 0, 0), "", "abc", 1);
  rows.Append(2, Time(0, 0, 0, 0), "N", "defgh", 0, EventRowStore::Origin::Frame);
  rows.Append(3, Time(0, 0, 0, 0), "N", big.c_str(), 0);
  rows.Append(4, Time(0, 0, 0, 0), "N", "", 0);
  EXPECT_STREQ("abc", rows.Text(0)) << "the next text starts after this one's zero";
  EXPECT_STREQ("defgh", rows.Text(1));
  EXPECT_EQ(big, rows.Text(2));
  EXPECT_STREQ("", rows.Text(3));
  EXPECT_EQ(3u, rows.RowsWithName(rows.NameIndexOf(1)));
  EXPECT_EQ("フレーム", rows.CellText(1, kOriginColumn));
  rows.Clear();
  EXPECT_EQ(0u, rows.Count());
  EXPECT_EQ(0u, rows.RowsWithName(1));
}

// Row numbers "%08ld" (printed in full past eight digits) and times on the 24-hour clock,
// with or without milliseconds: the same texts in the cells and in a line.
TEST(EventRowStoreTest, NumbersAndTimesReadTheSameInCellsAndLines) {
  const struct {
    long number;
    SYSTEMTIME time;
    const char *numberText, *seconds, *milliseconds;
  } cases[] = {
      {1, Time(13, 5, 9, 0), "00000001", "13:05:09", "13:05:09.000"},
      {99999999, Time(0, 7, 3, 45), "99999999", "00:07:03", "00:07:03.045"},
      {100000000, Time(23, 59, 59, 999), "100000000", "23:59:59", "23:59:59.999"},
      {42, Time(9, 30, 0, 145), "00000042", "09:30:00", "09:30:00.145"},
      {-1, Time(12, 0, 0, 507), "-0000001", "12:00:00", "12:00:00.507"},
  };
  for (bool withMs : {false, true}) {
    EventRowStore rows;
    rows.SetTimeWithMilliseconds(withMs);
    for (const auto& c : cases) {
      rows.Append(c.number, c.time, "N", "t", 0);
      const size_t row = rows.Count() - 1;
      const std::string time = withMs ? c.milliseconds : c.seconds;
      EXPECT_EQ(c.numberText, rows.CellText(row, kNumberColumn));
      EXPECT_EQ(time, rows.CellText(row, kTimeColumn));
      std::string line;
      rows.AppendLine(row, line);
      EXPECT_EQ(c.numberText + ("," + time) + ",N,t", line);
      char both[EventRowStore::kNumberAndTimeBytes];
      EXPECT_EQ(c.numberText + ("," + time), std::string(both, rows.NumberAndTimeText(row, both)));
    }
  }
}

// A reader's buffer too small for a text gets whole characters only, and always its zero.
TEST(EventRowStoreTest, ACellTextCutForAReaderEndsBetweenCharacters) {
  EventRowStore rows;
  rows.Append(1, Time(0, 0, 0, 0), "", "Text:読み", 0);  // 5 + 2 + 2 bytes
  rows.Append(2, Time(0, 0, 0, 0), "", "ab\x83", 0);     // a lead byte alone at the end
  const struct {
    size_t row, size;
    const char* read;
  } cases[] = {{0, 7, "Text:"}, {0, 8, "Text:読"}, {0, 9, "Text:読"}, {0, 10, "Text:読み"}, {0, 1, ""}, {1, 3, "ab"}, {1, 4, "ab\x83"}};
  for (const auto& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof(buffer));
    const size_t length = rows.CopyCellText(c.row, kTextColumn, buffer, c.size);
    EXPECT_EQ(c.read, std::string(buffer, length)) << c.size;
    EXPECT_EQ('\0', buffer[length]);
  }
}

// Flags are 0 or 1 and numbers keep their sign; a slot with no format logs no parameters.
TEST(EventParameterFormatsTest, NumbersFlagsAndTextsBecomeTheirPieces) {
  using Args = EventArguments;
  EXPECT_EQ("Progress:-1  ProgressMax:100", FormatEventParameters(kProgressChange, Args::Numbers(-1, 100)));
  EXPECT_EQ("Command:1  Enable:1", FormatEventParameters(kCommandStateChange, Args::Numbers(1, 5)));
  EXPECT_EQ("Visible:0", FormatEventParameters(kOnVisible, Args::Numbers(0)));
  EXPECT_EQ("Text:", FormatEventParameters(kStatusTextChange, Args::Text(nullptr)));
  EXPECT_EQ("", FormatEventParameters(kFileDownload, Args::Numbers(7)));
}

// Post data, flags, URLs, headers and status codes of unexpected shapes: each read by its
// type, empty text for another one.
TEST(EventParameterFormatsTest, VariantArgumentsAreReadByTheirTypes) {
  BSTR url = SysAllocString(L"http://h/"), text = SysAllocString(L"404"), frame = SysAllocString(L"本文");
  auto navigate = [&](const VARIANT& post, const VARIANT& u, const VARIANT& flags) {
    const VARIANT none = VarBstr(nullptr), headers = VarBstr(text);
    return FormatEventParameters(kBeforeNavigate2, EventArguments::Variants(nullptr, &u, &flags, &none, &post, &headers));
  };
  auto postData = [&](VARTYPE type, SAFEARRAY* array, const char* data = "", ULONG n = 0) {
    if (n) {
      void* p = nullptr;
      SafeArrayAccessData(array, &p);
      memcpy(p, data, n);
      SafeArrayUnaccessData(array);
    }
    VARIANT inner = VarOfType(static_cast<VARTYPE>(VT_ARRAY | type));
    inner.parray = array;
    const std::string params = navigate(VarRef(VT_VARIANT, &inner), VarBstr(url), VarI4(0));
    const std::string bare = navigate(inner, VarBstr(url), VarI4(0));  // not by reference: no post data
    VariantClear(&inner);
    const size_t at = params.find("PostData:"), end = params.find("  Headers:");
    return bare.find("PostData:  ") == std::string::npos ? "<by value read>" : params.substr(at + 9, end - at - 9);
  };
  auto bytes = [&](const char* data, ULONG n, LONG lower = 0) {
    return postData(VT_UI1, SafeArrayCreateVector(VT_UI1, lower, n), data, n);
  };
  VARIANT empty = VarOfType(VT_EMPTY);
  EXPECT_EQ("URL:http://h/  Flags:0  TargetFrameName:  PostData:  Headers:404",
            navigate(VarRef(VT_VARIANT, &empty), VarBstr(url), VarI4(0)));
  EXPECT_EQ("a=1", bytes("a=1\0", 4));
  EXPECT_EQ("a=1", bytes("a=1", 3)) << "all N bytes";
  EXPECT_EQ("x=", bytes("x=\0yz", 5, 1));
  EXPECT_EQ("\x81\x20\xa0\xfd\xfe\xff\x40\x81", bytes("\x81\x20\xa0\xfd\xfe\xff\x40\x81", 8)) << "not cp932 text";
  EXPECT_EQ("", bytes("", 0, 5));
  SAFEARRAYBOUND square[2] = {{2, 0}, {2, 0}};
  EXPECT_EQ("", postData(VT_UI1, SafeArrayCreate(VT_UI1, 2, square)));
  EXPECT_EQ("", postData(VT_I4, SafeArrayCreateVector(VT_I4, 0, 4)));
  EXPECT_EQ("", postData(VT_UI1, nullptr));
  VARIANT shortFlags = VarOfType(VT_I2);
  shortFlags.iVal = -2;
  EXPECT_EQ("URL:  Flags:-2  TargetFrameName:  PostData:  Headers:404", navigate(VarRef(VT_VARIANT, &empty), VarI4(5), shortFlags));
  EXPECT_EQ("URL:http://h/  Flags:  TargetFrameName:  PostData:  Headers:404",
            navigate(VarRef(VT_VARIANT, &empty), VarBstr(url), VarBstr(text)));

  VARIANT tooBig = VarOfType(VT_UI4);
  tooBig.ulVal = 0x80000000u;  // does not fit a signed 32-bit integer
  const VARIANT u = VarBstr(url), f = VarBstr(frame);
  for (const VARIANT& status : {VarI4(404), VarBstr(text), tooBig})
    EXPECT_EQ(std::string("URL:http://h/  Frame:本文  StatusCode:") + (status.vt == VT_I4 ? "404" : ""),
              FormatEventParameters(kNavigateError, EventArguments::Variants(nullptr, &u, &f, &status)));
  SysFreeString(url);
  SysFreeString(text);
  SysFreeString(frame);
}

// A frame's row keeps which frame it was, cut between characters to a bound; its origin
// cell names it, and find looks in it while the column shows. The label comes from the
// event's own arguments: a frame name when it carries one, else its URL.
TEST(EventRowStoreTest, AFrameRowNamesItsFrameFromTheEventsArguments) {
  EventRowStore rows;
  // Nine single bytes, then double-byte characters: 255 bytes fit in the bound of 256.
  const std::string longUrl = "http://h/" + std::string(300, '\x82');
  rows.Append(1, Time(0, 0, 0, 0), "N", "", 0, EventRowStore::Origin::Frame, "http://h/frame1.html");
  rows.Append(2, Time(0, 0, 0, 0), "N", "", 0, EventRowStore::Origin::Frame);
  rows.Append(3, Time(0, 0, 0, 0), "N", "", 0, EventRowStore::Origin::Page, "ignored");
  rows.Append(4, Time(0, 0, 0, 0), "N", "", 0, EventRowStore::Origin::Frame, longUrl.c_str());
  EXPECT_EQ("フレーム: http://h/frame1.html", rows.CellText(0, kOriginColumn));
  EXPECT_EQ("フレーム", rows.CellText(1, kOriginColumn));
  EXPECT_EQ("ページ", rows.CellText(2, kOriginColumn));
  const std::string cut = rows.CellText(3, kOriginColumn);
  EXPECT_EQ("フレーム: " + longUrl.substr(0, 255), cut);
  RowFilter filter;
  rows.SetOriginShown(true);
  EXPECT_EQ(0, FindShownRow(rows, filter, "FRAME1", -1, true));
  rows.SetOriginShown(false);
  EXPECT_EQ(-1, FindShownRow(rows, filter, "FRAME1", -1, true));

  // The list shows the label shortened: a name as it is, a URL by the last part of its path.
  EXPECT_EQ("frame1.html", rows.ShortOriginText(0));
  EXPECT_EQ("フレーム", rows.ShortOriginText(1));
  EXPECT_EQ("ページ", rows.ShortOriginText(2));
  char shown[8];
  EXPECT_EQ(7u, rows.CopyShownCellText(0, kOriginColumn, shown, sizeof shown));
  EXPECT_EQ("frame1.", std::string(shown));

  BSTR address = SysAllocString(L"http://h/f.html"), frame = SysAllocString(L"menu");
  const VARIANT url = VarBstr(address), name = VarBstr(frame), none = VarBstr(nullptr);
  const struct {
    size_t slot;
    EventArguments arguments;
    const char* name;
    const char* url;
  } carried[] = {
      {kNavigateComplete2, EventArguments::Variants(nullptr, &url), "", "http://h/f.html"},
      {kNavigateError, EventArguments::Variants(nullptr, &url, &name), "menu", "http://h/f.html"},
      {kNavigateError, EventArguments::Variants(nullptr, &url, &none), "", "http://h/f.html"},
      {kPrintTemplateTeardown, EventArguments::Variants(nullptr), "", ""},
  };
  for (const auto& c : carried) {
    std::string gotName, gotUrl;
    FrameNameAndUrlOf(c.slot, c.arguments, &gotName, &gotUrl);
    EXPECT_EQ(c.name, gotName);
    EXPECT_EQ(c.url, gotUrl);
  }
  SysFreeString(address);
  SysFreeString(frame);
}

// Every event of one frame gets the frame's label: the latest name any of its events gave it,
// else its latest URL; frames not told apart (key 0) are labelled by their own event.
TEST(FrameLabelsTest, EveryEventOfAFrameGetsTheSameLabel) {
  FrameLabels labels;
  EXPECT_EQ("http://h/a.html", labels.Note(1, "", "http://h/a.html"));
  EXPECT_EQ("left", labels.Note(1, "left", "http://h/a.html"));
  EXPECT_EQ("left", labels.Note(1, "", "http://h/b.html")) << "named once, named for good";
  EXPECT_EQ("http://h/c.html", labels.Note(2, "", "http://h/c.html")) << "another frame";
  EXPECT_EQ("right", labels.Note(0, "right", "http://h/d.html"));
  EXPECT_EQ("http://h/d.html", labels.Note(0, "", "http://h/d.html"));
  for (uint64_t key = 3; key < 3 + FrameLabels::kRemembered; ++key) labels.Note(key, "", "u");
  EXPECT_EQ("http://h/e.html", labels.Note(1, "", "http://h/e.html")) << "forgotten: the frame seen first";
  labels.Clear();
  EXPECT_EQ("", labels.Note(2, "", ""));

  const std::pair<const char*, const char*> shortened[] = {
      {"left", "left"},
      {"http://h/dir/frame1.html?x=1#top", "frame1.html"},
      {"http://h/dir/", "dir"},
      {"http://host.example/", "host.example"},
      {"about:blank", "about:blank"},
      {"ｱｲ/ｳｴ", "ｳｴ"},
  };
  for (const auto& c : shortened) EXPECT_EQ(c.second, ShortFrameLabel(c.first)) << c.first;
}

}  // namespace
