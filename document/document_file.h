// What the document commands ask about paths and files, and where their records are.
#ifndef VEILQUILL_DOCUMENT_FILE_H
#define VEILQUILL_DOCUMENT_FILE_H

#include <cstddef>
#include <memory>

#include "core/record_store.h"

// The full form of `path` (relative paths are taken from the current folder, which the file
// dialogs may change later). False, with `out` empty, when it does not fit.
bool FullPathOf(const char* path, char* out, std::size_t capacity);

// The records folder beside the program (Data\), or null when its path is not known.
std::unique_ptr<RecordFolder> WindowRecordFolder();

#endif
