// veilquill-cli killed with SIGKILL at spread-out moments while it encrypts and decrypts a
// file of 256 MiB. After every kill the file is wholly old or wholly new and an encrypted file
// has its record. Nothing else is left in its folder, but for a kill at the moment its
// new content is put in place: then the program's temporary file may hold the whole new content,
// and the next job in that folder must remove it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <cstring>
#include <regex>
#include <thread>

#include "tests/cli/cli_test_support.h"
#include "tests/support/literal_cipher.h"

extern char** environ;

namespace vqtest {
namespace {

constexpr std::size_t kFileSize = 256u * 1024 * 1024;
constexpr int kKillsPerDirection = 10;
const std::string kKey = "kill me softly";

// A quick fingerprint of a file's bytes, read in pieces into one buffer.
std::uint64_t DigestFile(const std::string& path) {
    static std::vector<unsigned char> piece(1024 * 1024);
    std::uint64_t hash = 0x9E3779B97F4A7C15ull;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return 0;
    ssize_t got = 0;
    while ((got = read(fd, piece.data(), piece.size())) > 0) {
        std::size_t at = 0;
        for (; at + 8 <= static_cast<std::size_t>(got); at += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, piece.data() + at, 8);
            hash = (hash ^ word) * 0x100000001B3ull;
            hash ^= hash >> 29;
        }
        for (; at < static_cast<std::size_t>(got); ++at)
            hash = (hash ^ piece[at]) * 0x100000001B3ull;
    }
    close(fd);
    return hash;
}

void CopyFile(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

// Starts the program; its output goes nowhere.
pid_t Start(const std::vector<std::string>& args) {
    std::vector<std::string> text = {CliPath()};
    text.insert(text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : text)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY,
                                         0);
    pid_t child = -1;
    posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// Runs the program and kills it after `delay` unless it has ended; true when it was killed.
bool RunAndKill(const std::vector<std::string>& args, std::chrono::microseconds delay) {
    const pid_t child = Start(args);
    EXPECT_GT(child, 0);
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

std::chrono::microseconds TimedRun(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = Start(args);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

class CliKill : public ::testing::Test {
  protected:
    void SetUp() override {
        // Varied, and quick to make: a random mebibyte repeated at shifting offsets.
        const std::string block = SampleBytes(1024 * 1024 + 4096, 7);
        std::string plain;
        std::uint32_t checksum = 0;
        for (std::size_t shift = 0; plain.size() < kFileSize; shift = (shift + 97) % 4096) {
            plain.append(block, shift, 1024 * 1024);
            for (std::size_t at = shift; at < shift + 1024 * 1024; ++at)
                checksum += static_cast<unsigned char>(block[at]);
        }
        WriteBytes(PlainCopy(), plain);
        plainDigest_ = DigestFile(PlainCopy());
        record_ = UpperHex8(checksum);
        WriteBytes(folder_.File("key"), kKey);
        mkdir(Files().c_str(), 0755);
    }

    std::string PlainCopy() const { return folder_.File("plain.copy"); }
    std::string EncryptedCopy() const { return folder_.File("encrypted.copy"); }
    std::string Files() const { return folder_.File("files"); }
    std::string Target() const { return Files() + "/big.txt"; }
    std::string Data() const { return Files() + "/Data"; }
    std::vector<std::string> Args(const char* command) const {
        return {command, "--key-file", folder_.File("key"), "--data", Data(), Target()};
    }

    // Puts the folder back: a copy of the file given, and the one record (when there is one).
    void Lay(const std::string& content, bool withRecord) {
        ASSERT_EQ(std::system(("rm -rf '" + Files() + "' && mkdir '" + Files() + "'").c_str()), 0);
        CopyFile(content, Target());
        if (withRecord) {
            mkdir(Data().c_str(), 0700);
            WriteBytes(Data() + "/0.dat", record_);
        }
    }

    enum class State { kOld, kNew };

    // Checks the folder after a kill and says which state the file is in; `leftInReplacement`
    // counts a temporary file left by a kill while the new content was put in place.
    State Inspect(std::uint64_t oldDigest, std::uint64_t newDigest, const char* when,
                  int& leftInReplacement) {
        const std::uint64_t digest = DigestFile(Target());
        EXPECT_TRUE(digest == oldDigest || digest == newDigest) << "half-written file " << when;
        const bool encrypted = digest == encryptedDigest_;
        std::vector<std::string> expected = {"big.txt"};
        if (Exists(Data()))
            expected.insert(expected.begin(), "Data");
        static const std::regex tempName("\\.vq~[0-9a-z]{10}\\.tmp");
        std::vector<std::string> names = SortedEntries(Files());
        if (names.size() == expected.size() + 1 && std::regex_match(names.front(), tempName)) {
            const std::string temp = Files() + "/" + names.front();
            EXPECT_EQ(DigestFile(temp), newDigest) << "a temporary file not whole " << when;
            ++leftInReplacement;
            // The next job in the folder removes it.
            WriteBytes(Files() + "/other.txt", "other");
            TimedRun({"encrypt", "--key-file", folder_.File("key"), "--data",
                      folder_.File("otherData"), Files() + "/other.txt"});
            EXPECT_FALSE(Exists(temp)) << "the next job left the temporary file " << when;
            std::remove((Files() + "/other.txt").c_str());
            names = SortedEntries(Files());
        }
        EXPECT_EQ(names, expected) << "something left beside the file " << when;

        bool hasRecord = false;
        static const std::regex recordName("[0-9]+\\.dat");
        for (const std::string& name : SortedEntries(Data())) {
            EXPECT_TRUE(std::regex_match(name, recordName)) << name << " left in Data " << when;
            EXPECT_EQ(ReadBytes(Data() + "/" + name), record_) << when;
            hasRecord = true;
        }
        EXPECT_TRUE(hasRecord || !encrypted) << "an encrypted file without its record " << when;
        return digest == newDigest ? State::kNew : State::kOld;
    }

    // In memory where there is room: a kill ends the process, not the system, so what the
    // file system keeps is the same, and no test waits for the disk.
    ScratchFolder folder_{"vqtest", MemoryFolderWithRoom(std::uint64_t{6} * kFileSize)};
    std::uint64_t plainDigest_ = 0;
    std::uint64_t encryptedDigest_ = 0;
    std::string record_;
};

TEST_F(CliKill, EveryKillLeavesTheFileWhollyOldOrWhollyNew) {
    // One undisturbed run each way gives the encrypted file and the time a run takes.
    Lay(PlainCopy(), false);
    const auto encryptTime = TimedRun(Args("encrypt"));
    ASSERT_EQ(std::filesystem::file_size(Target()), kFileSize + 2);
    CopyFile(Target(), EncryptedCopy());
    encryptedDigest_ = DigestFile(EncryptedCopy());
    const auto decryptTime = TimedRun(Args("decrypt"));
    ASSERT_EQ(DigestFile(Target()), plainDigest_);

    int kills[2] = {};
    int news[2] = {};
    int leftInReplacement = 0;
    for (int direction = 0; direction < 2; ++direction) {
        const bool encrypting = direction == 0;
        const auto runTime = encrypting ? encryptTime : decryptTime;
        double shrink = 1;
        for (int run = 0; kills[direction] < kKillsPerDirection && run < 4 * kKillsPerDirection;
             ++run) {
            Lay(encrypting ? PlainCopy() : EncryptedCopy(), !encrypting);
            // Spread from just after the start to near the end of an undisturbed run; a run
            // that ended before its kill is done again a little sooner.
            const double fraction = 0.02 + 0.96 * kills[direction] / kKillsPerDirection;
            const auto delay = std::chrono::microseconds(
                static_cast<long long>(static_cast<double>(runTime.count()) * fraction * shrink));
            const bool killed = RunAndKill(Args(encrypting ? "encrypt" : "decrypt"), delay);
            kills[direction] += killed ? 1 : 0;
            shrink = killed ? 1 : shrink * 0.8;
            const std::string when = std::string(encrypting ? "encrypting" : "decrypting") +
                                     " after " + std::to_string(delay.count()) + " us";
            const State state =
                encrypting
                    ? Inspect(plainDigest_, encryptedDigest_, when.c_str(), leftInReplacement)
                    : Inspect(encryptedDigest_, plainDigest_, when.c_str(), leftInReplacement);
            news[direction] += killed && state == State::kNew ? 1 : 0;
        }
    }
    for (int direction = 0; direction < 2; ++direction)
        std::printf(
            "%s: %d kills, %d left the file old, %d new (an undisturbed run: %lld ms)\n",
            direction == 0 ? "encrypt" : "decrypt", kills[direction],
            kills[direction] - news[direction], news[direction],
            static_cast<long long>((direction == 0 ? encryptTime : decryptTime).count() / 1000));
    std::printf("%d kills fell while the new content was put in place\n", leftInReplacement);
    // On a busy machine a run late in the spread may end before its kill however often it is
    // tried sooner; what counts is that every kill left a whole file, and that there were kills.
    EXPECT_GE(kills[0], kKillsPerDirection / 2);
    EXPECT_GE(kills[1], kKillsPerDirection / 2);
}

} // namespace
} // namespace vqtest
