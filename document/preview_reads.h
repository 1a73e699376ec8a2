// The file work of loading and of the two previews, without any window: each is one call that
// reads the file once and returns, by value, the text the document view is to show (at most
// the view's bound and one byte more, so that the view can tell a longer file) and what the
// save will check. Safe to run on a thread of its own; `progress` (may be null) hears of each
// piece and may ask the work to stop (kStopped).
#ifndef VEILQUILL_PREVIEW_READS_H
#define VEILQUILL_PREVIEW_READS_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/document_jobs.h"
#include "core/file_jobs.h"
#include "document/document_file.h"

// What a preview saw on disk, kept until its save.
using PreviewSnapshot = ContentSnapshot;

// A loaded file: its size, whether it ends in the trailer, and the start of its display text
// (zero bytes shown as spaces, the trailer left out).
struct DisplayDocument {
    FileStatus status = FileStatus::kOpenFailed; // kEmpty for a file without bytes
    std::uint64_t size = 0;
    bool encrypted = false;
    std::string text;
};
DisplayDocument ReadDocumentForDisplay(const char* path, JobProgress* progress);

// A preview: the start of the transformed file's display text and the snapshot of the whole.
// The decrypt preview also looks for the record that verifies its checksum.
struct PreviewText {
    FileStatus status = FileStatus::kOpenFailed;
    PreviewSnapshot snapshot;
    std::string text;
    bool verified = false;  // a record holds the checksum of the decrypted bytes
    std::string recordPath; // that record
};

// The encrypt preview: the plain file's checksum, then its cipher text ready for display.
// An empty file is kEmpty.
PreviewText ReadEncryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               JobProgress* progress);

// The decrypt preview: all bytes but the trailer decrypted and summed, the text ending before
// the trailer, and the sum looked up among the records in `storeFolder` (with its backslash;
// none looked at when null). A file shorter than the trailer is kEmpty.
PreviewText ReadDecryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               const char* storeFolder, JobProgress* progress);

#endif
