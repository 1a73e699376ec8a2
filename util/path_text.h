// Path routines that need no Windows headers.
#ifndef VEILQUILL_PATH_TEXT_H
#define VEILQUILL_PATH_TEXT_H

#include <cstddef>
#include <string>

// The text after the last backslash of `path` (the whole path when it has none).
const char* FileNamePart(const char* path);

// Copies `source` into `destination` of `capacity` bytes with its terminator. Returns false,
// and leaves an empty destination, when the text does not fit: a path is never cut short.
bool CopyWholeText(char* destination, std::size_t capacity, const char* source);

// Appends `tail` to the text in `destination`; false (destination unchanged) when it would
// not fit in `capacity` bytes.
bool AppendWholeText(char* destination, std::size_t capacity, const char* tail);

// Length of the root of a full path, up to and with the backslash that ends it: "C:\",
// "\\server\share\", and either behind the long-path prefix ("\\?\C:\",
// "\\?\UNC\server\share\"). 0 when the path starts with none of them.
std::size_t PathRootLength(const std::string& path);

#endif
