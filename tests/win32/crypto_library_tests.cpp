// Loading libgcrypt's DLLs from a folder: a missing or unusable file is named, and nothing is
// taken from anywhere but that folder. (The strong format's known answers run in this program
// too, through the DLLs beside it, loaded the way the programs load theirs.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/gcrypt_loader.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"
#include "platform/win32_program_folder.h"

namespace vqtest {
namespace {

std::string ThisProgramsFolder() {
    const std::string folder = ProgramFolder(false);
    EXPECT_FALSE(folder.empty());
    return folder;
}

TEST(CryptoLibrary, AFolderWithoutUsableDllsNamesTheFileAtFault) {
    enum Content { kAbsent, kReal, kNotALibrary };
    struct Case {
        const char* what;
        Content gcrypt;
        Content gpgError;
        CryptoLibraryProblem problem;
        const char* file;
    };
    using P = CryptoLibraryProblem;
    const Case cases[] = {
        {"neither", kAbsent, kAbsent, P::kMissing, kGcryptDllName},
        {"libgcrypt alone", kReal, kAbsent, P::kMissing, kGpgErrorDllName},
        {"libgpg-error alone", kAbsent, kReal, P::kMissing, kGcryptDllName},
        {"neither a library", kNotALibrary, kNotALibrary, P::kUnusable, kGpgErrorDllName},
        {"libgcrypt not a library", kNotALibrary, kReal, P::kUnusable, kGcryptDllName},
    };
    const std::string beside = ThisProgramsFolder();
    for (const Case& test : cases) {
        ScratchFolder folder("crypto");
        for (const auto& [name, content] :
             {std::pair{kGcryptDllName, test.gcrypt}, std::pair{kGpgErrorDllName, test.gpgError}}) {
            if (content == kReal) {
                ASSERT_TRUE(CopyFileTo(JoinPath(beside, name), folder.File(name))) << name;
            } else if (content == kNotALibrary) {
                ASSERT_TRUE(WriteBytes(folder.File(name), "MZ not a library"));
            }
        }
        const GcryptLoad load = LoadGcryptFrom(folder.Path());
        EXPECT_EQ(nullptr, load.library) << test.what;
        EXPECT_EQ(test.problem, load.problem) << test.what;
        EXPECT_EQ(folder.File(test.file), load.file) << test.what;
    }
    // A folder given without a drive or server is never looked for along the search path.
    EXPECT_EQ(P::kMissing, LoadGcryptFrom("").problem);
}

} // namespace
} // namespace vqtest
