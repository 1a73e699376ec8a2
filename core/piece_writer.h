// Writes a job's pieces on a thread of its own, so that the next piece is read and
// transformed while the disk takes the one before: a job then costs about the longer of the
// two, not their sum.
#ifndef VEILQUILL_PIECE_WRITER_H
#define VEILQUILL_PIECE_WRITER_H

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include "core/file_access.h"
#include "core/piece_stream.h"

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

#endif
