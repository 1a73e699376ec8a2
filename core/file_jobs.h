// Encrypting, decrypting and checking one file on disk, in bounded memory whatever its size.
// An encrypted file always has its record before it is swapped in; a decrypted one replaces
// its file only when a record verifies the key, and that record goes afterwards.
#ifndef VEILQUILL_FILE_JOBS_H
#define VEILQUILL_FILE_JOBS_H

#include <cstdint>
#include <string>

#include "core/file_access.h"
#include "core/record_store.h"
#include "core/secret_key.h"

enum class JobOutcome {
    kDone,
    kNoKey,            // an empty key is never used
    kEmpty,            // nothing to encrypt
    kAlreadyEncrypted, // encrypt: the file ends in the trailer
    kNotEncrypted,     // decrypt, check: the file does not
    kNoRecord,         // no record holds the checksum of what the key gives
    kStoreFailed,      // the record could not be written; the file was not touched
    kFileFailed,       // see `file`
};

struct JobResult {
    JobOutcome outcome = JobOutcome::kDone;
    FileFailure file = FileFailure::kNone;
    std::string record;         // the record written, or the one that verified the key
    std::uint32_t checksum = 0; // of the plain text, once the whole file has been read
};

// Told of every piece of the file as the job goes over it. A job asked to stop ends before
// its next piece with FileFailure::kStopped, leaving the file and the records as they were.
class JobProgress {
  public:
    virtual ~JobProgress() = default;
    virtual void Advance(std::uint64_t bytes) = 0;
    virtual bool StopRequested() const { return false; }
};

// The size of the pieces a job reads, transforms and writes.
constexpr std::size_t kJobPieceSize = 1024 * 1024;

// What `status` tells of a file.
struct FileState {
    bool encrypted = false;
    std::uint64_t size = 0;
};

// Whether the file ends in the trailer, and its size; reads only its last two bytes.
FileFailure ReadFileState(FileAccess& files, const std::string& path, FileState& state);

// Encrypts the file in place and stores its plain text's checksum in a new record.
JobResult EncryptInPlace(FileAccess& files, const std::string& path, const SecretKey& key,
                         RecordStore& store, JobProgress* progress);

// Decrypts the file in place when a record verifies the key, then deletes that record if it
// still holds the checksum.
JobResult DecryptInPlace(FileAccess& files, const std::string& path, const SecretKey& key,
                         RecordStore& store, JobProgress* progress);

// Whether a record verifies the key for the file; writes nothing.
JobResult CheckKey(FileAccess& files, const std::string& path, const SecretKey& key,
                   RecordStore& store, JobProgress* progress);

// Decrypts the file into a new file at `output`, leaving the encrypted file and the records
// as they are. With a store the key must be verified by one of its records first; without
// one (null) the result is written whatever the key gives.
JobResult DecryptToNewFile(FileAccess& files, const std::string& path, const std::string& output,
                           const SecretKey& key, RecordStore* store, JobProgress* progress);

#endif
