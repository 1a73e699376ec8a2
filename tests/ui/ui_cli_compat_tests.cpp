// The window and veilquill-cli.exe read each other's files and records: a file encrypted by
// the command-line program beside the window decrypts in the window with the same Data
// folder, and a file encrypted in the window decrypts with the command-line program.
#include "ui_document_support.h"
#include "ui_strong_support.h"

namespace vqtest {
namespace {

const std::string kCliKey = "shared between both";

class CliCompatibility : public DocumentUi {
  protected:
    void SetUp() override {
        const std::string cli = EnvironmentValue("VQ_CLI");
        ASSERT_FALSE(cli.empty()) << "VQ_CLI names the command-line program";
        ASSERT_TRUE(program.PlaceBeside(cli, "veilquill-cli.exe"));
        ASSERT_TRUE(WriteBytes(docs.File("key.txt"), kCliKey + "\r\n"));
    }

    // Runs the command-line program from the window's folder, so that it uses the same Data
    // folder, with the key from a key file; its exit code.
    DWORD RunCli(const std::string& command, const std::string& file) {
        const std::string line = "\"" + program.InFolder("veilquill-cli.exe") + "\" " + command +
                                 " --quiet --key-file \"" + docs.File("key.txt") + "\" \"" + file +
                                 "\"";
        return RunToEnd(line, docs.Path(), kStartMs);
    }
};

TEST_F(CliCompatibility, AFileEncryptedByTheCommandLineDecryptsInTheWindow) {
    Start();
    const std::string plain = SampleText(2000);
    const std::string path = Doc("from-cli.txt");
    ASSERT_TRUE(WriteBytes(path, plain));
    ASSERT_EQ(0u, RunCli("encrypt", path));
    EXPECT_EQ(ExpectedEncryptedFile(kCliKey, plain), Bytes(path));
    ASSERT_EQ(std::vector<std::string>{"0.dat"}, Records());

    Open(path);
    EXPECT_EQ(kEncryptedText, Pane(1));
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kCliKey));
    EXPECT_EQ(Shown(plain), ViewText());
    Save(path);
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());
}

TEST_F(CliCompatibility, AFileEncryptedInTheWindowDecryptsWithTheCommandLine) {
    Start();
    const std::string path = Doc("from-window.txt");
    const std::string plain = MakeEncrypted(path, SampleText(1500), kCliKey);
    ASSERT_EQ(std::vector<std::string>{"0.dat"}, Records());

    EXPECT_EQ(0u, RunCli("check", path));
    EXPECT_EQ(0u, RunCli("decrypt", path));
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());
    // And the window sees a plain file again.
    Open(path);
    EXPECT_EQ(kNotEncryptedText, Pane(1));
}

} // namespace
} // namespace vqtest
