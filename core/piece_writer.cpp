#include "core/piece_writer.h"

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
