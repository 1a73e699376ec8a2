// A file is encrypted when it ends in the trailer, the two bytes 0xDE 0xAD. Every encrypted
// file the program writes ends in it, in either format.
#ifndef VEILQUILL_ENCRYPTED_TRAILER_H
#define VEILQUILL_ENCRYPTED_TRAILER_H

#include <cstddef>

constexpr std::size_t kTrailerLength = 2;
constexpr unsigned char kTrailerBytes[kTrailerLength] = {0xDE, 0xAD};

// True when the last two bytes of a file (as read from its end) are the trailer.
inline bool IsTrailer(const unsigned char lastTwo[kTrailerLength]) {
    return lastTwo != nullptr && lastTwo[0] == kTrailerBytes[0] && lastTwo[1] == kTrailerBytes[1];
}

#endif
