// A 64-bit fingerprint of a file's bytes: a save compares it with the one its preview took,
// so that a file changed in between is never overwritten with a transform of other bytes.
// Not a cryptographic hash; it only has to tell a changed file from an unchanged one.
#ifndef VEILQUILL_CONTENT_FINGERPRINT_H
#define VEILQUILL_CONTENT_FINGERPRINT_H

#include <cstddef>
#include <cstdint>

std::uint64_t ContentFingerprint(const unsigned char* data, std::size_t length);

#endif
