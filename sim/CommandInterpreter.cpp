#include "sim/CommandInterpreter.h"

#include <olectl.h>

#include <cstddef>
#include <cstdio>

#include "sim/CommandTokens.h"
#include "sim/EventTable.h"

namespace sim {

namespace {

enum OpenKind { kOpenBrowser, kOpenFolder, kOpenOther, kOpenHost };

// {A7D3F0C2-1B2E-4C5D-8E9F-0A1B2C3D4E5F}: an interface id no receiver knows.
const IID kForeignIid = {0xa7d3f0c2, 0x1b2e, 0x4c5d, {0x8e, 0x9f, 0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}};

CommandInterpreter::Result Error(const std::string& text) { return {"ERR " + text}; }
CommandInterpreter::Result Ok(const std::string& text = "") { return {text.empty() ? "OK" : "OK " + text}; }

std::string HwndText(HWND window) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "0x%llX", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  return buffer;
}

std::string Option(const std::vector<std::string>& tokens, size_t from, const char* key, const std::string& fallback) {
  std::string value;
  for (size_t i = from; i < tokens.size(); ++i)
    if (KeyValue(tokens[i], key, &value)) return value;
  return fallback;
}

// ArgTexts built here are not tokenized again, so the raw text is used as is.
std::string BstrSpec(const std::string& text) { return "pvar:bstr:" + text; }

// Post data as a browser passes it: a reference to a VARIANT that refers to the data
// ("post=direct:ARG" leaves out the middle reference).
std::string PostSpec(const std::string& argText) {
  if (argText.compare(0, 7, "direct:") == 0) return "pvar:" + argText.substr(7);
  return "pvar:pvar:" + argText;
}

}  // namespace

CommandInterpreter::CommandInterpreter(BrowserSet& browsers, Pump pump, Hang hang, bool showWindows)
    : m_browsers(browsers), m_pump(std::move(pump)), m_hang(std::move(hang)), m_showWindows(showWindows) {}

CommandInterpreter::Result CommandInterpreter::Execute(const std::string& line) {
  Tokens tokens;
  std::string error;
  if (!Tokenize(line, &tokens, &error)) return Error(error);
  if (tokens.empty()) return Ok();
  return Dispatch(tokens);
}

std::string CommandInterpreter::Reply(const Calls& calls) {
  std::string text = "calls=" + std::to_string(calls.results.size());
  if (!calls.results.empty()) {
    text += " hr=";
    for (size_t i = 0; i < calls.results.size(); ++i) text += (i ? "," : "") + HresultText(calls.results[i]);
  }
  if (!calls.outputs.empty()) text += " out=" + calls.outputs;
  if (calls.cancelled) text += " cancelled=1";
  return text;
}

