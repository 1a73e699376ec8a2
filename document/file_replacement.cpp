#include "document/file_replacement.h"

#include <cstring>
#include <utility>

#include "util/path_text.h"

namespace {

// Writes go in pieces, so that no single call has to move the whole file.
constexpr DWORD kIoPiece = 16u * 1024u * 1024u;

// The start of a temporary file's name, so that one left behind is known.
constexpr char kTempPrefix[] = "vq~";

// The prefixes GetFinalPathNameByHandleA puts before a drive path and a network path.
constexpr char kLocalPrefix[] = "\\\\?\\";
constexpr char kNetworkPrefix[] = "\\\\?\\UNC\\";

bool WriteAll(HANDLE file, const unsigned char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const DWORD want = size - done < kIoPiece ? static_cast<DWORD>(size - done) : kIoPiece;
        DWORD written = 0;
        if (WriteFile(file, data + done, want, &written, nullptr) == FALSE || written != want)
            return false;
        done += written;
    }
    return true;
}

bool MarkForDeletion(HANDLE file, bool deleted) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleted ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

// The folder part of a full path, without its last backslash ("C:\" stays "C:\").
bool FolderOf(const char* fullPath, char (&out)[MAX_PATH]) {
    if (!CopyWholeText(out, sizeof out, fullPath))
        return false;
    char* lastBackslash = std::strrchr(out, '\\');
    if (lastBackslash == nullptr)
        return false;
    lastBackslash[lastBackslash == out + 2 && out[1] == ':' ? 1 : 0] = '\0';
    return true;
}

// The path of the file itself, links and junctions resolved, in the form the other calls take.
bool RealPathOf(HANDLE file, char (&out)[MAX_PATH]) {
    char raw[MAX_PATH + sizeof kNetworkPrefix] = {};
    const DWORD length =
        GetFinalPathNameByHandleA(file, raw, sizeof raw, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof raw)
        return false;
    if (std::strncmp(raw, kNetworkPrefix, sizeof kNetworkPrefix - 1) == 0)
        return CopyWholeText(out, sizeof out, "\\\\") &&
               AppendWholeText(out, sizeof out, raw + sizeof kNetworkPrefix - 1);
    if (std::strncmp(raw, kLocalPrefix, sizeof kLocalPrefix - 1) == 0)
        return CopyWholeText(out, sizeof out, raw + sizeof kLocalPrefix - 1);
    return CopyWholeText(out, sizeof out, raw);
}

// The attributes a swapped-in file takes over from the file it replaces, where the system's
// swap does not already carry them over. A read-only file is not replaced: the swap fails.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Where the new content goes and what is there now.
struct Target {
    bool exists = false;
    DWORD links = 0;
    DWORD attributes = 0;
    FILETIME created{};
    char path[MAX_PATH] = {};   // the real file, or the full path of a new one
    char folder[MAX_PATH] = {}; // where the temporary file goes
};

bool FindTarget(const char* path, HANDLE held, Target& target) {
    UniqueHandle own;
    if (held == nullptr) {
        own.reset(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!own.valid()) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND)
                return false; // no such folder, or no access
            char* namePart = nullptr;
            const DWORD length = GetFullPathNameA(path, MAX_PATH, target.path, &namePart);
            return length != 0 && length < MAX_PATH && FolderOf(target.path, target.folder);
        }
        held = own.get();
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(held, &info) == FALSE ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    target.exists = true;
    target.links = info.nNumberOfLinks;
    target.attributes = info.dwFileAttributes;
    target.created = info.ftCreationTime;
    return RealPathOf(held, target.path) && FolderOf(target.path, target.folder);
}

