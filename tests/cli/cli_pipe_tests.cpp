// veilquill-cli in pipes: "-" as FILE reads standard input and "-o -" writes standard output,
// in both formats, byte for byte; nothing of a file that does not verify reaches the output,
// and nothing is left on disk, whatever ends the command.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/cli/cli_test_support.h"

namespace vqtest {
namespace {

const std::string kKey = "correct horse";
// Feeds `bytes` to standard input in pieces of 64 KiB.
PipeEnds Feeding(const std::string& bytes) {
    auto at = std::make_shared<std::size_t>(0);
    PipeEnds ends;
    ends.feed = [bytes, at](std::string& piece) {
        if (*at >= bytes.size())
            return false;
        piece = bytes.substr(*at, 65536);
        *at += piece.size();
        return true;
    };
    return ends;
}

class CliPipes : public ::testing::Test {
  protected:
    void SetUp() override {
        mkdir(Path("home").c_str(), 0755);
        mkdir(Path("tmp").c_str(), 0755);
        WriteBytes(Path("key"), kKey + "\n");
        WriteBytes(Path("wrong"), "not the key\n");
    }

    std::string Path(const std::string& name) const { return folder_.File(name); }
    std::string Data() const { return folder_.File("Data"); }

    // The call of a command with the key from a file, the records in the test's Data folder
    // and the scratch files in its tmp folder.
    CliCall Call(const std::string& command, std::vector<std::string> rest,
                 const std::string& keyFile = "key") {
        CliCall call;
        call.args = {command, "--key-file", keyFile, "--data", Data()};
        call.args.insert(call.args.end(), rest.begin(), rest.end());
        call.workingFolder = folder_.Path();
        call.env["TMPDIR"] = Path("tmp");
        return call;
    }

    // Runs a command with `input` piped into it and its output read from a pipe.
    PipedRun Piped(const std::string& command, std::vector<std::string> rest,
                   const std::string& input = "", const std::string& keyFile = "key") {
        return RunCliPiped(Call(command, std::move(rest), keyFile), Feeding(input), Path("home"));
    }

    // Everything in the test's folder, and nothing left in the scratch files' folder.
    std::vector<std::string> Names() const {
        EXPECT_TRUE(SortedEntries(Path("tmp")).empty()) << "a scratch file was left";
        return SortedEntries(folder_.Path());
    }

    std::vector<std::string> NamesWith(std::vector<std::string> more) const {
        more.insert(more.end(), {"home", "key", "tmp", "wrong"});
        std::sort(more.begin(), more.end());
        return more;
    }

