#include "platform/win32/scratch_file.h"

#include <windows.h>

#include <string>

#include "core/temp_names.h"
#include "platform/win32/file_failure.h"
#include "platform/win32/file_io.h"
#include "platform/win32_wide_text.h"
#include "platform/win32_handles.h"

namespace {

class Win32ScratchFile final : public ScratchFile {
  public:
    explicit Win32ScratchFile(UniqueHandle file) : file_(std::move(file)) {}
    std::uint64_t Size() const override { return size_; }
    FileFailure ReadAt(std::uint64_t offset, unsigned char* data, std::size_t length) override {
        if (offset + length > size_ || !ReadAllAt(file_.get(), data, length, offset))
            return FileFailure::kReadFailed;
        return FileFailure::kNone;
    }
    FileFailure BeginReplacement(std::unique_ptr<NewContent>&) override {
        return FileFailure::kNoAccess;
    }
    FileFailure Write(const unsigned char* data, std::size_t length) override {
        if (!WriteAllAt(file_.get(), data, length, size_))
            return FailureOf(GetLastError(), FileFailure::kWriteFailed);
        size_ += length;
        return FileFailure::kNone;
    }

  private:
    UniqueHandle file_;
    std::uint64_t size_ = 0;
};

// The user's temporary folder, ending in a backslash; empty when the system names none.
std::string TemporaryFolder() {
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
    if (length == 0 || length > MAX_PATH + 1)
        return {};
    return Utf8FromWide(folder, length);
}

} // namespace

FileFailure CreateScratchFile(std::unique_ptr<ScratchFile>& out) {
    const std::string folder = TemporaryFolder();
    if (folder.empty())
        return FileFailure::kMissing;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = RandomName(folder + "vq-scratch~", kTempSuffix);
        UniqueHandle file(
            CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file.valid()) {
            out = std::make_unique<Win32ScratchFile>(std::move(file));
            return FileFailure::kNone;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return FailureOf(error, FileFailure::kWriteFailed);
    }
    return FileFailure::kWriteFailed;
}
