// The system's files on Linux (POSIX with a few Linux calls: O_TMPFILE, leases, linkat through
// /proc/self/fd). A read lease (where the system grants one) tells whether any other program
// opened a source that is to be replaced for writing meanwhile.
#ifndef VEILQUILL_POSIX_FILES_H
#define VEILQUILL_POSIX_FILES_H

#include <sys/stat.h>

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

#endif
