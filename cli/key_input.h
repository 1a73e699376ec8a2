// Getting the key: never from the command line, which other users can read.
#ifndef VEILQUILL_KEY_INPUT_H
#define VEILQUILL_KEY_INPUT_H

#include <string>

#include "cli/cli_options.h"
#include "core/secret_key.h"

// Reads the key from the terminal without echo (twice when `confirm`, and the two must
// match), from the first line of a key file, or from one line of standard input, and checks
// it against the key rules. False, with the reason in `problem`, when there is no usable key.
bool ObtainKey(const KeyOptions& options, bool confirm, SecretKey& key, std::string& problem);

#endif
