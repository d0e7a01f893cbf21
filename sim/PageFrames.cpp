#include "sim/PageFrames.h"

namespace sim {

namespace {

std::wstring FrameTitle(const std::wstring& pageTitle, size_t index) {
  return pageTitle + L" (frame " + std::to_wstring(index + 1) + L")";
}

}  // namespace

std::wstring PageFrames::FrameUrl(const std::wstring& pageUrl, size_t index) {
  const std::wstring file = L"frame" + std::to_wstring(index + 1) + L".html";
  const size_t scheme = pageUrl.find(L"://");
  const size_t pathStart = scheme == std::wstring::npos ? 0 : pageUrl.find(L'/', scheme + 3);
  if (pathStart == std::wstring::npos) return pageUrl + L"/" + file;
  const size_t end = pageUrl.find_first_of(L"?#", pathStart);
  const size_t slash = pageUrl.rfind(L'/', end == std::wstring::npos ? std::wstring::npos : end - 1);
  if (slash == std::wstring::npos || slash < pathStart) return pageUrl + L"/" + file;
  return pageUrl.substr(0, slash + 1) + file;
}

void PageFrames::Reset(size_t count, IWebBrowser2* top, const std::wstring& title, const std::wstring& url) {
  Clear();
  for (size_t i = 0; i < count; ++i) {
    Frame frame;
    frame.name = "frame" + std::to_string(i + 1);
    frame.browser.Attach(new SimBrowser(frame.name, [](const std::string&) {}));
    frame.browser->SetRole(SimBrowser::Role::kFrame);
    // A frame's document leads through its service chain to the top-level browser.
    frame.document.Attach(new SimDocument(top, FrameTitle(title, i), FrameUrl(url, i)));
    frame.browser->SetDocument(static_cast<IHTMLDocument2*>(frame.document.Get()));
    m_frames.push_back(std::move(frame));
  }
  ShowPage(title, url);
}

void PageFrames::ShowPage(const std::wstring& title, const std::wstring& url) {
  for (size_t i = 0; i < m_frames.size(); ++i) {
    const std::wstring frameUrl = FrameUrl(url, i);
    m_frames[i].document->SetTitle(FrameTitle(title, i));
    m_frames[i].document->SetUrl(frameUrl);
    m_frames[i].browser->SetLocation(FrameTitle(title, i), frameUrl);
  }
}

void PageFrames::Clear() {
  for (Frame& frame : m_frames) {
    frame.document->DetachBrowser();
    CoDisconnectObject(static_cast<IHTMLDocument2*>(frame.document.Get()), 0);
    frame.browser->Close();
    CoDisconnectObject(static_cast<IWebBrowser2*>(frame.browser.Get()), 0);
    CoDisconnectObject(frame.browser->ConnectionPoint(), 0);
  }
  m_frames.clear();
}

}  // namespace sim
