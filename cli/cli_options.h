// What the command line asked for, as the parser leaves it.
#ifndef VEILQUILL_CLI_OPTIONS_H
#define VEILQUILL_CLI_OPTIONS_H

#include <string>
#include <vector>

struct KeyOptions {
    std::string keyFile; // read the key from the first line of this file
    bool keyStdin = false;
    // --codepage: the Windows code page of the original format's keys; 0 for this system's
    unsigned codePage = 0;
};

struct CommandOptions {
    KeyOptions key;
    std::string dataFolder; // --data; empty means VEILQUILL_DATA or the default
    std::string output;     // encrypt and decrypt -o: a new file, or "-" for standard output
    bool noVerify = false;  // decrypt --no-verify
    bool strong = false;    // encrypt --strong
    bool verbose = false;
    bool quiet = false;
    bool nulSeparated = false; // find -0
    std::vector<std::string> paths;
};

// "-" as FILE reads standard input, and as -o OUT writes standard output.
constexpr char kStandardStreamName[] = "-";

inline bool IsStandardInput(const std::string& path) {
    return path == kStandardStreamName;
}

inline bool WritesStandardOutput(const CommandOptions& options) {
    return options.output == kStandardStreamName;
}

// Exit codes.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1; // some file failed
constexpr int kExitUsage = 2;

#endif
