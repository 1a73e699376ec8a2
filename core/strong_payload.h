// The strong format's payload, a stream of chunks: the plain text cut into chunks of 64 KiB,
// each sealed on its own with ChaCha20-Poly1305 under a nonce made of its index and a flag set
// only on the last one. A job goes over it in pieces of whole chunks; the reader hands out a
// piece's plain text only once every chunk in it has verified, so reordered, cut or altered
// chunks are caught before any of their text is used.
#ifndef VEILQUILL_STRONG_PAYLOAD_H
#define VEILQUILL_STRONG_PAYLOAD_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/strong_file.h"
#include "core/strong_primitives.h"

// The pieces a job reads and writes: 16 chunks, 1 MiB of plain text.
constexpr std::size_t kStrongChunksPerPiece = 16;
constexpr std::size_t kStrongPlainPieceSize = kStrongChunksPerPiece * kStrongChunkSize;
constexpr std::size_t kStrongStoredPieceSize = kStrongChunksPerPiece * kStrongStoredChunkSize;

// Where the chunks lie in a payload (the bytes between the header and the trailer): how many
// there are, how long each is and where it starts. The one place that knows it: the writer,
// the reader and every check of a file's size ask it.
struct StrongPayloadLayout {
    std::uint64_t payloadLength = 0; // stored bytes: the plain text and a tag for every chunk
    std::uint64_t chunkCount = 0;
    std::uint64_t plainSize = 0;
    // False when the payload cannot be whole chunks: it is empty, or its last chunk is shorter
    // than kStrongLeastStoredChunk. Such a file is damaged.
    bool whole = false;

    // The layout of a file of `fileSize` bytes, as a reader finds it.
    static StrongPayloadLayout OfFile(std::uint64_t fileSize);
    // The layout `plainSize` bytes take once sealed, as a writer makes it.
    static StrongPayloadLayout OfPlainText(std::uint64_t plainSize);

    // The stored bytes of chunk `index` (below chunkCount): kStrongStoredChunkSize for every
    // chunk but the last, which holds the rest.
    std::uint64_t StoredChunkLength(std::uint64_t index) const;
    // The stored bytes of chunk 0 as far as the payload holds them.
    std::size_t FirstChunkLength() const;
    // Where chunk `index` starts in the file, to tell the user where a file is damaged.
    static constexpr std::uint64_t ChunkOffset(std::uint64_t index) {
        return kStrongHeaderLength + index * kStrongStoredChunkSize;
    }
};

// Seals a payload piece after piece, counting its chunks from 0.
class StrongPayloadWriter {
  public:
    StrongPayloadWriter(const StrongPrimitives& primitives, const StrongKeys& keys)
        : session_(primitives.BeginAead(keys.PayloadKey())) {}
    StrongPayloadWriter(const StrongPayloadWriter&) = delete;
    StrongPayloadWriter& operator=(const StrongPayloadWriter&) = delete;

    // Seals the next `length` plain bytes into `sealed`, which has room for
    // StrongPayloadLayout::OfPlainText(length).payloadLength bytes, and sets `sealedLength`. A
    // piece that is not the final one is a whole number (at least one) of chunks; the final one
    // holds at least one byte and ends the payload. False when a piece breaks these rules or the
    // library fails; nothing more is sealed after that.
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