CommandInterpreter::Result CommandInterpreter::Dispatch(const Tokens& tokens) {
  const std::string& verb = tokens[0];
  if (verb == "open") return Open(tokens, kOpenBrowser);
  if (verb == "folder") return Open(tokens, kOpenFolder);
  if (verb == "other") return Open(tokens, kOpenOther);
  if (verb == "host") return Open(tokens, kOpenHost);
  if (verb == "calls") return CallCounts(tokens);
  if (verb == "close") return Close(tokens);
  if (verb == "wait") return Wait(tokens);
  if (verb == "repeat") return Repeat(tokens);
  if (verb == "count") return Ok("count=" + std::to_string(m_browsers.Count()));
  if (verb == "echo") {
    std::string text;
    for (size_t i = 1; i < tokens.size(); ++i) text += (i > 1 ? " " : "") + tokens[i];
    return Ok(text);
  }
  if (verb == "exit") {
    Result result = Ok("exit");
    result.exit = true;
    return result;
  }
  if (verb == "sleep") {
    long ms = 0;
    if (tokens.size() < 2 || !ParseLong(tokens[1], &ms) || ms < 0) return Error("usage: sleep MS");
    m_pump(static_cast<DWORD>(ms), [] { return false; });
    return Ok();
  }

  if (verb == "unhang") {
    // The simulator that runs this interpreter ends the hangs: one that holds this thread
    // ends as soon as the command is read, before its turn comes.
    if (tokens.size() > 2) return Error("usage: unhang [ID]");
    Result result = Ok();
    result.unhangCommand = true;
    result.item = tokens.size() == 2 ? tokens[1] : std::string();
    return result;
  }

  // Everything else acts on one item.
  if (tokens.size() < 2) return Error("missing id");
  BrowserSet::Entry* entry = m_browsers.Find(tokens[1]);
  if (!entry) return Error("no such id: " + tokens[1]);
  if (verb == "window") {
    std::string text = "hwnd=" + HwndText(entry->window ? entry->window->Frame() : nullptr);
    if (entry->window && !entry->window->ServerWindows().empty()) {
      text += " servers=";
      const auto& servers = entry->window->ServerWindows();
      for (size_t i = 0; i < servers.size(); ++i) text += (i ? "," : "") + HwndText(servers[i]);
    }
    return Ok(text);
  }
  if (verb == "hang") {
    long ms = 0;
    long call = 0;
    if (tokens.size() < 3 || !ParseLong(tokens[2], &ms) || ms < 0 ||
        !ParseLong(Option(tokens, 3, "call", "0"), &call) || call < 0)
      return Error("usage: hang ID MS [exit=1] [call=K]");
    // With exit=1 the simulator leaves when the time is up, before it serves anything more:
    // a browser process that ends while a client waits for its answer.
    const bool exitAfter = Option(tokens, 3, "exit", "0") != "0";
    Result result = Ok("hang=" + std::to_string(ms) + (exitAfter ? " exit=1" : "") +
                       (call ? " call=" + std::to_string(call) : ""));
    result.hangMs = static_cast<DWORD>(ms);
    result.hangAtCall = call;
    result.hangCommand = true;
    result.item = tokens[1];
    result.exit = exitAfter && !call;
    return result;
  }
  if (!entry->browser) return Error(tokens[1] + " is not a browser");
  if (verb == "sinks") return Ok("sinks=" + std::to_string(entry->browser->ConnectionPoint()->SinkCount()));
  if (verb == "refs") {
    std::string text = "browser=" + std::to_string(entry->browser->References()) + " documents=";
    for (size_t i = 0; i < entry->documents.size(); ++i)
      text += (i ? "," : "") + std::to_string(entry->documents[i]->References());
    const auto& frames = entry->frames.Frames();
    if (!frames.empty()) text += " frames=";
    for (size_t i = 0; i < frames.size(); ++i)
      text += (i ? "," : "") + std::to_string(frames[i].browser->References()) + "/" +
              std::to_string(frames[i].document->References());
    return Ok(text);
  }
  if (verb == "navigate") return Navigate(*entry, tokens);
  if (verb == "frames") return Frames(*entry, tokens);
  if (verb == "fire") return Fire(*entry, tokens, false);
  if (verb == "flood") return Flood(*entry, tokens);
  if (verb == "raw") return Fire(*entry, tokens, true);

  Calls calls;
  std::string error;
  bool ok = false;
  if (verb == "title" && tokens.size() >= 3) {
    m_browsers.SetTitle(*entry, Utf8ToWide(tokens[2]));
    ok = Raise(*entry, "TitleChange", {"bstr:" + tokens[2]}, &calls, &error);
  } else if (verb == "status" && tokens.size() >= 3) {
    ok = Raise(*entry, "StatusTextChange", {"bstr:" + tokens[2]}, &calls, &error);
  } else if (verb == "progress" && tokens.size() >= 4) {
    ok = Raise(*entry, "ProgressChange", {"i4:" + tokens[2], "i4:" + tokens[3]}, &calls, &error);
  } else if (verb == "command" && tokens.size() >= 4) {
    ok = Raise(*entry, "CommandStateChange", {"i4:" + tokens[2], "bool:" + tokens[3]}, &calls, &error);
  } else if (verb == "download" && tokens.size() >= 3 && (tokens[2] == "begin" || tokens[2] == "complete")) {
    ok = Raise(*entry, tokens[2] == "begin" ? "DownloadBegin" : "DownloadComplete", {}, &calls, &error);
  } else if (verb == "quit") {
    ok = Raise(*entry, "OnQuit", {}, &calls, &error);
  } else {
    return Error("unknown command or missing arguments: " + verb);
  }
  if (!ok) return Error(error);
  return Ok(Reply(calls));
}

