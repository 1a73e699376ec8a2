// Running the built veilquill-cli in temporary folders, and the files it works on. Folders,
// whole files, sample bytes and the expected files come from tests/support.
#ifndef VEILQUILL_CLI_TEST_SUPPORT_H
#define VEILQUILL_CLI_TEST_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/sample_text.h"
#include "tests/support/scratch_folder.h"

namespace vqtest {

// A folder in memory (/dev/shm) when it has `bytes` free, so that a test of a large file
// does not wait for the disk; otherwise empty (the default temporary folder).
std::string MemoryFolderWithRoom(std::uint64_t bytes);

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct CliCall {
    std::vector<std::string> args;
    std::string input;                                     // standard input
    std::map<std::string, std::optional<std::string>> env; // set, or unset with nullopt
    std::string workingFolder;
    std::vector<std::string> prefix; // a command that runs the program (setpriv ...)
    int outputTerminal = -1; // a terminal's descriptor to be standard output instead of a file
};

// Runs veilquill-cli in `call.workingFolder` with HOME in `home` unless the call sets it,
// XDG_DATA_HOME and VEILQUILL_DATA unset and LANG=C.UTF-8 (LC_ALL and LC_CTYPE unset) unless
// the call sets them.
CliRun RunCli(const CliCall& call, const std::string& home);

// Standard input and standard output through pipes, as a shell's pipeline gives them.
struct PipeEnds {
    // The next piece of standard input into `piece`; false at its end. None: an empty input.
    std::function<bool(std::string& piece)> feed;
    // Takes each piece of standard output as it comes; false closes the pipe (the reader has
    // gone, as `| head -c N` goes). None: the output is kept in CliRun::out.
    std::function<bool(const char* data, std::size_t length)> take;
};

struct PipedRun : CliRun {
    long peakKib = 0; // the program's peak resident memory
};

// Runs veilquill-cli as RunCli does (`call.input` is not used), its standard streams pipes.
PipedRun RunCliPiped(const CliCall& call, const PipeEnds& ends, const std::string& home);

// The path of the program under test.
const char* CliPath();

// A strong file's layout as the tests take it apart: its header's length, the length of a
// stored chunk, and where chunk `index` starts.
constexpr std::size_t kHeaderLength = 92;
constexpr std::size_t kStoredChunk = 65536 + 16;
constexpr std::size_t ChunkAt(std::size_t index) {
    return kHeaderLength + index * kStoredChunk;
}

// The bytes with the lowest bit of byte `at` flipped.
std::string Flipped(std::string bytes, std::size_t at);

} // namespace vqtest

#endif
