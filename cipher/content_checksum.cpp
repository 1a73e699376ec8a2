#include "cipher/content_checksum.h"

namespace {

// Bytes are summed in runs of this fixed length, a form the compiler turns into vector
// instructions even where it does not vectorize a loop of unknown length (GCC at -O2): about
// three times as fast as one byte at a time, which matters on files of gigabytes.
constexpr std::size_t kRunLength = 64;

} // namespace

std::uint32_t ContentChecksum(const unsigned char* data, std::size_t length) {
    std::uint32_t sum = 0; // unsigned arithmetic wraps modulo 2^32 by itself
    if (data == nullptr)
        return sum;
    for (; length >= kRunLength; data += kRunLength, length -= kRunLength) {
        std::uint32_t run = 0;
        for (std::size_t i = 0; i < kRunLength; ++i)
            run += data[i];
        sum += run;
    }
    for (std::size_t i = 0; i < length; ++i)
        sum += data[i];
    return sum;
}
