// The plain-text checksum: the sum of all byte values, modulo 2^32.
#ifndef VEILQUILL_CONTENT_CHECKSUM_H
#define VEILQUILL_CONTENT_CHECKSUM_H

#include <cstddef>
#include <cstdint>

std::uint32_t ContentChecksum(const unsigned char* data, std::size_t length);

#endif
