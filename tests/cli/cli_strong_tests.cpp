// veilquill-cli end to end on the strong format: a file whose key check travels in its own
// header, so no records folder takes part, and whose damage is found chunk by chunk.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/crypto_library.h"
#include "tests/cli/cli_test_support.h"

namespace vqtest {
namespace {

const std::string kKey = "correct horse";
const std::string kMagic = "\x89VQ2\r\n\x1A\n";
// The file cut `length` bytes in, keeping its trailer.
std::string CutKeepingTrailer(const std::string& bytes, std::size_t length) {
    return bytes.substr(0, length) + "\xDE\xAD";
}

// The header with another version byte and a header check that matches it again.
std::string WithVersion(std::string bytes, unsigned char version) {
    bytes[8] = static_cast<char>(version);
    const CryptoLibrary library = OpenCryptoLibrary();
    unsigned char digest[kSha256Length] = {};
    if (library.primitives == nullptr ||
        !library.primitives->Sha256(reinterpret_cast<const unsigned char*>(bytes.data()), 56,
                                    digest))
        throw std::runtime_error("no SHA-256 for the header check");
    bytes.replace(56, 4, reinterpret_cast<const char*>(digest), 4);
    return bytes;
}

class CliStrong : public ::testing::Test {
  protected:
    void SetUp() override { mkdir(Path("home").c_str(), 0755); }

    std::string Path(const std::string& name) const { return folder_.File(name); }
    std::string Data() const { return folder_.File("Data"); }

    // Runs a command with the key on standard input and the records (if any were needed) in
    // the test's Data folder, which no strong file needs and so is never made.
    CliRun RunWithKey(std::vector<std::string> args, const std::string& key = kKey) {
        args.insert(args.begin() + 1, {"--key-stdin", "--data", Data()});
        CliCall call;
        call.args = std::move(args);
        call.input = key + "\n";
        call.workingFolder = folder_.Path();
        return RunCli(call, Path("home"));
    }

    CliRun Status(const std::string& name) {
        CliCall call;
        call.args = {"status", name};
        call.workingFolder = folder_.Path();
        return RunCli(call, Path("home"));
    }

