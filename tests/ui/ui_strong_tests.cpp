// Strong files through the real window: "Use strong encryption" in the encryption key dialog,
// files that the command-line program reads and writes with no records anywhere, wrong keys and
// damaged files, and a copy of the program without the cryptographic library.
#include "ui_document_support.h"
#include "ui_strong_support.h"

namespace vqtest {
namespace {

const std::string kKey = "strong and quiet";

// The encryption key dialog's id of a control of the decryption key dialog.
int EncryptCounterpart(int decryptId) {
    switch (decryptId) {
    case IDC_DECRYPT_CONTINUE:
        return IDC_ENCRYPT_CONTINUE;
    case IDC_DECRYPT_KEY:
        return IDC_ENCRYPT_KEY;
    case IDC_DECRYPT_CLEAR:
        return IDC_ENCRYPT_CLEAR;
    case IDC_DECRYPT_CANCEL:
        return IDC_ENCRYPT_CANCEL;
    default:
        return decryptId; // the group box and the icon
    }
}

// What a control of a dialog is: class, id (the encryption key dialog's for the decryption key
// dialog's buttons and field), style and place in the dialog.
struct ControlShape {
    std::string className;
    int id;
    LONG_PTR style;
    RECT place;
};
std::vector<ControlShape> ShapesOf(HWND dialog, HWND leftOut) {
    std::vector<ControlShape> shapes;
    for (HWND child : ChildWindows(dialog))
        if (child != leftOut)
            shapes.push_back({WindowClass(child), EncryptCounterpart(GetDlgCtrlID(child)),
                              WindowStyle(child), RectInParent(child)});
    return shapes;
}

class StrongUi : public DocumentUi {
  protected:
    void SetUp() override { ASSERT_TRUE(PlaceCryptoLibrary(program)); }

    // Presses "Encrypt", sets the box, types the key and presses "Continue"; the notice.
    std::string EncryptWithBox(bool strong, const std::string& key) {
        EXPECT_TRUE(ClickControl(Main(), kEncrypt));
        HWND dialog = WaitForKeyDialog(Pid(), KeyKind::Encrypt);
        if (dialog == nullptr || !SetStrongBox(dialog, strong) || !TypeKey(dialog, key) ||
            !PressKeyContinue(dialog))
            return "<no key dialog>";
        keyDialog_ = dialog;
        return NextNotice();
    }

    // Opens the encryption key dialog on the loaded file, returns whether its box was ticked
    // and leaves it with "Cancel".
    bool BoxTickedWhenOpened(ProgramUnderTest& which) {
        EXPECT_TRUE(ClickControl(which.MainWindow(), kEncrypt));
        HWND dialog = WaitForKeyDialog(which.Pid(), KeyKind::Encrypt);
        EXPECT_NE(nullptr, dialog);
        const bool ticked = dialog != nullptr && StrongBoxTicked(dialog);
        EXPECT_TRUE(dialog != nullptr && PressKeyCancel(dialog) && WaitForWindowGone(dialog));
        return ticked;
    }

