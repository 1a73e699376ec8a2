// This system's side of the core: what the file jobs, the scan and the command-line program
// ask of Windows or Linux. platform/win32/ implements it for Windows and platform/posix/ for
// Linux, in files of the same names:
// - the files (SystemFiles): files.cpp opens sources to be read or replaced and makes new and
//   scratch files; content_replacement.{h,cpp} writes a file's new content and puts it in
//   place; file_io.{h,cpp} holds the whole reads and writes and the failure codes beneath;
// - the folder listings the scan walks (SystemScanFolders): folders.cpp;
// - the records folder and where it is by default (OpenRecordFolder, DefaultRecordsFolder):
//   records_folder.cpp;
// - the environment, whether standard error is a terminal, and reading a key typed at the
//   terminal without showing it (EnvironmentValue, StandardErrorIsTerminal, ReadSecretLine),
//   with the program's arguments and the text it writes (program_text.h): command_line.cpp;
// - standard input and output as streams, and whether standard output is a terminal
//   (StandardInput, StandardOutput, StandardOutputIsTerminal): standard_streams.cpp.
// The other headers in this folder are contracts of their own: whether two names are one file
// (file_identity.h, in file_io.cpp), a typed key's normalisation (system_key_text.h, in
// key_text.cpp), the cryptographic library (crypto_library.h: gcrypt/ over libgcrypt for both,
// reached by win32/gcrypt_loader.cpp and posix/gcrypt_linked.cpp), and what only the Windows
// programs use (win32_*.h; what is not whole in its header is in win32/ under the name
// without the prefix).
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
