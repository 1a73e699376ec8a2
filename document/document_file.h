// What the document commands ask about paths and files, and where their records are.
#ifndef VEILQUILL_DOCUMENT_FILE_H
#define VEILQUILL_DOCUMENT_FILE_H

#include <cstddef>
#include <memory>

#include "core/file_access.h"
#include "core/record_store.h"
#include "document/display_text.h"

// The view is handed at most its bound; one byte more tells it that the file goes on.
constexpr std::size_t kShownBytes = kViewTextBound + 1;

// Documents are opened only when they could be written, shared with other readers and
// writers, as the window has always opened them.
constexpr OpenPurpose kDocumentOpen = OpenPurpose::kReadWritable;

// The full form of `path` (relative paths are taken from the current folder, which the file
// dialogs may change later). False, with `out` empty, when it does not fit.
bool FullPathOf(const char* path, char* out, std::size_t capacity);

// The records folder beside the program (Data\), or null when its path is not known.
std::unique_ptr<RecordFolder> WindowRecordFolder();

#endif
