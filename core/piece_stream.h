// Going over a file in pieces of kJobPieceSize: the loop every file job shares.
#ifndef VEILQUILL_PIECE_STREAM_H
#define VEILQUILL_PIECE_STREAM_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/cipher_stream.h"
#include "core/content_fingerprint.h"
#include "core/file_access.h"
#include "core/file_jobs.h"

// A piece buffer that may hold plain text: wiped before it is freed.
class PieceBuffer {
  public:
    PieceBuffer() : data_(new unsigned char[kJobPieceSize]) {}
    ~PieceBuffer() { WipeBytes(data_.get(), kJobPieceSize); }
    PieceBuffer(const PieceBuffer&) = delete;
    PieceBuffer& operator=(const PieceBuffer&) = delete;
    unsigned char* data() const { return data_.get(); }

  private:
    std::unique_ptr<unsigned char[]> data_;
};

// Whether the job has been asked to stop.
inline bool StopRequested(const JobProgress* progress) {
    return progress != nullptr && progress->StopRequested();
}

// Runs the first `length` bytes of the source through the cipher in pieces, summing the
// plain text's checksum on the way (before an encryption, after a decryption) and, when one
// is given, the fingerprint of the bytes as read, and hands each transformed piece to `sink`
// when there is one. Two pieces take turns: one is written while the other is read and
// transformed. Asked to stop, it ends before the next piece with kStopped.
FileFailure StreamThrough(SourceFile& source, std::uint64_t length, const SecretKey& key,
                          CipherDirection direction, NewContent* sink, RunningChecksum& checksum,
                          RunningFingerprint* asRead, JobProgress* progress);

#endif
