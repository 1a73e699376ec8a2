// The folder that holds the running program.
#ifndef VEILQUILL_PROGRAM_FOLDER_H
#define VEILQUILL_PROGRAM_FOLDER_H

#include <cstddef>

// Writes the program's folder into `out` (C:\Tools\ with the backslash kept, C:\Tools
// without). Returns false and leaves `out` empty when the path does not fit.
bool ProgramFolder(bool keepBackslash, char* out, std::size_t capacity);

#endif
