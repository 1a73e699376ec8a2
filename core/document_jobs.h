// The file work of a document shown in a view: its first bytes, the previews that go over the
// whole file once, and the saves that commit a preview only while the file is still the one
// previewed. Memory stays bounded whatever the file's size: only the bytes to be shown are
// kept, the rest goes by in pieces. Nothing here touches a window, so each call may run on a
// thread of its own; asked to stop, a call ends with FileFailure::kStopped having changed
// nothing.
#ifndef VEILQUILL_DOCUMENT_JOBS_H
#define VEILQUILL_DOCUMENT_JOBS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/file_access.h"
#include "core/file_jobs.h"
#include "core/record_store.h"
#include "core/secret_key.h"

// What a preview saw on disk, kept until its save.
struct ContentSnapshot {
    std::uint64_t size = 0;        // bytes in the file
    std::uint64_t fingerprint = 0; // ContentFingerprint of those bytes as read
    std::uint32_t checksum = 0;    // ContentChecksum of the plain text
};

// A file's size, whether it ends in the trailer, and its first bytes without the trailer.
struct FileHead {
    FileFailure failure = FileFailure::kNone;
    std::uint64_t size = 0;
    bool encrypted = false;
    std::vector<unsigned char> head; // at most `headLimit` bytes
};

// Reads the last two bytes and then at most `headLimit` bytes from the start, none of the
// trailer's; an empty file is no failure (size 0).
FileHead ReadFileHead(FileAccess& files, const std::string& path, OpenPurpose purpose,
                      std::size_t headLimit, JobProgress* progress);

// A preview: the snapshot of the whole file and the first transformed bytes.
struct PreviewPass {
    JobOutcome outcome = JobOutcome::kDone; // kEmpty, kNoKey or kFileFailed besides kDone
    FileFailure file = FileFailure::kNone;
    ContentSnapshot snapshot;
    std::vector<unsigned char> head; // at most `headLimit` bytes of the transform
};

// The encrypt preview: the checksum and fingerprint of every byte; only the first `headLimit`
// bytes are encrypted. An empty file is kEmpty.
PreviewPass PreviewEncryption(FileAccess& files, const std::string& path, OpenPurpose purpose,
                              const SecretKey& key, std::size_t headLimit, JobProgress* progress);

// The decrypt preview: every byte but the trailer's decrypted and summed, the fingerprint of
// every byte. A file shorter than the trailer is kEmpty.
PreviewPass PreviewDecryption(FileAccess& files, const std::string& path, OpenPurpose purpose,
                              const SecretKey& key, std::size_t headLimit, JobProgress* progress);

// Where a save puts its result.
enum class SaveTarget {
    kSource,    // the previewed file itself
    kOtherFile, // another existing file, which is replaced keeping its identity
    kNewFile,   // a name that is free (taken meanwhile: kExists)
};

struct SaveResult {
    JobResult job;
    // The failure (job.file) concerns the target, not the previewed file.
    bool atTarget = false;
};

// Encrypts the previewed file with its trailer into the target, in one read that checks its
// size, fingerprint and plain checksum against `expected`; any difference is kChanged with
// nothing written. The checksum's record is written into `store` just before the result is
// put in place and removed again when that fails (not when the result is stranded beside its
// file: it is encrypted). job.record names it.
SaveResult SaveEncryption(FileAccess& files, const std::string& source, const std::string& target,
                          SaveTarget into, const SecretKey& key, const ContentSnapshot& expected,
                          RecordStore& store, JobProgress* progress);

// Decrypts the previewed file without its trailer into the target, checked the same way (the
// decrypted bytes must have the checksum the record verified). Records are not touched.
SaveResult SaveDecryption(FileAccess& files, const std::string& source, const std::string& target,
                          SaveTarget into, const SecretKey& key, const ContentSnapshot& expected,
                          JobProgress* progress);

#endif