    ScratchFolder folder_;
};

class CliPipeForms : public CliPipes, public ::testing::WithParamInterface<bool> {
  protected:
    bool Strong() const { return GetParam(); }
    std::vector<std::string> Encrypt(std::vector<std::string> rest) const {
        if (Strong())
            rest.insert(rest.begin(), "--strong");
        return rest;
    }
};

TEST_P(CliPipeForms, EveryFormOfInputAndOutputGivesTheSameBytes) {
    // More than one piece of the jobs' reading, not a whole number of chunks.
    const std::string plain = SampleBytes(1100000, 31);
    WriteBytes(Path("notes.txt"), plain);

    // Into a new file and into standard output: the file read stays as it was.
    PipedRun run = Piped("encrypt", Encrypt({"-o", "out.vq", "notes.txt"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "encrypted: notes.txt -> out.vq\n");
    const std::string toFile = ReadBytes(Path("out.vq")).value_or("");
    run = Piped("encrypt", Encrypt({"-o", "-", "notes.txt"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string toOutput = run.out;
    EXPECT_EQ(ReadBytes(Path("notes.txt")), plain);
    // From standard input, into a new file and into standard output.
    run = Piped("encrypt", Encrypt({"-o", "in.vq", "-"}), plain);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "encrypted: standard input -> in.vq\n");
    const std::string fromInput = ReadBytes(Path("in.vq")).value_or("");
    run = Piped("encrypt", Encrypt({"-o", "-", "-"}), plain);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string throughPipes = run.out;
    if (Strong()) {
        EXPECT_EQ(toFile.size(), kHeaderLength + plain.size() + 17 * 16 + 2);
        for (const std::string* other : {&toOutput, &fromInput, &throughPipes})
            EXPECT_EQ(other->size(), toFile.size());
        EXPECT_FALSE(Exists(Data()));
    } else {
        const std::string expected = ExpectedEncryptedFile(kKey, plain);
        EXPECT_EQ(toFile, expected);
        EXPECT_EQ(toOutput, expected);
        EXPECT_EQ(fromInput, expected);
        EXPECT_EQ(throughPipes, expected);
        // Each encryption leaves its record, as one in place does.
        EXPECT_EQ(SortedEntries(Data()),
                  (std::vector<std::string>{"0.dat", "1.dat", "2.dat", "3.dat"}));
        EXPECT_EQ(ReadBytes(Data() + "/3.dat"), ExpectedRecord(plain));
    }

    // Every encryption decrypts to the plain text, from a file or standard input, into
    // standard output or a new file; the records stay for the encrypted files.
    WriteBytes(Path("pipes.vq"), throughPipes);
    for (const std::string name : {"out.vq", "pipes.vq"}) {
        run = Piped("decrypt", {"-o", "-", name});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out == plain) << name;
    }
    run = Piped("decrypt", {"-o", "-", "-"}, toOutput);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out == plain);
    run = Piped("decrypt", {"-o", "copy.txt", "-"}, fromInput);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "decrypted: standard input -> copy.txt\n");
    EXPECT_TRUE(ReadBytes(Path("copy.txt")) == plain);
    // Without its records, an original-format file goes to standard output only with
    // --no-verify, and with a warning; a strong file verifies itself all the same.
    if (!Strong()) {
        rename(Data().c_str(), Path("records").c_str());
        run = Piped("decrypt", {"-o", "-", "out.vq"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out.size(), 0u);
        run = Piped("decrypt", {"--no-verify", "-o", "-", "out.vq"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "decrypt: out.vq: the key was not verified; an unverified key may "
                           "produce garbage\n");
        EXPECT_TRUE(run.out == plain);
        rename(Path("records").c_str(), Data().c_str());
    }
    run = Piped("decrypt", {"--no-verify", "-o", "-", "-"}, Flipped(fromInput, 200), "wrong");
    EXPECT_EQ(run.exitCode, Strong() ? 1 : 0) << run.err;
    EXPECT_EQ(run.out.size(), Strong() ? 0u : plain.size());

    std::vector<std::string> made = {"copy.txt", "in.vq", "notes.txt", "out.vq", "pipes.vq"};
    if (!Strong()) {
        made.push_back("Data");
        EXPECT_EQ(SortedEntries(Data()).size(), 4u);
    }
    EXPECT_EQ(Names(), NamesWith(made));
}

TEST_P(CliPipeForms, StandardInputOfNothingOrOfExactlyOneChunk) {
    PipedRun run = Piped("encrypt", Encrypt({"-o", "-", "-"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "encrypt: standard input: the file is empty; there is nothing to encrypt\n");
    run = Piped("decrypt", {"-o", "-", "-"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "decrypt: standard input: not encrypted\n");
    run = Piped("encrypt", Encrypt({"-o", "out.vq", "-"}));
    EXPECT_EQ(run.exitCode, 1);

    // Input that ends in the trailer is encrypted already, as a file that does is.
    run = Piped("encrypt", Encrypt({"-o", "-", "-"}), "text\xDE\xAD");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "encrypt: standard input: already encrypted\n");

    const std::string chunk = SampleBytes(65536, 32);
    run = Piped("encrypt", Encrypt({"-o", "-", "-"}), chunk);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.size(), Strong() ? kHeaderLength + 65536 + 16 + 2 : 65536 + 2);
    run = Piped("decrypt", {"-o", "-", "-"}, run.out);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.out == chunk);
    EXPECT_EQ(Names(),
              NamesWith(Strong() ? std::vector<std::string>{} : std::vector<std::string>{"Data"}));
}

INSTANTIATE_TEST_SUITE_P(BothFormats, CliPipeForms, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Strong" : "Original";
                         });

TEST_F(CliPipes, NothingOfAFileThatDoesNotVerifyReachesStandardOutput) {
    // Twenty chunks: the first piece of the jobs' reading verifies before a later chunk fails.
    const std::string plain = SampleBytes(20 * 65536 - 300, 33);
    WriteBytes(Path("strong.txt"), plain);
    WriteBytes(Path("original.txt"), plain);
    ASSERT_EQ(Piped("encrypt", {"--strong", "strong.txt"}).exitCode, 0);
    ASSERT_EQ(Piped("encrypt", {"original.txt"}).exitCode, 0);
    const std::string strong = ReadBytes(Path("strong.txt")).value_or("");
    const std::string original = ReadBytes(Path("original.txt")).value_or("");
    const std::string last = "the file is damaged: the chunk at byte " +
                             std::to_string(ChunkAt(19)) + " does not verify";

    struct Case {
        std::string bytes;
        std::string keyFile;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {strong, "wrong", "wrong key"},
        {original, "wrong", "the key does not match any record"},
        {Flipped(strong, ChunkAt(0) + 5), "key",
         "the file is damaged: the chunk at byte 92 does not verify"},
        {Flipped(strong, ChunkAt(17) + 5), "key",
         "the file is damaged: the chunk at byte " + std::to_string(ChunkAt(17)) +
             " does not verify"},
        {Flipped(strong, strong.size() - 3), "key", last},
        // Cut, with the trailer kept as a cut in transit would not keep it, and without.
        {strong.substr(0, ChunkAt(19) + 100) + "\xDE\xAD", "key", last},
        {original.substr(0, original.size() / 2) + "\xDE\xAD", "key",
         "the key does not match any record"},
        {strong.substr(0, strong.size() - 5), "key", "not encrypted"},
    };
    for (const Case& c : cases) {
        WriteBytes(Path("bad.vq"), c.bytes);
        PipedRun run = Piped("decrypt", {"-o", "-", "bad.vq"}, "", c.keyFile);
        EXPECT_EQ(run.exitCode, 1) << c.reason;
        EXPECT_EQ(run.out.size(), 0u) << c.reason;
        EXPECT_EQ(run.err, "decrypt: bad.vq: " + c.reason + "; file left as it was\n");
        run = Piped("decrypt", {"-o", "-", "-"}, c.bytes, c.keyFile);
        EXPECT_EQ(run.exitCode, 1) << c.reason;
        EXPECT_EQ(run.out.size(), 0u) << c.reason;
        EXPECT_EQ(run.err, "decrypt: standard input: " + c.reason + "\n");
        run = Piped("decrypt", {"-o", "out.txt", "-"}, c.bytes, c.keyFile);
        EXPECT_EQ(run.exitCode, 1) << c.reason;
        EXPECT_EQ(ReadBytes(Path("bad.vq")), c.bytes);
        EXPECT_EQ(Names(), NamesWith({"Data", "bad.vq", "original.txt", "strong.txt"})) << c.reason;
    }
    EXPECT_EQ(SortedEntries(Data()), std::vector<std::string>{"0.dat"});
}

TEST_F(CliPipes, ABrokenPipeEndsTheCommandQuietlyLeavingNothing) {
    const std::string plain = SampleBytes(3 * 1024 * 1024, 34);
    WriteBytes(Path("strong.txt"), plain);
    ASSERT_EQ(Piped("encrypt", {"--strong", "strong.txt"}).exitCode, 0);
    // The reader takes ten bytes and goes, as `| head -c 10` does.
    std::string taken;
    const auto tenBytes = [&](const std::string& input) {
        taken.clear();
        PipeEnds ends = Feeding(input);
        ends.take = [&taken](const char* data, std::size_t length) {
            taken.append(data, std::min<std::size_t>(length, 10 - taken.size()));
            return taken.size() < 10;
        };
        return ends;
    };

    PipedRun run =
        RunCliPiped(Call("decrypt", {"-o", "-", "strong.txt"}), tenBytes(""), Path("home"));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(taken, plain.substr(0, 10));
    // An encryption from standard input in the original format takes its record back.
    run = RunCliPiped(Call("encrypt", {"-o", "-", "-"}), tenBytes(plain), Path("home"));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(SortedEntries(Data()).empty());
    EXPECT_EQ(Names(), NamesWith({"Data", "strong.txt"}));
}

TEST_F(CliPipes, MisusedStreamsAreUsageErrorsAndAnOutputThatExistsIsKept) {
    WriteBytes(Path("a.txt"), "alpha");
    WriteBytes(Path("b.txt"), "beta");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } refused[] = {
        {{"encrypt", "--key-file", "key", "-"},
         "encrypt: - (standard input) needs -o OUT or -o -: what comes from standard input is "
         "never changed in place\n"},
        {{"decrypt", "--key-file", "key", "-"},
         "decrypt: - (standard input) needs -o OUT or -o -: what comes from standard input is "
         "never changed in place\n"},
        {{"encrypt", "--key-file", "key", "-o", "-", "-", "-"},
         "encrypt: - (standard input) must be the only FILE\n"},
        {{"decrypt", "--key-file", "key", "-o", "out", "a.txt", "-"},
         "decrypt: - (standard input) must be the only FILE\n"},
        {{"encrypt", "--key-file", "key", "-o", "out", "a.txt", "b.txt"},
         "encrypt: -o OUT takes exactly one FILE\n"},
        {{"encrypt", "--key-stdin", "-o", "out", "-"},
         "encrypt: --key-stdin cannot go with - as FILE: both would read standard input; give "
         "the key with --key-file FILE or type it on the terminal\n"},
    };
    for (const auto& usage : refused) {
        CliCall call;
        call.args = usage.args;
        call.input = "some input";
        call.workingFolder = folder_.Path();
        const CliRun run = RunCli(call, Path("home"));
        EXPECT_EQ(run.exitCode, 2) << usage.message;
        EXPECT_EQ(run.err, usage.message);
        EXPECT_EQ(run.out, "");
    }

    PipedRun run = Piped("encrypt", {"-o", "b.txt", "a.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "encrypt: a.txt: b.txt already exists\n");
    run = Piped("encrypt", {"-o", "b.txt", "-"}, "input");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "encrypt: standard input: b.txt already exists\n");
    EXPECT_EQ(ReadBytes(Path("a.txt")), "alpha");
    EXPECT_EQ(ReadBytes(Path("b.txt")), "beta");
    EXPECT_EQ(Names(), NamesWith({"a.txt", "b.txt"}));
}

TEST_F(CliPipes, AFileTheUserMayOnlyReadIsEncryptedAndDecryptedIntoOtherFiles) {
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs root and setpriv to run the program as another user";
    WriteBytes(Path("shared.txt"), "everyone may read this");
    chmod(folder_.Path().c_str(), 0777);
    chmod(Path("tmp").c_str(), 0777);
    const auto asAnotherUser = [&](const std::string& command, std::vector<std::string> rest) {
        CliCall call = Call(command, std::move(rest));
        call.prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        return RunCli(call, Path("home"));
    };
    CliRun run = asAnotherUser("encrypt", {"-o", "shared.vq", "shared.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(Path("shared.vq")), ExpectedEncryptedFile(kKey, "everyone may read this"));
    chmod(Path("shared.vq").c_str(), 0644);
    ASSERT_EQ(0, chown(Path("shared.vq").c_str(), 0, 0));
    run = asAnotherUser("decrypt", {"-o", "-", "shared.vq"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "everyone may read this");
}

TEST_F(CliPipes, EncryptedBytesAreNeverWrittenToATerminalButPlainTextIs) {
    int terminal = -1;
    int side = -1;
    if (openpty(&terminal, &side, nullptr, nullptr, nullptr) != 0)
        GTEST_SKIP() << "no pseudo-terminal can be opened here (is /dev/pts mounted?)";
    WriteBytes(Path("notes.txt"), "shown on a terminal");

    CliCall call = Call("encrypt", {"-o", "-", "notes.txt"});
    call.outputTerminal = side;
    CliRun run = RunCli(call, Path("home"));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "encrypt: refusing to write encrypted bytes to a terminal: redirect "
                       "standard output to a file or a pipe, or write a file with -o OUT\n");
    EXPECT_FALSE(Exists(Data()));

    ASSERT_EQ(Piped("encrypt", {"--strong", "notes.txt"}).exitCode, 0);
    call = Call("decrypt", {"-o", "-", "notes.txt"});
    call.outputTerminal = side;
    run = RunCli(call, Path("home"));
    close(side);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::string shown;
    char buffer[256];
    for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(got));
    close(terminal);
    EXPECT_EQ(shown, "shown on a terminal");
}

} // namespace
} // namespace vqtest
