// Where a write job's result goes, and how it is put in place: the new content of the
// destination, its commit, and for a format checked by records the record written before the
// encrypted result can be seen, so that an encrypted file never lacks its record, and removed
// again when the result does not arrive.
#ifndef VEILQUILL_JOB_DESTINATION_H
#define VEILQUILL_JOB_DESTINATION_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/file_access.h"
#include "core/file_jobs.h"
#include "core/job_result.h"
#include "core/record_store.h"

// A job's content that is its target's as soon as it is written, with nothing to commit: a
// stream's, whose bytes go out at once, or a scratch file's, which holds them until they are
// read back.
template <typename Target> class WrittenContent final : public NewContent {
  public:
    explicit WrittenContent(Target& target) : target_(target) {}
    FileFailure Write(const unsigned char* data, std::size_t length) override {
        return target_.Write(data, length);
    }
    FileFailure Commit() override { return FileFailure::kNone; }

  private:
    Target& target_;
};

// The new content of the destination of a job reading `source`. For another existing file,
// `otherTarget` keeps that file open (locked against other writers) while its new content
// lives.
[[nodiscard]] FileFailure BeginDestination(FileAccess& files, SourceFile& source,
                                           const Destination& destination,
                                           std::unique_ptr<SourceFile>& otherTarget,
                                           std::unique_ptr<NewContent>& content);

// Puts the content in place; result.checksum is `checksum` (the plain text's) either way.
[[nodiscard]] JobResult CommitContent(NewContent& content, std::uint32_t checksum);

// Writes the record of `checksum` (the plain text's), then commits `content`, so that an
// encrypted file never lacks its record. When the commit fails the record is removed again,
// unless the content was left beside the file: that is encrypted too and keeps it.
[[nodiscard]] JobResult CommitWithRecord(NewContent& content, RecordStore& store,
                                         std::uint32_t checksum);

// Stores the record of `checksum` in a format that keeps one, then runs `deliver`, which sends
// encrypted bytes where they cannot be taken back (a stream): so no cipher text goes out whose
// record could not be written. The record goes again when the delivery fails.
template <typename Deliver>
JobResult DeliverWithRecord(bool keepsRecord, RecordStore& store, std::uint32_t checksum,
                            Deliver&& deliver) {
    std::optional<std::string> record;
    if (keepsRecord && !(record = store.Write(checksum))) {
        JobResult result = Ended(JobOutcome::kStoreFailed);
        result.checksum = checksum;
        return result;
    }
    JobResult result = deliver();
    if (!result.done()) {
        if (record)
            store.DeleteIfHolds(*record, checksum);
        return result;
    }
    result.checksum = checksum;
    result.record = record.value_or(std::string());
    return result;
}

#endif
