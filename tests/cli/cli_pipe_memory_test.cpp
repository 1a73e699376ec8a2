// 1 GiB through veilquill-cli's pipes in bounded memory: made on the fly, never on disk, it is
// encrypted from standard input into standard output and decrypted the same way, each byte
// checked as it comes, while the program's peak resident memory stays small.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "tests/cli/cli_test_support.h"
#include "tests/support/literal_cipher.h"

namespace vqtest {
namespace {

const std::string kKey = "a gibibyte";
constexpr std::size_t kBlock = 1024 * 1024; // a multiple of 256: each block's cipher is the same
constexpr std::size_t kBlocks = 1024;
constexpr long kMostKib = 80 * 1024;

// Feeds `block` `count` times, then `tail`.
PipeEnds Repeating(const std::string& block, std::size_t count, const std::string& tail) {
    auto fed = std::make_shared<std::size_t>(0);
    PipeEnds ends;
    ends.feed = [=](std::string& piece) {
        if (*fed > count)
            return false;
        piece = *fed < count ? block : tail;
        ++*fed;
        return !piece.empty();
    };
    return ends;
}

// Compares what comes with `block` repeated and then `tail`; `mismatch` is set at the first
// difference.
struct RepeatedCheck {
    const std::string* block;
    std::uint64_t at = 0;
    std::string tail;
    bool mismatch = false;

    bool Take(const char* data, std::size_t length) {
        const std::uint64_t body = std::uint64_t{kBlock} * kBlocks;
        for (std::size_t i = 0; i < length && !mismatch; ++i, ++at) {
            const char expected =
                at < body
                    ? (*block)[at % kBlock]
                    : (at - body < tail.size() ? tail[at - body] : static_cast<char>(~data[i]));
            mismatch = data[i] != expected;
        }
        return !mismatch;
    }
};

TEST(CliPipeMemory, AGibibyteGoesThroughBothWaysInBoundedMemory) {
    ScratchFolder folder("vqtest", MemoryFolderWithRoom(std::uint64_t{3} << 30));
    mkdir(folder.File("tmp").c_str(), 0755);
    WriteBytes(folder.File("key"), kKey);
    const std::string plain = SampleBytes(kBlock, 41);
    const std::string cipher = LiteralEncrypt(kKey, plain);

    CliCall call;
    call.args = {"encrypt", "--key-file", "key", "--data", "Data", "-o", "-", "-"};
    call.workingFolder = folder.Path();
    call.env["TMPDIR"] = folder.File("tmp");
    RepeatedCheck encrypted{&cipher, 0, kTrailer};
    PipeEnds ends = Repeating(plain, kBlocks, "");
    ends.take = [&](const char* data, std::size_t length) { return encrypted.Take(data, length); };
    PipedRun run = RunCliPiped(call, ends, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(encrypted.mismatch) << "at byte " << encrypted.at;
    EXPECT_EQ(encrypted.at, std::uint64_t{kBlock} * kBlocks + 2);
    EXPECT_LT(run.peakKib, kMostKib) << "KiB at the peak of the encryption";
    EXPECT_EQ(ReadBytes(folder.File("Data/0.dat")),
              UpperHex8(static_cast<std::uint32_t>(LiteralChecksum(plain) * kBlocks)));

    call.args = {"decrypt", "--key-file", "key", "--data", "Data", "-o", "-", "-"};
    RepeatedCheck decrypted{&plain, 0, ""};
    ends = Repeating(cipher, kBlocks, kTrailer);
    ends.take = [&](const char* data, std::size_t length) { return decrypted.Take(data, length); };
    run = RunCliPiped(call, ends, folder.Path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(decrypted.mismatch) << "at byte " << decrypted.at;
    EXPECT_EQ(decrypted.at, std::uint64_t{kBlock} * kBlocks);
    EXPECT_LT(run.peakKib, kMostKib) << "KiB at the peak of the decryption";
    EXPECT_TRUE(SortedEntries(folder.File("tmp")).empty()) << "a scratch file was left";
}

} // namespace
} // namespace vqtest
