#include "core/piece_stream.h"

#include <algorithm>

#include "cipher/encrypted_trailer.h"

FileFailure HeadSink::Take(const unsigned char* data, std::size_t length) {
    const std::size_t room = limit_ - std::min(limit_, head_.size());
    head_.insert(head_.end(), data, data + std::min(room, length));
    return FileFailure::kNone;
}

PieceWriter::PieceWriter(NewContent& sink) : sink_(sink), thread_(&PieceWriter::Run, this) {}

PieceWriter::~PieceWriter() {
    Finish();
}

FileFailure PieceWriter::WaitUntilIdle(std::unique_lock<std::mutex>& hold) {
    changed_.wait(hold, [this] { return piece_ == nullptr; });
    return failure_;
}

FileFailure PieceWriter::Take(const unsigned char* data, std::size_t length) {
    std::unique_lock<std::mutex> hold(lock_);
    const FileFailure failure = WaitUntilIdle(hold);
    if (failure != FileFailure::kNone || length == 0)
        return failure;
    piece_ = data;
    length_ = length;
    changed_.notify_all();
    return FileFailure::kNone;
}

FileFailure PieceWriter::Finish() {
    FileFailure failure;
    {
        std::unique_lock<std::mutex> hold(lock_);
        failure = WaitUntilIdle(hold);
        finishing_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
    return failure;
}

void PieceWriter::Run() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return piece_ != nullptr || finishing_; });
        if (piece_ == nullptr)
            return;
        const unsigned char* data = piece_;
        const std::size_t length = length_;
        hold.unlock();
        const FileFailure failure = sink_.Write(data, length);
        hold.lock();
        if (failure_ == FileFailure::kNone)
            failure_ = failure;
        piece_ = nullptr; // the caller may use the memory again
        changed_.notify_all();
    }
}

namespace {

JobResult RunPieces(SourceFile& source, const StreamPass& pass, PieceBuffer (&pieces)[2],
                    PieceSink* sink, RunningChecksum* checksum, RunningFingerprint* asRead,
                    JobProgress* progress) {
    std::uint64_t produced = 0;
    ContentTransform& transform = *pass.transform;
    const std::size_t inputPiece = transform.InputPiece();
    int turn = 0;
    for (std::uint64_t offset = pass.begin; offset < pass.end; turn ^= 1) {
        if (StopRequested(progress))
            return FailedAt(FileFailure::kStopped, false);
        unsigned char* piece = pieces[turn].data();
        std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(inputPiece, pass.end - offset));
        const FileFailure read = source.ReadAt(offset, piece, count);
        if (read != FileFailure::kNone)
            return FailedAt(read, false);
        if (asRead != nullptr)
            asRead->Add(piece, count);
        offset += count;
        if (progress != nullptr)
            progress->Advance(count);
        if (pass.plainIsInput && checksum != nullptr)
            checksum->Add(piece, count);
        if (pass.stopTransformingWhenFull != nullptr && pass.stopTransformingWhenFull->Full())
            continue;
        if (!transform.Apply(piece, count, offset == pass.end))
            return transform.WhyFailed();
        produced += count;
        if (!pass.plainIsInput && checksum != nullptr)
            checksum->Add(piece, count);
        if (sink != nullptr) {
            const FileFailure taken = sink->Take(piece, count);
            if (taken != FileFailure::kNone)
                return FailedAt(taken, true);
        }
    }
    JobResult done = Ended(JobOutcome::kDone);
    done.written = produced;
    return done;
}

} // namespace

JobResult StreamThrough(SourceFile& source, const StreamPass& pass, PieceSink* sink,
                        RunningChecksum* checksum, RunningFingerprint* asRead,
                        JobProgress* progress) {
    const std::size_t capacity = pass.transform->PieceCapacity();
    PieceBuffer pieces[2] = {PieceBuffer(capacity), PieceBuffer(capacity)};
    const JobResult ran = RunPieces(source, pass, pieces, sink, checksum, asRead, progress);
    // The sink is done with the pieces before they go, whatever ended the pass.
    const FileFailure finished = sink != nullptr ? sink->Finish() : FileFailure::kNone;
    if (!ran.done() || finished == FileFailure::kNone)
        return ran;
    return FailedAt(finished, true);
}

JobResult StreamEncryptedBody(SourceFile& source, const FileFormat& format,
                              ContentTransform& transform, PieceSink* sink,
                              RunningChecksum* checksum, RunningFingerprint* asRead,
                              JobProgress* progress) {
    if (asRead != nullptr)
        asRead->Add(format.header.data(), static_cast<std::size_t>(format.bodyStart));
    JobResult result = StreamThrough(source, {format.bodyStart, format.bodyEnd, &transform, false},
                                     sink, checksum, asRead, progress);
    if (result.done() && asRead != nullptr)
        asRead->Add(kTrailerBytes, static_cast<std::size_t>(format.size - format.bodyEnd));
    return result;
}

FileFailure ReadWhole(InputStream& input, unsigned char* data, std::size_t capacity,
                      std::size_t& got) {
    got = 0;
    while (got < capacity) {
        std::size_t piece = 0;
        const FileFailure read = input.Read(data + got, capacity - got, piece);
        if (read != FileFailure::kNone)
            return read;
        if (piece == 0)
            break;
        got += piece;
    }
    return FileFailure::kNone;
}
