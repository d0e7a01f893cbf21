#pragma once
// Finding browser controls embedded in windows of any program: the rendering windows
// ("Internet Explorer_Server") below every top-level window, each resolved to its browser
// as a browser window is (the document request, then the document's browser service),
// leaving out the browsers of the shell's window list. An entry names the host program's
// executable, its top-level window's caption and the document's title; its window is the
// rendering window, which is what later leads to the browser again.
#include <windows.h>
#include <exdisp.h>

#include <functional>
#include <string>

#include "browser/BrowserDiscovery.h"

// The walk, for any apartment: `found` is called for each embedded browser as it is
// resolved, in the order of the top-level windows, and `stepped` after each top-level window
// that listed nothing. A rendering window inside another one (a frame's) is its page's, and a
// browser met twice is listed once. TRUE when the walk ran to its end.
BOOL WalkEmbeddedBrowsers(const std::function<void(const BrowserListEntry&)>& found,
                          const std::function<void()>& stepped);

// The browser whose control shows in the rendering window `server`. On TRUE the caller owns
// `*browser`; on FALSE it is left untouched.
BOOL GetBrowserFromServerWindow(HWND server, IWebBrowser2** browser);

// The text of an entry: the parts that are not empty, in this order, separated by " | ".
std::string EmbeddedBrowserName(const std::string& executable, const std::string& caption,
                                const std::string& title);

// The file name of the executable of the process that owns `window` ("" when unknown).
std::string ExecutableNameOfWindow(HWND window);
