// Keys typed as text through the real window, each character reaching the key box as a
// keyboard's would: the original format's key in the system's code page (refused over the key
// dialog when the code page cannot hold it, counted in bytes under a double-byte code page),
// files of earlier copies, and files that go both ways with veilquill-cli on Linux.
//
// KeysGoBothWaysWithTheLinuxCommandLine runs inside ui_key_text_with_linux_cli.sh, which makes
// files with the Linux program before and reads the window's after;
// TheOriginalFormatsBytesFollowTheSystemsCodePage runs with LC_CTYPE ru_RU.UTF-8 (1251) and
// ja_JP.UTF-8 (932). Each is skipped elsewhere.
#include "ui_document_support.h"
#include "ui_strong_support.h"

namespace vqtest {
namespace {

const std::string kCafe = "caf\xC3\xA9";                                          // café
const std::string kRussian = "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C";  // пароль
const std::string kJapanese = "\xE7\xA7\x98\xE5\xAF\x86\xE3\x81\xAE\xE9\x8D\xB5"; // 秘密の鍵
const std::string kSecret = "\xE7\xA7\x98";                                       // 秘

class KeyTextUi : public DocumentUi {
  protected:
    void SetUp() override { ASSERT_TRUE(PlaceCryptoLibrary(program)); }

    // Presses "Encrypt" or "Decrypt", sets the box (encryption), types the key as a keyboard
    // does and presses "Continue"; the key dialog, still open when a message box came.
    HWND TypeAndContinue(KeyKind kind, const std::string& key, bool strong = false) {
        EXPECT_TRUE(ClickControl(Main(), kind == KeyKind::Encrypt ? kEncrypt : kDecrypt));
        HWND dialog = WaitForKeyDialog(Pid(), kind);
        EXPECT_NE(nullptr, dialog);
        if (dialog == nullptr)
            return nullptr;
        if (kind == KeyKind::Encrypt) {
            EXPECT_TRUE(SetStrongBox(dialog, strong));
        }
        EXPECT_TRUE(TypeKeyCharacters(dialog, key));
        EXPECT_TRUE(PressKeyContinue(dialog));
        keyDialog_ = dialog;
        return dialog;
    }

    // The same, for a key that is taken: the notice that follows.
    std::string Typed(KeyKind kind, const std::string& key, bool strong = false) {
        return TypeAndContinue(kind, key, strong) != nullptr ? NextNotice() : "<no key dialog>";
    }

    // A key the chosen format cannot take: the message box over the key dialog (its text),
    // closed, with the dialog still open holding the key as typed; then "Cancel".
    std::string Refused(const std::string& key, const std::string& shot) {
        HWND dialog = TypeAndContinue(KeyKind::Encrypt, key);
        if (dialog == nullptr)
            return "<no key dialog>";
        HWND box = WaitForMessageBox(Pid(), "Veilquill", "");
        if (box == nullptr)
            return "<no message box>";
        EXPECT_EQ(dialog, GetWindow(box, GW_OWNER)) << "the box is over the key dialog";
        if (!shot.empty() && !EnvironmentValue("VQ_SCREENSHOT_DIR").empty()) {
            SaveScreenshot(shot, box);
            SaveScreenshot(shot + "-screen"); // the box over the key dialog with the key
        }
        const std::string text = MessageBoxText(box);
        EXPECT_TRUE(AnswerMessageBox(box, IDOK));
        EXPECT_TRUE(WaitForWindowGone(box));
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(key, KeyFieldUnicodeText(dialog));
        EXPECT_TRUE(PressKeyCancel(dialog));
        EXPECT_TRUE(WaitForWindowGone(dialog));
        keyDialog_ = nullptr;
        return text;
    }
};

const std::string kCannotStore =
    "This key holds a character that the original format cannot store; the strong format "
    "(\"Use strong encryption\") takes any text.";

// On a Western system: "пароль" for the original format is refused with nothing encrypted;
// "café" gives its code page 1252 bytes, and a file of 1.0.1 made with them opens.
TEST_F(KeyTextUi, TheOriginalFormatTakesOnlyWhatTheCodePageHolds) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "for code page 1252; this system's is " << GetACP();
    Start();
    const std::string path = Doc("notes.txt");
    const std::string plain = "notes for the original format";
    WriteAndOpen(path, plain);
    EXPECT_EQ(kCannotStore, Refused(kRussian, "original-key-refused"));
    EXPECT_EQ(kNotEncryptedText, Pane(1));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());

    EXPECT_EQ(kSuccessEncrypted, Typed(KeyKind::Encrypt, kCafe));
    Save(path);
    EXPECT_EQ(ExpectedEncryptedFile("caf\xE9", plain), Bytes(path));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

