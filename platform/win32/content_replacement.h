// Replacing a file's content on Windows: the source kept open until the new content is in
// place, the new content written into a temporary file beside it, and putting it in place.
//
// A source opened to be replaced stays open from its first read until the new content is in
// place, sharing read and delete but never write, so that no other program writes it meanwhile.
//
// The new content is written into a temporary file in the real file's folder and flushed to
// disk while it is written, every few MiB, on a thread of its own (EarlyFlush). The temporary
// file is marked to be deleted when closed as soon as it is made, so that it cannot outlive the
// process even when the process is killed; the mark is cleared only to put it in place. A kill
// in that moment leaves the new content under its temporary name (vq~*.tmp): every job that
// writes into a folder first removes such files there. A running job's temporary file is open
// without sharing its deletion, so that clean-up cannot remove it.
//
// The new content is put in place by ReplaceFile without a backup name, which keeps the file's
// identity: its ACL, owner, streams, encryption, compression, object id and short name. A file
// with several hard links is written in place through the source's own handle, after the new
// content is flushed to the temporary file. A replacement that the system could only half do
// (the old file gone from its name, the new one not yet under it) and an in-place write that
// failed part-way are kLeftBesideFile: the whole new content then stays beside the file under the
// file's name with ".vq~new" added.
//
// Under Wine, whose ReplaceFile leaves the name empty for a moment, the new content is renamed
// over the file instead whenever that can be done.
#ifndef VEILQUILL_WIN32_CONTENT_REPLACEMENT_H
#define VEILQUILL_WIN32_CONTENT_REPLACEMENT_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/file_access.h"
#include "platform/win32_handles.h"

class Win32Source : public SourceFile {
  public:
    // `realPath` is the file's full path with every link resolved; empty when the source is
    // not to be replaced.
    Win32Source(UniqueHandle file, const BY_HANDLE_FILE_INFORMATION& opened, std::string realPath)
        : file_(std::move(file)), opened_(opened), realPath_(std::move(realPath)) {}

    std::uint64_t Size() const override {
        return (static_cast<std::uint64_t>(opened_.nFileSizeHigh) << 32) | opened_.nFileSizeLow;
    }

    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override;
    FileFailure BeginReplacement(std::unique_ptr<NewContent>& out) override;

    // Nobody could open the file for writing while it is kept open for a replacement, but a
    // mapped view or a handle that slipped in before could still have changed it.
    bool Unchanged() const;

    bool HasSeveralLinks() const { return opened_.nNumberOfLinks > 1; }
    HANDLE Handle() const { return file_.get(); }
    // Closes the file, which lets other programs write it again; it is not read after this.
    void Close() { file_.reset(); }
    const BY_HANDLE_FILE_INFORMATION& Opened() const { return opened_; }

  private:
    UniqueHandle file_;
    BY_HANDLE_FILE_INFORMATION opened_;
    std::string realPath_;
};

// New content is flushed to disk while it is still being written. Where the system leaves
// written data in memory until it is asked for it (Wine on Linux does), the one flush before
// the new content is put in place would otherwise wait for the whole file; flushing every few
// MiB on a thread of its own lets the disk take the content while the rest is still being read
// and transformed.
//
// Shared by the thread that writes the file, which reports how much is written, and the
// flushing thread; everything they share is guarded by one lock. The file's handle is
// borrowed: Stop (or the destructor) must come before it is closed. A failed early flush is
// not reported: the flush before the new content is put in place, which waits for everything,
// is the one that counts.
class EarlyFlush {
  public:
    // How much more must have been written before the next flush is asked for: measured
    // under Wine on a 256 MiB save, 16 MiB took the most off (8 MiB and 32 MiB less).
    static constexpr std::uint64_t kStep = 16u * 1024 * 1024;

    explicit EarlyFlush(HANDLE file) : file_(file) {}
    ~EarlyFlush() { Stop(); }
    EarlyFlush(const EarlyFlush&) = delete;
    EarlyFlush& operator=(const EarlyFlush&) = delete;

    // `total` bytes of the file are written; starts a flush once another step has been
    // passed (the thread starts with the first one, so a small file never has one).
    void Written(std::uint64_t total);
    // Waits for a flush in progress and ends the thread.
    void Stop();

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Run();

    HANDLE file_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;
    std::uint64_t asked_ = 0; // the size at the last flush asked for
    bool pending_ = false;    // a flush is asked for and has not started
    bool stopping_ = false;
    UniqueHandle thread_;
};

class Win32NewContent : public NewContent {
  public:
    // Replaces `source`'s file, or (without a source) makes the new file `target`.
    Win32NewContent(Win32Source* source, std::string target, UniqueHandle temp,
                    std::string tempPath)
        : source_(source), target_(std::move(target)), temp_(std::move(temp)),
          tempPath_(std::move(tempPath)) {}

    FileFailure Write(const unsigned char* data, std::size_t length) override;
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

// The content of a file to be made at `path`, where nothing may have the name yet: kMissing
// when the path has no full form or ends in a separator, kExists when its name is taken.
FileFailure BeginNewFileContent(const std::string& path, std::unique_ptr<NewContent>& out);

#endif
