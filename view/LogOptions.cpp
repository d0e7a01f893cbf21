#include "view/LogOptions.h"

#include <iterator>

#include "logview/EventListCtrl.h"
#include "res/resource.h"
#include "settings/AppValues.h"

namespace {

const LogOptions::Option kOptions[] = {
    {ID_VIEW_FOLLOW_AT_BOTTOM, "FollowOnlyAtBottom", &LogOptions::followOnlyAtBottom,
     &CEventListCtrl::SetFollowOnlyAtBottom, nullptr},
    {ID_VIEW_TIME_MILLISECONDS, "TimeWithMilliseconds", &LogOptions::timeWithMilliseconds,
     &CEventListCtrl::SetTimeWithMilliseconds, nullptr},
    {ID_VIEW_SAVE_CSV, "SaveAsCsv", &LogOptions::saveAsCsv, nullptr, &LogModel::SetSaveAsCsv},
    {ID_VIEW_FRAME_COLUMN, "FrameColumn", &LogOptions::frameColumn, &CEventListCtrl::SetFrameColumnShown,
     nullptr},
    {ID_VIEW_ASK_BEFORE_DISCARD, "AskBeforeDiscard", &LogOptions::askBeforeDiscard, nullptr,
     &LogModel::SetAskBeforeDiscard},
    {ID_VIEW_DELTA_COLUMN, "DeltaColumn", &LogOptions::deltaColumn, &CEventListCtrl::SetDeltaColumnShown, nullptr},
};

}  // namespace

const LogOptions::Option* LogOptions::ForCommand(UINT nID) {
  for (const Option& option : kOptions)
    if (option.commandId == nID) return &option;
  return nullptr;
}

void LogOptions::Load() {
  for (const Option& option : kOptions) this->*option.member = appvalues::ReadFlag(option.valueName, false);
}

void LogOptions::Toggle(const Option& option) {
  bool& on = this->*option.member;
  on = !on;
  appvalues::WriteFlag(option.valueName, on);
}

void LogOptions::Apply(const Option& option, CEventListCtrl* list, bool on) {
  if (option.applyToList)
    (list->*option.applyToList)(on);
  else
    (list->Model().*option.applyToModel)(on);
}

void LogOptions::ApplyTo(CEventListCtrl* list) const {
  for (const Option& option : kOptions) Apply(option, list, IsOn(option));
}
