#include "document/document_file.h"

#include <windows.h>

#include "platform/platform.h"
#include "util/path_text.h"

namespace {

// The full form of a path; false when it does not fit.
bool FullPath(const char* path, char (&out)[MAX_PATH]) {
    char* namePart = nullptr;
    const DWORD length = GetFullPathNameA(path, MAX_PATH, out, &namePart);
    return length != 0 && length < MAX_PATH;
}

} // namespace

bool FullPathOf(const char* path, char* out, std::size_t capacity) {
    char full[MAX_PATH] = {};
    if (out == nullptr || capacity == 0)
        return false;
    out[0] = '\0';
    return path != nullptr && path[0] != '\0' && FullPath(path, full) &&
           CopyWholeText(out, capacity, full);
}

std::unique_ptr<RecordFolder> WindowRecordFolder() {
    const std::string folder = DefaultRecordsFolder();
    return folder.empty() ? nullptr : OpenRecordFolder(folder);
}
