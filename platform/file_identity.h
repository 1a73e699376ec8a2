// Whether two names are one file, and whether a name is taken: what decides where a save goes.
#ifndef VEILQUILL_FILE_IDENTITY_H
#define VEILQUILL_FILE_IDENTITY_H

#include <string>

// The same full path, or one file under two names (a hard link, a link).
bool SameFileOnDisk(const std::string& first, const std::string& second);

// Whether anything (a file, a folder, a link) has this name.
bool NameExists(const std::string& path);

#endif
