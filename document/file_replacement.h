// Putting new content in place of a file so that it stays the same file: the real file behind
// a link is what changes, and it keeps its permissions, owner, streams, encryption and its
// other names. The new content waits in a temporary file in the real file's folder, which the
// system deletes if the program ends before the swap.
#ifndef VEILQUILL_FILE_REPLACEMENT_H
#define VEILQUILL_FILE_REPLACEMENT_H

#include <windows.h>

#include <cstddef>

#include "document/document_file.h"
#include "util/win_handles.h"

// A save's source, read whole through a handle that holds it against other writers (it shares
// reading and deletion only) until the handle goes. A file that another program has open for
// writing cannot be held: kOpenFailed.
struct HeldFile {
    UniqueHandle handle;
    FileBytes bytes;
};
HeldFile ReadHeldFile(const char* path, std::size_t spareBytes);

// Puts `size` bytes in place of the file at `path`, which need not exist. `held` is the
// handle of a HeldFile on that same file, or null. A file with one name is swapped whole with
// a temporary file (ReplaceFileA); a new file is moved into place; a file with several names
// is written in place after the new content is on disk in a temporary file, which is kept
// until the file is flushed. kWriteFailed: the file is as it was and nothing is left behind.
// kStranded: the system's swap took the file away and the new content could not be moved in,
// or an in-place write failed half-way; the whole new content is then left in the temporary
// file.
FileStatus ReplaceFileContent(const char* path, HANDLE held, const unsigned char* data,
                              std::size_t size);

#endif
