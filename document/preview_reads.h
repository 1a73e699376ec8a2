// The file work of loading and of the two previews, without any window: each reads the file
// once and leaves in memory the text the document view is to show.
#ifndef VEILQUILL_PREVIEW_READS_H
#define VEILQUILL_PREVIEW_READS_H

#include <cstddef>
#include <cstdint>

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
DisplayDocument ReadDocumentForDisplay(const char* path);

// The encrypt preview: the plain file's checksum, then its cipher text ready for display.
struct PreviewText {
    FileBytes file;
    PreviewSnapshot snapshot;
};
PreviewText ReadEncryptPreview(const char* path, const unsigned char* key, std::size_t keyLength);

// The decrypt preview: all bytes but the trailer decrypted and summed, then ready for
// display, the text ending before the trailer. A file shorter than the trailer is kEmpty.
PreviewText ReadDecryptPreview(const char* path, const unsigned char* key, std::size_t keyLength);

#endif
