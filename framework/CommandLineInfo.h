#pragma once
// The framework's standard command line: no argument means a new empty document, a file
// name means open that file. Switches ("/x" or "-x") are read as flags; the program adds
// none of its own, so they change nothing but are not taken for file names.
#include <string>
#include <vector>

class CCommandLineInfo {
 public:
  enum ShellCommand { FileNew, FileOpen, FileNothing };

  virtual ~CCommandLineInfo() = default;
  virtual void ParseParam(const char* param, bool bFlag, bool bLast);

  ShellCommand m_nShellCommand = FileNew;
  std::string m_strFileName;
};

// Splits a command line the way the C runtime does: blanks separate arguments, double
// quotes group, a backslash before a quote escapes it.
std::vector<std::string> SplitCommandLine(const char* commandLine);
