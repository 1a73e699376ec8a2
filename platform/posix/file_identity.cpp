#include "platform/file_identity.h"

#include <sys/stat.h>

#include "platform/posix/temp_files.h"

bool SameFileOnDisk(const std::string& first, const std::string& second) {
    if (first == second)
        return true;
    struct stat a = {};
    struct stat b = {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && SameInode(a, b);
}
