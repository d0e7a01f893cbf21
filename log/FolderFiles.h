#pragma once
// Files in a folder that the program makes itself (journals, traces), with no window: the
// folder made with its parents, a file's path in it, and a name not yet taken there. Paths
// are in the program's code page: a separator is looked for only between characters, since
// the second byte of a double-byte character may be 0x5C.
#include <windows.h>

#include <string>

// `name` in `folder`, with a separator between them unless `folder` ends with one.
std::string InFolder(const std::string& folder, const std::string& name);

bool IsFolder(const std::string& path);

// Makes `folder` and whichever of its parents are missing, from the top down; true once it
// is a folder. A parent that cannot be made (a drive, a share, a plain file) is left to the
// last step to fail.
bool CreateFolderWithParents(const std::string& folder);

// `fileName` for `number` below 2, else "stem (number).extension".
std::string NumberedName(const std::string& fileName, int number);
