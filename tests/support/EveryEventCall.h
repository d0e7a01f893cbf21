#pragma once
// One call of every event, in catalogue order, with arguments of the declared types in declared
// order, and what each should become: the text RecordingListener writes of the arguments it
// is handed, and the log row's parameter text. Out-parameters hold sentinels, so that a write
// to them shows; `browser` is the object argument of the events that carry one.
#include <windows.h>

#include <string>
#include <vector>

#include "events/EventCatalog.h"
#include "support/RecordingListener.h"
#include "support/Variants.h"

struct EventCall {
  size_t slot;
  std::vector<VARIANT> args;
  std::string heard;   // as RecordingListener writes the arguments down
  std::string params;  // the log row's parameter text
};

class EveryEventCall {
 public:
  explicit EveryEventCall(IDispatch* browser) {
    url = VarBstr(Text(L"http://example.com/a?b=1"));
    flags = VarI4(64);
    frame = VarBstr(Text(L"_top"));
    VariantInit(&postInner);
    postData = VarRef(VT_VARIANT, &postInner);
    headers = VarBstr(Text(L"Content-Type: text/plain\r\n"));
    page = VarI4(1);
    done = VarBool(VARIANT_TRUE);
    status = VarI4(404);
    const auto ref = [](VARIANT& v) { return VarRef(VT_VARIANT, &v); };
    const auto at = [](const void* p) { return DescribePointer(p); };
    const VARIANT object = VarDispatch(browser), cancelled = VarRef(VT_BOOL, &cancel);
    const std::string b = at(browser), u = at(&url), c = at(&cancel);
    calls = {
        {kStatusTextChange, {VarBstr(Text(L"読み込み中 page"))}, "\"読み込み中 page\"", "Text:読み込み中 page"},
        {kProgressChange, {VarI4(50), VarI4(100)}, "50,100", "Progress:50  ProgressMax:100"},
        {kCommandStateChange, {VarI4(1), VarBool(VARIANT_TRUE)}, "1,1", "Command:1  Enable:1"},
        {kDownloadBegin, {}, "", ""},
        {kDownloadComplete, {}, "", ""},
        {kTitleChange, {VarBstr(Text(L"タイトル"))}, "\"タイトル\"", "Text:タイトル"},
        {kPropertyChange, {VarBstr(Text(L"prop"))}, "\"prop\"", "Property:prop"},
        {kBeforeNavigate2,
         {object, ref(url), ref(flags), ref(frame), ref(postData), ref(headers), cancelled},
         b + "," + u + "," + at(&flags) + "," + at(&frame) + "," + at(&postData) + "," + at(&headers) + "," + c,
         "URL:http://example.com/a?b=1  Flags:64  TargetFrameName:_top  PostData:  "
         "Headers:Content-Type: text/plain\r\n"},
        {kNewWindow2, {VarRef(VT_DISPATCH, &newBrowser), cancelled}, at(&newBrowser) + "," + c, ""},
        {kNavigateComplete2, {object, ref(url)}, b + "," + u, "URL:http://example.com/a?b=1"},
        {kDocumentComplete, {object, ref(url)}, b + "," + u, "URL:http://example.com/a?b=1"},
        {kOnQuit, {}, "", ""},
        {kOnVisible, {VarBool(VARIANT_FALSE)}, "0", "Visible:0"},
        {kOnToolBar, {VarBool(VARIANT_TRUE)}, "1", "ToolBar:1"},
        {kOnMenuBar, {VarBool(VARIANT_TRUE)}, "1", "MenuBar:1"},
        {kOnStatusBar, {VarBool(VARIANT_FALSE)}, "0", "StatusBar:0"},
        {kOnFullScreen, {VarBool(VARIANT_TRUE)}, "1", "FullScreen:1"},
        {kOnTheaterMode, {VarBool(VARIANT_FALSE)}, "0", "TheaterMode:0"},
        {kWindowSetResizable, {VarBool(VARIANT_TRUE)}, "1", "Resizable:1"},
        {kWindowSetLeft, {VarI4(-5)}, "-5", "Left:-5"},
        {kWindowSetTop, {VarI4(7)}, "7", "Top:7"},
        {kWindowSetWidth, {VarI4(800)}, "800", "Width:800"},
        {kWindowSetHeight, {VarI4(600)}, "600", "Height:600"},
        {kWindowClosing, {VarBool(VARIANT_TRUE), cancelled}, "1," + c, "IsChildWindow:1"},
        {kClientToHostWindow, {VarRef(VT_I4, &width), VarRef(VT_I4, &height)}, at(&width) + "," + at(&height), ""},
        {kSetSecureLockIcon, {VarI4(3)}, "3", "SecureLockIcon:3"},
        {kFileDownload, {cancelled}, c, ""},
        {kNavigateError,
         {object, ref(url), ref(frame), ref(status), cancelled},
         b + "," + u + "," + at(&frame) + "," + at(&status) + "," + c,
         "URL:http://example.com/a?b=1  Frame:_top  StatusCode:404"},
        {kPrintTemplateInstantiation, {object}, b, ""},
        {kPrintTemplateTeardown, {object}, b, ""},
        {kUpdatePageStatus, {object, ref(page), ref(done)}, b + "," + at(&page) + "," + at(&done), ""},
        {kPrivacyImpactedStateChange, {VarBool(VARIANT_TRUE)}, "1", "Impacted:1"},
    };
  }
  ~EveryEventCall() {
    for (BSTR text : m_texts) SysFreeString(text);
  }
  EveryEventCall(const EveryEventCall&) = delete;
  EveryEventCall& operator=(const EveryEventCall&) = delete;

  // The calls of every event but the one in `slot`.
  std::vector<EventCall> Except(size_t slot) const {
    std::vector<EventCall> others;
    for (const EventCall& call : calls)
      if (call.slot != slot) others.push_back(call);
    return others;
  }

  std::vector<EventCall> calls;
  VARIANT_BOOL cancel = 0x1234;
  long width = 640, height = 480;
  IDispatch* newBrowser = nullptr;

 private:
  BSTR Text(const wchar_t* text) { return m_texts.emplace_back(SysAllocString(text)); }

  VARIANT url, flags, frame, postInner, postData, headers, page, done, status;
  std::vector<BSTR> m_texts;
};
