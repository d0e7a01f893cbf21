#include "support/SimulatorProcess.h"

#include <exdisp.h>
#include <shlguid.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "threads/Dispatcher.h"
#include "sim/PipeLineWrite.h"
#include "support/HostPath.h"
#include "support/MessagePump.h"

#ifndef ORMIX_SIM_EXE
#define ORMIX_SIM_EXE "ormix-sim.exe"
#endif

namespace testsupport {

namespace {

bool RunAndWait(const std::string& commandLine, DWORD timeoutMs, HANDLE* processOut, DWORD* exitCode) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  std::string mutableLine = commandLine;
  // Wine's process start has been seen to fail now and then on a loaded machine (also as the
  // first start of a test program): a second try tells that from a program that cannot start.
  bool started = false;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    started = CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    if (!started) {
      std::fprintf(stderr, "CreateProcess of %s failed (error %lu)\n", commandLine.c_str(), GetLastError());
      PumpUntil([] { return false; }, 500);
    }
  }
  if (!started) return false;
  CloseHandle(info.hThread);
  if (processOut) {
    *processOut = info.hProcess;
    return true;
  }
  const bool exited = WaitPumping(&info.hProcess, 1, timeoutMs) == WAIT_OBJECT_0;
  if (exitCode) GetExitCodeProcess(info.hProcess, exitCode);
  CloseHandle(info.hProcess);
  return exited;
}

// How long the window-list check waits for an answer. A simulator answers in well under a
// second, and in a few on a machine loaded to the full; a leftover that hangs would hold the
// test for the rest of its hang, so the check gives up and says so.
constexpr DWORD kWindowListCheckMs = 30000;

// What the window-list check's thread found; shared with the test's thread, which may stop
// waiting for it.
struct WindowListAnswer {
  LONG processId = 0;
  HRESULT result = E_PENDING;
};

DWORD WINAPI AskWindowListOwner(void* parameter) {
  std::unique_ptr<std::shared_ptr<WindowListAnswer>> answer(static_cast<std::shared_ptr<WindowListAnswer>*>(parameter));
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  IDispatch* list = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&list));
  VARIANT value;
  VariantInit(&value);
  if (SUCCEEDED(hr)) {
    wchar_t name[] = L"SimulatorProcessId";
    LPOLESTR names[1] = {name};
    DISPID dispid = DISPID_UNKNOWN;
    hr = list->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
    DISPPARAMS none = {};
    if (SUCCEEDED(hr))
      hr = list->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (SUCCEEDED(hr) && V_VT(&value) != VT_I4) hr = DISP_E_TYPEMISMATCH;
    list->Release();
  }
  (*answer)->processId = SUCCEEDED(hr) ? V_I4(&value) : 0;
  VariantClear(&value);
  CoUninitialize();
  (*answer)->result = hr;  // written last: the waiting thread reads the answer after this
  return 0;
}

}  // namespace

std::string SimulatorProcess::CheckWindowList(bool* stale) const {
  *stale = true;
  auto answer = std::make_shared<WindowListAnswer>();
  auto* parameter = new std::shared_ptr<WindowListAnswer>(answer);
  HANDLE thread = CreateThread(nullptr, 0, AskWindowListOwner, parameter, 0, nullptr);
  if (!thread) {
    delete parameter;
    return "could not start the window-list check";
  }
  // A thread left waiting on a leftover simulator ends with the answer or the process.
  const bool answered = WaitPumping(&thread, 1, kWindowListCheckMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  char text[256];
  if (!answered) {
    std::snprintf(text, sizeof(text),
                  "the shell's window list did not answer within %lu ms: another process (a simulator "
                  "left over from an earlier run?) holds its class",
                  kWindowListCheckMs);
    return text;
  }
  if (FAILED(answer->result)) {
    std::snprintf(text, sizeof(text), "the shell's window list is not a simulator's (0x%08lX)",
                  static_cast<unsigned long>(answer->result));
    return text;
  }
  if (static_cast<DWORD>(answer->processId) != m_processId) {
    *stale = false;  // a simulator that lives and answers
    std::snprintf(text, sizeof(text),
                  "the shell's window list is served by simulator process %ld, not by this test's (%lu): "
                  "a simulator left over from an earlier run holds its class",
                  answer->processId, m_processId);
    return text;
  }
  return std::string();
}

void SimulatorProcess::RestartComService() {
  // Only this Wine session's processes are visible here; the service is started again on the
  // next COM call that needs it.
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, "rpcss.exe") != 0) continue;
    const HANDLE service = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!service) continue;
    TerminateProcess(service, 1);
    WaitForSingleObject(service, 10000);
    CloseHandle(service);
  }
  CloseHandle(snapshot);
}

SimulatorProcess::~SimulatorProcess() {
  if (IsRunning()) Stop();
  CloseHandles();
}

