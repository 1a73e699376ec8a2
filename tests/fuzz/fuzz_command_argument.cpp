// Feeds arbitrary command lines, positions and destination sizes to ExtractCommandArgument and
// checks what must hold whatever the input: a known status, nothing written past the
// destination, the destination left alone or emptied exactly when the status says so.
#include "util/command_argument.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kGuardSize = 32;
constexpr char kFill = '\x5A';

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // First byte: the position (mostly small, sometimes far away). Second: destination size.
    std::uint32_t position = data[0] & 0x0F;
    if (data[0] & 0x80)
        position = 0xFFFFFFF0u | data[0];
    const std::size_t destinationSize = data[1];
    data += 2;
    size -= 2;

    // The command line exactly as long as its text, so that reading past it is caught. The
    // program hands it over as UTF-8, in which the bytes 0xFE and 0xFF never occur.
    std::vector<char> line(data, data + size);
    for (char& byte : line) {
        if (static_cast<unsigned char>(byte) >= kQuotedSpaceMark)
            byte = 'x';
    }
    line.push_back('\0');
    const std::size_t lineLength = std::strlen(line.data());

    std::vector<char> destination(destinationSize + kGuardSize, kFill);
    const std::uint32_t status =
        ExtractCommandArgument(line.data(), position, destination.data(), destinationSize);

    Check(status <= kArgumentTooLong);
    for (std::size_t i = destinationSize; i < destination.size(); ++i)
        Check(destination[i] == kFill);

    std::size_t quotes = 0;
    for (std::size_t i = 0; i < lineLength; ++i)
        quotes += line[i] == '"';

    if (position == 0) {
        Check(status == kArgumentNotReached);
    } else if (lineLength == 0 || line[0] != '"') {
        Check(status == kArgumentNoLeadingQuote);
    } else if (quotes % 2 != 0) {
        Check(status == kArgumentOddQuotes);
    } else {
        Check(status != kArgumentNoLeadingQuote && status != kArgumentOddQuotes);
    }

    if (status == kArgumentNoLeadingQuote || status == kArgumentOddQuotes) {
        for (std::size_t i = 0; i < destinationSize; ++i)
            Check(destination[i] == kFill);
    } else if (status == kArgumentFound) {
        // A terminated text, at most a working copy long, with no quote, space, tab or mark
        // at its start that should have been turned into something else.
        const char* end =
            static_cast<const char*>(std::memchr(destination.data(), '\0', destinationSize));
        Check(end != nullptr);
        const std::size_t length = static_cast<std::size_t>(end - destination.data());
        Check(length < kCommandLineCapacity);
        Check(length == 0 || static_cast<unsigned char>(destination[0]) != kEmptyQuotesMark);
        for (std::size_t i = 0; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(destination[i]);
            Check(byte != '"' && byte != '\t' && byte != kQuotedSpaceMark);
        }
    } else if (destinationSize > 0) {
        Check(destination[0] == '\0');
    }
    return 0;
}
