// This system's side of the core: its files, folders, records folder and terminal. Each system
// implements it in one file per job, win32_*.cpp on Windows and posix_*.cpp on Linux: the
// files (*_files.cpp, with their new content and its swap in *_new_content.cpp), the folder
// listings (*_folders.cpp), the records folder (*_records_folder.cpp), the terminal and
// environment (*_terminal.cpp), the standard streams (*_standard_streams.cpp) and scratch files
// (*_scratch_file.cpp).
#ifndef VEILQUILL_PLATFORM_H
#define VEILQUILL_PLATFORM_H

#include <memory>
#include <string>

#include "core/file_access.h"
#include "core/record_store.h"
#include "core/secret_key.h"
#include "core/tree_walk.h"

// The system's files and folders. They hold no state of their own.
FileAccess& SystemFiles();
ScanFolders& SystemScanFolders();

// The records folder at `path`, which need not exist yet.
std::unique_ptr<RecordFolder> OpenRecordFolder(const std::string& path);

// Where records live when no folder is named: the Data folder beside the program on Windows
// (shared with the window), $XDG_DATA_HOME/veilquill/Data on Linux. Empty when unknown.
std::string DefaultRecordsFolder();

// The value of an environment variable; empty when it is not set.
std::string EnvironmentValue(const char* name);

bool StandardErrorIsTerminal();
bool StandardOutputIsTerminal();

// Standard input and standard output as the jobs read and write them: binary, unbuffered, and
// the output's reader going away (a broken pipe) is kOutputClosed, never a signal that ends the
// program. Taken only by a command that streams; other lines go out as before.
InputStream& StandardInput();
OutputStream& StandardOutput();

enum class TerminalRead { kRead, kNoTerminal, kFailed };

// Shows `prompt` on the terminal and reads one line without showing what is typed: the typed
// text in UTF-8 (bytes the terminal's character set does not convert stay as they came).
TerminalRead ReadSecretLine(const char* prompt, SecretLine& line);

#endif
