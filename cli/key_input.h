// Getting the key: never from the command line, which other users can read.
#ifndef VEILQUILL_KEY_INPUT_H
#define VEILQUILL_KEY_INPUT_H

#include <string>

#include "cli/cli_options.h"
#include "core/typed_key.h"

// The code page of the original format's keys: --codepage, else this system's.
unsigned KeyCodePage(const KeyOptions& options, const KeyTextSystem& system);

// Reads the key's text from the terminal without echo (twice when `confirm`, and the two must
// match), from the first line of a key file, or from one line of standard input, and makes
// its forms. False, with the reason in `problem`, when there is no usable key.
bool ObtainKey(const KeyOptions& options, const KeyTextSystem& system, bool confirm, TypedKey& key,
               std::string& problem);

#endif