CommandInterpreter::Result CommandInterpreter::Open(const Tokens& tokens, int kind) {
  if (tokens.size() < 2) return Error("missing id");
  const std::string& id = tokens[1];
  const std::wstring title = Utf8ToWide(Option(tokens, 2, "title", id));
  const std::wstring url = Utf8ToWide(Option(tokens, 2, "url", "about:blank"));
  long panes = 1;
  if (!ParseLong(Option(tokens, 2, "panes", "1"), &panes) || panes < 1 || panes > 8) return Error("bad panes");
  const bool visible = Option(tokens, 2, "visible", m_showWindows ? "1" : "0") != "0";
  EventConnectionPoint::AdviseHook adviseHook;
  const std::string advise = Option(tokens, 2, "advise", "");
  if (kind == kOpenBrowser && !advise.empty() && !AdviseAnswer(id, advise, &adviseHook))
    return Error("bad advise: " + advise + " (refuse, hang:MS or refuse-hang:MS)");
  std::string error;
  bool ok = false;
  if (kind == kOpenBrowser) ok = m_browsers.OpenBrowser(id, title, url, static_cast<int>(panes), visible, &error);
  else if (kind == kOpenFolder) ok = m_browsers.OpenFolder(id, title, visible, &error);
  else if (kind == kOpenHost)
    ok = m_browsers.OpenHost(id, Utf8ToWide(Option(tokens, 2, "caption", id)), title, url, visible, &error);
  else {
    ok = m_browsers.OpenOther(id, Option(tokens, 2, "exit", "0") != "0", &error);
  }
  if (!ok) return Error(error);
  if (adviseHook) m_browsers.Find(id)->browser->ConnectionPoint()->SetAdviseHook(std::move(adviseHook));
  const std::string at = Option(tokens, 2, "at", "");
  long x = 0, y = 0;
  const size_t comma = at.find(',');
  if (comma != std::string::npos && ParseLong(at.substr(0, comma), &x) && ParseLong(at.substr(comma + 1), &y) &&
      m_browsers.Find(id)->window)
    m_browsers.Find(id)->window->MoveTo(static_cast<int>(x), static_cast<int>(y));
  const std::string frames = Option(tokens, 2, "frames", "");
  if (!frames.empty()) {
    const Result result = Frames(*m_browsers.Find(id), {"frames", id, frames});
    if (result.reply.compare(0, 2, "OK") != 0) {
      m_browsers.Close(id);
      return result;
    }
  }
  return Ok("count=" + std::to_string(m_browsers.Count()));
}

bool CommandInterpreter::AdviseAnswer(const std::string& id, const std::string& mode,
                                      EventConnectionPoint::AdviseHook* hook) {
  if (mode == "refuse") {
    *hook = [] { return CONNECT_E_CANNOTCONNECT; };
    return true;
  }
  const size_t colon = mode.find(':');
  long ms = 0;
  if (colon == std::string::npos || !ParseLong(mode.substr(colon + 1), &ms) || ms < 0) return false;
  const std::string kind = mode.substr(0, colon);
  const DWORD wait = static_cast<DWORD>(ms);
  if (kind == "hang") {
    // The thread stops answering inside the call, then accepts as usual.
    *hook = [this, id, wait] {
      m_hang(wait, id);
      return S_OK;
    };
    return true;
  }
  if (kind == "refuse-hang") {
    // A browser whose page broke: the refusal goes out, then the thread stops answering. The
    // hang is posted to the browser's window during the call, so the thread takes it up
    // before any call that arrives after the refusal.
    *hook = [this, id, wait] {
      BrowserSet::Entry* entry = m_browsers.Find(id);
      if (entry && entry->window) entry->window->Post([this, id, wait] { m_hang(wait, id); });
      return CONNECT_E_CANNOTCONNECT;
    };
    return true;
  }
  return false;
}

