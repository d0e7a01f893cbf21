#pragma once
// The folder journals write into, with no window: a file's path in it, making it with its
// missing parents, and whether it can take a journal's files before any journal starts.
#include <string>

// `name` in `folder`, with one separator between them.
std::string PathInFolder(const std::string& folder, const std::string& name);

// Whether `path` names an existing folder.
bool IsFolder(const std::string& path);

// Makes `folder` and whichever of its parents are missing, from the top down; true once it
// is a folder. A parent that cannot be made (a drive, a share, a plain file) is left to the
// last step to fail.
bool CreateFolderWithParents(const std::string& folder);

enum class JournalFolderState {
  Ready,        // a folder, existing or made now, that takes new files
  Unnamed,      // no folder given
  NotMade,      // missing, and it cannot be made (a missing drive, a plain file on the way)
  NotWritable,  // a folder, but a new file cannot be made in it
};

// Makes `folder` (with its parents) when it is missing and tries a new file in it: a file
// that is deleted as soon as it is closed, so that nothing is left behind.
JournalFolderState PrepareJournalFolder(const std::string& folder);
