// Not a test by itself: reads the texts of another process's list-view control as other
// programs do (the item structure and the text buffer placed in the list's own process,
// LVM_GETITEMTEXTA, the text read back) and writes them to a file, row by row, the four
// cells joined by commas and each row ended by a line feed.
// Usage: list_text_reader.exe LIST_HWND ROWS OUTPUT_FILE
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const HWND list = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(argv[1], nullptr, 10)));
  const int rows = std::atoi(argv[2]);
  DWORD processId = 0;
  ::GetWindowThreadProcessId(list, &processId);
  HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return 3;
  constexpr int kTextBytes = 4096;
  char* remote = static_cast<char*>(::VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kTextBytes,
                                                     MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return 4;
  std::string out;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < 4; ++column) {
      LVITEMA item = {};
      item.iSubItem = column;
      item.pszText = remote + sizeof(LVITEMA);
      item.cchTextMax = kTextBytes;
      ::WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
      const LRESULT length = ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                            reinterpret_cast<LPARAM>(remote));
      char text[kTextBytes] = "";
      if (length > 0) ::ReadProcessMemory(process, remote + sizeof(LVITEMA), text, static_cast<SIZE_T>(length), nullptr);
      if (column) out += ',';
      out.append(text, length > 0 ? static_cast<size_t>(length) : 0);
    }
    out += '\n';
  }
  ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  ::CloseHandle(process);
  std::FILE* file = std::fopen(argv[3], "wb");
  if (!file) return 5;
  std::fwrite(out.data(), 1, out.size(), file);
  std::fclose(file);
  return 0;
}
