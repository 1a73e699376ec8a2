// The strong format's payload: the plain text cut into chunks of 64 KiB, each sealed on its
// own with ChaCha20-Poly1305 under a nonce made of its index and a flag set only on the last
// one. A job goes over it in pieces of whole chunks; the reader hands out a piece's plain text
// only once every chunk in it has verified, so reordered, cut or altered chunks are caught
// before any of their text is used.
#ifndef VEILQUILL_STRONG_PAYLOAD_H
#define VEILQUILL_STRONG_PAYLOAD_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/strong_keys.h"
#include "core/strong_primitives.h"

constexpr std::size_t kStrongChunkSize = 65536; // plain bytes; the last chunk holds 1 to this
constexpr std::size_t kStrongStoredChunkSize = kStrongChunkSize + kAeadTagLength; // 65,552
constexpr std::size_t kStrongLeastStoredChunk = 1 + kAeadTagLength;
// The pieces a job reads and writes: 16 chunks, 1 MiB of plain text.
constexpr std::size_t kStrongChunksPerPiece = 16;
constexpr std::size_t kStrongPlainPieceSize = kStrongChunksPerPiece * kStrongChunkSize;
constexpr std::size_t kStrongStoredPieceSize = kStrongChunksPerPiece * kStrongStoredChunkSize;

// The chunks in the payload (the bytes between the header and the trailer) of a file.
struct StrongPayloadLayout {
    std::uint64_t chunkCount = 0;
    std::uint64_t plainSize = 0;
    // False when the payload cannot be whole chunks: it is empty, or its last chunk is shorter
    // than kStrongLeastStoredChunk. Such a file is damaged.
    bool whole = false;
};

StrongPayloadLayout LayoutStrongPayload(std::uint64_t payloadLength);

// How many chunks `plainLength` bytes fill, and the bytes they take once sealed.
constexpr std::uint64_t StrongChunkCount(std::uint64_t plainLength) {
    return (plainLength + kStrongChunkSize - 1) / kStrongChunkSize;
}
constexpr std::uint64_t StrongSealedLength(std::uint64_t plainLength) {
    return plainLength + kAeadTagLength * StrongChunkCount(plainLength);
}

// Chunk `index` alone: `length` (1 to kStrongChunkSize) plain bytes sealed into length + 16
// bytes.
[[nodiscard]] bool SealStrongChunk(const StrongPrimitives& primitives, const StrongKeys& keys,
                                   std::uint64_t index, bool isLast, const unsigned char* plain,
                                   std::size_t length, unsigned char* sealed);

// Seals a payload piece after piece, counting its chunks from 0.
class StrongPayloadWriter {
  public:
    StrongPayloadWriter(const StrongPrimitives& primitives, const StrongKeys& keys)
        : session_(primitives.BeginAead(keys.PayloadKey())) {}
    StrongPayloadWriter(const StrongPayloadWriter&) = delete;
    StrongPayloadWriter& operator=(const StrongPayloadWriter&) = delete;

    // Seals the next `length` plain bytes into `sealed`, which has room for
    // StrongSealedLength(length), and sets `sealedLength`. A piece that is not the final one is
    // a whole number (at least one) of chunks; the final one holds at least one byte and ends
    // the payload. False when a piece breaks these rules or the library fails; nothing more is
    // sealed after that.
    [[nodiscard]] bool Seal(const unsigned char* plain, std::size_t length, bool isFinal,
                            unsigned char* sealed, std::size_t& sealedLength);

    bool Finished() const { return finished_; }

  private:
    std::unique_ptr<AeadSession> session_;
    std::uint64_t nextChunk_ = 0;
    bool finished_ = false;
    bool failed_ = false;
};

// Opens a payload of a known layout piece after piece, in order. What it hands out has
// verified, but the payload is whole only once Finished(): a job keeps what it wrote from the
// pieces (a new file, say) only then.
class StrongPayloadReader {
  public:
    StrongPayloadReader(const StrongPrimitives& primitives, const StrongKeys& keys,
                        const StrongPayloadLayout& layout)
        : primitives_(primitives), session_(primitives.BeginAead(keys.PayloadKey())),
          layout_(layout) {}
    StrongPayloadReader(const StrongPayloadReader&) = delete;
    StrongPayloadReader& operator=(const StrongPayloadReader&) = delete;

    // Opens the next `length` stored bytes: whole stored chunks (kStrongStoredChunkSize each),
    // or what is left of the payload. When every chunk verifies, writes their plain text to
    // `plain` (room for length bytes is enough) and sets `plainLength`. Otherwise returns false,
    // hands out nothing of the piece (`plain` wiped, `plainLength` 0) and BadChunk() tells the
    // first chunk that failed; nothing more is opened after that.
    [[nodiscard]] bool Open(const unsigned char* stored, std::size_t length, unsigned char* plain,
                            std::size_t& plainLength);

    // Every chunk has been opened, the last one with its flag.
    bool Finished() const { return !failed_ && nextChunk_ == layout_.chunkCount; }
    std::uint64_t BadChunk() const { return badChunk_; }
    // Open failed because the library did, not because a chunk did not verify.
    bool LibraryFailed() const { return libraryFailed_; }

  private:
    const StrongPrimitives& primitives_;
    std::unique_ptr<AeadSession> session_;
    const StrongPayloadLayout layout_;
    std::uint64_t nextChunk_ = 0;
    std::uint64_t badChunk_ = 0;
    bool failed_ = false;
    bool libraryFailed_ = false;
};

#endif