std::string SimulatorProcess::ExecutablePath() {
  // Next to the test program first, then where this build put it.
  char module[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string beside = module;
  beside = beside.substr(0, beside.find_last_of("\\/") + 1) + "ormix-sim.exe";
  if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
  return BuiltProgramPath(ORMIX_SIM_EXE);
}

std::string SimulatorProcess::HostExecutablePath() {
  const std::string path = ExecutablePath();
  return path.substr(0, path.find_last_of("\\/") + 1) + "ormix-sim-host.exe";
}

bool SimulatorProcess::Register(DWORD timeoutMs) {
  DWORD code = 1;
  return RunAndWait("\"" + ExecutablePath() + "\" --register", timeoutMs, nullptr, &code) && code == 0;
}

bool SimulatorProcess::IsRunning() const {
  return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool SimulatorProcess::Start(DWORD timeoutMs) {
  if (StartOnce(timeoutMs)) return true;
  if (!m_staleWindowList) return false;
  // The shell's window list does not answer although this simulator started: a simulator
  // that was killed left its class registered with the system's COM service, which keeps
  // handing out the dead registration first, or the service itself stopped answering.
  // Either way every later simulator would fail; a fresh service forgets them all.
  const std::string first = m_problem;
  std::fprintf(stderr, "simulator support: %s; restarting the COM service of this Wine session\n", first.c_str());
  RestartComService();
  if (StartOnce(timeoutMs)) return true;
  m_problem = first + "; after restarting the COM service: " + m_problem;
  return false;
}

bool SimulatorProcess::StartOnce(DWORD timeoutMs) {
  if (m_process) Stop();
  m_staleWindowList = false;
  CloseHandles();
  m_problem.clear();
  m_processId = 0;
  m_exitCode = STILL_ACTIVE;
  char name[96];
  std::snprintf(name, sizeof(name), "ormix-sim-%lu-%lu-%p", GetCurrentProcessId(), GetTickCount(),
                static_cast<void*>(this));
  const std::string path = std::string("\\\\.\\pipe\\") + name;
  m_pipe = CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
  if (m_pipe == INVALID_HANDLE_VALUE) {
    m_problem = "the control pipe could not be created";
    return false;
  }
  m_readEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);

  OVERLAPPED connect = {};
  connect.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool connected = ConnectNamedPipe(m_pipe, &connect) || GetLastError() == ERROR_PIPE_CONNECTED;
  const bool pending = !connected && GetLastError() == ERROR_IO_PENDING;
  if (!connected && !pending) {
    CloseHandle(connect.hEvent);
    CloseHandles();
    m_problem = "the control pipe could not wait for the simulator";
    return false;
  }
  const std::string program = m_hostOnly ? "\"" + HostExecutablePath() + "\" --host-only" : "\"" + ExecutablePath() + "\"";
  if (!RunAndWait(program + " --pipe " + name, 0, &m_process, nullptr)) {
    CancelIo(m_pipe);
    CloseHandle(connect.hEvent);
    CloseHandles();
    m_problem = "the simulator's process could not be started";
    return false;
  }
  if (pending) {
    const HANDLE handles[2] = {connect.hEvent, m_process};
    connected = WaitPumping(handles, 2, timeoutMs) == WAIT_OBJECT_0;
    if (!connected) CancelIo(m_pipe);
  }
  CloseHandle(connect.hEvent);
  std::string ready;
  if (!connected || !ReadLine(&ready, timeoutMs) || ready.compare(0, 5, "READY") != 0) {
    m_problem = "the simulator did not report ready: " + ready;
    Stop();
    return false;
  }
  m_processId = static_cast<DWORD>(std::strtoul(Field(ready, "pid").c_str(), nullptr, 10));
  // A host program's process serves no window list: the one this process reaches is another's.
  bool stale = false;
  const std::string problem = m_hostOnly ? std::string() : CheckWindowList(&stale);
  if (!problem.empty()) {
    Stop();
    m_problem = problem;
    m_staleWindowList = stale;
    return false;
  }
  return true;
}

void SimulatorProcess::BreakPipe() { ClosePipe(); }

void SimulatorProcess::ClosePipe() {
  if (m_pipe != INVALID_HANDLE_VALUE) CloseHandle(m_pipe);  // also ends a read still under way
  m_pipe = INVALID_HANDLE_VALUE;
  m_buffer.clear();
  m_readStuck = false;
}

bool SimulatorProcess::WriteLine(const std::string& line) {
  if (m_pipe == INVALID_HANDLE_VALUE) return false;
  return sim::WritePipeLine(m_pipe, line, [this](HANDLE written) {
    const HANDLE handles[2] = {written, m_process};
    return WaitPumping(handles, 2, 10000) == WAIT_OBJECT_0;
  });
}

bool SimulatorProcess::ReadLine(std::string* line, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const size_t end = m_buffer.find('\n');
    if (end != std::string::npos) {
      *line = m_buffer.substr(0, end);
      m_buffer.erase(0, end + 1);
      return true;
    }
    if (m_pipe == INVALID_HANDLE_VALUE) return false;
    char* chunk = m_chunk;
    OVERLAPPED& overlapped = m_overlapped;
    overlapped = OVERLAPPED{};
    overlapped.hEvent = m_readEvent;
    ResetEvent(m_readEvent);
    DWORD count = 0;
    if (m_readStuck) return false;
    BOOL ok = ReadFile(m_pipe, chunk, sizeof(m_chunk), nullptr, &overlapped);
    if (!ok && GetLastError() != ERROR_IO_PENDING) return false;
    if (!ok) {
      const DWORD elapsed = GetTickCount() - start;
      const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
      const HANDLE handles[2] = {m_readEvent, m_process};
      const DWORD wait = m_pumping ? WaitPumping(handles, 2, remaining)
                                   : WaitForMultipleObjects(2, handles, FALSE, remaining);
      // The simulator may have written its last words just before exiting.
      if (wait != WAIT_OBJECT_0 && WaitForSingleObject(m_readEvent, 0) != WAIT_OBJECT_0) {
        CancelIo(m_pipe);
        // Cancelling ends the read at once; one that does not end in time leaves the pipe
        // unusable (the buffer and OVERLAPPED are members, so nothing is freed under it).
        if (WaitForSingleObject(m_readEvent, sim::kPipeCancelLimitMs) != WAIT_OBJECT_0) m_readStuck = true;
        return false;
      }
    }
    if (!GetOverlappedResult(m_pipe, &overlapped, &count, TRUE)) return false;
    m_buffer.append(chunk, count);
  }
}

