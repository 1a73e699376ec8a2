#include "core/strong_payload.h"

#include <algorithm>

#include "core/secret_key.h"

namespace {

// Chunk i's nonce: i as 11 bytes, big-endian, then 1 for the last chunk and 0 for any other.
void ChunkNonce(std::uint64_t index, bool isLast, unsigned char nonce[kAeadNonceLength]) {
    for (std::size_t i = 0; i < kAeadNonceLength - 1; ++i) {
        const std::size_t shift = 8 * (kAeadNonceLength - 2 - i);
        nonce[i] = shift < 64 ? static_cast<unsigned char>(index >> shift) : 0;
    }
    nonce[kAeadNonceLength - 1] = isLast ? 1 : 0;
}

bool SealChunk(AeadSession& session, std::uint64_t index, bool isLast, const unsigned char* plain,
               std::size_t length, unsigned char* sealed) {
    if (length == 0 || length > kStrongChunkSize)
        return false;
    unsigned char nonce[kAeadNonceLength];
    ChunkNonce(index, isLast, nonce);
    return session.Seal(nonce, plain, length, sealed);
}

bool OpenChunk(AeadSession& session, std::uint64_t index, bool isLast, const unsigned char* sealed,
               std::size_t sealedLength, unsigned char* plain) {
    if (sealedLength < kStrongLeastStoredChunk || sealedLength > kStrongStoredChunkSize)
        return false;
    unsigned char nonce[kAeadNonceLength];
    ChunkNonce(index, isLast, nonce);
    return session.Open(nonce, sealed, sealedLength, plain);
}

} // namespace

StrongPayloadLayout StrongPayloadLayout::OfFile(std::uint64_t fileSize) {
    StrongPayloadLayout layout;
    if (fileSize <= kStrongHeaderLength + kTrailerLength)
        return layout;
    layout.payloadLength = fileSize - kStrongHeaderLength - kTrailerLength;
    layout.chunkCount =
        (layout.payloadLength + kStrongStoredChunkSize - 1) / kStrongStoredChunkSize;
    layout.whole = layout.StoredChunkLength(layout.chunkCount - 1) >= kStrongLeastStoredChunk;
    if (layout.whole)
        layout.plainSize = layout.payloadLength - kAeadTagLength * layout.chunkCount;
    return layout;
}

StrongPayloadLayout StrongPayloadLayout::OfPlainText(std::uint64_t plainSize) {
    StrongPayloadLayout layout;
    layout.plainSize = plainSize;
    layout.chunkCount = (plainSize + kStrongChunkSize - 1) / kStrongChunkSize;
    layout.payloadLength = plainSize + kAeadTagLength * layout.chunkCount;
    layout.whole = plainSize > 0;
    return layout;
}

std::uint64_t StrongPayloadLayout::StoredChunkLength(std::uint64_t index) const {
    return index + 1 < chunkCount ? kStrongStoredChunkSize
                                  : payloadLength - index * kStrongStoredChunkSize;
}

std::size_t StrongPayloadLayout::FirstChunkLength() const {
    return static_cast<std::size_t>(std::min<std::uint64_t>(payloadLength, kStrongStoredChunkSize));
}

bool StrongPayloadWriter::Seal(const unsigned char* plain, std::size_t length, bool isFinal,
                               unsigned char* sealed, std::size_t& sealedLength) {
    sealedLength = 0;
    if (failed_ || finished_ || length == 0 || (!isFinal && length % kStrongChunkSize != 0)) {
        failed_ = true;
        return false;
    }
    // The piece is whole chunks but for the final one, so it is laid out as a payload of its own.
    const StrongPayloadLayout piece = StrongPayloadLayout::OfPlainText(length);
    std::size_t done = 0;
    for (std::uint64_t i = 0; i < piece.chunkCount; ++i) {
        const auto step = static_cast<std::size_t>(piece.StoredChunkLength(i) - kAeadTagLength);
        const bool isLast = isFinal && i + 1 == piece.chunkCount;
        if (!session_ ||
            !SealChunk(*session_, nextChunk_, isLast, plain + done, step, sealed + sealedLength)) {
            failed_ = true;
            sealedLength = 0;
            return false;
        }
        ++nextChunk_;
        done += step;
        sealedLength += step + kAeadTagLength;
    }
    finished_ = isFinal;
    return true;
}

bool StrongPayloadReader::Open(const unsigned char* stored, std::size_t length,
                               unsigned char* plain, std::size_t& plainLength) {
    plainLength = 0;
    if (failed_)
        return false;
    std::size_t done = 0;
    while (done < length) {
        const std::uint64_t index = nextChunk_;
        const bool isLast = index + 1 == layout_.chunkCount;
        const std::size_t left = length - done;
        const std::size_t step = left < kStrongStoredChunkSize ? left : kStrongStoredChunkSize;
        // A piece that runs past the payload or cuts a chunk is refused as well.
        const bool fits =
            layout_.whole && index < layout_.chunkCount && step == layout_.StoredChunkLength(index);
        if (!fits || !session_ ||
            !OpenChunk(*session_, index, isLast, stored + done, step, plain + plainLength)) {
            libraryFailed_ = !session_ || (fits && !primitives_.LastFailure().notVerified);
            WipeBytes(plain, plainLength);
            plainLength = 0;
            failed_ = true;
            badChunk_ = index;
            return false;
        }
        ++nextChunk_;
        done += step;
        plainLength += step - kAeadTagLength;
    }
    return true;
}
