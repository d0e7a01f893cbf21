#pragma once
// The options of the 表示 menu that every log of the view shares, kept in the program's
// registry key. One table ties each option to its command, its value name and the log's
// setter (the list's, for what the list shows, or else its model's), so the commands, their
// check marks, loading, saving and handing the options to a log all come from it.
#include <windows.h>

#include "log/LogModel.h"

class CEventListCtrl;

struct LogOptions {
  // Follow the newest row only while it is in view.
  bool followOnlyAtBottom = false;
  // Show and write times to the millisecond.
  bool timeWithMilliseconds = false;
  // Save as RFC 4180 comma-separated values.
  bool saveAsCsv = false;
  // Show the column that tells a page's events from its frames'.
  bool frameColumn = false;
  // Ask before a log with rows neither saved nor journaled is cleared, closed or exited from.
  bool askBeforeDiscard = false;
  // Show the column of the time since the shown row before.
  bool deltaColumn = false;

  // One option: the command that switches it, the REG_DWORD (0 or 1) it is kept in, where
  // this structure holds it and how a log takes it: through the list's setter, or, when the
  // list has none, its model's.
  struct Option {
    UINT commandId;
    const char* valueName;
    bool LogOptions::*member;
    void (CEventListCtrl::*applyToList)(bool);
    void (LogModel::*applyToModel)(bool);
  };
  // The option that command `nID` switches; NULL for any other command.
  static const Option* ForCommand(UINT nID);
  // Sets `option` of `list` on or off.
  static void Apply(const Option& option, CEventListCtrl* list, bool on);

  // Reads every option; one that is missing or cannot be read is off.
  void Load();
  // Switches the option and stores its new state.
  void Toggle(const Option& option);
  bool IsOn(const Option& option) const { return this->*option.member; }
  // Gives `list` every option.
  void ApplyTo(CEventListCtrl* list) const;
};
