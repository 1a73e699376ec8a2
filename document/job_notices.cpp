#include "document/job_notices.h"

namespace {

// A failure of the file the command reads, which is missing, in use or unreadable (not one
// that changed meanwhile or left its content beside it).
bool SourceFailed(const JobResult& result) {
    if (result.outcome != JobOutcome::kFileFailed || result.atTarget)
        return false;
    return result.file != FileFailure::kChanged && result.file != FileFailure::kStranded;
}

} // namespace

std::optional<Notice> NoticeFor(DocumentStep step, const JobResult& result) {
    if (result.done() || result.file == FileFailure::kStopped)
        return std::nullopt;
    switch (step) {
    case DocumentStep::kLoad:
        if (result.outcome == JobOutcome::kEmpty)
            return std::nullopt; // an empty file has nothing to show and needs no message
        return result.outcome == JobOutcome::kNoMemory ? Notice::Failure : Notice::OpenError;
    case DocumentStep::kPreview:
        break;
    case DocumentStep::kSave:
        return SourceFailed(result) ? Notice::OpenError : Notice::Failure;
    }
    return Notice::Failure;
}
