#include "core/piece_stream.h"

#include <algorithm>

#include "core/piece_writer.h"

FileFailure StreamThrough(SourceFile& source, std::uint64_t length, const SecretKey& key,
                          CipherDirection direction, NewContent* sink, RunningChecksum& checksum,
                          RunningFingerprint* asRead, JobProgress* progress) {
    PieceBuffer pieces[2];
    CipherStream cipher(key, direction);
    std::unique_ptr<PieceWriter> writer;
    if (sink != nullptr)
        writer = std::make_unique<PieceWriter>(*sink);
    int turn = 0;
    for (std::uint64_t offset = 0; offset < length; turn ^= 1) {
        if (StopRequested(progress))
            return FileFailure::kStopped;
        unsigned char* piece = pieces[turn].data();
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(kJobPieceSize, length - offset));
        FileFailure failure = source.ReadAt(offset, piece, count);
        if (failure != FileFailure::kNone)
            return failure;
        if (asRead != nullptr)
            asRead->Add(piece, count);
        if (direction == CipherDirection::kForward) {
            checksum.Add(piece, count);
            cipher.Apply(piece, count);
        } else {
            cipher.Apply(piece, count);
            checksum.Add(piece, count);
        }
        if (writer && (failure = writer->Hand(piece, count)) != FileFailure::kNone)
            return failure;
        offset += count;
        if (progress != nullptr)
            progress->Advance(count);
    }
    return writer ? writer->Finish() : FileFailure::kNone;
}