CommandInterpreter::Result CommandInterpreter::Close(const Tokens& tokens) {
  if (tokens.size() < 2) return Error("missing id");
  BrowserSet::Entry* entry = m_browsers.Find(tokens[1]);
  if (!entry) return Error("no such id: " + tokens[1]);
  Calls calls;
  std::string error;
  if (tokens.size() >= 3 && tokens[2] == "quit" && entry->browser)
    if (!Raise(*entry, "OnQuit", {}, &calls, &error)) return Error(error);
  // The OnQuit receivers may have closed it already through Quit(); look it up again.
  m_browsers.Close(tokens[1]);
  return Ok(Reply(calls) + " count=" + std::to_string(m_browsers.Count()));
}

CommandInterpreter::Result CommandInterpreter::Navigate(BrowserSet::Entry& entry, const Tokens& tokens) {
  if (tokens.size() < 3) return Error("usage: navigate ID URL [flags=N] [frame=T] [post=ARG] [headers=T] [title=T]");
  const std::string& url = tokens[2];
  const std::string title = Option(tokens, 3, "title", url);
  const Tokens before = {"disp:browser",
                         BstrSpec(url),
                         "pvar:i4:" + Option(tokens, 3, "flags", "0"),
                         BstrSpec(Option(tokens, 3, "frame", "")),
                         PostSpec(Option(tokens, 3, "post", "empty")),
                         BstrSpec(Option(tokens, 3, "headers", "")),
                         "pbool:false"};
  Calls calls;
  std::string error;
  if (!Raise(entry, "BeforeNavigate2", before, &calls, &error)) return Error(error);
  // A receiver that set Cancel stops the navigation, as in a real browser.
  if (calls.outputs.find("pbool:0") == std::string::npos) {
    calls.cancelled = true;
    calls.outputs.clear();
    return Ok(Reply(calls));
  }
  calls.outputs.clear();
  const bool ok = Raise(entry, "DownloadBegin", {}, &calls, &error) &&
                  Raise(entry, "ProgressChange", {"i4:100", "i4:10000"}, &calls, &error);
  if (!ok) return Error(error);
  m_browsers.SetLocation(entry, Utf8ToWide(url));
  if (!Raise(entry, "NavigateComplete2", {"disp:browser", BstrSpec(url)}, &calls, &error)) return Error(error);
  m_browsers.SetTitle(entry, Utf8ToWide(title));
  const bool rest = Raise(entry, "TitleChange", {"bstr:" + title}, &calls, &error) &&
                    NavigateFrames(entry, &calls, &error) &&
                    Raise(entry, "ProgressChange", {"i4:10000", "i4:10000"}, &calls, &error) &&
                    Raise(entry, "DownloadComplete", {}, &calls, &error) &&
                    Raise(entry, "DocumentComplete", {"disp:browser", BstrSpec(url)}, &calls, &error);
  if (!rest) return Error(error);
  calls.outputs.clear();
  return Ok(Reply(calls));
}

bool CommandInterpreter::NavigateFrames(BrowserSet::Entry& entry, Calls* calls, std::string* error) {
  // The page has arrived, so its frames are known: each loads in turn and completes before
  // the page's own DocumentComplete. A frame whose navigation a receiver cancels stops there.
  if (entry.frames.Count() == 0) return true;
  entry.frames.ShowPage(entry.documents[0]->Title(), entry.browser->LocationUrl());
  for (size_t i = 0; i < entry.frames.Count(); ++i) {
    const PageFrames::Frame& frame = entry.frames.Frames()[i];
    const std::string self = "disp:" + frame.name;
    const std::string url = WideToUtf8(frame.browser->LocationUrl());
    const Tokens before = {self, BstrSpec(url), "pvar:i4:0", BstrSpec(frame.name), PostSpec("empty"), BstrSpec(""),
                           "pbool:false"};
    calls->outputs.clear();
    if (!Raise(entry, "BeforeNavigate2", before, calls, error)) return false;
    const bool cancelled = calls->outputs.find("pbool:0") == std::string::npos;
    calls->outputs.clear();
    if (cancelled) continue;
    if (!Raise(entry, "NavigateComplete2", {self, BstrSpec(url)}, calls, error) ||
        !Raise(entry, "DocumentComplete", {self, BstrSpec(url)}, calls, error))
      return false;
  }
  return true;
}

