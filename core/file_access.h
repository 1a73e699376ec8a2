// What the file jobs need of the platform: a source locked against other writers from its first
// read until its new content is in place, new content that becomes visible only whole, the standard
// streams and a scratch file to hold what comes from one, and the strong format's cryptography.
#ifndef VEILQUILL_FILE_ACCESS_H
#define VEILQUILL_FILE_ACCESS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/strong_primitives.h"

enum class FileFailure {
    kNone,
    kMissing,    // no such file
    kIsFolder,   // a folder where a file was named
    kNotFile,    // a device, a pipe or anything else that is not a file
    kNoAccess,   // not allowed to read it, or (for a file to be replaced) to write it
    kInUse,      // another program has it open for writing
    kChanged,    // another program wrote to it or replaced it while the job ran
    kReadFailed, // opened, but its bytes could not all be read
    kNoSpace,    // the disk is full
    kWriteFailed,
    kExists,         // an output that must be new already exists
    kStopped,        // the job was asked to stop before it changed anything
    kLeftBesideFile, // the file could not be finished: its old content is gone or half overwritten,
                     // and its whole new content is left beside it, under its name with .vq~new
                     // added (hidden on Linux: .name.vq~new)
    kOutputClosed, // the reader of a stream went away (a broken pipe): the end, said quietly
};

// New content for a file, written to a temporary file in the file's own folder. Nothing of
// it is visible under the file's name until Commit; destroyed without a commit, it leaves
// nothing behind.
class NewContent {
  public:
    virtual ~NewContent() = default;
    [[nodiscard]] virtual FileFailure Write(const unsigned char* data, std::size_t length) = 0;
    // Flushes the content to disk, then puts it in place in one step. kLeftBesideFile when the
    // step could not be finished and the content is left beside the file.
    [[nodiscard]] virtual FileFailure Commit() = 0;
};

// An existing file opened for a job.
class SourceFile {
  public:
    virtual ~SourceFile() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly `length` bytes at `offset`.
    [[nodiscard]] virtual FileFailure ReadAt(std::uint64_t offset, unsigned char* data,
                                             std::size_t length) = 0;
    // New content to take this file's place (the real file, when the name is a link) keeping
    // its identity and permissions; Commit fails with kChanged when another program has
    // written to the file since it was opened. Only for a source opened to be replaced.
    [[nodiscard]] virtual FileFailure BeginReplacement(std::unique_ptr<NewContent>& out) = 0;
};

// A stream read once from its start: standard input.
class InputStream {
  public:
    virtual ~InputStream() = default;
    // Reads at most `capacity` bytes; `got` is 0 only at the end of the stream.
    [[nodiscard]] virtual FileFailure Read(unsigned char* data, std::size_t capacity,
                                           std::size_t& got) = 0;
};

// A stream written once, in order, that cannot take back what it was given: standard output.
class OutputStream {
  public:
    virtual ~OutputStream() = default;
    // Writes all `length` bytes; kOutputClosed when the stream's reader has gone.
    [[nodiscard]] virtual FileFailure Write(const unsigned char* data, std::size_t length) = 0;
};

// An unnamed file of this program's own in the system's temporary folder, gone however the
// program ends: written from its start, and read as a source of the size written so far. It
// is never replaced (BeginReplacement fails).
class ScratchFile : public SourceFile {
  public:
    [[nodiscard]] virtual FileFailure Write(const unsigned char* data, std::size_t length) = 0;
};

enum class OpenPurpose {
    kRead,
    kReplace,
    // Read only, but opened only when it could be written too: for reading and writing,
    // shared with other readers and writers, not locked against them. The window opens its
    // documents so.
    kReadWritable,
};

class FileAccess {
  public:
    virtual ~FileAccess() = default;
    // Opens an existing file. For kReplace it must be writable, and it is locked against
    // other writers until the source is destroyed.
    [[nodiscard]] virtual FileFailure OpenSource(const std::string& path, OpenPurpose purpose,
                                                 std::unique_ptr<SourceFile>& out) = 0;
    // New content for a file that must not exist yet; its Commit fails with kExists when
    // the name has been taken meanwhile.
    [[nodiscard]] virtual FileFailure BeginNewFile(const std::string& path,
                                                   std::unique_ptr<NewContent>& out) = 0;
    // A new scratch file.
    [[nodiscard]] virtual FileFailure BeginScratchFile(std::unique_ptr<ScratchFile>& out) = 0;
    // Whether two paths name the same file (the same path, or one file under two names).
    virtual bool SameFile(const std::string& first, const std::string& second) = 0;
    // Whether anything (a file or a folder) has this name.
    virtual bool Exists(const std::string& path) = 0;
    // The strong format's cryptography, reached the first time it is needed; null, with what
    // is missing or unusable (naming the file) in `problem`, when it cannot be had.
    virtual const StrongPrimitives* StrongCryptography(std::string& problem) = 0;
};

#endif
