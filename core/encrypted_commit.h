// Putting an encrypted content in place together with its key-check record.
#ifndef VEILQUILL_ENCRYPTED_COMMIT_H
#define VEILQUILL_ENCRYPTED_COMMIT_H

#include <cstdint>

#include "core/file_access.h"
#include "core/file_jobs.h"
#include "core/record_store.h"

// Writes the record of `checksum` (the plain text's), then commits `content`, so that an
// encrypted file never lacks its record. When the commit fails the record is removed again,
// unless the content was stranded beside the file: that is encrypted too and keeps it. The
// result names the record whenever one stays: kDone, or kFileFailed with kStranded.
JobResult CommitEncrypted(NewContent& content, RecordStore& store, std::uint32_t checksum);

#endif
