// The platform on Windows (ANSI forms throughout, as in the window).
//
// New content goes into a temporary file in the real file's folder that is marked for
// deletion as soon as it is made, so that it cannot outlive the process even when the
// process is killed; the mark is cleared only at the swap. While it is written it is already
// flushed to disk, every few MiB, on a thread of its own (EarlyFlush). The swap is ReplaceFileA
// without a backup name, which keeps the file's identity: its ACL, owner, streams, encryption,
// compression, object id and short name. A file with several hard links is written in place
// through the source's own handle, after the new content is flushed to the temporary file.
// The source is held from its first read to the swap sharing read and delete, never write.
// A swap that the system could only half do (the old file gone from its name, the new one
// not yet under it) and an in-place write that failed part-way are kStranded: the whole new
// content then stays beside the file under the file's name with ".vq~new" added.
//
// Under Wine, whose ReplaceFile leaves the name empty for a moment, the swap is a rename over
// the file instead whenever that can be done.
//
// A kill in the moment of the swap leaves the new content under its temporary name
// (vq~*.tmp). Every job that writes into a folder first removes such files there; a running
// job's temporary file is open without sharing its deletion, so it cannot be removed.
#include "platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/temp_names.h"
#include "platform/win32_early_flush.h"
#include "platform/win32_path_attributes.h"
#include "util/program_folder.h"
#include "util/win_handles.h"

namespace {

constexpr char kAllEntries[] = "*.*";
constexpr char kRecordsFolderName[] = "Data\\";
constexpr DWORD kIoPiece = 1024 * 1024;
// The most one WriteFile is given. Measured under Wine on a Linux virtual machine, 256 MiB
// went out in 70-90 ms as 256 KiB writes, 130 ms as 128 KiB and 410 ms as 1 MiB: large writes
// take the system's large blocks of fresh memory, which cost a fault at the host there.
constexpr DWORD kWritePiece = 256 * 1024;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A temporary file may be read by others, never written or deleted while its job holds it.
constexpr DWORD kTempShare = FILE_SHARE_READ;

FileFailure FailureOf(DWORD error, FileFailure otherwise) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE:
        return FileFailure::kMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileFailure::kNoAccess;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileFailure::kInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileFailure::kNoSpace;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FileFailure::kExists;
    default:
        return otherwise;
    }
}

bool ReadAllAt(HANDLE file, unsigned char* data, std::size_t length, std::uint64_t offset) {
    while (length > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length, kIoPiece));
        DWORD got = 0;
        if (ReadFile(file, data, want, &got, &at) == FALSE || got == 0)
            return false;
        data += got;
        length -= got;
        offset += got;
    }
    return true;
}

bool WriteAllAt(HANDLE file, const unsigned char* data, std::size_t length, std::uint64_t offset) {
    while (length > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length, kWritePiece));
        DWORD written = 0;
        if (WriteFile(file, data, want, &written, &at) == FALSE || written != want)
            return false;
        data += written;
        length -= written;
        offset += written;
    }
    return true;
}

// Marks an open file to be deleted when its last handle closes, or takes the mark back.
bool MarkForDeletion(HANDLE file, bool doomed) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = doomed ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

// The full path of an open file with every link resolved, without the "\\?\" prefix.
std::string FinalPathOf(HANDLE file) {
    char path[MAX_PATH + 8] = {};
    const DWORD length =
        GetFinalPathNameByHandleA(file, path, sizeof path, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof path)
        return {};
    std::string text(path, length);
    if (text.compare(0, 8, "\\\\?\\UNC\\") == 0)
        return "\\\\" + text.substr(8);
    if (text.compare(0, 4, "\\\\?\\") == 0)
        return text.substr(4);
    return text;
}

// The folder part of a path, with its last backslash.
std::string FolderPartOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

// Removes the temporary files in `folder` (ending in a backslash) that a killed job left.
void RemoveStaleTemps(const std::string& folder) {
    const std::string pattern = folder + kTempPrefix + "*" + kTempSuffix;
    WIN32_FIND_DATAA found;
    UniqueFind search(FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!search.valid())
        return;
    do {
        FoundTemp temp;
        temp.plainFile = (found.dwFileAttributes &
                          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        temp.usersOwn = true;
        // A file a running job holds is not seen as held here: its deletion fails.
        if (IsTempName(found.cFileName, kTempPrefix) && IsStaleTemp(temp))
            DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search.get(), &found) != FALSE);
}

