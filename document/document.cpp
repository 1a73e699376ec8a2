#include "document/document.h"

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32_path_attributes.h"
#include "util/path_text.h"

bool FullPathOf(const char* path, char* out, std::size_t capacity) {
    std::string full;
    if (out == nullptr || capacity == 0)
        return false;
    out[0] = '\0';
    return path != nullptr && path[0] != '\0' && FullPath(path, full) &&
           CopyWholeText(out, capacity, full.c_str());
}

std::unique_ptr<RecordFolder> WindowRecordFolder() {
    const std::string folder = DefaultRecordsFolder();
    return folder.empty() ? nullptr : OpenRecordFolder(folder);
}
