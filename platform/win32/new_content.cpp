#include "platform/win32/new_content.h"

#include <algorithm>
#include <vector>

#include "core/temp_names.h"
#include "platform/win32/file_failure.h"
#include "platform/win32/file_io.h"
#include "platform/win32/files.h"
#include "platform/win32/wine_check.h"
#include "platform/win32_wide_text.h"

namespace {

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

} // namespace

FileFailure Win32NewContent::Write(const unsigned char* data, std::size_t length) {
    if (!WriteAllAt(temp_.get(), data, length, size_))
        return FailureOf(GetLastError(), FileFailure::kWriteFailed);
    size_ += length;
    flush_.Written(size_);
    return FileFailure::kNone;
}

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
    if (MoveFileExW(FileSystemPath(tempPath_).c_str(), FileSystemPath(target_).c_str(), flags) ==
        FALSE) {
        const DWORD error = GetLastError();
        DeleteFileW(FileSystemPath(tempPath_).c_str());
        return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kNone;
}

FileFailure Win32NewContent::ReplaceTarget() {
    TakeOverBasics(temp_.get(), source_->Opened());
    // ReplaceFile opens the replacement without sharing, so the temporary file is closed
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
        return FileFailure::kStranded;
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
