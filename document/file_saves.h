// The file work of "Save As", without any window: each save reads the previewed file once,
// checks that it is still what the preview saw, transforms it, and writes the result once,
// atomically, to the target (the previewed file itself or another name). Without a key
// (an empty one) neither save reads or writes anything: kNoKey.
#ifndef VEILQUILL_FILE_SAVES_H
#define VEILQUILL_FILE_SAVES_H

#include <cstddef>

#include "document/document_file.h"
#include "document/preview_reads.h"

struct SaveRequest {
    const char* sourcePath = nullptr; // the previewed file
    const char* targetPath = nullptr; // where the result goes
    const unsigned char* key = nullptr;
    std::size_t keyLength = 0;
    PreviewSnapshot preview;
};

// Both saves tell `progress` (may be null) of the bytes they have gone over; asked to stop
// before the new content is written, they end with kStopped, leaving the file and the records
// as they were.

// Encrypts the source with its trailer into the target. The checksum record is written into
// `storeFolder` first, and removed again when the file cannot be put in place; its path is
// left in `recordPath`. Without a record the file is not written (kStoreFailed).
FileStatus SaveEncryptedFile(const SaveRequest& request, const char* storeFolder, char* recordPath,
                             std::size_t recordPathCapacity, JobProgress* progress = nullptr);

// Decrypts the source, without its trailer, into the target. The decrypted bytes must have
// the checksum of the record that verified the key (the preview's). Once the file is in
// place the record at `recordPath` is deleted when `deleteRecord` is set: a decrypted copy
// under another name leaves it for the encrypted original.
FileStatus SaveDecryptedFile(const SaveRequest& request, const char* recordPath, bool deleteRecord,
                             JobProgress* progress = nullptr);

#endif
