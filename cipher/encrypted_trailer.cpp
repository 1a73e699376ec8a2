#include "cipher/encrypted_trailer.h"

bool IsTrailer(const unsigned char lastTwo[2]) {
    return lastTwo != nullptr && lastTwo[0] == kTrailerFirst && lastTwo[1] == kTrailerSecond;
}

bool HasEncryptedTrailer(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size < kTrailerLength)
        return false;
    return IsTrailer(data + size - kTrailerLength);
}

std::size_t AppendEncryptedTrailer(unsigned char* data, std::size_t bodyLength) {
    if (data == nullptr)
        return bodyLength;
    data[bodyLength] = kTrailerFirst;
    data[bodyLength + 1] = kTrailerSecond;
    return bodyLength + kTrailerLength;
}

std::size_t LengthWithoutTrailer(std::size_t size) {
    return size < kTrailerLength ? 0 : size - kTrailerLength;
}
