// The program's commands. Each returns the program's exit code. Those that work on files
// (encrypt, decrypt, check and status) go on with the other files when one fails; find lists
// the encrypted files below folders, as the window's "Find Encrypted" does.
#ifndef VEILQUILL_COMMANDS_H
#define VEILQUILL_COMMANDS_H

#include "cli/cli_options.h"

int RunEncrypt(const CommandOptions& options);
int RunDecrypt(const CommandOptions& options);
int RunCheck(const CommandOptions& options);
int RunStatus(const CommandOptions& options);

// Prints each encrypted file's path on standard output (one a line, or ended by a zero byte)
// and the scan's counts on standard error.
int RunFind(const CommandOptions& options);

#endif
