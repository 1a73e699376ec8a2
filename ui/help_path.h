// "Help", and where the help file lies: in Help\ of the folder one level above the program's
// folder, so that an installation keeps the program and its guide side by side:
//   ...\Veilquill\Program\Veilquill.exe
//   ...\Veilquill\Help\Veilquill.chm
#ifndef VEILQUILL_HELP_PATH_H
#define VEILQUILL_HELP_PATH_H

#include <windows.h>

#include <cstddef>
#include <string>

// The help file's name below the folder above the program's folder.
constexpr char kHelpFileName[] = "Help\\Veilquill.chm";

// Builds the help file's path from the program's folder (with or without its closing
// backslash: "D:\Apps\Tool\" gives "D:\Apps\Help\Veilquill.chm"). A program in the root of a
// drive or of a network share has no folder above it; its help is looked for in that root
// ("C:\" gives "C:\Help\Veilquill.chm"); the long-path forms "\\?\C:\" and
// "\\?\UNC\server\share\" are roots too. Any length, in UTF-8; an empty text when the folder
// is not a full path.
std::string HelpPathForProgramFolder(const std::string& programFolder);

// The same into `out`. Returns false and leaves `out` empty when the folder is not a full path
// or the result does not fit into `capacity` bytes.
bool HelpPathForProgramFolder(const char* programFolder, char* out, std::size_t capacity);

// The help file's path for the running program; empty when it cannot be built.
std::string BuildHelpPath();

// "Help": hands the help file to the shell.
void HelpCommand(HWND mainWindow);

#endif
