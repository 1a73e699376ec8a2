// The command-line program's text where it meets its caller: the arguments it is started with
// and the lines it writes. Inside, both are UTF-8 (on Linux, the bytes as they come).
#ifndef VEILQUILL_PROGRAM_TEXT_H
#define VEILQUILL_PROGRAM_TEXT_H

#include <cstdio>
#include <string>
#include <vector>

// The program's arguments, its own name first. On Windows they are taken from the wide command
// line, so that every name comes whole; on Linux they are `argv` as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Writes `text` to `stream` (stdout or stderr): to a Windows console as its characters, to
// anything else (a file, a pipe, a Linux terminal) as the UTF-8 bytes.
void WriteText(std::FILE* stream, const std::string& text);

// Opens the file at `path` (UTF-8 on Windows, of any length) for reading in binary; null, with
// errno set, when it cannot be opened.
std::FILE* OpenForReading(const std::string& path);

#endif
