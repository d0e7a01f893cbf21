#include "log/FolderFiles.h"

std::string NumberedName(const std::string& fileName, int number) {
  if (number < 2) return fileName;
  const size_t dot = fileName.rfind('.');
  const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : fileName.substr(dot);
  return stem + " (" + std::to_string(number) + ")" + extension;
}

namespace {

// Whether `folder` ends with a separator: a last byte 0x5C may be the second half of a
// double-byte character instead.
bool EndsWithSeparator(const std::string& folder) {
  bool separator = false;
  for (size_t i = 0; i < folder.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folder[i]);
    separator = c == '\\' || c == '/';
    if (::IsDBCSLeadByte(c)) ++i;
  }
  return separator;
}

}  // namespace

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || EndsWithSeparator(folder)) return folder + name;
  return folder + "\\" + name;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolderWithParents(const std::string& folder) {
  for (size_t i = 0; i < folder.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folder[i]);
    if (::IsDBCSLeadByte(c)) {
      ++i;
      continue;
    }
    if ((c == '\\' || c == '/') && i > 0) ::CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
  }
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return IsFolder(folder);
}
