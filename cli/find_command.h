// find: lists the encrypted files below folders, as the window's "Find Encrypted" does.
#ifndef VEILQUILL_FIND_COMMAND_H
#define VEILQUILL_FIND_COMMAND_H

#include "cli/cli_options.h"

// Prints each encrypted file's path on standard output (one a line, or ended by a zero byte)
// and the scan's counts on standard error.
int RunFind(const CommandOptions& options);

#endif
