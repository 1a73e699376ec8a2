#include "core/job_destination.h"

FileFailure BeginDestination(FileAccess& files, SourceFile& source, const Destination& destination,
                             std::unique_ptr<SourceFile>& otherTarget,
                             std::unique_ptr<NewContent>& content) {
    switch (destination.into) {
    case SaveTarget::kSource:
        return source.BeginReplacement(content);
    case SaveTarget::kOtherFile: {
        const FileFailure opened =
            files.OpenSource(destination.path, OpenPurpose::kReplace, otherTarget);
        if (opened == FileFailure::kMissing) // gone since the user agreed to replace it
            return files.BeginNewFile(destination.path, content);
        return opened != FileFailure::kNone ? opened : otherTarget->BeginReplacement(content);
    }
    case SaveTarget::kStream:
        content = std::make_unique<WrittenContent<OutputStream>>(*destination.stream);
        return FileFailure::kNone;
    case SaveTarget::kNewFile:
        break;
    }
    return files.BeginNewFile(destination.path, content);
}

Destination DestinationOf(FileAccess& files, const std::string& source, const std::string& target) {
    if (files.SameFile(source, target))
        return Destination{target, SaveTarget::kSource};
    return Destination{target,
                       files.Exists(target) ? SaveTarget::kOtherFile : SaveTarget::kNewFile};
}

JobResult CommitContent(NewContent& content, std::uint32_t checksum) {
    const FileFailure failure = content.Commit();
    JobResult result =
        failure == FileFailure::kNone ? Ended(JobOutcome::kDone) : FailedAt(failure, true);
    result.checksum = checksum;
    return result;
}

JobResult CommitWithRecord(NewContent& content, RecordStore& store, std::uint32_t checksum) {
    std::optional<std::string> record = store.Write(checksum);
    if (!record) {
        JobResult result = Ended(JobOutcome::kStoreFailed);
        result.checksum = checksum;
        return result;
    }
    JobResult result = CommitContent(content, checksum);
    if (!result.done() && result.file != FileFailure::kLeftBesideFile) {
        store.DeleteIfHolds(*record, checksum);
        record->clear();
    }
    result.record = *record;
    return result;
}
