#include "platform/win32/content_replacement.h"

#include <algorithm>
#include <vector>

#include "core/temp_names.h"
#include "platform/win32/file_io.h"
#include "platform/win32_path_attributes.h"
#include "platform/win32_wide_text.h"

namespace {

// Whether the program runs under Wine, whose file system differs in ways putting new content
// in place must know.
bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Ctrl+C and Ctrl+Break wait while this lives, so that putting new content in place, once
// begun, ends.
class DeferInterrupts {
  public:
    DeferInterrupts() { SetConsoleCtrlHandler(nullptr, TRUE); }
    ~DeferInterrupts() { SetConsoleCtrlHandler(nullptr, FALSE); }
    DeferInterrupts(const DeferInterrupts&) = delete;
    DeferInterrupts& operator=(const DeferInterrupts&) = delete;
};

// The attributes new content takes over from the file it replaces, where the system's
// replacement does not already carry them over. A read-only file is never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Gives a new content the creation time and attributes of the file it replaces (best effort:
// the content is what must not fail).
void CopyCreationTimeAndAttributes(HANDLE temp, const BY_HANDLE_FILE_INFORMATION& replaced) {
    FILE_BASIC_INFO basic{};
    basic.CreationTime.LowPart = replaced.ftCreationTime.dwLowDateTime;
    basic.CreationTime.HighPart = static_cast<LONG>(replaced.ftCreationTime.dwHighDateTime);
    const DWORD kept = replaced.dwFileAttributes & kKeptAttributes;
    basic.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(temp, FileBasicInfo, &basic, sizeof basic);
}

// The folder part of a path, with its last backslash.
std::string FolderPartOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : path.substr(0, slash + 1);
}

// Whether the file may be removed from its name now: another program that has it open without
// sharing its deletion keeps the new content from being put in place, which is better known
// before the new content is written.
bool MayBeReplaced(const std::string& path) {
    return OpenExisting(path, DELETE, kShareAll, FILE_FLAG_BACKUP_SEMANTICS).valid();
}

// A temporary file may be read by others, never written or deleted while its job has it open.
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
        // A file a running job has open is not told apart here: its deletion fails.
        const std::string name = Utf8FromWide(found.cFileName);
        if (IsTempName(name.c_str(), kTempPrefix) && IsStaleTemp(temp))
            DeleteFileW(FileSystemPath(folder + name).c_str());
    } while (FindNextFileW(search.get(), &found) != FALSE);
}

// A temporary file in `folder` (ending in a backslash), already marked to be deleted when
// closed, made after the folder's stale temporary files are removed. With a `keptName` (a file
// written in place) it is named after it, so that the folder's clean-up never takes it: if the
// write is cut short it is the only whole form of the new content.
FileFailure CreateTempFileDeletedOnClose(const std::string& folder, const std::string& keptName,
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
    if (!SetDeleteOnClose(file.get(), true)) {
        const DWORD error = GetLastError();
        file.reset();
        DeleteFileW(FileSystemPath(path).c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kNone;
}

} // namespace

FileFailure Win32Source::ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) {
    return ReadAllAt(file_.get(), data, length, offset) ? FileFailure::kNone
                                                        : FileFailure::kReadFailed;
}

FileFailure Win32Source::BeginReplacement(std::unique_ptr<NewContent>& out) {
    if (realPath_.empty())
        return FileFailure::kNoAccess;
    if (!HasSeveralLinks() && !MayBeReplaced(realPath_))
        return FileFailure::kWriteFailed;
    UniqueHandle temp;
    std::string tempPath;
    const std::string folder = FolderPartOf(realPath_);
    const FileFailure failure = CreateTempFileDeletedOnClose(
        folder, HasSeveralLinks() ? realPath_.substr(folder.size()) : "", temp, tempPath);
    if (failure != FileFailure::kNone)
        return failure;
    out = std::make_unique<Win32NewContent>(this, realPath_, std::move(temp), std::move(tempPath));
    return FileFailure::kNone;
}

bool Win32Source::Unchanged() const {
    BY_HANDLE_FILE_INFORMATION now{};
    return GetFileInformationByHandle(file_.get(), &now) != FALSE &&
           now.nFileSizeHigh == opened_.nFileSizeHigh && now.nFileSizeLow == opened_.nFileSizeLow &&
           CompareFileTime(&now.ftLastWriteTime, &opened_.ftLastWriteTime) == 0;
}

void EarlyFlush::Written(std::uint64_t total) {
    {
        const SrwExclusiveLock guard = LockExclusive(lock_);
        if (stopping_ || total - asked_ < kStep)
            return;
        asked_ = total;
        pending_ = true;
        // Made under the lock, so that none is made once Stop has begun. Without a thread
        // the flush before the new content is put in place does it all.
        if (!thread_.valid())
            thread_.reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    }
    WakeConditionVariable(&wake_);
}