    ScratchFolder cliWork{"vqcli"};
    StrongCli cli{cliWork.Path(), kKey};
};

// Encrypted in the window with the box ticked: a strong file, exactly as previewed, no record,
// read by the command-line program with no records; and the other way round.
TEST_F(StrongUi, StrongFilesGoBothWaysBetweenTheWindowAndTheCommandLine) {
    Start();
    const std::string plain = SampleText(70000); // two chunks
    const std::string path = Doc("letter.txt");
    WriteAndOpen(path, plain);
    EXPECT_EQ(kSuccessEncrypted, EncryptWithBox(true, kKey));
    const std::string previewed = ViewText();
    EXPECT_EQ(kEncryptedText, Pane(1));
    EXPECT_TRUE(Enabled(kSaveAs));

    const std::string saved = Doc("letter.vq");
    Save(saved);
    const std::string bytes = Bytes(saved);
    ASSERT_TRUE(LooksStrong(bytes, plain.size())) << bytes.size() << " bytes";
    EXPECT_EQ(Shown(bytes.substr(0, kViewBound)), previewed.substr(0, kViewBound));
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(FileNameText("letter.vq"), Pane(0));
    EXPECT_EQ("  File Size:  70,126  bytes", Pane(3));
    EXPECT_EQ(plain, cli.Decrypted(saved));

    // Made by the command line, decrypted in the window: no record anywhere.
    const std::string fromCli = Doc("from-cli.txt");
    const std::string plain2 = SampleText(3000);
    ASSERT_TRUE(WriteBytes(fromCli, plain2));
    ASSERT_EQ(0u, cli.Run("encrypt --strong", fromCli));
    ASSERT_TRUE(LooksStrong(Bytes(fromCli), plain2.size()));
    EXPECT_TRUE(SortedEntries(cli.Data()).empty());
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(fromCli);
    EXPECT_EQ(kEncryptedText, Pane(1));
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    EXPECT_EQ(Shown(plain2), ViewText());
    EXPECT_EQ(kNotEncryptedText, Pane(1));
    const std::string plainCopy = Doc("plain-copy.txt");
    Save(plainCopy);
    EXPECT_EQ(plain2, Bytes(plainCopy));
    EXPECT_EQ("  File Size:  3,000  bytes", Pane(3));
    EXPECT_TRUE(Records().empty());
}

// A wrong key, a damaged chunk and a damaged header fail alike: the failure notice, no "Save
// As", nothing written.
// So does a save once the file is another strong file of the same size: the preview's keys
// are not the file's any more.
TEST_F(StrongUi, AWrongKeyOrADamagedChunkIsRefused) {
    Start();
    const std::string path = Doc("secret.txt");
    const std::string other = Doc("other.txt");
    ASSERT_TRUE(WriteBytes(path, SampleText(5000)));
    ASSERT_TRUE(WriteBytes(other, SampleText(5000)));
    ASSERT_EQ(0u, cli.Run("encrypt --strong", path));
    ASSERT_EQ(0u, cli.Run("encrypt --strong", other));
    const std::string encrypted = Bytes(path);
    const std::string reencrypted = Bytes(other);
    std::string damaged = encrypted;
    damaged[92 + 4000] ^= 0x01;
    const std::string damagedPath = Doc("damaged.txt");
    ASSERT_TRUE(WriteBytes(damagedPath, damaged));
    std::string damagedHeader = encrypted;
    damagedHeader[24 + 3] ^= 0x01; // a bit of the salt
    const std::string damagedHeaderPath = Doc("damaged-header.txt");
    ASSERT_TRUE(WriteBytes(damagedHeaderPath, damagedHeader));
    const std::vector<std::string> before = SortedEntries(docs.Path());

    Open(path);
    EXPECT_EQ(kFailure, Transform(KeyKind::Decrypt, "not the key"));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_TRUE(Enabled(kDecrypt));
    EXPECT_EQ(kEncryptedText, Pane(1));

    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(damagedPath);
    EXPECT_EQ(kFailure, Transform(KeyKind::Decrypt, kKey));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_TRUE(Enabled(kDecrypt));

    // A damaged header makes a damaged strong file, never one of the original format:
    // nothing the original cipher would make of it reaches the screen.
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(damagedHeaderPath);
    EXPECT_EQ(kEncryptedText, Pane(1));
    const std::string loaded = ViewText();
    EXPECT_EQ(kFailure, Transform(KeyKind::Decrypt, kKey));
    EXPECT_EQ(loaded, ViewText());
    EXPECT_FALSE(Enabled(kSaveAs));

    EXPECT_EQ(encrypted, Bytes(path));
    EXPECT_EQ(damaged, Bytes(damagedPath));
    EXPECT_EQ(damagedHeader, Bytes(damagedHeaderPath));
    EXPECT_EQ(before, SortedEntries(docs.Path()));

    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(path);
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    ASSERT_TRUE(WriteBytes(path, reencrypted));
    ChooseInSaveDialog(path);
    EXPECT_EQ(kFailure, NextNotice());
    EXPECT_EQ(reencrypted, Bytes(path));
    EXPECT_EQ(before, SortedEntries(docs.Path()));
    EXPECT_TRUE(Records().empty());
}

// A strong save that fails after writing its cipher text (another program holds the file, so
// the swap into place is refused) leaves nothing that could seal a second text under the same
// keys and nonces: "Save As" goes off, "Encrypt" on, and pane 1 tells the plain file again.
// The changed file's new preview has a fresh salt and file nonce, and its save holds the
// changed text. A save writes exactly the header its preview showed, so the view told the
// failed save's salt and nonce (bytes 24..55).
TEST_F(StrongUi, AFailedStrongSaveLeavesOnlyANewPreviewToSave) {
    Start();
    const std::string path = Doc("draft.txt");
    const std::string plain = SampleText(3000);
    WriteAndOpen(path, plain);
    EXPECT_EQ(kSuccessEncrypted, EncryptWithBox(true, kKey));
    const std::string failedHeader = ViewText().substr(0, 92);
    {
        const UniqueHandle held = HoldOpen(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(held.valid());
        ChooseInSaveDialog(path);
        EXPECT_EQ(kFailure, NextNotice());
        EXPECT_FALSE(Enabled(kSaveAs));
        EXPECT_TRUE(Enabled(kEncrypt));
        EXPECT_FALSE(Enabled(kDecrypt));
        EXPECT_EQ(kNotEncryptedText, Pane(1));
        if (!EnvironmentValue("VQ_SCREENSHOT_DIR").empty())
            SaveScreenshot("strong-save-failed", Main());
    }
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_EQ(std::vector<std::string>{"draft.txt"}, SortedEntries(docs.Path()));

    // The same size, so that only the content tells the two texts apart.
    std::string changed = plain;
    changed.replace(0, 12, "changed text");
    ASSERT_TRUE(WriteBytes(path, changed));
    EXPECT_EQ(kSuccessEncrypted, EncryptWithBox(true, kKey));
    const std::string newHeader = ViewText().substr(0, 92);
    Save(path);
    const std::string bytes = Bytes(path);
    ASSERT_TRUE(LooksStrong(bytes, changed.size())) << bytes.size() << " bytes";
    EXPECT_EQ(newHeader, Shown(bytes.substr(0, 92)));
    EXPECT_NE(failedHeader.substr(24, 32), newHeader.substr(24, 32));
    EXPECT_EQ(changed, cli.Decrypted(path));
    EXPECT_TRUE(Records().empty());
}

// The box keeps the choice last continued with for the run (not one cancelled), a fresh program
// starts unticked, and the dialog is the decryption key dialog's with the box below its buttons.
TEST_F(StrongUi, TheBoxKeepsItsChoiceForTheRunBelowTheOldControls) {
    Start();
    const std::string path = Doc("a.txt");
    WriteAndOpen(path, "kept choice");
    EXPECT_FALSE(BoxTickedWhenOpened(program));
    EXPECT_EQ(kSuccessEncrypted, EncryptWithBox(true, kKey));

    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(path);
    ASSERT_TRUE(ClickControl(Main(), kEncrypt));
    HWND encrypt = WaitForKeyDialog(Pid(), KeyKind::Encrypt);
    ASSERT_NE(nullptr, encrypt);
    EXPECT_TRUE(StrongBoxTicked(encrypt));
    if (!EnvironmentValue("VQ_SCREENSHOT_DIR").empty())
        SaveScreenshot("encryption-key-strong", encrypt);
    HWND box = Control(encrypt, IDC_ENCRYPT_STRONG);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Use strong encryption", WindowText(box));
    EXPECT_EQ(BS_AUTOCHECKBOX, WindowStyle(box) & BS_TYPEMASK);
    EXPECT_TRUE(IsShown(box));
    EXPECT_TRUE(IsEnabled(box));
    const std::vector<ControlShape> encryptControls = ShapesOf(encrypt, box);
    RECT encryptClient{};
    GetClientRect(encrypt, &encryptClient);
    const RECT boxRect = RectInParent(box);
    const RECT continueRect = ControlRect(encrypt, IDC_ENCRYPT_CONTINUE);
    EXPECT_GE(boxRect.top, continueRect.bottom) << RectText(boxRect);
    EXPECT_LE(boxRect.bottom, encryptClient.bottom) << RectText(boxRect);
    EXPECT_LE(boxRect.right, encryptClient.right) << RectText(boxRect);
    ASSERT_TRUE(SetStrongBox(encrypt, false));
    ASSERT_TRUE(PressKeyCancel(encrypt));
    ASSERT_TRUE(WaitForWindowGone(encrypt));
    EXPECT_TRUE(BoxTickedWhenOpened(program)) << "a cancelled choice was kept";

    // The decryption key dialog has the old template: every old control of the encryption
    // key dialog has its class, id, style and place, and only the box lies below them.
    const std::string strong = Doc("s.txt");
    ASSERT_TRUE(WriteBytes(strong, "x"));
    ASSERT_EQ(0u, cli.Run("encrypt --strong", strong));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(strong);
    ASSERT_TRUE(ClickControl(Main(), kDecrypt));
    HWND decrypt = WaitForKeyDialog(Pid(), KeyKind::Decrypt);
    ASSERT_NE(nullptr, decrypt);
    const std::vector<ControlShape> decryptControls = ShapesOf(decrypt, nullptr);
    ASSERT_EQ(decryptControls.size(), encryptControls.size());
    for (std::size_t i = 0; i < decryptControls.size(); ++i) {
        const ControlShape& old = decryptControls[i];
        const ControlShape& now = encryptControls[i];
        EXPECT_EQ(old.className, now.className) << i;
        EXPECT_EQ(old.id, now.id) << i;
        EXPECT_EQ(old.style, now.style) << i;
        EXPECT_TRUE(SameRect(old.place, now.place))
            << i << ": " << RectText(old.place) << " now " << RectText(now.place);
    }
    RECT decryptClient{};
    GetClientRect(decrypt, &decryptClient);
    EXPECT_EQ(decryptClient.right, encryptClient.right);
    EXPECT_GT(encryptClient.bottom, decryptClient.bottom);
    ASSERT_TRUE(PressKeyCancel(decrypt));
    ASSERT_TRUE(WaitForWindowGone(decrypt));

    // Another program, started after this one chose the strong format, starts unticked.
    ProgramUnderTest fresh;
    ASSERT_TRUE(fresh.Start("\"" + path + "\""));
    ASSERT_TRUE(WaitForPaneText(fresh.StatusBar(), 0, FileNameTextOfPath(path)));
    EXPECT_FALSE(BoxTickedWhenOpened(fresh));
}

// A copy without the library starts and keeps the original format; a strong encryption fails
// with the failure notice and writes nothing.
class WithoutLibraryUi : public StrongUi {
  protected:
    void SetUp() override {}
};

TEST_F(WithoutLibraryUi, WithoutTheLibraryOnlyTheStrongFormatFails) {
    Start();
    const std::string path = Doc("plain.txt");
    const std::string plain = "kept in the original format";
    WriteAndOpen(path, plain);
    EXPECT_EQ(kFailure, EncryptWithBox(true, kKey));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_TRUE(Enabled(kEncrypt));
    EXPECT_EQ(kNotEncryptedText, Pane(1));
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_EQ(std::vector<std::string>{"plain.txt"}, SortedEntries(docs.Path()));
    EXPECT_TRUE(Records().empty());

    EXPECT_EQ(kSuccessEncrypted, EncryptWithBox(false, kKey));
    Save(path);
    EXPECT_EQ(ExpectedEncryptedFile(kKey, plain), Bytes(path));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

} // namespace
} // namespace vqtest
