// The system's files on Windows (ANSI forms throughout, as in the window). A source opened to
// be replaced is held from its first read to the swap, sharing read and delete, never write.
#ifndef VEILQUILL_WIN32_FILES_H
#define VEILQUILL_WIN32_FILES_H

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

    // Nobody could open the file for writing while it is held, but a mapped view or a
    // handle that slipped in before could still have changed it.
    bool Unchanged() const;

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

#endif
