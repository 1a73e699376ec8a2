// Whether two names are one file: what decides whether a save replaces the file it read.
#ifndef VEILQUILL_FILE_IDENTITY_H
#define VEILQUILL_FILE_IDENTITY_H

#include <string>

// The same full path, or one file under two names (a hard link, a link).
bool SameFileOnDisk(const std::string& first, const std::string& second);

#endif
