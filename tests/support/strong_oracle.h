// The strong format's sizes and chunk seal worked out from the format's own rules, apart from
// the program's chunk stream, so that tests can check what it writes and make files it would
// never write (a chunk flagged last out of place, say).
#ifndef VEILQUILL_TESTS_STRONG_ORACLE_H
#define VEILQUILL_TESTS_STRONG_ORACLE_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/strong_file.h"
#include "core/strong_primitives.h"

// The size of the file that `plainSize` (at least 1) bytes make: 92 + n + 16 k + 2, with k
// chunks of 65,536 bytes, the last one holding the rest.
constexpr std::uint64_t StrongFileSize(std::uint64_t plainSize) {
    const std::uint64_t chunks = (plainSize + 65535) / 65536;
    return 92 + plainSize + 16 * chunks + 2;
}

// Chunk `index` alone: `length` (1 to 65,536) plain bytes sealed with the payload key into
// length + 16 bytes, under the nonce `index` as 11 bytes big-endian, then 1 when `isLast`.
inline bool SealStrongChunk(const StrongPrimitives& primitives, const StrongKeys& keys,
                            std::uint64_t index, bool isLast, const unsigned char* plain,
                            std::size_t length, unsigned char* sealed) {
    unsigned char nonce[12] = {};
    for (int i = 0; i < 8; ++i)
        nonce[10 - i] = static_cast<unsigned char>(index >> (8 * i));
    nonce[11] = isLast ? 1 : 0;
    const std::unique_ptr<AeadSession> session = primitives.BeginAead(keys.PayloadKey());
    return session && length >= 1 && length <= 65536 && session->Seal(nonce, plain, length, sealed);
}

#endif
