#include "platform/file_identity.h"

#include <windows.h>

#include "platform/win32/file_io.h"
#include "platform/win32_path_attributes.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

// Whether two paths are the same but for the case of their letters, as the file system
// compares names.
bool SameNameIgnoringCase(const std::string& first, const std::string& second) {
    const std::wstring a = WideFromUtf8(first);
    const std::wstring b = WideFromUtf8(second);
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool SameIdentity(const std::string& first, const std::string& second) {
    const UniqueHandle a = OpenExisting(first, 0, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
    const UniqueHandle b = OpenExisting(second, 0, kShareAll, FILE_FLAG_BACKUP_SEMANTICS);
    if (!a.valid() || !b.valid())
        return false;
    BY_HANDLE_FILE_INFORMATION infoA{};
    BY_HANDLE_FILE_INFORMATION infoB{};
    if (GetFileInformationByHandle(a.get(), &infoA) == FALSE ||
        GetFileInformationByHandle(b.get(), &infoB) == FALSE)
        return false;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

} // namespace

bool SameFileOnDisk(const std::string& first, const std::string& second) {
    std::string fullFirst;
    std::string fullSecond;
    if (!FullPath(first.c_str(), fullFirst) || !FullPath(second.c_str(), fullSecond))
        return false;
    return SameNameIgnoringCase(fullFirst, fullSecond) || SameIdentity(fullFirst, fullSecond);
}
