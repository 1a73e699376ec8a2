// Replacing a file's content on Linux (POSIX with a few Linux calls: O_TMPFILE, leases, linkat
// through /proc/self/fd): the source kept open until the new content is in place, the
// temporary file the new content is written into, and putting it in place.
//
// A read lease on the source (where the system grants one) tells whether any other program
// opened it for writing meanwhile.
//
// The new content is written into an unnamed temporary file in the real file's folder and sent
// to the disk while it is written. Putting it in place takes over the file's owner, permissions
// and extended attributes, then renames the content over the file from a hidden temporary name.
// A file with several names is written in place instead, from a flushed, named copy of the new
// content that is removed once the file is on disk.
//
// The temporary files that new content and new records are written into are unnamed O_TMPFILEs
// where the file system has them, so a crash or a kill leaves nothing of them; one gets a hidden
// temporary name (.vq~*.tmp) only for the moment of a rename over a file. A kill in that moment
// leaves the content under that name: every job that writes into a folder first removes such
// files, but only ones that no running program has locked. A temporary file is locked (flock)
// from its creation until it is gone.
#ifndef VEILQUILL_POSIX_CONTENT_REPLACEMENT_H
#define VEILQUILL_POSIX_CONTENT_REPLACEMENT_H

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/file_access.h"
#include "platform/posix/handles.h"

class PosixSource : public SourceFile {
  public:
    // `realPath` is the file's path with every link resolved; empty when the source is not to
    // be replaced.
    PosixSource(UniqueFd fd, const struct stat& opened, std::string realPath, bool leased)
        : fd_(std::move(fd)), opened_(opened), realPath_(std::move(realPath)), leased_(leased) {}

    std::uint64_t Size() const override { return static_cast<std::uint64_t>(opened_.st_size); }

    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override;
    FileFailure BeginReplacement(std::unique_ptr<NewContent>& out) override;

    // Whether the file is still as it was opened: no other program opened it for writing
    // (while the lease holds), its size, times and links are the same, and its name still
    // leads to it.
    bool Unchanged() const;

    // Our own write must not break our own lease.
    void GiveUpLease();

    int Fd() const { return fd_.get(); }
    const struct stat& Opened() const { return opened_; }
    const std::string& RealPath() const { return realPath_; }

  private:
    UniqueFd fd_;
    struct stat opened_;
    std::string realPath_;
    bool leased_;
};

// Asks for a read lease on `fd`, a source opened to be replaced: true when it is granted.
// False with errno EAGAIN when another program has the file open for writing; with another
// error where there is no lease to be had (no right to one, a file system without them), and
// the checks of size, times and name still catch a writer.
bool TakeReadLease(int fd);

// A temporary file only its user may read, until it takes over a file's permissions.
constexpr mode_t kPrivateFileMode = 0600;

// A file that is open but has no name yet, in `folder`: an O_TMPFILE where the file system
// has them; otherwise a file under a fresh hidden temporary name, which the owner must remove.
struct UnnamedFile {
    UniqueFd fd;
    std::string fallbackName; // set only when the file had to be named at once
};

// Made with `mode`; on a failure its fd is not valid and `error` holds the system's error.
UnnamedFile CreateUnnamedFile(int folder, mode_t mode, int& error);

// Gives such a file `name` in its folder, never over a name in use; false (with errno) when
// it cannot. A fallback name stays for its owner to remove.
bool NameUnnamedFile(const UnnamedFile& file, int folder, const std::string& name);

class PosixNewContent : public NewContent {
  public:
    // Replaces `source`'s file, or (without a source) makes `name` new in `folder`.
    PosixNewContent(PosixSource* source, UniqueFd folder, std::string name, UnnamedFile file)
        : source_(source), folder_(std::move(folder)), name_(std::move(name)),
          file_(std::move(file)) {}
    ~PosixNewContent() override;

    FileFailure Write(const unsigned char* data, std::size_t length) override;
    FileFailure Commit() override;

  private:
    // Sends each finished stretch of the content to the disk while the next is made, and
    // waits for the one before it, so that the flush at the commit finds little left to do
    // and the written pages do not pile up in memory.
    void WriteBehind();

    FileFailure CommitNewFile();
    FileFailure RenameOverSource(const struct stat& kept);
    FileFailure WriteInPlace(const std::string& realPath);
    // The destructor removes a fallback name unless it is forgotten here: once the content is
    // in place that name is the file's own, or already gone.
    void ForgetFallbackName() { file_.fallbackName.clear(); }

    PosixSource* source_;
    UniqueFd folder_;
    std::string name_;
    UnnamedFile file_;
    off_t size_ = 0;
    off_t started_ = 0; // the content before this has been sent to the disk
};

// The content of a file to be made at `path`, where nothing may have the name yet: kIsFolder
// when the path ends in a separator, kExists when its name is taken.
FileFailure BeginNewFileContent(const std::string& path, std::unique_ptr<NewContent>& out);

#endif
