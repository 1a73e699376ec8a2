// Putting new content in place of a file that has more to it than its bytes: a link, other
// names, another program holding it. Run under Wine, which shows Unix links and hard links;
// ACLs, alternate streams and EFS it cannot show.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/file_replacement.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace vqtest {
namespace {

// Linux system calls, made directly: a Windows program under Wine is a Linux process, and
// Windows has no call that makes a Unix symbolic link.
long LinuxCall(long number, const char* first, const char* second, long third) {
#if defined(__x86_64__)
    long result = 0;
    register long r10 asm("r10") = 0;
    asm volatile("syscall"
                 : "=a"(result)
                 : "0"(number), "D"(first), "S"(second), "d"(third), "r"(r10)
                 : "rcx", "r11", "memory");
    return result;
#else
    (void)number, (void)first, (void)second, (void)third;
    return -1;
#endif
}
constexpr long kLinuxSymlink = 88;
constexpr long kLinuxReadlink = 89;

bool MakeUnixSymlink(const std::string& target, const std::string& link) {
    return LinuxCall(kLinuxSymlink, WindowsToUnixPath(target).c_str(),
                     WindowsToUnixPath(link).c_str(), 0) == 0;
}

// What the link points to, or empty when it is no link.
std::string UnixLinkTarget(const std::string& link) {
    char buffer[MAX_PATH] = {};
    const long length =
        LinuxCall(kLinuxReadlink, WindowsToUnixPath(link).c_str(), buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

FileStatus Replace(const std::string& path, const std::string& bytes) {
    return ReplaceFileContent(path.c_str(), nullptr,
                              reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// A link stays a link: the file it points to gets the new content, in its own folder, and
// the link still points to it.
TEST(FileReplacement, ThroughAUnixLinkTheRealFileChanges) {
    ScratchFolder real;
    ScratchFolder links;
    ASSERT_TRUE(WriteBytes(real.File("real.txt"), "plain text"));
    if (!MakeUnixSymlink(real.File("real.txt"), links.File("link.txt")))
        GTEST_SKIP() << "no Unix links here";
    ASSERT_EQ(FileStatus::kOk, Replace(links.File("link.txt"), "cipher text, longer"));
    EXPECT_EQ("cipher text, longer", ReadBytes(real.File("real.txt")).value_or("?"));
    EXPECT_EQ(WindowsToUnixPath(real.File("real.txt")), UnixLinkTarget(links.File("link.txt")));
    EXPECT_EQ(std::vector<std::string>{"real.txt"}, Entries(real.Path()));
    EXPECT_EQ(std::vector<std::string>{"link.txt"}, Entries(links.Path()));
}

// Every name of a file with several sees the new content, longer or shorter, and no
// temporary file is left.
TEST(FileReplacement, EveryNameOfAHardLinkedFileSeesTheNewContent) {
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("a.txt"), "the old content of both names"));
    ASSERT_TRUE(
        CreateHardLinkA(folder.File("b.txt").c_str(), folder.File("a.txt").c_str(), nullptr));
    ASSERT_EQ(FileStatus::kOk, Replace(folder.File("a.txt"), "short"));
    EXPECT_EQ("short", ReadBytes(folder.File("b.txt")).value_or("?"));
    ASSERT_EQ(FileStatus::kOk, Replace(folder.File("b.txt"), "a longer new content for a"));
    EXPECT_EQ("a longer new content for a", ReadBytes(folder.File("a.txt")).value_or("?"));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), SortedEntries(folder.Path()));
}

} // namespace
} // namespace vqtest
