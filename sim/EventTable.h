#pragma once
// The members of DWebBrowserEvents2 that the simulated browser raises: name, DISPID and
// the variant types of the parameters in declaration order, as Internet Explorer sends them.
#include <windows.h>
#include <exdispid.h>

#include <cstddef>
#include <cstring>

namespace sim {

struct BrowserEvent {
  const char* name;
  DISPID dispid;
  VARTYPE params[7];
  int paramCount;
};

constexpr VARTYPE kPVariant = VT_BYREF | VT_VARIANT;
constexpr VARTYPE kPBool = VT_BYREF | VT_BOOL;
constexpr VARTYPE kPI4 = VT_BYREF | VT_I4;
constexpr VARTYPE kPDispatch = VT_BYREF | VT_DISPATCH;

// clang-format off
inline constexpr BrowserEvent kBrowserEvents[] = {
  {"StatusTextChange",           DISPID_STATUSTEXTCHANGE,           {VT_BSTR}, 1},
  {"ProgressChange",             DISPID_PROGRESSCHANGE,             {VT_I4, VT_I4}, 2},
  {"CommandStateChange",         DISPID_COMMANDSTATECHANGE,         {VT_I4, VT_BOOL}, 2},
  {"DownloadBegin",              DISPID_DOWNLOADBEGIN,              {}, 0},
  {"DownloadComplete",           DISPID_DOWNLOADCOMPLETE,           {}, 0},
  {"TitleChange",                DISPID_TITLECHANGE,                {VT_BSTR}, 1},
  {"PropertyChange",             DISPID_PROPERTYCHANGE,             {VT_BSTR}, 1},
  {"BeforeNavigate2",            DISPID_BEFORENAVIGATE2,
     {VT_DISPATCH, kPVariant, kPVariant, kPVariant, kPVariant, kPVariant, kPBool}, 7},
  {"NewWindow2",                 DISPID_NEWWINDOW2,                 {kPDispatch, kPBool}, 2},
  {"NavigateComplete2",          DISPID_NAVIGATECOMPLETE2,          {VT_DISPATCH, kPVariant}, 2},
  {"DocumentComplete",           DISPID_DOCUMENTCOMPLETE,           {VT_DISPATCH, kPVariant}, 2},
  {"OnQuit",                     DISPID_ONQUIT,                     {}, 0},
  {"OnVisible",                  DISPID_ONVISIBLE,                  {VT_BOOL}, 1},
  {"OnToolBar",                  DISPID_ONTOOLBAR,                  {VT_BOOL}, 1},
  {"OnMenuBar",                  DISPID_ONMENUBAR,                  {VT_BOOL}, 1},
  {"OnStatusBar",                DISPID_ONSTATUSBAR,                {VT_BOOL}, 1},
  {"OnFullScreen",               DISPID_ONFULLSCREEN,               {VT_BOOL}, 1},
  {"OnTheaterMode",              DISPID_ONTHEATERMODE,              {VT_BOOL}, 1},
  {"WindowSetResizable",         DISPID_WINDOWSETRESIZABLE,         {VT_BOOL}, 1},
  {"WindowSetLeft",              DISPID_WINDOWSETLEFT,              {VT_I4}, 1},
  {"WindowSetTop",               DISPID_WINDOWSETTOP,               {VT_I4}, 1},
  {"WindowSetWidth",             DISPID_WINDOWSETWIDTH,             {VT_I4}, 1},
  {"WindowSetHeight",            DISPID_WINDOWSETHEIGHT,            {VT_I4}, 1},
  {"WindowClosing",              DISPID_WINDOWCLOSING,              {VT_BOOL, kPBool}, 2},
  {"ClientToHostWindow",         DISPID_CLIENTTOHOSTWINDOW,         {kPI4, kPI4}, 2},
  {"SetSecureLockIcon",          DISPID_SETSECURELOCKICON,          {VT_I4}, 1},
  {"FileDownload",               DISPID_FILEDOWNLOAD,               {kPBool}, 1},
  {"NavigateError",              DISPID_NAVIGATEERROR,
     {VT_DISPATCH, kPVariant, kPVariant, kPVariant, kPBool}, 5},
  {"PrintTemplateInstantiation", DISPID_PRINTTEMPLATEINSTANTIATION, {VT_DISPATCH}, 1},
  {"PrintTemplateTeardown",      DISPID_PRINTTEMPLATETEARDOWN,      {VT_DISPATCH}, 1},
  {"UpdatePageStatus",           DISPID_UPDATEPAGESTATUS,           {VT_DISPATCH, kPVariant, kPVariant}, 3},
  {"PrivacyImpactedStateChange", DISPID_PRIVACYIMPACTEDSTATECHANGE, {VT_BOOL}, 1},
};
// clang-format on

inline const BrowserEvent* FindBrowserEvent(const char* name) {
  for (const BrowserEvent& e : kBrowserEvents)
    if (_stricmp(e.name, name) == 0) return &e;
  return nullptr;
}

}  // namespace sim
