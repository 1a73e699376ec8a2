#include "finder/trailer_check.h"

#include "core/tree_walk.h"
#include "platform/platform.h"

bool FileEndsInTrailer(const char* path) {
    return path != nullptr && EndsInTrailer(SystemScanFolders(), path);
}