std::string SimulatorProcess::Reply(DWORD timeoutMs) {
  std::string reply;
  return ReadLine(&reply, timeoutMs) ? reply : std::string();
}

std::string SimulatorProcess::Send(const std::string& command, DWORD timeoutMs) {
  std::string reply;
  if (!WriteLine(command) || !ReadLine(&reply, timeoutMs)) return std::string();
  // What the command's calls left for this thread is handled before the caller looks, even
  // when the reply came first: messages, and the events received for this thread's
  // connections (which the dispatcher would otherwise deliver at its next tick).
  if (m_pumping) {
    PumpPendingMessages();
    if (CDispatcher* dispatcher = CDispatcher::ForThisThread()) dispatcher->RunAll();
  }
  return reply;
}

std::string SimulatorProcess::SendUnpumped(const std::string& command, DWORD timeoutMs) {
  m_pumping = false;
  std::string reply = Send(command, timeoutMs);
  m_pumping = true;
  return reply;
}

bool SimulatorProcess::Stop(DWORD timeoutMs) {
  if (!m_process) return false;
  if (IsRunning()) Send("exit", timeoutMs);
  const bool exited = WaitPumping(&m_process, 1, timeoutMs) == WAIT_OBJECT_0;
  // One that did not take the command still ends when its pipe closes, withdrawing its class
  // first; killed, it would leave the class registered and break every later simulator.
  if (!exited) ClosePipe();
  if (!exited && WaitPumping(&m_process, 1, timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(m_process, 255);  // this simulator only, by its own handle
    WaitForSingleObject(m_process, 5000);
  }
  GetExitCodeProcess(m_process, &m_exitCode);
  CloseHandles();
  return exited;
}

void SimulatorProcess::CloseHandles() {
  ClosePipe();
  if (m_readEvent) {
    CloseHandle(m_readEvent);
    m_readEvent = nullptr;
  }
  if (m_process) {
    CloseHandle(m_process);
    m_process = nullptr;
  }
}

std::string SimulatorProcess::Field(const std::string& reply, const char* key) {
  const std::string needle = std::string(" ") + key + "=";
  const size_t at = (" " + reply).find(needle);
  if (at == std::string::npos) return std::string();
  const size_t from = at + needle.size() - 1;
  const size_t to = reply.find(' ', from);
  return reply.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

// The comma-separated hexadecimal numbers of a reply's field.
static std::vector<unsigned long long> HexNumbers(const std::string& list) {
  std::vector<unsigned long long> numbers;
  for (size_t from = 0, to = 0; from < list.size(); from = to + 1) {
    to = std::min(list.find(',', from), list.size());
    numbers.push_back(std::strtoull(list.substr(from, to - from).c_str(), nullptr, 16));
  }
  return numbers;
}

std::vector<HRESULT> SimulatorProcess::Results(const std::string& reply) {
  std::vector<HRESULT> results;
  for (unsigned long long n : HexNumbers(Field(reply, "hr"))) results.push_back(static_cast<HRESULT>(n));
  return results;
}

std::vector<HWND> SimulatorProcess::Windows(const std::string& reply, const char* key) {
  std::vector<HWND> windows;
  for (unsigned long long n : HexNumbers(Field(reply, key)))
    windows.push_back(reinterpret_cast<HWND>(static_cast<UINT_PTR>(n)));
  return windows;
}

HWND SimulatorProcess::Window(const std::string& reply, const char* key) {
  const std::vector<HWND> windows = Windows(reply, key);
  return windows.empty() ? nullptr : windows.front();
}

}  // namespace testsupport
