// A file is encrypted when it ends in the two bytes 0xDE 0xAD.
#ifndef VEILQUILL_ENCRYPTED_TRAILER_H
#define VEILQUILL_ENCRYPTED_TRAILER_H

#include <cstddef>

constexpr unsigned char kTrailerFirst = 0xDE;
constexpr unsigned char kTrailerSecond = 0xAD;
constexpr std::size_t kTrailerLength = 2;

// True when `size` is at least 2 and the last two bytes are the trailer.
bool HasEncryptedTrailer(const unsigned char* data, std::size_t size);

// Same test on just the last two bytes of a file (as read from its end).
bool IsTrailer(const unsigned char lastTwo[2]);

// Writes the trailer at data[bodyLength] and data[bodyLength + 1]; the buffer must hold
// bodyLength + 2 bytes. Returns the new length.
std::size_t AppendEncryptedTrailer(unsigned char* data, std::size_t bodyLength);

// Length of a file's body once its trailer is removed (0 when it is shorter than 2).
std::size_t LengthWithoutTrailer(std::size_t size);

#endif
