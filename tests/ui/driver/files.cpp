// Paths, files and folders for the UI tests.
#include "driver/ui_driver.h"

#include <algorithm>
#include <atomic>

namespace vqui {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return condition();
        Sleep(kPollMs);
    }
}

void Pause(DWORD ms) {
    Sleep(ms);
}

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
    char buffer[32768];
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return std::string();
    return std::string(buffer, length);
}

std::string ProgramPath() {
    return UnixToWindowsPath(EnvironmentValue("VQ_PROGRAM"));
}

std::string StandinPath(const std::string& name) {
    const std::string build = EnvironmentValue("VQ_BUILD_DIR");
    return JoinPath(UnixToWindowsPath(build), "tests\\ui\\" + name + ".exe");
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    OwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool MakeFolders(const std::string& path) {
    if (path.empty() || FolderExists(path))
        return true;
    const std::size_t cut = path.find_last_of("\\/");
    if (cut != std::string::npos && cut > 2 && !MakeFolders(path.substr(0, cut)))
        return false;
    return CreateDirectoryA(path.c_str(), nullptr) || FolderExists(path);
}

namespace {

// The entries of a folder as FindFirstFileA reports them, without "." and "..".
std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& folder) {
    std::vector<WIN32_FIND_DATAA> entries;
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..")
            entries.push_back(data);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
}

} // namespace

bool RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return RemoveDirectoryA(path.c_str()) != FALSE;
        return DeleteFileA(path.c_str()) != FALSE;
    }
    bool removed = true;
    for (const WIN32_FIND_DATAA& entry : ListFolder(path))
        removed = RemoveTree(JoinPath(path, entry.cFileName)) && removed;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(path.c_str()) && removed;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const WIN32_FIND_DATAA& entry : ListFolder(folder))
        names.push_back(entry.cFileName);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::string TempRoot() {
    const std::string session = EnvironmentValue("VQ_WINE_SESSION_DIR");
    if (!session.empty())
        return JoinPath(UnixToWindowsPath(session), "tests");
    char buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    return JoinPath(std::string(buffer, length), "vqui-tests");
}

} // namespace

TempFolder::TempFolder(const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    const std::string root = TempRoot();
    MakeFolders(root);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate =
            JoinPath(root, prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(counter++));
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    if (!keep_ && !path_.empty()) {
        // A process that just ended may still hold its files for a moment.
        for (int attempt = 0; attempt < 20 && !RemoveTree(path_); ++attempt)
            Sleep(50);
    }
}

OwnedHandle::~OwnedHandle() {
    Reset();
}

OwnedHandle::OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
}

OwnedHandle& OwnedHandle::operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
        Reset(other.handle_);
        other.handle_ = nullptr;
    }
    return *this;
}

void OwnedHandle::Reset(HANDLE handle) {
    if (Valid())
        CloseHandle(handle_);
    handle_ = handle;
}

} // namespace vqui
