// Going over a file's body in pieces: the loop every file job shares, and where its pieces go
// (a writer thread of their own, or the head a preview shows).
#ifndef VEILQUILL_PIECE_STREAM_H
#define VEILQUILL_PIECE_STREAM_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/content_sums.h"
#include "core/content_transform.h"
#include "core/encrypted_format.h"
#include "core/file_access.h"
#include "core/job_result.h"

// A piece buffer that may hold plain text: wiped before it is freed.
class PieceBuffer {
  public:
    explicit PieceBuffer(std::size_t capacity)
        : data_(new unsigned char[capacity]), capacity_(capacity) {}
    ~PieceBuffer() { WipeBytes(data_.get(), capacity_); }
    PieceBuffer(const PieceBuffer&) = delete;
    PieceBuffer& operator=(const PieceBuffer&) = delete;
    unsigned char* data() const { return data_.get(); }

  private:
    std::unique_ptr<unsigned char[]> data_;
    std::size_t capacity_;
};

// Where the transformed pieces go, in order.
class PieceSink {
  public:
    virtual ~PieceSink() = default;
    // The piece stays the caller's and unchanged until the next Take or Finish returns.
    virtual FileFailure Take(const unsigned char* data, std::size_t length) = 0;
    virtual FileFailure Finish() = 0;
};

// Keeps the first `limit` bytes handed to it: what a view shows of a preview.
class HeadSink final : public PieceSink {
  public:
    HeadSink(std::vector<unsigned char>& head, std::size_t limit) : head_(head), limit_(limit) {}
    FileFailure Take(const unsigned char* data, std::size_t length) override;
    FileFailure Finish() override { return FileFailure::kNone; }
    bool Full() const { return head_.size() >= limit_; }

  private:
    std::vector<unsigned char>& head_;
    std::size_t limit_;
};

// Writes a job's pieces on a thread of its own, so that the next piece is read and
// transformed while the disk takes the one before: a job then costs about the longer of the
// two, not their sum.
// Shared by the job's thread, which hands pieces over, and the writer thread, which writes
// them to the sink in order; everything they share is guarded by one lock. A piece handed
// over stays the caller's memory and must not change until the next Take or Finish returns.
class PieceWriter final : public PieceSink {
  public:
    explicit PieceWriter(NewContent& sink);
    ~PieceWriter() override; // finishes and joins the thread
    PieceWriter(const PieceWriter&) = delete;
    PieceWriter& operator=(const PieceWriter&) = delete;

    // Waits until the piece handed before has been written, then hands this one over. The
    // first failure of the sink, once there is one, is returned here and by Finish.
    FileFailure Take(const unsigned char* data, std::size_t length) override;
    // Waits until every piece has been written.
    FileFailure Finish() override;

  private:
    void Run();
    FileFailure WaitUntilIdle(std::unique_lock<std::mutex>& hold);

    NewContent& sink_;
    std::mutex lock_;
    std::condition_variable changed_;
    const unsigned char* piece_ = nullptr; // handed over and not yet written
    std::size_t length_ = 0;
    bool finishing_ = false;
    FileFailure failure_ = FileFailure::kNone;
    std::thread thread_; // last: it starts once the rest is ready
};

// One pass over the body [begin, end) of a source.
struct StreamPass {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    ContentTransform* transform = nullptr;
    // The plain text is what is read (an encryption) or what the transform gives (a
    // decryption); its checksum is summed on that side.
    bool plainIsInput = true;
    // Once the sink has all it wants, pieces are still read and summed but not transformed.
    const HeadSink* stopTransformingWhenFull = nullptr;
};

// Runs the body through the transform in pieces, summing (each when given) the plain text's
// checksum and the fingerprint of the bytes as read, and hands each transformed piece to
// the sink. Two pieces take turns, so that a sink writing on a thread of its own takes one
// while the other is read and transformed. Asked to stop, it ends before the next piece with
// kStopped. A failure of the sink is at the target; a piece the transform fails on ends the
// pass as its WhyFailed() says. result.written counts the transformed bytes.
[[nodiscard]] JobResult StreamThrough(SourceFile& source, const StreamPass& pass, PieceSink* sink,
                                      RunningChecksum* checksum, RunningFingerprint* asRead,
                                      JobProgress* progress);

// Runs the body of an encrypted file in `format` through the transform as StreamThrough does,
// the plain text being what it gives. The fingerprint, when given, also takes the header and
// the trailer around the body, as ReadFormat read them.
[[nodiscard]] JobResult StreamEncryptedBody(SourceFile& source, const FileFormat& format,
                                            ContentTransform& transform, PieceSink* sink,
                                            RunningChecksum* checksum, RunningFingerprint* asRead,
                                            JobProgress* progress);

// Reads from the stream until `capacity` bytes have come or the stream has ended (`got` is
// then less).
[[nodiscard]] FileFailure ReadWhole(InputStream& input, unsigned char* data, std::size_t capacity,
                                    std::size_t& got);

#endif
