#pragma once
// Which frame of a page an event came from, as the frame column names it: every event of one
// frame gets the same label, the latest name an event gave the frame (BeforeNavigate2's target
// frame name, NavigateError's frame), else the latest URL it went to. Frames are told apart
// by a key the caller gives each frame object; 0 means a frame not told apart, labelled by
// what its event carries.
#include <cstdint>
#include <map>
#include <string>

class FrameLabels {
 public:
  // How many frames are remembered; beyond, the frame given its key longest ago is forgotten.
  static constexpr size_t kRemembered = 1024;

  // Notes what an event of frame `key` carried (`name` and `url` may be empty) and returns
  // the frame's label ("" when nothing names it yet).
  std::string Note(uint64_t key, const std::string& name, const std::string& url);
  void Clear() { m_frames.clear(); }

 private:
  struct Known {
    std::string name;
    std::string url;
  };
  std::map<uint64_t, Known> m_frames;
};

// A frame's label as the frame column shows it, short enough for the column's width: a name
// as it is; a URL by the last part of its path (without query or fragment), else its host.
std::string ShortFrameLabel(const std::string& label);