// Whether the file may be removed from its name now: another program that has it open without
// sharing its deletion keeps the swap from happening, which is better known before the new
// content is written.
bool MayBeReplaced(const char* path) {
    UniqueHandle probe(CreateFileA(path, DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return probe.valid();
}

// A temporary file that the system deletes when its handle closes, also when the program is
// ended, until Keep is called.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile() { Remove(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // GetTempFileNameA makes the file under a name no one else has; it is marked for deletion
    // before anything is written to it.
    bool Create(const char* folder) {
        if (GetTempFileNameA(folder, kTempPrefix, 0, path_) == 0) {
            path_[0] = '\0';
            return false;
        }
        handle_.reset(CreateFileA(path_, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                  TRUNCATE_EXISTING, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (!handle_.valid() || !MarkForDeletion(handle_.get(), true)) {
            handle_.reset();
            DeleteFileA(path_);
            path_[0] = '\0';
            return false;
        }
        return true;
    }

    bool Fill(const unsigned char* data, std::size_t size) {
        return WriteAll(handle_.get(), data, size) && FlushFileBuffers(handle_.get()) != FALSE;
    }

    // Gives the file the replaced file's creation time and basic attributes (best effort).
    void TakeOver(const Target& target) {
        FILE_BASIC_INFO basic{};
        basic.CreationTime.LowPart = target.created.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(target.created.dwHighDateTime);
        const DWORD kept = target.attributes & kKeptAttributes;
        basic.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(handle_.get(), FileBasicInfo, &basic, sizeof basic);
    }

    // From now on the file stays when its handle closes; the handle is closed.
    bool Keep() {
        if (!MarkForDeletion(handle_.get(), false))
            return false;
        return handle_.close();
    }

    // The file is no longer ours to remove: it has taken the real file's place.
    void Release() { path_[0] = '\0'; }

    void Remove() {
        if (handle_.valid()) {
            handle_.reset(); // marked for deletion: closing deletes it
        } else if (path_[0] != '\0') {
            SetFileAttributesA(path_, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path_);
        }
        path_[0] = '\0';
    }

    const char* Path() const { return path_; }

  private:
    char path_[MAX_PATH] = {};
    UniqueHandle handle_;
};

// Swaps the temporary file in for the real one, or moves it in where there was none.
FileStatus Swap(const Target& target, TemporaryFile& temp) {
    if (target.exists)
        temp.TakeOver(target);
    if (!temp.Keep())
        return FileStatus::kWriteFailed;
    if (!target.exists) {
        if (MoveFileExA(temp.Path(), target.path, MOVEFILE_WRITE_THROUGH) == FALSE)
            return FileStatus::kWriteFailed;
        temp.Release();
        return FileStatus::kOk;
    }
    // ReplaceFileA keeps the real file's ACL, owner, streams, encryption, compression, object
    // id and short name, which a move would lose.
    if (ReplaceFileA(target.path, temp.Path(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr,
                     nullptr) != FALSE) {
        temp.Release();
        return FileStatus::kOk;
    }
    switch (GetLastError()) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        // The old file has left its name (it is gone, or kept under a name of the system's)
        // and the new content is still in the temporary file: moving that in is the only way
        // to have the file again. If that fails too, the temporary file is all there is.
        if (MoveFileExA(temp.Path(), target.path, MOVEFILE_WRITE_THROUGH) != FALSE) {
            temp.Release();
            return FileStatus::kOk;
        }
        temp.Release();
        return FileStatus::kStranded;
    default:
        // ERROR_UNABLE_TO_REMOVE_REPLACED and every other failure: both files are as they
        // were.
        return FileStatus::kWriteFailed;
    }
}

// A file with several names keeps one body: it is written through a handle, so every name
// sees the new content. The whole new content is flushed to the temporary file first and kept
// there until the file itself is flushed, so that an interruption leaves a whole copy.
FileStatus WriteInPlace(const Target& target, HANDLE held, TemporaryFile& temp,
                        const unsigned char* data, std::size_t size) {
    UniqueHandle own;
    if (held == nullptr) {
        own.reset(CreateFileA(target.path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_WRITE_THROUGH, nullptr));
        if (!own.valid())
            return FileStatus::kWriteFailed;
        held = own.get();
    }
    if (!temp.Keep())
        return FileStatus::kWriteFailed;
    LARGE_INTEGER start{};
    if (SetFilePointerEx(held, start, nullptr, FILE_BEGIN) == FALSE ||
        !WriteAll(held, data, size) || SetEndOfFile(held) == FALSE ||
        FlushFileBuffers(held) == FALSE) {
        temp.Release(); // the file may be half written: the whole new content stays beside it
        return FileStatus::kStranded;
    }
    return FileStatus::kOk;
}

} // namespace

HeldFile ReadHeldFile(const char* path, std::size_t spareBytes) {
    HeldFile held;
    held.handle.reset(CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!held.handle.valid())
        held.bytes.status = FileStatus::kOpenFailed;
    else
        held.bytes = ReadOpenFile(held.handle.get(), spareBytes);
    return held;
}

FileStatus ReplaceFileContent(const char* path, HANDLE held, const unsigned char* data,
                              std::size_t size) {
    Target target;
    if (path == nullptr || !FindTarget(path, held, target))
        return FileStatus::kWriteFailed;
    const bool inPlace = target.exists && target.links > 1;
    if (target.exists && !inPlace && !MayBeReplaced(target.path))
        return FileStatus::kWriteFailed;
    TemporaryFile temp;
    if (!temp.Create(target.folder) || !temp.Fill(data, size))
        return FileStatus::kWriteFailed;
    if (inPlace)
        return WriteInPlace(target, held, temp, data, size);
    return Swap(target, temp);
}
