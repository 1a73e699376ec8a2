#include "tests/support/scratch_folder.h"

#include <windows.h>

#include <atomic>

namespace vqtest {

namespace {

std::string ScratchRoot() {
    const std::string session = EnvironmentValue("VQ_WINE_SESSION_DIR");
    if (!session.empty())
        return JoinPath(UnixToWindowsPath(session), "tests");
    char buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathA(sizeof buffer, buffer);
    return JoinPath(std::string(buffer, length), "vqtest-scratch");
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& prefix, const std::string& under) {
    static std::atomic<unsigned> counter{0};
    const std::string root = under.empty() ? ScratchRoot() : under;
    MakeFolders(root);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string candidate =
            JoinPath(root, prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(counter++));
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    if (!keep_ && !path_.empty()) {
        // A process that just ended may still hold its files for a moment.
        for (int attempt = 0; attempt < 20 && !RemoveTree(path_); ++attempt)
            Sleep(50);
    }
}

} // namespace vqtest
