#pragma once
// Finding running browsers and reaching a browser object from a window: the shell's window
// collection lists them, the rendering window hands out its HTML document, and the
// document's service chain leads to the browser that hosts it.
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>

#include <functional>
#include <string>
#include <vector>

// One browser of the listing: the caption of its top-level window and that window.
struct BrowserListEntry {
  std::string caption;
  HWND window;
};

// Refills `listBox` with one entry per browser that shows an HTML document: the caption of
// its top-level window, with that window's handle as item data, in the collection's order.
// TRUE when the walk ran to its end (also with nothing listed).
BOOL FillBrowserListBox(HWND listBox);

// The walk behind FillBrowserListBox without the list box, for any apartment. Several items
// are visited at once, each visitor in an apartment of its own, and the calling thread waits
// for them with a generous bound (serving calls into its apartment). `found` is called for
// each browser with its place in the collection, on the visitor's thread, as each is found (so
// in no particular order); `stepped` (may be empty) after an item that listed nothing;
// `failed` with the place of a step that failed, which ends the walk there: entries of later
// places do not count. None is called once this has returned. A browser process that ends
// during the walk takes with it the entries of its windows still being visited. TRUE when the
// walk ran to its end.
BOOL WalkBrowsers(const std::function<void(long place, const BrowserListEntry&)>& found,
                  const std::function<void()>& stepped, const std::function<void(long place)>& failed);

// Appends the entries to `listBox` as the walk lists them (an entry the list box refuses is
// left out).
void AddBrowserEntries(HWND listBox, const std::vector<BrowserListEntry>& entries);

// The HTML document shown in `browserWindow`, from its first "Internet Explorer_Server"
// descendant. `*document` is NULL unless this returns TRUE; the caller owns the reference.
BOOL GetDocumentFromWindow(HWND browserWindow, IHTMLDocument** document);

// The HTML document of the rendering window `server` itself, asked with the document request
// and its time-out. `*document` is NULL unless this returns TRUE; the caller owns it.
BOOL GetDocumentFromServerWindow(HWND server, IHTMLDocument** document);

// Child-window enumeration callback: stores the first rendering window in *(HWND*)found.
BOOL CALLBACK FindServerWindowProc(HWND window, LPARAM found);

// The browser that hosts `document` (borrowed). On TRUE the caller owns `*browser`; on
// FALSE it is left untouched.
BOOL GetBrowserFromDocument(IHTMLDocument* document, IWebBrowser2** browser);
