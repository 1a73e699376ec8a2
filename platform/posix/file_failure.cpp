#include "platform/posix/file_failure.h"

#include <cerrno>

FileFailure FailureOf(int error, FileFailure otherwise) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return FileFailure::kMissing;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileFailure::kNoAccess;
    case EISDIR:
        return FileFailure::kIsFolder;
    case ETXTBSY:
        return FileFailure::kInUse;
    case ENOSPC:
    case EDQUOT:
        return FileFailure::kNoSpace;
    case EEXIST:
        return FileFailure::kExists;
    default:
        return otherwise;
    }
}
