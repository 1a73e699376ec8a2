// The file work of loading and of the two previews, without any window: each reads the file
// once and leaves in memory the text the document view is to show.
#ifndef VEILQUILL_PREVIEW_READS_H
#define VEILQUILL_PREVIEW_READS_H

#include <cstddef>
#include <cstdint>

#include "core/file_jobs.h"
#include "document/document_file.h"

// What a preview saw on disk, kept until its save.
struct PreviewSnapshot {
    std::uint32_t size = 0;        // bytes in the file
    std::uint64_t fingerprint = 0; // ContentFingerprint of those bytes as read
    std::uint32_t checksum = 0;    // ContentChecksum of the plain text
};

// A loaded file: its bytes with zero bytes shown as spaces and, when it ends in the trailer,
// the trailer hidden; the text is zero-terminated.
struct DisplayDocument {
    FileBytes file;
    bool encrypted = false;
};
// `progress` (may be null) is told of the bytes read and may stop the read before it begins.
DisplayDocument ReadDocumentForDisplay(const char* path, JobProgress* progress = nullptr);

// The encrypt preview: the plain file's checksum, then its cipher text ready for display.
struct PreviewText {
    FileBytes file;
    PreviewSnapshot snapshot;
};
PreviewText ReadEncryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               JobProgress* progress = nullptr);

// The decrypt preview: all bytes but the trailer decrypted and summed, then ready for
// display, the text ending before the trailer. A file shorter than the trailer is kEmpty.
PreviewText ReadDecryptPreview(const char* path, const unsigned char* key, std::size_t keyLength,
                               JobProgress* progress = nullptr);

#endif
