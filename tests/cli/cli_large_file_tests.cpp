// A file over 4 GiB, made sparse so that it costs little disk: veilquill-cli streams it in
// bounded memory, with a trailer and a record that are right for every byte.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/cli/cli_test_support.h"
#include "tests/support/literal_cipher.h"

namespace vqtest {
namespace {

unsigned char ByteAt(int fd, std::uint64_t position) {
    unsigned char byte = 0;
    EXPECT_EQ(pread(fd, &byte, 1, static_cast<off_t>(position)), 1);
    return byte;
}

TEST(CliLargeFile, ASparseFileOverFourGiBIsEncryptedWholeAndChecked) {
    const std::uint64_t size = (std::uint64_t{1} << 32) + 4096 + 3;
    // The encrypted file is no longer sparse; room for it and a little more.
    ScratchFolder folder("vqtest", MemoryFolderWithRoom(size + (std::uint64_t{2} << 30)));
    const std::string path = folder.File("large.bin");
    const std::uint64_t marks[] = {0, 255, (std::uint64_t{1} << 32) - 1, std::uint64_t{1} << 32,
                                   size - 1};
    {
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        for (std::uint64_t mark : marks) {
            const unsigned char byte = static_cast<unsigned char>(0x41 + mark % 7);
            ASSERT_EQ(pwrite(fd, &byte, 1, static_cast<off_t>(mark)), 1);
        }
        close(fd);
    }
    std::uint32_t checksum = 0;
    for (std::uint64_t mark : marks)
        checksum += 0x41 + mark % 7;

    const std::string key = "four gigabytes";
    CliCall call;
    call.args = {"encrypt", "--key-stdin", "--data", folder.File("Data"), path};
    call.input = key;
    // The peak resident memory of the run, in KiB, where GNU time is there to tell it.
    const bool measured = access("/usr/bin/time", X_OK) == 0;
    if (measured)
        call.prefix = {"/usr/bin/time", "-f", "%M", "-o", folder.File("peak")};
    CliRun run = RunCli(call, folder.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    call.prefix.clear();
    if (measured) {
        EXPECT_LT(std::stoul(ReadBytes(folder.File("peak")).value_or("")), 32u * 1024)
            << "KiB at the peak";
    }

    struct stat info = {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(info.st_size), size + 2);
    EXPECT_EQ(ReadBytes(folder.File("Data/0.dat")), UpperHex8(checksum));

    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ByteAt(fd, size), 0xDE);
    EXPECT_EQ(ByteAt(fd, size + 1), 0xAD);
    for (std::uint64_t mark : marks)
        EXPECT_EQ(ByteAt(fd, mark),
                  CipherByteAt(key, static_cast<unsigned char>(0x41 + mark % 7), mark))
            << mark;
    for (std::uint64_t zero : {std::uint64_t{1}, std::uint64_t{1} << 31, size - 2})
        EXPECT_EQ(ByteAt(fd, zero), CipherByteAt(key, 0, zero)) << zero;
    close(fd);

    // The whole file decrypts to the checksum of its record.
    call.args = {"check", "--key-stdin", "--data", folder.File("Data"), path};
    run = RunCli(call, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
}

TEST(CliLargeFile, AWriterThatComesWhileTheFileIsEncryptedLeavesItAsItWas) {
    // Large enough that the program is still at work when the writer comes.
    ScratchFolder folder("vqtest", MemoryFolderWithRoom(std::uint64_t{1} << 30));
    const std::string path = folder.File("busy.bin");
    const std::string plain = SampleBytes(1024 * 1024, 5);
    {
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        for (int i = 0; i < 192; ++i)
            ASSERT_EQ(write(fd, plain.data(), plain.size()), static_cast<ssize_t>(plain.size()));
        close(fd);
    }
    WriteBytes(folder.File("key"), "busy");

    CliRun run;
    std::thread cli([&] {
        CliCall call;
        call.args = {"encrypt", "--key-file",        folder.File("key"),
                     "--data",  folder.File("Data"), path};
        run = RunCli(call, folder.Path());
    });
    // The writer comes once the program holds the file (its lease shows in /proc/locks), and
    // stays until the program has ended.
    struct stat info = {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const std::string inode = ":" + std::to_string(info.st_ino) + " ";
    for (int wait = 0; wait < 500; ++wait) {
        std::ifstream file("/proc/locks");
        const std::string locks((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
        if (locks.find("LEASE") != std::string::npos && locks.find(inode) != std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const int writer = open(path.c_str(), O_WRONLY); // waits until the program lets go
    cli.join();
    ASSERT_GE(writer, 0);
    close(writer);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "encrypt: " + path + ": changed by another program meanwhile; file left as it was\n");
    EXPECT_TRUE(ReadBytes(path).value_or("").compare(0, plain.size(), plain) == 0)
        << "the file was changed";
    EXPECT_EQ(SortedEntries(folder.Path()), (std::vector<std::string>{"Data", "busy.bin", "key"}));
    EXPECT_TRUE(SortedEntries(folder.File("Data")).empty());
}

} // namespace
} // namespace vqtest
