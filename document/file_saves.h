// The file work of "Save As", without any window: each save is one call that reads the
// previewed file once, checks that it is still what the preview saw while the transform goes
// into a new content, and puts that in place in one step: in place of the previewed file
// itself, of another existing file (which keeps its identity), or under a new name. Without a
// key (an empty one) neither save reads or writes anything: kNoKey. Safe to run on a thread of
// its own; `progress` (may be null) hears of each piece and may ask the save to stop
// (kStopped, with nothing changed and no record left).
#ifndef VEILQUILL_FILE_SAVES_H
#define VEILQUILL_FILE_SAVES_H

#include <cstddef>
#include <string>

#include "core/file_jobs.h"
#include "document/document_file.h"
#include "document/preview_reads.h"

struct SaveRequest {
    const char* sourcePath = nullptr; // the previewed file
    const char* targetPath = nullptr; // where the result goes
    const unsigned char* key = nullptr;
    std::size_t keyLength = 0;
    PreviewSnapshot preview;
};

struct SaveOutcome {
    FileStatus status = FileStatus::kOk;
    std::string recordPath; // the record an encrypted save wrote
};

// Encrypts the source with its trailer into the target. The checksum record is written into
// `storeFolder` (with its backslash) before the file is put in place, and removed again when
// that fails; without a record the file is not written (kStoreFailed).
SaveOutcome SaveEncryptedFile(const SaveRequest& request, const char* storeFolder,
                              JobProgress* progress);

// Decrypts the source, without its trailer, into the target. The decrypted bytes must have
// the checksum of the record that verified the key (the preview's). Once the file is in
// place the record at `recordPath` is deleted when `deleteRecord` is set (and it still holds
// that checksum): a decrypted copy under another name leaves it for the encrypted original.
SaveOutcome SaveDecryptedFile(const SaveRequest& request, const char* recordPath, bool deleteRecord,
                              JobProgress* progress);

#endif
