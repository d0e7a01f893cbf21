#pragma once
// The Windows path of a program this build made: the build names it by its host path, which
// under Wine lies on drive Z:, the host's root.
#include <algorithm>
#include <string>

namespace testsupport {

inline std::string BuiltProgramPath(std::string path) {
  if (path.empty() || path[0] != '/') return path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

}  // namespace testsupport
