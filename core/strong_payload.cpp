#include "core/strong_payload.h"

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

std::uint64_t LastStoredChunk(const StrongPayloadLayout& layout) {
    return layout.plainSize - (layout.chunkCount - 1) * kStrongChunkSize + kAeadTagLength;
}

} // namespace

StrongPayloadLayout LayoutStrongPayload(std::uint64_t payloadLength) {
    StrongPayloadLayout layout;
    layout.chunkCount = (payloadLength + kStrongStoredChunkSize - 1) / kStrongStoredChunkSize;
    if (layout.chunkCount == 0)
        return layout;
    const std::uint64_t last = payloadLength - (layout.chunkCount - 1) * kStrongStoredChunkSize;
    layout.whole = last >= kStrongLeastStoredChunk;
    if (layout.whole)
        layout.plainSize = payloadLength - kAeadTagLength * layout.chunkCount;
    return layout;
}

bool SealStrongChunk(const StrongPrimitives& primitives, const StrongKeys& keys,
                     std::uint64_t index, bool isLast, const unsigned char* plain,
                     std::size_t length, unsigned char* sealed) {
    const std::unique_ptr<AeadSession> session = primitives.BeginAead(keys.PayloadKey());
    return session && SealChunk(*session, index, isLast, plain, length, sealed);
}

bool StrongPayloadWriter::Seal(const unsigned char* plain, std::size_t length, bool isFinal,
                               unsigned char* sealed, std::size_t& sealedLength) {
    sealedLength = 0;
    if (failed_ || finished_ || length == 0 || (!isFinal && length % kStrongChunkSize != 0)) {
        failed_ = true;
        return false;
    }
    std::size_t done = 0;
    while (done < length) {
        const std::size_t step =
            length - done < kStrongChunkSize ? length - done : kStrongChunkSize;
        const bool isLast = isFinal && done + step == length;
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
        const bool fits = layout_.whole && index < layout_.chunkCount &&
                          step == (isLast ? LastStoredChunk(layout_) : kStrongStoredChunkSize);
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
