// The commands that work on files: encrypt, decrypt, check and status. Each goes on with the
// other files when one fails and returns the program's exit code.
#ifndef VEILQUILL_FILE_COMMANDS_H
#define VEILQUILL_FILE_COMMANDS_H

#include "cli/cli_options.h"

int RunEncrypt(const CommandOptions& options);
int RunDecrypt(const CommandOptions& options);
int RunCheck(const CommandOptions& options);
int RunStatus(const CommandOptions& options);

#endif