CommandInterpreter::Result CommandInterpreter::Frames(BrowserSet::Entry& entry, const Tokens& tokens) {
  long count = 0;
  if (tokens.size() < 3 || !ParseLong(tokens[2], &count) || count < 0 || count > 16)
    return Error("usage: frames ID N (0 to 16)");
  std::string error;
  if (!m_browsers.SetFrames(entry, static_cast<size_t>(count), &error)) return Error(error);
  return Ok("frames=" + std::to_string(count));
}

CommandInterpreter::Result CommandInterpreter::CallCounts(const Tokens& tokens) {
  // calls: every incoming call; calls ID: those into the browser and into each frame.
  if (tokens.size() < 2) return Ok("total=" + std::to_string(m_browsers.TotalCalls()));
  BrowserSet::Entry* entry = m_browsers.Find(tokens[1]);
  if (!entry || !entry->browser) return Error("no such browser: " + tokens[1]);
  std::string text = "calls=" + std::to_string(m_browsers.CallsInto(entry->browser.Get()));
  if (entry->frames.Count()) {
    text += " frames=";
    for (size_t i = 0; i < entry->frames.Count(); ++i)
      text += (i ? "," : "") + std::to_string(m_browsers.CallsInto(entry->frames.Frames()[i].browser.Get()));
  }
  return Ok(text);
}

CommandInterpreter::Result CommandInterpreter::Fire(BrowserSet::Entry& entry, const Tokens& tokens, bool raw) {
  if (tokens.size() < 3) return Error(raw ? "usage: raw ID DISPID [options] [ARGS]" : "usage: fire ID EVENT [ARGS]");
  Calls calls;
  std::string error;
  if (!raw) {
    const BrowserEvent* event = FindBrowserEvent(tokens[2].c_str());
    if (!event) return Error("unknown event: " + tokens[2]);
    const Tokens argTexts(tokens.begin() + 3, tokens.end());
    if (!Raise(entry, event->name, argTexts, &calls, &error)) return Error(error);
    return Ok(Reply(calls));
  }
  long dispid = 0;
  const BrowserEvent* event = FindBrowserEvent(tokens[2].c_str());
  if (event) dispid = event->dispid;
  else if (!ParseLong(tokens[2], &dispid)) return Error("bad DISPID: " + tokens[2]);
  IID iid = IID_NULL;
  long flags = DISPATCH_METHOD;
  long named = 0;
  bool reverse = true;
  Tokens argTexts;
  for (size_t i = 3; i < tokens.size(); ++i) {
    std::string value;
    if (KeyValue(tokens[i], "iid", &value)) {
      if (value == "null") iid = IID_NULL;
      else if (value == "foreign") iid = kForeignIid;
      else if (value == "events") iid = DIID_DWebBrowserEvents2;
      else return Error("iid is null, foreign or events");
    } else if (KeyValue(tokens[i], "flags", &value)) {
      if (!ParseLong(value, &flags)) return Error("bad flags");
    } else if (KeyValue(tokens[i], "named", &value)) {
      if (!ParseLong(value, &named) || named < 0) return Error("bad named");
    } else if (KeyValue(tokens[i], "order", &value)) {
      reverse = value != "given";
    } else {
      argTexts.push_back(tokens[i]);
    }
  }
  if (static_cast<size_t>(named) > argTexts.size()) return Error("more named arguments than arguments");
  if (!Invoke(entry, static_cast<DISPID>(dispid), iid, static_cast<WORD>(flags), static_cast<UINT>(named), reverse,
              argTexts, nullptr, &calls, &error))
    return Error(error);
  return Ok(Reply(calls));
}

bool CommandInterpreter::Raise(BrowserSet::Entry& entry, const char* name, const Tokens& argTexts, Calls* calls,
                               std::string* error) {
  const BrowserEvent* event = FindBrowserEvent(name);
  return Invoke(entry, event->dispid, IID_NULL, DISPATCH_METHOD, 0, true, argTexts, argTexts.empty() ? name : nullptr,
                calls, error);
}

