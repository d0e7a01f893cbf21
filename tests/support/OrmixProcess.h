#pragma once
// ormix.exe from this build started as a process for a test (sharing the test's registry),
// its windows found and waited for, and the program closed as a user closes it.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/HostPath.h"
#include "support/MessagePump.h"

#ifndef ORMIX_EXE
#define ORMIX_EXE "ormix.exe"
#endif

namespace testsupport {

// Window texts are read and written as wide text: the windows belong to another process.
inline std::string TextOf(HWND hWnd) {
  wchar_t wide[1024] = L"";
  SendMessageW(hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(wide));
  char text[2048] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
  return text;
}

// ormix.exe run from the build tree, closed as a user closes it.
class OrmixProcess {
 public:
  OrmixProcess() = default;
  OrmixProcess(const OrmixProcess&) = delete;
  OrmixProcess& operator=(const OrmixProcess&) = delete;
  // A test that ended early (a failed assertion) leaves the program running: it is ended by
  // its own handle at once, so it holds neither the display nor the browsers it watches.
  ~OrmixProcess() {
    if (m_process && !HasExited()) {
      TerminateProcess(m_process, 255);  // this one only
      WaitForSingleObject(m_process, 5000);
    }
    if (m_process) CloseHandle(m_process);
  }

  static std::string ExecutablePath() {
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string path = module;
    path = path.substr(0, path.find_last_of("\\/") + 1) + "..\\app\\ormix.exe";
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
    return BuiltProgramPath(ORMIX_EXE);
  }

  // Starts ormix.exe with `arguments` in `folder` (NULL: this process's current folder).
  // `errorOutput` (inheritable), when given, is the program's standard error stream.
  bool Start(const std::string& arguments = "", const char* folder = nullptr, HANDLE errorOutput = nullptr) {
    std::string line = "\"" + ExecutablePath() + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (errorOutput) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdError = errorOutput;
    }
    PROCESS_INFORMATION info = {};
    // Wine's process start has been seen to fail once in a long run on a loaded machine; a
    // second try tells such a passing failure from a program that cannot start.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
      started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, errorOutput != nullptr, 0, nullptr, folder, &startup, &info);
      if (!started) {
        std::fprintf(stderr, "CreateProcess of ormix.exe failed (error %lu)\n", GetLastError());
        testsupport::PumpUntil([] { return false; }, 500);
      }
    }
    if (!started) return false;
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    return true;
  }

  // A shown top-level window of this process with the class (or any, NULL) and caption
  // (or any, NULL).
  HWND Find(const char* className, const char* caption) const {
    struct Search {
      DWORD id;
      const char* className;
      const char* caption;
      HWND found;
    } search = {m_id, className, caption, nullptr};
    EnumWindows([](HWND hWnd, LPARAM lParam) {
      auto* s = reinterpret_cast<Search*>(lParam);
      DWORD id = 0;
      GetWindowThreadProcessId(hWnd, &id);
      char name[64] = "";
      GetClassNameA(hWnd, name, sizeof(name));
      if (id != s->id || !IsWindowVisible(hWnd) || (s->className && strcmp(name, s->className) != 0) ||
          (s->caption && TextOf(hWnd) != s->caption))
        return TRUE;
      s->found = hWnd;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  HWND WaitFor(const char* className, const char* caption, DWORD timeoutMs = 30000) const {
    HWND found = nullptr;
    testsupport::PumpUntil([&] { return (found = Find(className, caption)) != nullptr || HasExited(); }, timeoutMs);
    return found;
  }
  // The main window once start-up has ended: the window is shown before the bar layout is
  // restored, and a sent message is answered only by the message loop that follows.
  HWND MainWindow() {
    if (m_main) return m_main;
    m_main = WaitFor("OrmixMainFrame", nullptr);
    DWORD_PTR ignored = 0;
    if (m_main) SendMessageTimeoutA(m_main, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
    return m_main;
  }

  bool HasExited() const { return !m_process || WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }
  bool WaitForExit(DWORD timeoutMs = 20000) {
    return m_process && testsupport::WaitPumping(&m_process, 1, timeoutMs) == WAIT_OBJECT_0;
  }
  // Closes the main window as its close box does and waits for the process to end.
  bool Close() {
    if (!MainWindow()) return false;
    PostMessageA(m_main, WM_CLOSE, 0, 0);
    return WaitForExit();
  }
  // Ends the program at once, as the task manager's end task does.
  bool Terminate() {
    return m_process && TerminateProcess(m_process, 1) && WaitForSingleObject(m_process, 20000) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process, &code);
    return code;
  }
  DWORD Thread() const { return GetWindowThreadProcessId(m_main, nullptr); }

 private:
  HANDLE m_process = nullptr;
  DWORD m_id = 0;
  HWND m_main = nullptr;
};

}  // namespace testsupport
