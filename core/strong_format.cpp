#include "core/strong_format.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "cipher/encrypted_trailer.h"
#include "core/job_result.h"
#include "core/strong_file.h"

namespace {

// Seals pieces of whole chunks (the last one may be shorter) in place: a piece grows by a tag
// for every chunk.
class SealTransform final : public ContentTransform {
  public:
    SealTransform(const StrongPrimitives& primitives, const StrongKeys& keys)
        : primitives_(primitives), writer_(primitives, keys), sealed_(kStrongStoredPieceSize) {}
    ~SealTransform() override { WipeBytes(sealed_.data(), sealed_.size()); }
    std::size_t InputPiece() const override { return kStrongPlainPieceSize; }
    std::size_t PieceCapacity() const override { return kStrongStoredPieceSize; }
    bool Apply(unsigned char* piece, std::size_t& length, bool last) override {
        std::size_t sealedLength = 0;
        if (!writer_.Seal(piece, length, last, sealed_.data(), sealedLength))
            return false;
        std::memcpy(piece, sealed_.data(), sealedLength);
        length = sealedLength;
        return true;
    }
    JobResult WhyFailed() const override { return LibraryFailure(primitives_); }

  private:
    const StrongPrimitives& primitives_;
    StrongPayloadWriter writer_;
    std::vector<unsigned char> sealed_;
};

// Opens pieces of whole stored chunks in place; a piece shrinks by a tag for every chunk.
// Nothing of a piece is handed on unless all of its chunks verify, and the last piece only
// when the payload has ended with its last chunk.
class OpenTransform final : public ContentTransform {
  public:
    OpenTransform(const StrongPrimitives& primitives, const StrongKeys& keys,
                  const StrongPayloadLayout& layout)
        : primitives_(primitives), reader_(primitives, keys, layout),
          plain_(kStrongStoredPieceSize) {}
    ~OpenTransform() override { WipeBytes(plain_.data(), plain_.size()); }
    std::size_t InputPiece() const override { return kStrongStoredPieceSize; }
    std::size_t PieceCapacity() const override { return kStrongStoredPieceSize; }
    bool Apply(unsigned char* piece, std::size_t& length, bool last) override {
        std::size_t plainLength = 0;
        const bool opened = reader_.Open(piece, length, plain_.data(), plainLength);
        if (!opened || (last && !reader_.Finished())) {
            WipeBytes(piece, length);
            return false;
        }
        std::memcpy(piece, plain_.data(), plainLength);
        length = plainLength;
        return true;
    }
    JobResult WhyFailed() const override {
        if (reader_.LibraryFailed())
            return LibraryFailure(primitives_);
        JobResult damaged = Ended(JobOutcome::kDamaged);
        damaged.damagedAt = StrongPayloadLayout::ChunkOffset(reader_.BadChunk());
        return damaged;
    }

  private:
    const StrongPrimitives& primitives_;
    StrongPayloadReader reader_;
    std::vector<unsigned char> plain_;
};

} // namespace

bool StrongEncryption::Prepare(const StrongPrimitives& primitives, const SecretKey& key) {
    primitives_ = &primitives;
    return NewStrongHeader(primitives, key, header_, keys_);
}

std::vector<unsigned char> StrongEncryption::Header() const {
    return std::vector<unsigned char>(header_, header_ + kStrongHeaderLength);
}

std::unique_ptr<ContentTransform> StrongEncryption::Begin() const {
    return std::make_unique<SealTransform>(*primitives_, keys_);
}

std::unique_ptr<ContentTransform> StrongDecryption::Begin() const {
    return std::make_unique<OpenTransform>(primitives_, keys_, layout_);
}

bool StrongDecryption::Fits(const FileFormat& format) const {
    return format.kind == FormatKind::kStrong && format.size == size_ && format.header == header_;
}

namespace {

// What the strong format's state of a file means for a job.
JobResult ResultOfStrongState(const StrongPrimitives& primitives, StrongFileState state,
                              const StrongPayloadLayout& layout) {
    JobResult damaged = Ended(JobOutcome::kDamaged);
    switch (state) {
    case StrongFileState::kUnlocked:
    case StrongFileState::kStrong:
        return Ended(JobOutcome::kDone);
    case StrongFileState::kRefused:
    case StrongFileState::kNotStrong:
        return Ended(JobOutcome::kNewerFormat);
    case StrongFileState::kDamagedHeader:
        damaged.damagedAt = 0;
        return damaged;
    case StrongFileState::kDamagedKeyCheck:
        damaged.damagedAt = kStrongKeyCheckAt;
        return damaged;
    case StrongFileState::kDamagedPayload:
        damaged.damagedAt =
            StrongPayloadLayout::ChunkOffset(layout.chunkCount == 0 ? 0 : layout.chunkCount - 1);
        return damaged;
    case StrongFileState::kWrongKey:
        return Ended(JobOutcome::kWrongKey);
    case StrongFileState::kFailed:
        break;
    }
    return LibraryFailure(primitives);
}

} // namespace

JobResult UnlockStrongDecryption(const StrongPrimitives& primitives, const FileFormat& format,
                                 const ByteRange& firstChunk, const TypedKey& key,
                                 std::unique_ptr<Decryption>& out) {
    const StrongFileStart start{format.size, format.header.data(), format.header.size(),
                                kTrailerBytes, firstChunk};
    const StrongPayloadLayout layout = StrongPayloadLayout::OfFile(format.size);
    auto strong = std::make_unique<StrongDecryption>(primitives, format, layout);
    StrongFileState state = StrongFileState::kWrongKey;
    for (std::size_t form = 0; form < key.StrongFormCount() && state == StrongFileState::kWrongKey;
         ++form)
        state = UnlockStrongFile(primitives, key.StrongForm(form), start, strong->Keys());
    const JobResult result = ResultOfStrongState(primitives, state, layout);
    if (result.done())
        out = std::move(strong);
    return result;
}

JobResult LibraryFailure(const StrongPrimitives& primitives) {
    const CryptoFailure failure = primitives.LastFailure();
    if (failure.outOfMemory)
        return Ended(JobOutcome::kNoMemory);
    JobResult failed = Ended(JobOutcome::kLibraryFailed);
    failed.detail = failure.text.empty() ? "no reason given" : failure.text;
    return failed;
}