    // Made by 1.0.1 with the same code page bytes, its record beside the program.
    const std::string old = Doc("old.txt");
    const std::string oldPlain = "written by version 1.0.1";
    ASSERT_TRUE(WriteBytes(old, ExpectedEncryptedFile("caf\xE9", oldPlain)));
    ASSERT_TRUE(WriteBytes(DataFile("7.dat"), ExpectedRecord(oldPlain)));
    Open(old);
    EXPECT_EQ(kSuccessDecrypted, Typed(KeyKind::Decrypt, kCafe));
    EXPECT_EQ(oldPlain, ViewText());
}

// A strong key outside the code page is saved as its UTF-8: the file opens with the same text,
// typed decomposed or not.
TEST_F(KeyTextUi, AStrongKeyOutsideTheCodePageOpensWithTheSameText) {
    Start();
    const std::string path = Doc("strong.txt");
    const std::string plain = "strong notes";
    WriteAndOpen(path, plain);
    EXPECT_EQ(kSuccessEncrypted, Typed(KeyKind::Encrypt, kJapanese, true));
    Save(path);
    ASSERT_TRUE(LooksStrong(Bytes(path), plain.size()));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(path);
    EXPECT_EQ(kFailure, Typed(KeyKind::Decrypt, "????"));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(path);
    EXPECT_EQ(kSuccessDecrypted, Typed(KeyKind::Decrypt, kJapanese));
    EXPECT_EQ(plain, ViewText());
}

// Files made by veilquill-cli on Linux open in the window with the same text, and the window's
// files are left for it to open (ui_key_text_with_linux_cli.sh).
TEST_F(KeyTextUi, KeysGoBothWaysWithTheLinuxCommandLine) {
    const std::string exchangeUnix = EnvironmentValue("VQ_KEY_EXCHANGE");
    if (exchangeUnix.empty())
        GTEST_SKIP() << "runs inside ui_key_text_with_linux_cli.sh";
    const std::string exchange = UnixToWindowsPath(exchangeUnix);
    const auto at = [&](const std::string& name) { return JoinPath(exchange, name); };
    // The Linux program's records for its original-format file, beside the window.
    MakeFolders(program.DataFolder());
    for (const std::string& record : SortedEntries(at("linux-data")))
        ASSERT_TRUE(
            CopyFileA(JoinPath(at("linux-data"), record).c_str(), DataFile(record).c_str(), FALSE));
    Start();

    Open(at("linux-strong.txt"));
    EXPECT_EQ(kSuccessDecrypted, Typed(KeyKind::Decrypt, kRussian));
    EXPECT_EQ("made on Linux, strong", ViewText());
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(at("linux-original.txt"));
    EXPECT_EQ(kSuccessDecrypted, Typed(KeyKind::Decrypt, kCafe));
    EXPECT_EQ("made on Linux, original", ViewText());
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

    WriteAndOpen(at("window-strong.txt"), "made in the window, strong");
    EXPECT_EQ(kSuccessEncrypted, Typed(KeyKind::Encrypt, kJapanese, true));
    Save(at("window-strong.txt"));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    WriteAndOpen(at("window-original.txt"), "made in the window, original");
    EXPECT_EQ(kSuccessEncrypted, Typed(KeyKind::Encrypt, kCafe));
    Save(at("window-original.txt"));
    // The window's records, for the Linux program's --data.
    MakeFolders(at("window-data"));
    for (const std::string& record : Records())
        ASSERT_TRUE(CopyFileA(DataFile(record).c_str(), JoinPath(at("window-data"), record).c_str(),
                              FALSE));
}

// Under a second system code page the original format's key bytes are that code page's:
// "пароль" under 1251; under 932 a key is counted in bytes, two for each CJK character.
TEST_F(KeyTextUi, TheOriginalFormatsBytesFollowTheSystemsCodePage) {
    const UINT codePage = GetACP();
    if (codePage != 1251 && codePage != 932)
        GTEST_SKIP() << "for code pages 1251 and 932 (LC_CTYPE=ru_RU.UTF-8, ja_JP.UTF-8); this "
                        "system's is "
                     << codePage;
    Start();
    const std::string path = Doc("local.txt");
    const std::string plain = "a file in the system's code page";
    WriteAndOpen(path, plain);
    if (codePage == 1251) {
        EXPECT_EQ(kSuccessEncrypted, Typed(KeyKind::Encrypt, kRussian));
        Save(path);
        EXPECT_EQ(ExpectedEncryptedFile("\xEF\xE0\xF0\xEE\xEB\xFC", plain), Bytes(path));
        return;
    }
    std::string longest;
    std::string longestBytes;
    for (int i = 0; i < 31; ++i) {
        longest += kSecret;
        longestBytes += "\x94\xE9"; // 秘 in code page 932
    }
    const std::string refused = Refused(longest + kSecret, "original-key-too-long-932");
    EXPECT_NE(std::string::npos, refused.find("longer than the 63 bytes")) << refused;
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_EQ(kSuccessEncrypted, Typed(KeyKind::Encrypt, longest));
    Save(path);
    EXPECT_EQ(ExpectedEncryptedFile(longestBytes, plain), Bytes(path));
}

} // namespace
} // namespace vqtest