void EarlyFlush::Stop() {
    {
        const SrwExclusiveLock guard = LockExclusive(lock_);
        stopping_ = true;
    }
    WakeAllConditionVariable(&wake_);
    if (thread_.valid())
        WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

DWORD WINAPI EarlyFlush::ThreadMain(LPVOID self) {
    static_cast<EarlyFlush*>(self)->Run();
    return 0;
}

void EarlyFlush::Run() {
    for (;;) {
        {
            SrwExclusiveLock guard = LockExclusive(lock_);
            while (!pending_ && !stopping_)
                SleepConditionVariableSRW(&wake_, &lock_, INFINITE, 0);
            if (stopping_)
                return;
            pending_ = false;
        }
        FlushFileBuffers(file_);
    }
}

FileFailure Win32NewContent::Write(const unsigned char* data, std::size_t length) {
    if (!WriteAllAt(temp_.get(), data, length, size_))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    size_ += length;
    flush_.Written(size_);
    return FileFailure::kNone;
}

FileFailure Win32NewContent::Commit() {
    DeferInterrupts deferred;
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
    if (!SetDeleteOnClose(temp_.get(), false))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    temp_.reset();
    if (MoveFileExW(FileSystemPath(tempPath_).c_str(), FileSystemPath(target_).c_str(), flags) ==
        FALSE) {
        const DWORD error = GetLastError();
        DeleteFileW(FileSystemPath(tempPath_).c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kNone;
}

FileFailure Win32NewContent::ReplaceTarget() {
    CopyCreationTimeAndAttributes(temp_.get(), source_->Opened());
    // ReplaceFile opens the replacement without sharing, so the temporary file is closed
    // first; from here until it is in place it is an ordinary file under its temporary name.
    if (!SetDeleteOnClose(temp_.get(), false))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    temp_.reset();
    if (RunningUnderWine()) {
        // Wine's ReplaceFile moves the old file aside before it moves the new content in, so
        // for a moment no file has the name, and a kill then could leave the new content only
        // under a temporary name, for the next save's clean-up to take. A rename over the file
        // is one step there. Wine renames over no open file, so the source is closed first:
        // the file was found unchanged a moment ago, and it keeps nothing a rename would lose
        // there. While another program has it open, ReplaceFile is still the way.
        source_->Close();
        if (MoveFileExW(FileSystemPath(tempPath_).c_str(), FileSystemPath(target_).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
            return FileFailure::kNone;
    }
    if (ReplaceFileW(FileSystemPath(target_).c_str(), FileSystemPath(tempPath_).c_str(), nullptr,
                     REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) != FALSE)
        return FileFailure::kNone;
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        // The old file is gone and the new content is still under its temporary name: give it
        // the target's name, which is free now.
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        // The old file was moved to a name of the system's choosing and the new content is
        // still under its temporary name: the same.
        if (MoveFileExW(FileSystemPath(tempPath_).c_str(), FileSystemPath(target_).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE)
            return FileFailure::kNone;
        // The new content is the only whole form of the file: it stays, under a name that
        // the folder's clean-up does not take.
        MoveFileExW(FileSystemPath(tempPath_).c_str(),
                    FileSystemPath(target_ + kKeptCopySuffix).c_str(), MOVEFILE_WRITE_THROUGH);
        return FileFailure::kLeftBesideFile;
    default:
        // ERROR_UNABLE_TO_REMOVE_REPLACED and every other failure: both files keep their names
        // and the old file is untouched.
        DeleteFileW(FileSystemPath(tempPath_).c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
}

FileFailure Win32NewContent::WriteInPlace(HANDLE target) {
    // The temporary file keeps the whole new content until the file is on disk, so a crash
    // in the middle leaves it beside the file.
    if (!SetDeleteOnClose(temp_.get(), false))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    // From the first write on the file may be half written: a failure leaves the whole new
    // content beside it.
    std::vector<unsigned char> piece(kIoPiece);
    for (std::uint64_t at = 0; at < size_;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kIoPiece, size_ - at));
        if (!ReadAllAt(temp_.get(), piece.data(), count, at) ||
            !WriteAllAt(target, piece.data(), count, at))
            return FileFailure::kLeftBesideFile;
        at += count;
    }
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size_);
    if (SetFilePointerEx(target, end, nullptr, FILE_BEGIN) == FALSE ||
        SetEndOfFile(target) == FALSE || FlushFileBuffers(target) == FALSE)
        return FileFailure::kLeftBesideFile;
    SetDeleteOnClose(temp_.get(), true);
    return FileFailure::kNone;
}

FileFailure BeginNewFileContent(const std::string& given, std::unique_ptr<NewContent>& out) {
    std::string path;
    // A path that ends in a separator names a folder, not a file to be made.
    if (!FullPath(given.c_str(), path) || path.empty() || path.back() == '\\' || path.back() == '/')
        return FileFailure::kMissing;
    if (EntryExists(path))
        return FileFailure::kExists;
    UniqueHandle temp;
    std::string tempPath;
    const FileFailure failure =
        CreateTempFileDeletedOnClose(FolderPartOf(path), "", temp, tempPath);
    if (failure != FileFailure::kNone)
        return failure;
    out = std::make_unique<Win32NewContent>(nullptr, path, std::move(temp), std::move(tempPath));
    return FileFailure::kNone;
}
