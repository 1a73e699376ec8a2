// New content for a file on Linux, and its swap into the file's place.
//
// The content is written into an unnamed temporary file in the real file's folder
// (posix_temp_files.h) and sent to the disk while it is written. The swap takes over the
// file's owner, permissions and extended attributes, then renames the content over the file
// under a hidden temporary name. A file with several names is written in place instead, from
// a flushed, named copy of the new content that is removed once the file is on disk.
#ifndef VEILQUILL_POSIX_NEW_CONTENT_H
#define VEILQUILL_POSIX_NEW_CONTENT_H

#include <sys/stat.h>

#include <cstddef>
#include <string>

#include "core/file_access.h"
#include "platform/posix/handles.h"
#include "platform/posix/temp_files.h"

class PosixSource;

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
    FileFailure SwapIn(const struct stat& kept);
    FileFailure WriteInPlace(const std::string& realPath);
    // The fallback file's name is the content's own once it is in place.
    void Placed() { file_.fallbackName.clear(); }

    PosixSource* source_;
    UniqueFd folder_;
    std::string name_;
    UnnamedFile file_;
    off_t size_ = 0;
    off_t started_ = 0; // the content before this has been sent to the disk
};

#endif
