#pragma once
// The frames of the page a simulated browser shows. Each frame is a browser object of its
// own (a COM identity of its own, no window handle, not a top-level container) showing a
// document of its own, named "frame1", "frame2", ... with a URL beside the page's. The
// frames' events are raised on the top-level browser's connection point, as a browser does.
#include <windows.h>
#include <exdisp.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "sim/SimBrowser.h"
#include "sim/SimDocument.h"

namespace sim {

class PageFrames {
 public:
  struct Frame {
    std::string name;
    Microsoft::WRL::ComPtr<SimBrowser> browser;
    Microsoft::WRL::ComPtr<SimDocument> document;
  };

  PageFrames() = default;
  PageFrames(const PageFrames&) = delete;
  PageFrames& operator=(const PageFrames&) = delete;
  PageFrames(PageFrames&&) = default;
  PageFrames& operator=(PageFrames&&) = default;
  ~PageFrames() { Clear(); }

  // Replaces the frames by `count` new ones within the page `title` at `url` of `top`.
  void Reset(size_t count, IWebBrowser2* top, const std::wstring& title, const std::wstring& url);
  // The page moved to `url`: every frame shows its part of the new page.
  void ShowPage(const std::wstring& title, const std::wstring& url);
  // Disconnects the frames from their clients and lets go of them.
  void Clear();

  const std::vector<Frame>& Frames() const { return m_frames; }
  size_t Count() const { return m_frames.size(); }
  // "http://host/dir/page.html" gives "http://host/dir/frame2.html" for the second frame.
  static std::wstring FrameUrl(const std::wstring& pageUrl, size_t index);

 private:
  std::vector<Frame> m_frames;
};

}  // namespace sim
