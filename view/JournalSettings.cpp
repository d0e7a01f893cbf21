#include "view/JournalSettings.h"

#include "settings/AppValues.h"

namespace {

const char kJournalOnValue[] = "JournalOn";
const char kJournalFolderValue[] = "JournalFolder";

}  // namespace

void JournalSettings::Load() {
  on = appvalues::ReadFlag(kJournalOnValue, false);
  folder = appvalues::ReadText(kJournalFolderValue);
}

void JournalSettings::Save() const {
  appvalues::WriteFlag(kJournalOnValue, on);
  appvalues::WriteText(kJournalFolderValue, folder);
}
