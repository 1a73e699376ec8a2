// veilquill-cli end to end: every command on real files in temporary folders, with the
// results checked byte for byte against the literal cipher and checksum.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/cli/cli_test_support.h"
#include "tests/support/literal_cipher.h"

namespace vqtest {
namespace {

const std::string kKey = "correct horse";

class CliCommands : public ::testing::Test {
  protected:
    void SetUp() override { mkdir((folder_.File("home")).c_str(), 0755); }

    std::string Path(const std::string& name) const { return folder_.File(name); }
    std::string Data() const { return folder_.File("Data"); }

    // Runs the program in the test's folder, with the records in its Data folder unless the
    // arguments name one.
    CliRun Run(std::vector<std::string> args, const std::string& input = "") {
        CliCall call;
        call.args = std::move(args);
        call.input = input;
        call.workingFolder = folder_.Path();
        return RunCli(call, folder_.File("home"));
    }

    CliRun RunWithKey(const std::string& command, std::vector<std::string> files,
                      const std::string& key = kKey) {
        std::vector<std::string> args = {command, "--key-stdin", "--data", Data()};
        args.insert(args.end(), files.begin(), files.end());
        return Run(args, key + "\n");
    }

    ScratchFolder folder_;
};

TEST_F(CliCommands, EncryptWritesTheLiteralCipherAndARecordThenDecryptRestoresTheFile) {
    const std::string plain = SampleBytes(300000, 1) + std::string(10, '\0');
    WriteBytes(Path("notes.txt"), plain);

    CliRun run = RunWithKey("encrypt", {"notes.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "encrypted: notes.txt\n");
    EXPECT_EQ(ReadBytes(Path("notes.txt")), ExpectedEncryptedFile(kKey, plain));
    EXPECT_EQ(SortedEntries(Data()), std::vector<std::string>{"0.dat"});
    EXPECT_EQ(ReadBytes(Data() + "/0.dat"), ExpectedRecord(plain));

    run = RunWithKey("check", {"notes.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "verified: notes.txt\n");

    run = Run({"status", "notes.txt"});
    EXPECT_EQ(run.out, "notes.txt: encrypted (original), 300012 bytes\n");

    run = RunWithKey("decrypt", {"notes.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "decrypted: notes.txt\n");
    EXPECT_EQ(ReadBytes(Path("notes.txt")), plain);
    EXPECT_TRUE(SortedEntries(Data()).empty());
    EXPECT_EQ(Run({"status", "notes.txt"}).out, "notes.txt: plain, 300010 bytes\n");
}

TEST_F(CliCommands, ADecryptionOfAWindowsFileMatchesTheLiteralInverse) {
    // A file and record as the window leaves them, record text in lower case.
    const std::string plain = "Dear diary,\r\nthe key is a 63-byte one.\r\n";
    const std::string key(63, '\xFF');
    WriteBytes(Path("diary.txt"), ExpectedEncryptedFile(key, plain));
    mkdir(Data().c_str(), 0700);
    std::string record = ExpectedRecord(plain);
    for (char& c : record)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    WriteBytes(Data() + "/7.dat", record);

    const CliRun run = RunWithKey("decrypt", {"diary.txt"}, key);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("diary.txt")), plain);
    EXPECT_FALSE(Exists(Data() + "/7.dat"));
}

TEST_F(CliCommands, TheKeyComesFromAFileOrStandardInputAndIsRefusedEmptyOrTooLong) {
    WriteBytes(Path("a.txt"), "alpha");
    WriteBytes(Path("key"), kKey + "\r\nsecond line is not part of it\n");
    CliRun run = Run({"encrypt", "--key-file", "key", "--data", Data(), "a.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("a.txt")), ExpectedEncryptedFile(kKey, "alpha"));
    // The same key on standard input, without a line end.
    run = Run({"check", "--key-stdin", "--data", Data(), "a.txt"}, kKey);
    EXPECT_EQ(run.exitCode, 0) << run.err;

    WriteBytes(Path("b.txt"), "beta");
    run = RunWithKey("encrypt", {"b.txt"}, "");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "encrypt: the key is empty\n");
    run = RunWithKey("encrypt", {"b.txt"}, std::string(64, 'k'));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "encrypt: the key is longer than 63 bytes in code page 1252; a key is never "
                       "cut short\n");
    WriteBytes(Path("empty-key"), "\n");
    run = Run({"encrypt", "--key-file", "empty-key", "--data", Data(), "b.txt"});
    EXPECT_EQ(run.exitCode, 1);
    run = Run({"encrypt", "--key-file", "no-such-key", "--data", Data(), "b.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot read the key file no-such-key"), std::string::npos);
    EXPECT_EQ(ReadBytes(Path("b.txt")), "beta");

    // 63 bytes is the longest key, and it is used whole.
    const std::string longest = SampleBytes(63, 3);
    std::string usable = longest;
    for (char& c : usable)
        if (c == '\0' || c == '\n' || c == '\r')
            c = 'x';
    run = RunWithKey("encrypt", {"b.txt"}, usable);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("b.txt")), ExpectedEncryptedFile(usable, "beta"));

    // Without a terminal and without a key option there is no key to ask for.
    run = Run({"encrypt", "--data", Data(), "a.txt"});
    EXPECT_EQ(run.exitCode, 1);
}

TEST_F(CliCommands, AWrongKeyOrAMissingRecordLeavesTheFileAsItWas) {
    WriteBytes(Path("notes.txt"), "some notes");
    ASSERT_EQ(RunWithKey("encrypt", {"notes.txt"}).exitCode, 0);
    const std::string encrypted = ReadBytes(Path("notes.txt")).value_or("");

    CliRun run = RunWithKey("decrypt", {"notes.txt"}, "wrong");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "decrypt: notes.txt: the key does not match any record; file left as it was\n");
    EXPECT_EQ(ReadBytes(Path("notes.txt")), encrypted);
    run = RunWithKey("check", {"notes.txt"}, "wrong");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "check: notes.txt: the key does not match any record\n");

    // The records are lost: the right key no longer verifies.
    std::remove((Data() + "/0.dat").c_str());
    run = RunWithKey("decrypt", {"notes.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadBytes(Path("notes.txt")), encrypted);
    EXPECT_EQ(SortedEntries(folder_.Path()),
              (std::vector<std::string>{"Data", "home", "notes.txt"}));

    // --no-verify writes the result to a new file only, and warns.
    run = Run(
        {"decrypt", "--key-stdin", "--data", Data(), "--no-verify", "-o", "out.txt", "notes.txt"},
        kKey);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "decrypted: notes.txt -> out.txt\n");
    EXPECT_NE(run.err.find("an unverified key may produce garbage"), std::string::npos);
    EXPECT_EQ(ReadBytes(Path("out.txt")), "some notes");
    EXPECT_EQ(ReadBytes(Path("notes.txt")), encrypted);
    // ... never over a file that exists, and never in place.
    run = Run(
        {"decrypt", "--key-stdin", "--data", Data(), "--no-verify", "-o", "out.txt", "notes.txt"},
        "wrong");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadBytes(Path("out.txt")), "some notes");
    run = Run({"decrypt", "--key-stdin", "--data", Data(), "--no-verify", "notes.txt"}, kKey);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(ReadBytes(Path("notes.txt")), encrypted);
}

TEST_F(CliCommands, EachFileIsRefusedInItsOwnWordsAndTheOthersAreDone) {
    WriteBytes(Path("one.txt"), "first");
    WriteBytes(Path("two.txt"), "second");
    WriteBytes(Path("empty.txt"), "");
    mkdir(Path("folder").c_str(), 0755);
    ASSERT_EQ(RunWithKey("encrypt", {"two.txt"}).exitCode, 0);

    CliRun run =
        RunWithKey("encrypt", {"one.txt", "two.txt", "missing.txt", "folder", "empty.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "encrypted: one.txt\n");
    EXPECT_EQ(run.err, "encrypt: two.txt: already encrypted; file left as it was\n"
                       "encrypt: missing.txt: no such file\n"
                       "encrypt: folder: is a folder\n"
                       "encrypt: empty.txt: the file is empty; there is nothing to encrypt; "
                       "file left as it was\n"
                       "5 files: 1 encrypted, 4 failed\n");
    EXPECT_EQ(ReadBytes(Path("one.txt")), ExpectedEncryptedFile(kKey, "first"));

    WriteBytes(Path("plain.txt"), "plain");
    run = RunWithKey("decrypt", {"plain.txt", "one.txt", "two.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "decrypted: one.txt\ndecrypted: two.txt\n");
    EXPECT_EQ(run.err, "decrypt: plain.txt: not encrypted; file left as it was\n"
                       "3 files: 2 decrypted, 1 failed\n");
    EXPECT_EQ(ReadBytes(Path("two.txt")), "second");

    run = Run({"--quiet", "status"});
    EXPECT_EQ(run.exitCode, 2);
    run = Run({"status", "plain.txt", "folder"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "plain.txt: plain, 5 bytes\n");
}

TEST_F(CliCommands, AFileOnlyRootCanReadIsRefusedToOtherUsers) {
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs root and setpriv to run the program as another user";
    WriteBytes(Path("secret.txt"), "root only");
    chmod(Path("secret.txt").c_str(), 0600);
    chmod(folder_.Path().c_str(), 0777);
    WriteBytes(Path("key"), kKey);
    chmod(Path("key").c_str(), 0644);
    CliCall call;
    call.prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    call.args = {"encrypt", "--key-file", "key", "--data", Data(), "secret.txt"};
    call.workingFolder = folder_.Path();
    const CliRun run = RunCli(call, folder_.File("home"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "encrypt: secret.txt: permission denied; file left as it was\n");
    EXPECT_EQ(ReadBytes(Path("secret.txt")), "root only");
}

TEST_F(CliCommands, AFileOpenForWritingElsewhereIsLeftAlone) {
    WriteBytes(Path("busy.txt"), "being edited");
    const int writer = open(Path("busy.txt").c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    const CliRun run = RunWithKey("encrypt", {"busy.txt"});
    close(writer);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
              "encrypt: busy.txt: open for writing in another program; file left as it was\n");
    EXPECT_EQ(ReadBytes(Path("busy.txt")), "being edited");
    EXPECT_TRUE(SortedEntries(Data()).empty());
}

TEST_F(CliCommands, ALinkChangesTheRealFileAndEveryNameSeesIt) {
    WriteBytes(Path("real.txt"), "through a link");
    chmod(Path("real.txt").c_str(), 0640);
    ASSERT_EQ(0, symlink("real.txt", Path("link.txt").c_str()));
    WriteBytes(Path("shared.txt"), "two names");
    ASSERT_EQ(0, link(Path("shared.txt").c_str(), Path("other-name.txt").c_str()));

    CliRun run = RunWithKey("encrypt", {"link.txt", "other-name.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    char target[64] = {};
    EXPECT_EQ(readlink(Path("link.txt").c_str(), target, sizeof target - 1), 8);
    EXPECT_STREQ(target, "real.txt");
    EXPECT_EQ(ReadBytes(Path("real.txt")), ExpectedEncryptedFile(kKey, "through a link"));
    struct stat info = {};
    stat(Path("real.txt").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(Path("shared.txt")), ExpectedEncryptedFile(kKey, "two names"));
    stat(Path("shared.txt").c_str(), &info);
    EXPECT_EQ(info.st_nlink, 2u);

    run = RunWithKey("decrypt", {"link.txt", "shared.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("real.txt")), "through a link");
    EXPECT_EQ(ReadBytes(Path("other-name.txt")), "two names");
    // Nothing is left beside them: no temporary file, no copy of the content.
    EXPECT_EQ(SortedEntries(folder_.Path()),
              (std::vector<std::string>{"Data", "home", "link.txt", "other-name.txt", "real.txt",
                                        "shared.txt"}));
}

TEST_F(CliCommands, FindListsTheEncryptedFilesWithTheWindowsCounts) {
    mkdir(Path("tree").c_str(), 0755);
    mkdir(Path("tree/sub").c_str(), 0755);
    mkdir(Path("tree/.hidden").c_str(), 0755);
    WriteBytes(Path("tree/plain.txt"), "plain");
    WriteBytes(Path("tree/sub/marked"), "\xDE\xAD");
    WriteBytes(Path("tree/one-byte"), "\xAD");
    WriteBytes(Path("tree/.hidden/skipped"), "x\xDE\xAD");
    WriteBytes(Path("tree/sub/with space.txt"), "y\xDE\xAD");
    ASSERT_EQ(0, symlink("sub", Path("tree/loop").c_str())); // counted, never entered

    CliRun run = Run({"find", "tree"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(run.out.substr(start, end - start));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"tree/sub/marked", "tree/sub/with space.txt"}));
    EXPECT_EQ(run.err, "Number of files scanned:  6\nFound 2 encrypted file(s)\n");

    run = Run({"find", "-0", "--quiet", "tree/sub/"});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\0'), 2);
    EXPECT_NE(run.out.find(std::string("tree/sub/marked\0", 16)), std::string::npos);

    run = Run({"find", "tree/plain.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "find: tree/plain.txt: not a folder, or it cannot be listed\n"
                       "Number of files scanned:  0\nFound 0 encrypted file(s)\n");
}

TEST_F(CliCommands, UsageErrorsExitWithTwoAndHelpAndVersionWithZero) {
    EXPECT_EQ(Run({}).exitCode, 2);
    EXPECT_EQ(Run({"encrypt"}).exitCode, 2);
    EXPECT_EQ(Run({"scramble", "x"}).exitCode, 2);
    EXPECT_EQ(Run({"encrypt", "--key-file", "k", "--key-stdin", "x"}).exitCode, 2);
    EXPECT_EQ(Run({"decrypt", "--key-stdin", "-o", "out", "a", "b"}).exitCode, 2);
    EXPECT_EQ(Run({"encrypt", "--key", "secret", "x"}).exitCode, 2);

    CliRun run = Run({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("veilquill-cli ", 0), 0u);
    for (const char* command : {"encrypt", "decrypt", "check", "status", "find"}) {
        run = Run({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_NE(run.out.find("Usage:"), std::string::npos) << command;
    }
}

} // namespace
} // namespace vqtest
