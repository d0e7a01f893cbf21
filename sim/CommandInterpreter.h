#pragma once
// Carries out one line of the simulator's command language (see sim/README.md) on the open
// items and says how it went in one reply line: "OK ..." with the results of the event
// calls it made, or "ERR reason". Runs from the simulator's message loop only.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/BrowserSet.h"

namespace sim {

class CommandInterpreter {
 public:
  struct Result {
    std::string reply;
    DWORD hangMs = 0;    // block the thread this long after replying
    long hangAtCall = 0; // ...or, when set, when this many more calls have come in
    bool hangCommand = false;  // a hang command: it replaces a hang still waiting for its call
    bool unhangCommand = false;  // an unhang command: the hangs of `item` end (of every item when "")
    std::string item{};  // the item a hang or unhang command names
    bool exit = false;   // leave the message loop after replying
  };
  // Pumps messages for up to `ms` milliseconds or until `done` holds.
  using Pump = std::function<void(DWORD ms, const std::function<bool()>& done)>;
  // Blocks the thread for `ms` as the `hang` command of `item` does after its reply.
  using Hang = std::function<void(DWORD ms, const std::string& item)>;

  // `showWindows`: whether opened windows are shown unless the command says (visible=0|1).
  CommandInterpreter(BrowserSet& browsers, Pump pump, Hang hang, bool showWindows);

  Result Execute(const std::string& line);

 private:
  // Results of the Invoke calls made for one command.
  struct Calls {
    std::vector<HRESULT> results;
    std::string outputs;
    bool cancelled = false;
  };
  using Tokens = std::vector<std::string>;

  Result Dispatch(const Tokens& tokens);
  Result Open(const Tokens& tokens, int kind);
  // How the connection point of browser `id` answers Advise for `open ... advise=MODE`
  // (refuse, hang:MS, refuse-hang:MS); false for a mode it does not know. The hook refers to
  // this interpreter, which outlives every call its browsers serve.
  bool AdviseAnswer(const std::string& id, const std::string& mode, EventConnectionPoint::AdviseHook* hook);
  Result Navigate(BrowserSet::Entry& entry, const Tokens& tokens);
  // The frames' part of a navigation: each frame's BeforeNavigate2, NavigateComplete2 and
  // DocumentComplete with the frame as the first argument.
  bool NavigateFrames(BrowserSet::Entry& entry, Calls* calls, std::string* error);
  Result Frames(BrowserSet::Entry& entry, const Tokens& tokens);
  Result CallCounts(const Tokens& tokens);
  Result Fire(BrowserSet::Entry& entry, const Tokens& tokens, bool raw);
  Result Close(const Tokens& tokens);
  Result Wait(const Tokens& tokens);
  Result Repeat(const Tokens& tokens);
  Result Flood(BrowserSet::Entry& entry, const Tokens& tokens);

  // Raises event `name` with the given argument texts (defaults when `argTexts` is empty).
  bool Raise(BrowserSet::Entry& entry, const char* name, const Tokens& argTexts, Calls* calls, std::string* error);
  bool Invoke(BrowserSet::Entry& entry, DISPID dispid, REFIID iid, WORD flags, UINT named, bool reverse,
              const Tokens& argTexts, const char* defaultsFor, Calls* calls, std::string* error);
  static std::string Reply(const Calls& calls);

  BrowserSet& m_browsers;
  Pump m_pump;
  Hang m_hang;
  bool m_showWindows;
};

}  // namespace sim
