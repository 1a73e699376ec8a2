#include "platform/win32/temp_files.h"

#include <windows.h>

#include "core/temp_names.h"
#include "platform/win32/file_failure.h"
#include "platform/win32/file_io.h"
#include "platform/win32_wide_text.h"

namespace {

// A temporary file may be read by others, never written or deleted while its job holds it.
constexpr DWORD kTempShare = FILE_SHARE_READ;

// Removes the temporary files in `folder` (ending in a backslash) that a killed job left.
void RemoveStaleTemps(const std::string& folder) {
    const std::wstring pattern = FileSystemPath(folder + kTempPrefix + "*" + kTempSuffix);
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!search.valid())
        return;
    do {
        FoundTemp temp;
        temp.plainFile = (found.dwFileAttributes &
                          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        temp.usersOwn = true; // not asked here: the folder's permissions decide
        // A file a running job has open is not seen as in use here: its deletion fails.
        const std::string name = Utf8FromWide(found.cFileName);
        if (IsTempName(name.c_str(), kTempPrefix) && IsStaleTemp(temp))
            DeleteFileW(FileSystemPath(folder + name).c_str());
    } while (FindNextFileW(search.get(), &found) != FALSE);
}

} // namespace

FileFailure CreateDoomedFile(const std::string& folder, const std::string& keptName,
                             UniqueHandle& file, std::string& path) {
    RemoveStaleTemps(folder);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        if (keptName.empty())
            path = RandomName(folder + kTempPrefix, kTempSuffix);
        else if (attempt == 0)
            path = folder + keptName + kKeptCopySuffix;
        else
            path = RandomName(folder + keptName + ".vq~", ".new");
        file.reset(CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                               kTempShare, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid())
            break;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return FailureOf(error, FileFailure::kWriteFailed);
    }
    if (!file.valid())
        return FileFailure::kWriteFailed;
    if (!MarkForDeletion(file.get(), true)) {
        const DWORD error = GetLastError();
        file.reset();
        DeleteFileW(FileSystemPath(path).c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kNone;
}