bool CommandInterpreter::Invoke(BrowserSet::Entry& entry, DISPID dispid, REFIID iid, WORD flags, UINT named,
                                bool reverse, const Tokens& argTexts, const char* defaultsFor, Calls* calls,
                                std::string* error) {
  const ArgumentObjects objects = m_browsers.ObjectsFor(entry);
  EventArguments arguments;
  for (const std::string& argText : argTexts)
    if (!arguments.Add(argText, objects, error)) return false;
  if (defaultsFor) {
    const BrowserEvent* event = FindBrowserEvent(defaultsFor);
    for (int i = 0; i < event->paramCount; ++i) arguments.AddDefault(event->params[i], objects);
  }
  // Keep the browser alive for the calls: a receiver may close it through Quit meanwhile.
  Microsoft::WRL::ComPtr<SimBrowser> browser = entry.browser;
  const std::vector<HRESULT> results =
      browser->ConnectionPoint()->Fire(dispid, iid, flags, arguments.Build(reverse, named));
  calls->results.insert(calls->results.end(), results.begin(), results.end());
  const std::string outputs = arguments.Outputs();
  if (!outputs.empty()) calls->outputs += (calls->outputs.empty() ? "" : ",") + outputs;
  return true;
}

namespace {

// One thread of a flood: its share of the calls, on the sinks as the process's
// multithreaded apartment reaches them, with arguments of its own.
struct FloodThread {
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> sinks;  // taken by the thread
  const std::vector<std::string>* argTexts = nullptr;
  DISPID dispid = 0;
  long calls = 0;
  long failed = 0;
  volatile LONG* finished = nullptr;
};

DWORD WINAPI RunFloodThread(void* param) {
  auto* job = static_cast<FloodThread*>(param);
  const bool initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  // Let go of here, in the apartment they belong to.
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> sinks = std::move(job->sinks);
  EventArguments arguments;
  std::string error;
  for (const std::string& text : *job->argTexts) arguments.Add(text, ArgumentObjects(), &error);
  DISPPARAMS* params = arguments.Build(true, 0);
  for (long i = 0; i < job->calls; ++i) {
    for (auto& sink : sinks) {
      UINT argError = 0;
      if (FAILED(sink->Invoke(job->dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr, nullptr,
                              &argError)))
        ++job->failed;
    }
  }
  sinks.clear();
  if (initialized) CoUninitialize();
  InterlockedIncrement(job->finished);
  return 0;
}

}  // namespace