    // Encrypts the files in the strong format; their encrypted bytes in the same order.
    std::vector<std::string> EncryptStrong(const std::vector<std::string>& names) {
        std::vector<std::string> args = {"encrypt", "--strong"};
        args.insert(args.end(), names.begin(), names.end());
        const CliRun run = RunWithKey(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::string> encrypted;
        for (const std::string& name : names)
            encrypted.push_back(ReadBytes(Path(name)).value_or(""));
        return encrypted;
    }

    ScratchFolder folder_;
};

TEST_F(CliStrong, EncryptStrongThenStatusCheckAndDecryptNeedNoRecordsFolder) {
    const std::string plain = SampleBytes(100000, 11);
    WriteBytes(Path("notes.txt"), plain);

    CliRun run = RunWithKey({"encrypt", "--strong", "notes.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "encrypted: notes.txt\n");
    const std::string encrypted = ReadBytes(Path("notes.txt")).value_or("");
    ASSERT_EQ(encrypted.size(), kHeaderLength + plain.size() + 2 * 16 + 2);
    EXPECT_EQ(encrypted.substr(0, 8), kMagic);
    EXPECT_EQ(encrypted.substr(encrypted.size() - 2), "\xDE\xAD");
    EXPECT_EQ(encrypted.find(plain.substr(0, 64)), std::string::npos);
    EXPECT_FALSE(Exists(Data()));

    EXPECT_EQ(Status("notes.txt").out, "notes.txt: encrypted (strong), 100126 bytes\n");
    // Encrypted once, never twice, whichever format is asked for.
    for (const bool strong : {true, false}) {
        run = RunWithKey(strong ? std::vector<std::string>{"encrypt", "--strong", "notes.txt"}
                                : std::vector<std::string>{"encrypt", "notes.txt"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "encrypt: notes.txt: already encrypted; file left as it was\n");
    }
    EXPECT_EQ(ReadBytes(Path("notes.txt")), encrypted);

    run = RunWithKey({"check", "notes.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "verified: notes.txt\n");
    run = RunWithKey({"decrypt", "-o", "copy.txt", "notes.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("copy.txt")), plain);
    EXPECT_EQ(ReadBytes(Path("notes.txt")), encrypted);

    // In place, with the records folder left to its default under an empty home: as on a
    // computer that never saw the file.
    CliCall call;
    call.args = {"decrypt", "--key-stdin", "notes.txt"};
    call.input = kKey;
    call.workingFolder = folder_.Path();
    run = RunCli(call, Path("home"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "decrypted: notes.txt\n");
    EXPECT_EQ(ReadBytes(Path("notes.txt")), plain);
    EXPECT_EQ(Status("notes.txt").out, "notes.txt: plain, 100000 bytes\n");
    EXPECT_TRUE(SortedEntries(Path("home")).empty());
    EXPECT_EQ(SortedEntries(folder_.Path()),
              (std::vector<std::string>{"copy.txt", "home", "notes.txt"}));
}

TEST_F(CliStrong, AWrongKeyIsSaidSoAndTheFileStaysAsItWas) {
    WriteBytes(Path("notes.txt"), "some notes");
    const std::string encrypted = EncryptStrong({"notes.txt"})[0];

    CliRun run = RunWithKey({"decrypt", "notes.txt"}, "wrong");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "decrypt: notes.txt: wrong key; file left as it was\n");
    run = RunWithKey({"check", "notes.txt"}, "wrong");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "check: notes.txt: wrong key\n");
    // The file's own key check holds even where records would not be consulted.
    run = RunWithKey({"decrypt", "--no-verify", "-o", "out.txt", "notes.txt"}, "wrong");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "decrypt: notes.txt: wrong key; file left as it was\n");

    EXPECT_EQ(ReadBytes(Path("notes.txt")), encrypted);
    EXPECT_EQ(SortedEntries(folder_.Path()), (std::vector<std::string>{"home", "notes.txt"}));
}

TEST_F(CliStrong, ADamagedFileIsRefusedByteForByteUnchangedWithNothingLeftBeside) {
    // Two chunks, and seventeen (more than one piece of the job's reading).
    WriteBytes(Path("two.txt"), SampleBytes(65536 + 5000, 21));
    WriteBytes(Path("many.txt"), SampleBytes(16 * 65536 + 100, 22));
    const std::vector<std::string> encrypted = EncryptStrong({"two.txt", "many.txt"});
    const std::string& two = encrypted[0];
    const std::string& many = encrypted[1];
    // One command seals each file under keys and nonces of its own.
    EXPECT_NE(two.substr(24, 32), many.substr(24, 32)) << "two files share a salt and file nonce";

    const auto expectRefused = [&](const std::string& bytes, std::vector<std::string> args,
                                   const std::string& reason) {
        WriteBytes(Path("damaged.txt"), bytes);
        args.push_back("damaged.txt");
        const CliRun run = RunWithKey(args);
        EXPECT_EQ(run.exitCode, 1) << reason;
        const std::string command = args[0];
        EXPECT_EQ(run.err, command + ": damaged.txt: " + reason +
                               (command == "check" ? "\n" : "; file left as it was\n"));
        EXPECT_EQ(ReadBytes(Path("damaged.txt")), bytes) << reason;
        EXPECT_EQ(SortedEntries(folder_.Path()),
                  (std::vector<std::string>{"damaged.txt", "home", "many.txt", "two.txt"}))
            << reason;
    };
    const std::string chunkOne = "the file is damaged: the chunk at byte 65644 does not verify";

    expectRefused(Flipped(two, ChunkAt(1) + 7), {"decrypt"}, chunkOne);
    expectRefused(Flipped(two, ChunkAt(1) + 7), {"check"}, chunkOne);
    expectRefused(Flipped(two, ChunkAt(0) + 7), {"decrypt"},
                  "the file is damaged: the chunk at byte 92 does not verify");
    // Cut inside the last chunk, the trailer kept: a chunk that does not verify, or one too
    // short to hold a tag.
    expectRefused(CutKeepingTrailer(two, ChunkAt(1) + 1000), {"decrypt"}, chunkOne);
    expectRefused(CutKeepingTrailer(two, ChunkAt(1) + 10), {"decrypt"}, chunkOne);
    // A chunk after the first piece: what was decrypted before it reaches no file.
    expectRefused(Flipped(many, ChunkAt(16) + 3), {"decrypt", "-o", "out.txt"},
                  "the file is damaged: the chunk at byte 1048924 does not verify");
    expectRefused(Flipped(many, ChunkAt(16) + 3), {"decrypt"},
                  "the file is damaged: the chunk at byte 1048924 does not verify");

    // A version this one does not know, with a header check that holds.
    const std::string newer = WithVersion(two, 2);
    expectRefused(newer, {"decrypt"},
                  "made by a newer version of Veilquill, or its header is damaged");
    EXPECT_EQ(Status("damaged.txt").out,
              "damaged.txt: encrypted (strong, by a newer version), 70662 bytes\n");
    // A bit flipped in the header's fields or its header check: damaged, never a file of the
    // original format or a wrong key, and nothing is written even without the records' check.
    const std::string header = "the file is damaged: its header does not match its header check";
    for (const std::size_t at : {8, 11, 13, 16, 23, 24 + 3, 40 + 15, 56, 59}) {
        const std::string flipped = Flipped(two, at);
        expectRefused(flipped, {"decrypt"}, header);
        expectRefused(flipped, {"decrypt", "--no-verify", "-o", "out.txt"}, header);
        EXPECT_EQ(Status("damaged.txt").out,
                  "damaged.txt: encrypted (strong, damaged), 70662 bytes\n")
            << "byte " << at;
    }
    // The key check flipped: the right key opens the first chunk, so the file is damaged.
    const std::string keyCheck =
        "the file is damaged: its key check does not match, although the key opens its first chunk";
    expectRefused(Flipped(two, 60), {"decrypt", "--no-verify", "-o", "out.txt"}, keyCheck);
    expectRefused(Flipped(two, 91), {"check"}, keyCheck);

    EXPECT_FALSE(Exists(Data()));
}

} // namespace
} // namespace vqtest
