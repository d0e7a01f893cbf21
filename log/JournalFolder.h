#pragma once
// Whether a folder can take a journal's files, tried before any journal starts (making the
// folder with its missing parents: FolderFiles), with no window.
#include <string>

#include "log/FolderFiles.h"

enum class JournalFolderState {
  Ready,        // a folder, existing or made now, that takes new files
  Unnamed,      // no folder given
  NotMade,      // missing, and it cannot be made (a missing drive, a plain file on the way)
  NotWritable,  // a folder, but a new file cannot be made in it
};

// Makes `folder` (with its parents) when it is missing and tries a new file in it: a file
// that is deleted as soon as it is closed, so that nothing is left behind.
JournalFolderState PrepareJournalFolder(const std::string& folder);
