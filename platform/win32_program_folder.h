// The folder that holds the running program.
#ifndef VEILQUILL_PROGRAM_FOLDER_H
#define VEILQUILL_PROGRAM_FOLDER_H

#include <string>

// The program's folder in UTF-8, however long its path (C:\Tools\ with the backslash kept,
// C:\Tools without), or an empty text when the system does not give the program's path.
std::string ProgramFolder(bool keepBackslash);

#endif
