// Picks one argument out of the program's command line, honouring double quotes.
#ifndef VEILQUILL_COMMAND_ARGUMENT_H
#define VEILQUILL_COMMAND_ARGUMENT_H

#include <cstddef>
#include <cstdint>

enum CommandArgumentStatus : std::uint32_t {
    kArgumentNoLeadingQuote = 0, // the line does not start with a quoted program path
    kArgumentFound = 1,          // the argument at the position was copied (may be empty)
    kArgumentNotReached = 2,     // fewer arguments than the position, or position 0
    kArgumentOddQuotes = 3,      // an odd number of double quotes on the line
    kArgumentEmptyQuotes = 4,    // the argument is an empty quoted section
    kArgumentTooLong = 5,        // the line or the argument does not fit; destination empty
};

// The room for the text after the program's path, with its terminator: a Windows command
// line of the longest kind (32,767 UTF-16 units) in UTF-8, where a unit takes at most three
// bytes. The line is UTF-8, in which the two marks below never occur, so every character of a
// path comes back whole.
constexpr std::size_t kCommandLineCapacity = 3 * 32768;

constexpr unsigned char kQuotedSpaceMark = 0xFE;
constexpr unsigned char kEmptyQuotesMark = 0xFF;

// `commandLine` is the whole process command line, program path first. Writes the
// argument at `position` (1 = first after the program path) into `destination`, a buffer
// of `destinationSize` bytes, and returns the status.
//
// The text after the program's path is worked on in copies of kCommandLineCapacity bytes
// with the terminator; marking each pair of adjacent quotes adds a byte. A line whose rest does not
// fit is refused as a whole, never cut, and so is an argument that does not fit the destination
// with its terminator: both give kArgumentTooLong and an empty destination. Statuses 0 and 3 leave
// the destination as it was; every other status leaves a terminated text in it (given a
// destination of at least one byte).
std::uint32_t ExtractCommandArgument(const char* commandLine, std::uint32_t position,
                                     char* destination, std::size_t destinationSize);

#endif
