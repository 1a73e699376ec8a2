#include "platform/win32/folders.h"

#include <windows.h>

#include <cwchar>

#include "core/tree_walk.h"
#include "platform/platform.h"
#include "platform/win32/file_io.h"
#include "platform/win32_wide_text.h"

namespace {

constexpr char kAllEntries[] = "*.*";

bool IsDotEntry(const wchar_t* name) {
    return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0;
}

EntryKind KindOf(const WIN32_FIND_DATAW& found) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return EntryKind::kFile;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::kFolderLink
                                                                        : EntryKind::kFolder;
}

class Win32ScanFolders : public ScanFolders {
  public:
    char Separator() const override { return '\\'; }

    bool ForEachEntry(const std::string& folder, const EntryVisitor& visit) override {
        return ListFolder(folder, visit);
    }

    // Read-only with full sharing, so files that are read-only or open in other programs
    // are still looked at, and 64-bit sizes.
    bool ReadLastTwo(const std::string& path, unsigned char lastTwo[2]) override {
        const UniqueHandle file = OpenExisting(path, GENERIC_READ, kShareAll, 0);
        LARGE_INTEGER size{};
        if (!file.valid() || GetFileSizeEx(file.get(), &size) == FALSE || size.QuadPart < 2)
            return false;
        return ReadAllAt(file.get(), lastTwo, 2, static_cast<std::uint64_t>(size.QuadPart) - 2);
    }
};

} // namespace

bool ListFolder(const std::string& folder, const EntryVisitor& visit) {
    const std::wstring pattern = FileSystemPath(folder + kAllEntries);
    WIN32_FIND_DATAW found;
    UniqueFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search.valid())
        return false;
    do {
        if (IsDotEntry(found.cFileName))
            continue;
        FolderEntry entry;
        entry.name = Utf8FromWide(found.cFileName);
        entry.kind = KindOf(found);
        entry.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (!visit(entry))
            break;
    } while (FindNextFileW(search.get(), &found) != FALSE);
    return true;
}

ScanFolders& SystemScanFolders() {
    static Win32ScanFolders folders;
    return folders;
}
