// The Linux side of the tests' scratch folders.
#include "tests/support/scratch_folder.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace vqtest {

ScratchFolder::ScratchFolder(const std::string& prefix, const std::string& under) {
    const char* temp = std::getenv("TMPDIR");
    std::string pattern =
        JoinPath(!under.empty() ? under : (temp != nullptr ? temp : "/tmp"), prefix + ".XXXXXX");
    if (mkdtemp(&pattern[0]) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    if (keep_ || path_.empty())
        return;
    // A test may have taken the owner's rights away from something inside.
    const std::string command =
        "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

} // namespace vqtest