CommandInterpreter::Result CommandInterpreter::Flood(BrowserSet::Entry& entry, const Tokens& tokens) {
  // flood ID N threads=K EVENT [ARG...]: N calls of the event on every sink, made by K
  // threads at once (a browser's calls come one at a time; this fills a receiver faster
  // where the platform overlaps calls). Arguments are values only, no objects.
  long times = 0, threads = 0;
  std::string value;
  if (tokens.size() < 5 || !ParseLong(tokens[2], &times) || times < 1 || !KeyValue(tokens[3], "threads", &value) ||
      !ParseLong(value, &threads) || threads < 1 || threads > 16)
    return Error("usage: flood ID N threads=K EVENT [ARG...] (K from 1 to 16)");
  const BrowserEvent* event = FindBrowserEvent(tokens[4].c_str());
  if (!event) return Error("unknown event: " + tokens[4]);
  const std::vector<std::string> argTexts(tokens.begin() + 5, tokens.end());
  // Objects live in this thread's apartment: the threads could not pass them on.
  for (const std::string& text : argTexts) {
    size_t at = 0;
    while (text.compare(at, 5, "pvar:") == 0) at += 5;
    const size_t colon = text.find(':', at);
    const std::string type = text.substr(at, colon == std::string::npos ? std::string::npos : colon - at);
    if ((type == "disp" || type == "pdisp") && text.compare(colon + 1, std::string::npos, "null") != 0)
      return Error("a flood sends no objects: " + text);
  }
  {
    EventArguments check;
    std::string error;
    for (const std::string& text : argTexts)
      if (!check.Add(text, ArgumentObjects(), &error)) return Error(error);
  }
  volatile LONG finished = 0;
  std::vector<FloodThread> jobs(static_cast<size_t>(threads));
  for (long k = 0; k < threads; ++k) {
    FloodThread& job = jobs[static_cast<size_t>(k)];
    job.argTexts = &argTexts;
    job.dispid = event->dispid;
    job.calls = times / threads + (k < times % threads ? 1 : 0);
    job.finished = &finished;
    job.sinks = entry.browser->ConnectionPoint()->Sinks();
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::vector<HANDLE> handles;
  for (FloodThread& job : jobs) {
    const HANDLE thread = CreateThread(nullptr, 0, RunFloodThread, &job, 0, nullptr);
    if (thread) {
      handles.push_back(thread);
    } else {
      InterlockedIncrement(&finished);
    }
  }
  // The threads' ends wake no message wait: the pump is asked again every 20 ms.
  while (finished != threads) m_pump(20, [&] { return finished == threads; });
  for (HANDLE thread : handles) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  QueryPerformanceCounter(&end);
  long failed = 0;
  for (const FloodThread& job : jobs) failed += job.failed;
  const long long us = (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
  return Ok("flood=" + std::to_string(times) + " us=" + std::to_string(us) + " failed=" + std::to_string(failed));
}

CommandInterpreter::Result CommandInterpreter::Wait(const Tokens& tokens) {
  // wait sinks ID N [timeout=MS]
  long count = 0;
  long timeout = 10000;
  if (tokens.size() < 4 || tokens[1] != "sinks" || !ParseLong(tokens[3], &count) ||
      !ParseLong(Option(tokens, 4, "timeout", "10000"), &timeout))
    return Error("usage: wait sinks ID N [timeout=MS]");
  const std::string id = tokens[2];
  auto sinks = [this, id]() -> long {
    BrowserSet::Entry* entry = m_browsers.Find(id);
    return entry && entry->browser ? static_cast<long>(entry->browser->ConnectionPoint()->SinkCount()) : -1;
  };
  m_pump(static_cast<DWORD>(timeout), [&] { return sinks() == count; });
  if (sinks() != count) return Error("timeout: sinks=" + std::to_string(sinks()));
  return Ok("sinks=" + std::to_string(count));
}

CommandInterpreter::Result CommandInterpreter::Repeat(const Tokens& tokens) {
  // repeat N [exitafter=K] COMMAND...: one reply with the total time spent in the commands.
  // With exitafter, the simulator leaves after the K-th run, as a browser process that ends
  // in the middle of a burst of events.
  long times = 0;
  std::string value;
  long exitAfter = -1;
  size_t first = 2;
  if (tokens.size() > 2 && KeyValue(tokens[2], "exitafter", &value)) {
    if (!ParseLong(value, &exitAfter) || exitAfter < 0) return Error("bad exitafter");
    first = 3;
  }
  if (tokens.size() <= first || !ParseLong(tokens[1], &times) || times < 1)
    return Error("usage: repeat N [exitafter=K] COMMAND...");
  if (exitAfter >= 0 && exitAfter < times) times = exitAfter;
  const Tokens inner(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end());
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  long failures = 0;
  // "{n}" in the command stands for the run's number, from 1, as wide as N's digits
  // (events that can be told apart and put in order).
  bool numbered = false;
  for (const std::string& token : inner) numbered = numbered || token.find("{n}") != std::string::npos;
  const size_t width = std::to_string(times).size();
  Tokens run = inner;
  for (long i = 0; i < times; ++i) {
    if (numbered) {
      run = inner;
      std::string number = std::to_string(i + 1);
      number.insert(0, width - number.size(), '0');
      for (std::string& token : run)
        for (size_t at = token.find("{n}"); at != std::string::npos; at = token.find("{n}", at + number.size()))
          token.replace(at, 3, number);
    }
    if (Dispatch(run).reply.compare(0, 2, "OK") != 0) ++failures;
  }
  QueryPerformanceCounter(&end);
  const long long us = (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
  Result result = Ok("repeat=" + std::to_string(times) + " us=" + std::to_string(us) +
                     " failed=" + std::to_string(failures) + (exitAfter >= 0 ? " exit=1" : ""));
  result.exit = exitAfter >= 0;
  return result;
}

}  // namespace sim
