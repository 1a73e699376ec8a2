#include "tests/support/files.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/win32_wide_text.h"

namespace vqtest {

std::string UnixToWindowsPath(const std::string& unixPath) {
    if (unixPath.size() >= 2 && unixPath[1] == ':')
        return unixPath; // already a Windows path
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string WindowsToUnixPath(const std::string& windowsPath) {
    std::string path = windowsPath;
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':')
        path.erase(0, 2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '\\' || folder.back() == '/')
        return folder + name;
    return folder + "\\" + name;
}

std::string EnvironmentValue(const char* name) {
    wchar_t buffer[32768];
    const DWORD length =
        GetEnvironmentVariableW(WideFromUtf8(name).c_str(), buffer, sizeof buffer / sizeof *buffer);
    if (length == 0 || length >= sizeof buffer / sizeof *buffer)
        return std::string();
    return Utf8FromWide(buffer, length);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(FileSystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::optional<std::string> ReadBytes(const std::string& path) {
    UniqueHandle file(CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return std::nullopt;
    std::string bytes;
    // One block of the file's size: a 32-bit test has no room for a growing one of 256 MiB.
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) &&
        static_cast<std::uint64_t>(size.QuadPart) < bytes.max_size())
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

bool MakeSizedFile(const std::string& path, long long size) {
    const UniqueHandle file(CreateFileW(FileSystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER end{};
    end.QuadPart = size;
    return file.valid() && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) != FALSE &&
           SetEndOfFile(file.get()) != FALSE;
}

UniqueHandle HoldOpen(const std::string& path, DWORD share) {
    return UniqueHandle(CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ, share, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    return CopyFileW(FileSystemPath(from).c_str(), FileSystemPath(to).c_str(), FALSE) != FALSE;
}

bool MakeFolders(const std::string& path) {
    if (path.empty() || FolderExists(path))
        return true;
    const std::size_t cut = path.find_last_of("\\/");
    if (cut != std::string::npos && cut > 2 && !MakeFolders(path.substr(0, cut)))
        return false;
    return CreateDirectoryW(FileSystemPath(path).c_str(), nullptr) || FolderExists(path);
}

namespace {

// The names of a folder's entries in UTF-8, in the order the folder lists them, without "."
// and "..".
std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> entries;
    WIN32_FIND_DATAW data{};
    UniqueFind find(FindFirstFileW(FileSystemPath(JoinPath(folder, "*")).c_str(), &data));
    if (!find.valid())
        return entries;
    do {
        const std::string name = Utf8FromWide(data.cFileName);
        if (name != "." && name != "..")
            entries.push_back(name);
    } while (FindNextFileW(find.get(), &data));
    return entries;
}

} // namespace

bool RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(FileSystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetFileAttributesW(FileSystemPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return RemoveDirectoryW(FileSystemPath(path).c_str()) != FALSE;
        return DeleteFileW(FileSystemPath(path).c_str()) != FALSE;
    }
    bool removed = true;
    for (const std::string& name : ListFolder(path))
        removed = RemoveTree(JoinPath(path, name)) && removed;
    SetFileAttributesW(FileSystemPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(FileSystemPath(path).c_str()) && removed;
}

std::vector<std::string> Entries(const std::string& folder) {
    return ListFolder(folder);
}

std::vector<std::string> SortedEntries(const std::string& folder) {
    std::vector<std::string> names = Entries(folder);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vqtest
