#include "log/FrameLabels.h"

std::string FrameLabels::Note(uint64_t key, const std::string& name, const std::string& url) {
  if (key == 0) return name.empty() ? url : name;
  auto found = m_frames.find(key);
  if (found == m_frames.end()) {
    // Keys of frames seen later are larger (the receiving side numbers them in turn).
    if (m_frames.size() >= kRemembered) m_frames.erase(m_frames.begin());
    found = m_frames.emplace(key, Known{}).first;
  }
  Known& frame = found->second;
  if (!name.empty()) frame.name = name;
  if (!url.empty()) frame.url = url;
  return frame.name.empty() ? frame.url : frame.name;
}

std::string ShortFrameLabel(const std::string& label) {
  const size_t scheme = label.find("://");
  if (scheme == std::string::npos && label.find('/') == std::string::npos) return label;
  std::string path = label.substr(0, label.find_first_of("?#"));
  while (!path.empty() && path.back() == '/') path.pop_back();
  const size_t hostStart = scheme == std::string::npos ? 0 : scheme + 3;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 <= hostStart) return path.substr(hostStart);
  return path.substr(slash + 1);
}
