#include "core/encrypted_commit.h"

#include <optional>
#include <string>

JobResult CommitEncrypted(NewContent& content, RecordStore& store, std::uint32_t checksum) {
    std::optional<std::string> record = store.Write(checksum);
    if (!record)
        return JobResult{JobOutcome::kStoreFailed, FileFailure::kNone, {}, checksum};
    const FileFailure failure = content.Commit();
    if (failure == FileFailure::kNone)
        return JobResult{JobOutcome::kDone, FileFailure::kNone, *record, checksum};
    if (failure != FileFailure::kStranded) {
        store.DeleteIfHolds(*record, checksum);
        record->clear();
    }
    return JobResult{JobOutcome::kFileFailed, failure, *record, checksum};
}
