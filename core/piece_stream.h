// Going over a file's body in pieces: the loop every file job shares.
#ifndef VEILQUILL_PIECE_STREAM_H
#define VEILQUILL_PIECE_STREAM_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/cipher_stream.h"
#include "core/content_fingerprint.h"
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
