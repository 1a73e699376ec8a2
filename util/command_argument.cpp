#include "util/command_argument.h"

#include <vector>

namespace {

using WorkingCopy = std::vector<unsigned char>;

constexpr unsigned char kQuote = '"';
constexpr unsigned char kSpace = ' ';
constexpr unsigned char kTab = '\t';

void MakeEmpty(char* destination, std::size_t destinationSize) {
    if (destination != nullptr && destinationSize > 0)
        destination[0] = '\0';
}

// Copies the text at `rest` with its terminator into `copy`; false when it does not fit.
bool CopyRest(const unsigned char* rest, WorkingCopy& copy) {
    for (std::size_t i = 0; i < kCommandLineCapacity; ++i) {
        copy[i] = rest[i];
        if (rest[i] == 0)
            return true;
    }
    return false;
}

// Copies `source` into `marked`, putting kEmptyQuotesMark between two adjacent double quotes
// (each pair counted from the left gets one), so that an empty quoted section leaves a
// character behind. False when the marked text does not fit.
bool MarkEmptyQuotes(const WorkingCopy& source, WorkingCopy& marked) {
    std::size_t out = 0;
    bool previousWasQuote = false;
    for (std::size_t in = 0;; ++in) {
        const unsigned char byte = source[in];
        if (byte == kQuote && previousWasQuote) {
            if (out + 2 >= kCommandLineCapacity) // the mark, the quote and the terminator
                return false;
            marked[out++] = kEmptyQuotesMark;
            marked[out++] = kQuote;
            previousWasQuote = false;
            continue;
        }
        if (out + 1 > kCommandLineCapacity)
            return false;
        marked[out++] = byte;
        if (byte == 0)
            return true;
        previousWasQuote = byte == kQuote;
    }
}

// Drops the double quotes in place; a space inside a quoted section becomes kQuotedSpaceMark
// so that it no longer separates arguments.
void RemoveQuotes(unsigned char* text) {
    std::size_t out = 0;
    bool inSection = false;
    for (std::size_t in = 0; text[in] != 0; ++in) {
        const unsigned char byte = text[in];
        if (byte == kQuote) {
            inSection = !inSection;
            continue;
        }
        text[out++] = (inSection && byte == kSpace) ? kQuotedSpaceMark : byte;
    }
    text[out] = 0;
}

void TabsToSpaces(unsigned char* text) {
    for (; *text != 0; ++text) {
        if (*text == kTab)
            *text = kSpace;
    }
}

} // namespace

std::uint32_t ExtractCommandArgument(const char* commandLine, std::uint32_t position,
                                     char* destination, std::size_t destinationSize) {
    if (position == 0) {
        MakeEmpty(destination, destinationSize);
        return kArgumentNotReached;
    }
    const auto* line = reinterpret_cast<const unsigned char*>(commandLine);
    if (line == nullptr || line[0] != kQuote)
        return kArgumentNoLeadingQuote;

    std::size_t quoteCount = 0;
    for (const unsigned char* p = line; *p != 0; ++p) {
        if (*p == kQuote)
            ++quoteCount;
    }
    if (quoteCount % 2 != 0)
        return kArgumentOddQuotes;

    // Skip the program's path: its opening quote and everything up to its closing quote.
    // The count is even and the line begins with a quote, so the closing quote exists.
    const unsigned char* rest = line + 1;
    while (*rest != kQuote)
        ++rest;
    ++rest;

    // On the heap: a whole line of the longest kind would crowd the stack.
    WorkingCopy plain(kCommandLineCapacity);
    WorkingCopy marked(kCommandLineCapacity);
    if (!CopyRest(rest, plain) || !MarkEmptyQuotes(plain, marked)) {
        MakeEmpty(destination, destinationSize);
        return kArgumentTooLong;
    }
    RemoveQuotes(marked.data());
    TabsToSpaces(marked.data());

    // Select the argument: after the leading spaces the count is 1, and every further run of
    // spaces raises it by one, whether or not anything follows the run.
    const unsigned char* at = marked.data();
    while (*at == kSpace)
        ++at;
    std::uint32_t count = 1;
    while (count != position) {
        while (*at != 0 && *at != kSpace)
            ++at;
        if (*at == 0) {
            MakeEmpty(destination, destinationSize);
            return kArgumentNotReached;
        }
        while (*at == kSpace)
            ++at;
        ++count;
    }

    std::size_t length = 0;
    while (at[length] != 0 && at[length] != kSpace)
        ++length;
    if (length > 0 && at[0] == kEmptyQuotesMark) {
        MakeEmpty(destination, destinationSize);
        return kArgumentEmptyQuotes;
    }
    if (destination == nullptr || length + 1 > destinationSize) {
        MakeEmpty(destination, destinationSize);
        return kArgumentTooLong;
    }
    for (std::size_t i = 0; i < length; ++i)
        destination[i] = static_cast<char>(at[i] == kQuotedSpaceMark ? kSpace : at[i]);
    destination[length] = '\0';
    return kArgumentFound;
}
