#include "cipher/content_checksum.h"

std::uint32_t ContentChecksum(const unsigned char* data, std::size_t length) {
    std::uint32_t sum = 0; // unsigned arithmetic wraps modulo 2^32 by itself
    if (data == nullptr)
        return sum;
    for (std::size_t i = 0; i < length; ++i)
        sum += data[i];
    return sum;
}