// Ctrl+C and Ctrl+Break wait while this lives, so that a swap once begun ends.
class InterruptHold {
  public:
    InterruptHold() { SetConsoleCtrlHandler(nullptr, TRUE); }
    ~InterruptHold() { SetConsoleCtrlHandler(nullptr, FALSE); }
    InterruptHold(const InterruptHold&) = delete;
    InterruptHold& operator=(const InterruptHold&) = delete;
};

// The attributes a swapped-in file takes over from the file it replaces, where the system's
// swap does not already carry them over. A read-only file is never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Gives a new content the creation time and attributes of the file it replaces (best effort:
// the content is what must not fail).
void TakeOverBasics(HANDLE temp, const BY_HANDLE_FILE_INFORMATION& replaced) {
    FILE_BASIC_INFO basic{};
    basic.CreationTime.LowPart = replaced.ftCreationTime.dwLowDateTime;
    basic.CreationTime.HighPart = static_cast<LONG>(replaced.ftCreationTime.dwHighDateTime);
    const DWORD kept = replaced.dwFileAttributes & kKeptAttributes;
    basic.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(temp, FileBasicInfo, &basic, sizeof basic);
}

// Whether the file may be removed from its name now: another program that has it open without
// sharing its deletion keeps the swap from happening, which is better known before the new
// content is written.
bool MayBeReplaced(const std::string& path) {
    UniqueHandle probe(CreateFileA(path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return probe.valid();
}

// A temporary file in `folder`, already marked for deletion. With a `keptName` (a file
// written in place) it is named after it, so that the folder's clean-up never takes it: if
// the write is cut short it is the only whole form of the new content.
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
        file.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kTempShare,
                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
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
        DeleteFileA(path.c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kNone;
}

// ---- Source files and their replacement -------------------------------------------------

class Win32Source;

class Win32NewContent : public NewContent {
  public:
    // Replaces `source`'s file, or (without a source) makes the new file `target`.
    Win32NewContent(Win32Source* source, std::string target, UniqueHandle temp,
                    std::string tempPath)
        : source_(source), target_(std::move(target)), temp_(std::move(temp)),
          tempPath_(std::move(tempPath)) {}

    FileFailure Write(const unsigned char* data, std::size_t length) override {
        if (!WriteAllAt(temp_.get(), data, length, size_))
            return FailureOf(GetLastError(), FileFailure::kWriteFailed);
        size_ += length;
        flush_.Written(size_);
        return FileFailure::kNone;
    }

    FileFailure Commit() override;

  private:
    FileFailure MoveIntoPlace(DWORD flags);
    FileFailure ReplaceTarget();
    FileFailure WriteInPlace(HANDLE target);

    Win32Source* source_;
    std::string target_;
    UniqueHandle temp_;
    std::string tempPath_;
    std::uint64_t size_ = 0;
    EarlyFlush flush_{temp_.get()}; // after temp_: it stops before the file is closed
};

class Win32Source : public SourceFile {
  public:
    Win32Source(UniqueHandle file, const BY_HANDLE_FILE_INFORMATION& opened, std::string realPath)
        : file_(std::move(file)), opened_(opened), realPath_(std::move(realPath)) {}

    std::uint64_t Size() const override {
        return (static_cast<std::uint64_t>(opened_.nFileSizeHigh) << 32) | opened_.nFileSizeLow;
    }

    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override {
        return ReadAllAt(file_.get(), data, length, offset) ? FileFailure::kNone
                                                            : FileFailure::kReadFailed;
    }

    FileFailure BeginReplacement(std::unique_ptr<NewContent>& out) override {
        if (realPath_.empty())
            return FileFailure::kNoAccess;
        if (!HasSeveralLinks() && !MayBeReplaced(realPath_))
            return FileFailure::kWriteFailed;
        UniqueHandle temp;
        std::string tempPath;
        const std::string folder = FolderPartOf(realPath_);
        const FileFailure failure = CreateDoomedFile(
            folder, HasSeveralLinks() ? realPath_.substr(folder.size()) : "", temp, tempPath);
        if (failure != FileFailure::kNone)
            return failure;
        out = std::make_unique<Win32NewContent>(this, realPath_, std::move(temp),
                                                std::move(tempPath));
        return FileFailure::kNone;
    }

    // Nobody could open the file for writing while it is held, but a mapped view or a
    // handle that slipped in before could still have changed it.
    bool Unchanged() const {
        BY_HANDLE_FILE_INFORMATION now{};
        return GetFileInformationByHandle(file_.get(), &now) != FALSE &&
               now.nFileSizeHigh == opened_.nFileSizeHigh &&
               now.nFileSizeLow == opened_.nFileSizeLow &&
               CompareFileTime(&now.ftLastWriteTime, &opened_.ftLastWriteTime) == 0;
    }

    bool HasSeveralLinks() const { return opened_.nNumberOfLinks > 1; }
    HANDLE Handle() const { return file_.get(); }
    // Ends the hold; the source is not read again.
    void Release() { file_.reset(); }
    const BY_HANDLE_FILE_INFORMATION& Opened() const { return opened_; }

  private:
    UniqueHandle file_;
    BY_HANDLE_FILE_INFORMATION opened_;
    std::string realPath_;
};

FileFailure Win32NewContent::Commit() {
    InterruptHold hold;
    flush_.Stop();
    if (FlushFileBuffers(temp_.get()) == FALSE)
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    if (source_ == nullptr)
        return MoveIntoPlace(MOVEFILE_WRITE_THROUGH); // fails when the name is taken
    if (!source_->Unchanged())
        return FileFailure::kChanged;
    if (source_->HasSeveralLinks())
        return WriteInPlace(source_->Handle());
    return ReplaceTarget();
}

// Gives the temporary file the target's name; on failure it is removed. It is closed first,
// since it does not share its deletion (which a move needs).
FileFailure Win32NewContent::MoveIntoPlace(DWORD flags) {
    if (!MarkForDeletion(temp_.get(), false))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    temp_.reset();
    if (MoveFileExA(tempPath_.c_str(), target_.c_str(), flags) == FALSE) {
        const DWORD error = GetLastError();
        DeleteFileA(tempPath_.c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kNone;
}

FileFailure Win32NewContent::ReplaceTarget() {
    TakeOverBasics(temp_.get(), source_->Opened());
    // ReplaceFileA opens the replacement without sharing, so the temporary file is closed
    // first; from here to the swap it is an ordinary file under its temporary name.
    if (!MarkForDeletion(temp_.get(), false))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    temp_.reset();
    if (RunningUnderWine()) {
        // Wine's ReplaceFile moves the old file aside before it moves the new content in, so
        // for a moment no file has the name, and a kill then could leave the new content only
        // under a temporary name, for the next save's clean-up to take. A rename over the file
        // is one step there. Wine renames over no open file, so the hold ends first: the file
        // was found unchanged a moment ago, and it keeps nothing a rename would lose there.
        // While another program has it open, ReplaceFile is still the way.
        source_->Release();
        if (MoveFileExA(tempPath_.c_str(), target_.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
            return FileFailure::kNone;
    }
    if (ReplaceFileA(target_.c_str(), tempPath_.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH,
                     nullptr, nullptr) != FALSE)
        return FileFailure::kNone;
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        // The old file is gone and the new content is still under its temporary name: give it
        // the target's name, which is free now.
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        // The old file was moved to a name of the system's choosing and the new content is
        // still under its temporary name: the same.
        if (MoveFileExA(tempPath_.c_str(), target_.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
            return FileFailure::kNone;
        // The new content is the only whole form of the file: it stays, under a name that
        // the folder's clean-up does not take.
        MoveFileExA(tempPath_.c_str(), (target_ + kKeptCopySuffix).c_str(), MOVEFILE_WRITE_THROUGH);
        return FileFailure::kStranded;
    default:
        // ERROR_UNABLE_TO_REMOVE_REPLACED and every other failure: both files keep their names
        // and the old file is untouched.
        DeleteFileA(tempPath_.c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
}

FileFailure Win32NewContent::WriteInPlace(HANDLE target) {
    // The temporary file keeps the whole new content until the file is on disk, so a crash
    // in the middle leaves it beside the file.
    if (!MarkForDeletion(temp_.get(), false))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    // From the first write on the file may be half written: a failure leaves the whole new
    // content beside it.
    std::vector<unsigned char> piece(kIoPiece);
    for (std::uint64_t at = 0; at < size_;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kIoPiece, size_ - at));
        if (!ReadAllAt(temp_.get(), piece.data(), count, at) ||
            !WriteAllAt(target, piece.data(), count, at))
            return FileFailure::kStranded;
        at += count;
    }
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size_);
    if (SetFilePointerEx(target, end, nullptr, FILE_BEGIN) == FALSE ||
        SetEndOfFile(target) == FALSE || FlushFileBuffers(target) == FALSE)
        return FileFailure::kStranded;
    MarkForDeletion(temp_.get(), true);
    return FileFailure::kNone;
}

class Win32Files : public FileAccess {
  public:
    FileFailure OpenSource(const std::string& path, OpenPurpose purpose,
                           std::unique_ptr<SourceFile>& out) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return FailureOf(GetLastError(), FileFailure::kReadFailed);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return FileFailure::kIsFolder;
        const bool replace = purpose == OpenPurpose::kReplace;
        if (replace && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
            return FileFailure::kNoAccess;
        // Held for a replacement: readers may go on, writers are kept out until the swap.
        DWORD access = GENERIC_READ;
        DWORD share = kShareAll;
        if (replace) {
            access = GENERIC_READ | GENERIC_WRITE;
            share = FILE_SHARE_READ | FILE_SHARE_DELETE;
        } else if (purpose == OpenPurpose::kReadWritable) {
            access = GENERIC_READ | GENERIC_WRITE;
            share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        }
        UniqueHandle file(CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.valid())
            return FailureOf(GetLastError(), FileFailure::kReadFailed);
        if (GetFileType(file.get()) != FILE_TYPE_DISK)
            return FileFailure::kNotFile;
        BY_HANDLE_FILE_INFORMATION opened{};
        if (GetFileInformationByHandle(file.get(), &opened) == FALSE)
            return FileFailure::kReadFailed;
        std::string realPath = replace ? FinalPathOf(file.get()) : std::string();
        out = std::make_unique<Win32Source>(std::move(file), opened, std::move(realPath));
        return FileFailure::kNone;
    }

    FileFailure BeginNewFile(const std::string& given, std::unique_ptr<NewContent>& out) override {
        char full[MAX_PATH] = {};
        char* namePart = nullptr;
        const DWORD length = GetFullPathNameA(given.c_str(), sizeof full, full, &namePart);
        if (length == 0 || length >= sizeof full || namePart == nullptr)
            return FileFailure::kMissing;
        const std::string path(full, length);
        if (EntryExists(path))
            return FileFailure::kExists;
        UniqueHandle temp;
        std::string tempPath;
        const FileFailure failure = CreateDoomedFile(FolderPartOf(path), "", temp, tempPath);
        if (failure != FileFailure::kNone)
            return failure;
        out =
            std::make_unique<Win32NewContent>(nullptr, path, std::move(temp), std::move(tempPath));
        return FileFailure::kNone;
    }
};

// ---- Folder listings ---------------------------------------------------------------------

EntryKind KindOf(const WIN32_FIND_DATAA& found) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return EntryKind::kFile;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::kFolderLink
                                                                        : EntryKind::kFolder;
}

// Lists `folder` (ending in a backslash).
bool ListFolder(const std::string& folder, const EntryVisitor& visit) {
    const std::string pattern = folder + kAllEntries;
    WIN32_FIND_DATAA found;
    UniqueFind search(FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search.valid())
        return false;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
            continue;
        FolderEntry entry;
        entry.name = found.cFileName;
        entry.kind = KindOf(found);
        entry.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (!visit(entry))
            break;
    } while (FindNextFileA(search.get(), &found) != FALSE);
    return true;
}

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

class Win32ScanFolders : public ScanFolders {
  public:
    char Separator() const override { return '\\'; }

    bool ForEachEntry(const std::string& folder, const EntryVisitor& visit) override {
        return ListFolder(folder, visit);
    }

    // Read-only with full sharing, so files that are read-only or held by other programs
    // are still looked at, and 64-bit sizes.
    bool ReadLastTwo(const std::string& path, unsigned char lastTwo[2]) override {
        UniqueHandle file(
            CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size{};
        if (!file.valid() || GetFileSizeEx(file.get(), &size) == FALSE || size.QuadPart < 2)
            return false;
        return ReadAllAt(file.get(), lastTwo, 2, static_cast<std::uint64_t>(size.QuadPart) - 2);
    }
};

// ---- The records folder ------------------------------------------------------------------

class Win32RecordEntry : public RecordEntry {
  public:
    Win32RecordEntry(UniqueHandle file, bool mayDelete)
        : file_(std::move(file)), mayDelete_(mayDelete) {}

    bool Read(std::string& bytes, std::size_t limit) override {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file_.get(), &size) == FALSE || size.QuadPart <= 0 ||
            static_cast<std::uint64_t>(size.QuadPart) > limit)
            return false;
        bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        return ReadAllAt(file_.get(), reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size(), 0);
    }

    // Through the handle that was read: whatever has taken the name since stays.
    bool Delete() override { return mayDelete_ && MarkForDeletion(file_.get(), true); }

  private:
    UniqueHandle file_;
    bool mayDelete_;
};

class Win32RecordFolder : public RecordFolder {
  public:
    explicit Win32RecordFolder(std::string path)
        : path_(std::move(path)), folder_(WithBackslash(path_)) {}

    const std::string& Path() const override { return path_; }

    bool Exists() override { return IsFolder(folder_); }

    bool Create() override {
        for (std::size_t slash = folder_.find_first_of("\\/", 3); slash != std::string::npos;
             slash = folder_.find_first_of("\\/", slash + 1))
            CreateDirectoryA(folder_.substr(0, slash).c_str(), nullptr); // may exist already
        return Exists();
    }

    bool ForEachEntry(const EntryVisitor& visit) override { return ListFolder(folder_, visit); }

    CreateOutcome CreateExclusive(const std::string& name, const std::string& content) override {
        const std::string path = folder_ + name;
        UniqueHandle record(CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH,
                                        nullptr));
        if (!record.valid())
            return NameIsTaken(path, GetLastError()) ? CreateOutcome::kTaken
                                                     : CreateOutcome::kFailed;
        if (!WriteAllAt(record.get(), reinterpret_cast<const unsigned char*>(content.data()),
                        content.size(), 0) ||
            FlushFileBuffers(record.get()) == FALSE) {
            MarkForDeletion(record.get(), true); // nothing half-written stays
            return CreateOutcome::kFailed;
        }
        return record.close() ? CreateOutcome::kCreated : CreateOutcome::kFailed;
    }

    std::unique_ptr<RecordEntry> Open(const std::string& name) override {
        const std::string path = folder_ + name;
        // Held against other writers from the reading to a delete, so that what is deleted is
        // what was compared; a record another program has open can still be read, not deleted.
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        const bool mayDelete = file.valid();
        if (!mayDelete)
            file.reset(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return nullptr;
        return std::make_unique<Win32RecordEntry>(std::move(file), mayDelete);
    }

  private:
    // Whether a failed CREATE_NEW failed because the name is taken (by a record, a folder or
    // any other entry) rather than because the folder cannot be written.
    static bool NameIsTaken(const std::string& path, DWORD error) {
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return true;
        return error == ERROR_ACCESS_DENIED && EntryExists(path);
    }

    std::string path_;
    std::string folder_; // with its backslash
};

} // namespace

FileAccess& SystemFiles() {
    static Win32Files files;
    return files;
}

ScanFolders& SystemScanFolders() {
    static Win32ScanFolders folders;
    return folders;
}

std::unique_ptr<RecordFolder> OpenRecordFolder(const std::string& path) {
    return std::make_unique<Win32RecordFolder>(path);
}

std::string EnvironmentValue(const char* name) {
    char value[MAX_PATH * 2] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string DefaultRecordsFolder() {
    char folder[MAX_PATH] = {};
    if (!ProgramFolder(true, folder, sizeof folder))
        return {};
    return std::string(folder) + kRecordsFolderName;
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

TerminalRead ReadSecretLine(const char* prompt, SecretLine& line) {
    line.Clear();
    UniqueHandle input(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    UniqueHandle output(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
    DWORD saved = 0;
    if (!input.valid() || !output.valid() || GetConsoleMode(input.get(), &saved) == FALSE)
        return TerminalRead::kNoTerminal;
    DWORD written = 0;
    WriteConsoleA(output.get(), prompt, static_cast<DWORD>(std::strlen(prompt)), &written, nullptr);
    SetConsoleMode(input.get(), (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) |
                                    ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);

    // Read as wide characters and turned into the system's ANSI code page, as the window's
    // key box does, so that a key typed here gives the same bytes as one typed there.
    TerminalRead result = TerminalRead::kFailed;
    wchar_t typed[64];
    bool ended = false;
    while (!ended) {
        DWORD count = 0;
        if (ReadConsoleW(input.get(), typed, sizeof typed / sizeof typed[0], &count, nullptr) ==
                FALSE ||
            count == 0)
            break;
        for (DWORD i = 0; i < count && !ended; ++i) {
            if (typed[i] == L'\r' || typed[i] == L'\n') {
                ended = true;
                result = TerminalRead::kRead;
                continue;
            }
            char bytes[8] = {};
            const int length =
                WideCharToMultiByte(CP_ACP, 0, &typed[i], 1, bytes, sizeof bytes, nullptr, nullptr);
            for (int b = 0; b < length; ++b)
                line.Append(static_cast<unsigned char>(bytes[b]));
            WipeBytes(bytes, sizeof bytes);
        }
    }
    WipeBytes(typed, sizeof typed);
    SetConsoleMode(input.get(), saved);
    WriteConsoleA(output.get(), "\r\n", 2, &written, nullptr);
    return result;
}
