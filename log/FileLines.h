#pragma once
// The bytes of a file, line by line, for WriteLogFile: a saved log's lines, a trace's events.
// A line is whatever piece of the file its index stands for (it may end in a line break, or
// be empty); the file is the lines appended in order.
#include <cstddef>
#include <string>

class FileLines {
 public:
  // No lines at all: no file to write.
  virtual size_t Count() const = 0;
  // Appends line `line` to `out`.
  virtual void Append(size_t line, std::string& out) const = 0;

 protected:
  ~FileLines() = default;
};
