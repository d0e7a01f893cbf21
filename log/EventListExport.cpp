// Taking rows out of the event log: saving every row to a file and copying the selected
// rows to the clipboard, each row as its column texts joined by commas, unquoted.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <share.h>
#include <string>
#include <vector>

#include "log/ClipboardText.h"
#include "log/EventListCtrl.h"
#include "log/OverlappedFileWriter.h"
#include "framework/FileDialog.h"
#include "framework/FileError.h"

namespace {

const char kLogFilter[] =
    "ログファイル (*.log)|*.log|テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*||";
const char kSaveTitle[] = "保存ファイル名の設定";

// The structure size of the file dialog: the Windows 2000 fields only where the system
// has them.
DWORD FileDialogStructSize() {
  const DWORD major = LOBYTE(LOWORD(::GetVersion()));
  return major < 5 ? static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A)
                   : static_cast<DWORD>(sizeof(OPENFILENAMEA));
}

}  // namespace

void CEventListCtrl::OnSaveLog() {
  // Owned by the main window, which stays disabled meanwhile: the tab cannot be closed
  // while its log is being saved.
  CFileDialog dialog(FALSE, nullptr, nullptr, OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, kLogFilter,
                     this);
  dialog.m_ofn.lpstrTitle = kSaveTitle;
  dialog.m_ofn.Flags |= OFN_FILEMUSTEXIST | OFN_EXTENSIONDIFFERENT;
  dialog.m_ofn.lpstrDefExt = "log";
  dialog.m_ofn.lStructSize = FileDialogStructSize();
  if (dialog.DoModal() != IDOK) return;
  SaveLog(dialog.GetPathName().c_str());
}

namespace {

const char* const kCsvHeadings[] = {"番号", "日時", "イベント名", "パラメータ", "フレーム"};
// The columns of a line, in the order shown: the frame column, while shown, before the text.
const int kCsvColumns[] = {0, 1, 2, 3};
const int kCsvColumnsWithFrame[] = {0, 1, 2, EventRowStore::kOriginColumn, 3};

// A field as RFC 4180 writes it: in double quotes, its quotes doubled, when it holds a
// comma, a quote or a line break; as it is otherwise.
void AppendCsvField(const std::string& field, std::string& out) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

BOOL CEventListCtrl::SaveLog(const char* path) {
  FlushPendingRows();
  const size_t count = m_rows.Count();
  if (!m_bSaveAsCsv)
    return WriteLogFile(path, count, false, [&](size_t row, std::string& out) { m_rows.AppendLine(row, out); });
  // A heading line, then one line per row, each field quoted where it needs to be; written
  // as binary, so a field's own line breaks stay exactly as they are inside its quotes.
  const bool withFrame = m_rows.IsOriginShown();
  const int* const columns = withFrame ? kCsvColumnsWithFrame : kCsvColumns;
  const int columnCount = withFrame ? 5 : 4;
  return WriteLogFile(path, count == 0 ? 0 : count + 1, true, [&](size_t line, std::string& out) {
    for (int i = 0; i < columnCount; ++i) {
      if (i) out += ',';
      const int column = columns[i];
      AppendCsvField(line == 0 ? kCsvHeadings[column] : m_rows.CellText(line - 1, column), out);
    }
  });
}

BOOL CEventListCtrl::WriteLines(const std::vector<std::string>& lines, const char* path) {
  return WriteLogFile(path, lines.size(), false, [&](size_t line, std::string& out) { out += lines[line]; });
}

namespace {

// The first line feed of `text` from `from` on, or npos. Eight bytes at a time: a save looks
// through every byte it writes, and line feeds are rare.
size_t FindLineFeed(const std::string& text, size_t from) {
  const uint64_t ones = 0x0101010101010101ULL;
  const uint64_t highs = 0x8080808080808080ULL;
  const uint64_t feeds = ones * '\n';
  const char* data = text.data();
  size_t at = from;
  for (; at + 8 <= text.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, data + at, sizeof(word));
    const uint64_t x = word ^ feeds;
    if ((x - ones) & ~x & highs) break;
  }
  for (; at < text.size(); ++at)
    if (data[at] == '\n') return at;
  return std::string::npos;
}

// Every line feed from `from` on becomes carriage return + line feed, as a file written in
// text mode has it.
void ExpandLineFeeds(std::string& buffer, size_t from) {
  for (size_t at = FindLineFeed(buffer, from); at != std::string::npos; at = FindLineFeed(buffer, at + 2))
    buffer.insert(at, 1, '\r');
}

}  // namespace

// Each line is followed by carriage return + line feed. Without `crlfBinary`, every line
// feed inside a line also becomes carriage return + line feed, the bytes text mode writes;
// with it, a line is written as it is. The file is written in binary a buffer at a time:
// writing the same lines in the C library's text mode took 2.5 to 4.5 times as long as
// writing the converted bytes in binary, most of what a million rows' save cost. A buffer
// is written while the next one is filled.
template <typename LineWriter>
BOOL CEventListCtrl::WriteLogFile(const char* path, size_t lineCount, bool crlfBinary, LineWriter writeLine) {
  if (lineCount == 0 || !path) return FALSE;
  // Exclusive, so that a file another program has open is refused rather than mixed into.
  std::FILE* file = _fsopen(path, "wb", _SH_DENYRW);
  if (!file) return FALSE;
  constexpr size_t kBufferBytes = 1 << 20;
  std::string buffer;
  buffer.reserve(kBufferBytes + 4096);
  int error = 0;
  {
    OverlappedFileWriter writer(file);
    for (size_t line = 0; line < lineCount; ++line) {
      const size_t from = buffer.size();
      writeLine(line, buffer);
      if (!crlfBinary) ExpandLineFeeds(buffer, from);
      buffer += "\r\n";
      if (buffer.size() < kBufferBytes && line + 1 < lineCount) continue;
      if (!writer.Write(buffer)) break;
      buffer.reserve(kBufferBytes + 4096);
    }
    error = writer.Finish();
  }
  if (error) {
    std::fclose(file);
    ReportFileWriteError(m_hWnd, path, error);
    return FALSE;
  }
  if (std::fclose(file) != 0) {
    ReportFileWriteError(m_hWnd, path, errno);
    return FALSE;
  }
  return TRUE;
}

void CEventListCtrl::OnCopy() {
  FlushPendingRows();
  int item = GetNextItem(-1, LVNI_SELECTED);
  if (item == -1) return;
  std::string text;
  for (; item != -1; item = GetNextItem(item, LVNI_SELECTED)) {
    m_rows.AppendLine(RowAt(item), text);
    text += "\r\n";
  }
  CClipboardText clipboard;
  clipboard.SetOwner(m_hWnd);
  clipboard.SetText(text.c_str());
}
