#pragma once
// Reads a list view's texts as another program does, through list_text_reader.exe (built
// with the tests; the test program defines LIST_TEXT_READER as its path): the first `rows`
// rows, one line each, the four cells joined by commas. The calling thread's messages are
// dispatched meanwhile, so a list of this thread answers too.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/HostPath.h"
#include "support/MessagePump.h"

namespace testsupport {

// False when the reader could not run or failed; `texts` holds what it wrote.
inline bool ReadListTextsElsewhere(HWND list, int rows, std::string* texts) {
  char temp[MAX_PATH] = "", out[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, temp);
  ::GetTempFileNameA(temp, "olr", 0, out);
  std::string command = "\"" + BuiltProgramPath(LIST_TEXT_READER) + "\" " + std::to_string(reinterpret_cast<UINT_PTR>(list)) + " " +
                        std::to_string(rows) + " \"" + out + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  const bool ended = WaitPumping(&process.hProcess, 1, 60000) == WAIT_OBJECT_0;
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  std::ifstream in(out, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  in.close();
  ::DeleteFileA(out);
  *texts = bytes.str();
  return ended && code == 0;
}

}  // namespace testsupport
