// How a file job ended, and what it hears of and asks while it runs. Every job of both
// programs ends in one JobResult; each program turns it into its own words in one place.
#ifndef VEILQUILL_JOB_RESULT_H
#define VEILQUILL_JOB_RESULT_H

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "core/file_access.h"

enum class JobOutcome {
    kDone,
    kNoKey,            // an empty key is never used
    kEmpty,            // nothing to encrypt, or too short to hold the trailer
    kAlreadyEncrypted, // encrypt: the file ends in the trailer
    kNotEncrypted,     // decrypt, check: the file does not
    kNoRecord,         // no record holds the checksum of what the key gives
    kStoreFailed,      // the record could not be written; the file was not touched
    kFileFailed,       // see `file` and `atTarget`
    kNoMemory,         // no memory (or no thread) for the job's bounded buffers
    kWrongKey,         // a strong file's key check does not match the key
    kDamaged,          // a strong file's header or chunks do not verify: see `damagedAt`
    kNewerFormat,      // a strong file made by a newer version (or with a damaged header)
    kNoLibrary,        // the strong format's cryptography cannot be had: see `detail`
    kLibraryFailed,    // the cryptographic library failed: see `detail`
    kKeyNotInCodePage, // encrypt: the key holds a character the original format cannot store
    kKeyTooLong,       // the key has more bytes than the format takes
};

struct JobResult {
    JobOutcome outcome = JobOutcome::kDone;
    FileFailure file = FileFailure::kNone;
    // The failure concerns the file written (a save's target), not the file read.
    bool atTarget = false;
    std::string record;         // the record written, or the one that verified the key
    std::uint32_t checksum = 0; // of the plain text, once the whole file has been read
    std::uint64_t written = 0;  // the size of the file written
    // kDamaged: where the damage was found: 0 for the header's fields and header check,
    // kStrongKeyCheckAt (60) for a key check the right key does not match, else the start of
    // the first chunk that does not verify.
    std::uint64_t damagedAt = 0;
    std::string detail; // kNoLibrary: what is missing or unusable; kLibraryFailed: its words

    bool done() const { return outcome == JobOutcome::kDone; }
};

[[nodiscard]] inline JobResult Ended(JobOutcome outcome) {
    JobResult result;
    result.outcome = outcome;
    return result;
}

[[nodiscard]] inline JobResult FailedAt(FileFailure failure, bool atTarget) {
    JobResult result;
    result.outcome = JobOutcome::kFileFailed;
    result.file = failure;
    result.atTarget = atTarget;
    return result;
}

// Told of every piece of the file as the job goes over it. A job asked to stop ends before
// its next piece with FileFailure::kStopped, leaving the file and the records as they were.
class JobProgress {
  public:
    virtual ~JobProgress() = default;
    virtual void Advance(std::uint64_t bytes) = 0;
    virtual bool StopRequested() const { return false; }
};

inline bool StopRequested(const JobProgress* progress) {
    return progress != nullptr && progress->StopRequested();
}

// The progress of a pass over a file that has been counted once already (a decryption tried
// again with another form of the key): stop requests go through, the bytes are not counted
// twice.
class RepeatedPassProgress final : public JobProgress {
  public:
    explicit RepeatedPassProgress(JobProgress* counted) : counted_(counted) {}
    void Advance(std::uint64_t) override {}
    bool StopRequested() const override { return ::StopRequested(counted_); }

  private:
    JobProgress* counted_;
};

// The size of the plain pieces a job reads, transforms and writes.
constexpr std::size_t kJobPieceSize = 1024 * 1024;

// Runs a job so that nothing is thrown on: a job that finds no memory (or no thread) for its
// bounded buffers ends as kNoMemory. `Pass` is a JobResult or holds one as `result`.
inline JobResult& ResultOf(JobResult& result) {
    return result;
}
template <typename Pass> JobResult& ResultOf(Pass& pass) {
    return pass.result;
}
template <typename Pass, typename Work> Pass RunJobGuarded(Work&& work) noexcept {
    try {
        return work();
    } catch (const std::exception&) {
    }
    Pass failed;
    ResultOf(failed) = Ended(JobOutcome::kNoMemory);
    return failed;
}

#endif
