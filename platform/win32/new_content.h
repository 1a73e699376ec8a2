// New content for a file on Windows, and its swap into the file's place.
//
// The content is written into a temporary file in the real file's folder (win32_temp_files.h)
// and flushed to disk while it is written, every few MiB, on a thread of its own (EarlyFlush).
// The swap is ReplaceFileA without a backup name, which keeps the file's identity: its ACL,
// owner, streams, encryption, compression, object id and short name. A file with several hard
// links is written in place through the source's own handle, after the new content is flushed
// to the temporary file. A swap that the system could only half do (the old file gone from
// its name, the new one not yet under it) and an in-place write that failed part-way are
// kStranded: the whole new content then stays beside the file under the file's name with
// ".vq~new" added.
//
// Under Wine, whose ReplaceFile leaves the name empty for a moment, the swap is a rename over
// the file instead whenever that can be done.
#ifndef VEILQUILL_WIN32_NEW_CONTENT_H
#define VEILQUILL_WIN32_NEW_CONTENT_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/file_access.h"
#include "platform/win32/early_flush.h"
#include "platform/win32_handles.h"

class Win32Source;

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

#endif
