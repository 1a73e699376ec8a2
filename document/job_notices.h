// What the user is told when a document command's file work did not succeed.
#ifndef VEILQUILL_JOB_NOTICES_H
#define VEILQUILL_JOB_NOTICES_H

#include <optional>

#include "core/job_result.h"
#include "ui/notification.h"

// The document's commands, each with its own notices.
enum class DocumentStep { kLoad, kPreview, kSave };

// The notice for a job that did not complete, or none: the user asked it to stop, or (a
// load) the file is empty and there is nothing to show. None for a job that completed.
std::optional<Notice> NoticeFor(DocumentStep step, const JobResult& result);

#endif
