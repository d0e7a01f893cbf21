#include "framework/CommandLineInfo.h"

#include <windows.h>

void CCommandLineInfo::ParseParam(const char* param, bool bFlag, bool) {
  if (bFlag || !param) return;
  if (m_strFileName.empty()) {
    m_strFileName = param;
    m_nShellCommand = FileOpen;
  }
}

std::vector<std::string> SplitCommandLine(const char* commandLine) {
  std::vector<std::string> args;
  if (!commandLine) return args;
  const char* p = commandLine;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
      // Keep a double-byte character whole: its second byte may look like a backslash.
      if (::IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
        arg += *p++;
        arg += *p++;
        continue;
      }
      if (*p == '\\') {
        size_t slashes = 0;
        while (*p == '\\') ++slashes, ++p;
        if (*p == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) arg += *p++;
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (*p == '"') {
        quoted = !quoted;
        ++p;
        continue;
      }
      arg += *p++;
    }
    args.push_back(arg);
  }
  return args;
}
