// The road of a file through the real program: open, encrypt, save, reopen, decrypt, save,
// with the bytes on disk, the records in Data\, the status bar, the buttons and the
// notifications checked at every step; and the ways a key can fail.
#include "ui_document_support.h"

namespace vqtest {
namespace {

const std::string kKey = "Pa55 w\xE9rd!";

// With VQ_SCREENSHOT_DIR set, the main window is kept as a picture for a person to look at.
void ShotForReview(const std::string& name) {
    if (!EnvironmentValue("VQ_SCREENSHOT_DIR").empty())
        SaveScreenshot(name);
}

TEST_F(DocumentUi, TheWholeRoadOfAFileGivesTheExactBytesBack) {
    Start();
    // Zero bytes in the middle survive the road.
    const std::string plain = SampleText(3000);
    const std::string path = Doc("letter.txt");
    ASSERT_TRUE(WriteBytes(path, plain));
    const std::string cipher = LiteralEncrypt(kKey, plain);

    // 1. Open: the text with its zero bytes shown as spaces, a plain file.
    Open(path);
    ShotForReview("document-loaded");
    EXPECT_EQ(Shown(plain), ViewText());
    EXPECT_EQ(kNotEncryptedText, Pane(1));
    EXPECT_FALSE(PaneHasIcon(Bar(), 2));
    EXPECT_EQ("  File Size:  3,000  bytes", Pane(3));
    EXPECT_TRUE(Enabled(kEncrypt));
    EXPECT_TRUE(Enabled(kClear));
    EXPECT_FALSE(Enabled(kDecrypt));
    EXPECT_FALSE(Enabled(kOpenFile));
    EXPECT_FALSE(Enabled(kSaveAs));

    // 2. Encrypt: the preview shows the cipher text; nothing is written yet.
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    ShotForReview("document-encrypt-preview");
    EXPECT_EQ(Shown(cipher), ViewText());
    EXPECT_EQ(kEncryptedText, Pane(1));
    EXPECT_TRUE(PaneHasIcon(Bar(), 2));
    EXPECT_EQ("  File Name:  letter.txt", Pane(0));
    EXPECT_TRUE(Enabled(kSaveAs));
    EXPECT_FALSE(Enabled(kEncrypt));
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());

    // 3. Save As onto the loaded file: cipher bytes and the trailer, and one record.
    Save(path);
    EXPECT_EQ(cipher + kTrailer, Bytes(path));
    ASSERT_EQ(std::vector<std::string>{"0.dat"}, Records());
    EXPECT_EQ(ExpectedRecord(plain), Bytes(DataFile("0.dat")));
    EXPECT_TRUE(Enabled(kOpenFile));
    EXPECT_TRUE(Enabled(kDecrypt));
    EXPECT_FALSE(Enabled(kEncrypt));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_EQ(std::vector<std::string>{"letter.txt"}, SortedEntries(docs.Path()));

    // 4. Reopen: encrypted, two bytes longer, the trailer not shown.
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(path);
    EXPECT_EQ(kEncryptedText, Pane(1));
    EXPECT_TRUE(PaneHasIcon(Bar(), 2));
    EXPECT_EQ("  File Size:  3,002  bytes", Pane(3));
    EXPECT_EQ(Shown(cipher), ViewText());
    EXPECT_TRUE(Enabled(kDecrypt));
    EXPECT_FALSE(Enabled(kEncrypt));

    // 5. Decrypt: the record verifies the key and the plain text is shown.
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    EXPECT_EQ(Shown(plain), ViewText());
    EXPECT_EQ(kNotEncryptedText, Pane(1));
    EXPECT_FALSE(PaneHasIcon(Bar(), 2));
    EXPECT_TRUE(Enabled(kSaveAs));
    EXPECT_FALSE(Enabled(kDecrypt));
    EXPECT_EQ(cipher + kTrailer, Bytes(path));

    // 6. Save As: the exact plain bytes, and the record is gone.
    Save(path);
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(Enabled(kEncrypt));
    EXPECT_TRUE(Enabled(kOpenFile));
    EXPECT_FALSE(Enabled(kDecrypt));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_EQ(std::vector<std::string>{"letter.txt"}, SortedEntries(docs.Path()));
}

TEST_F(DocumentUi, AWrongKeyIsRefusedAndTheNextKeyIsTried) {
    Start();
    const std::string path = Doc("note.txt");
    const std::string plain = MakeEncrypted(path, "Meet me at the usual place.", kKey);
    Open(path);

    EXPECT_EQ(kFailure, Transform(KeyKind::Decrypt, "wrong key"));
    EXPECT_EQ(Shown(LiteralEncrypt(kKey, plain)).size(), ViewText().size());
    EXPECT_NE(plain, ViewText()); // the wrongly decrypted bytes stay on screen
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_FALSE(Enabled(kEncrypt));
    EXPECT_TRUE(Enabled(kDecrypt));
    EXPECT_EQ(kEncryptedText, Pane(1));
    EXPECT_TRUE(PaneHasIcon(Bar(), 2));

    // The second try uses the key typed then.
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    EXPECT_EQ(plain, ViewText());
    EXPECT_TRUE(Enabled(kSaveAs));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

TEST_F(DocumentUi, AFileWithoutARecordIsNeverDecrypted) {
    Start();
    const std::string path = Doc("copied.txt");
    MakeEncrypted(path, "from another installation", kKey);
    ASSERT_TRUE(RemoveTree(program.DataFolder()));
    Open(path);
    EXPECT_EQ(kFailure, Transform(KeyKind::Decrypt, kKey));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_TRUE(Enabled(kDecrypt));
}

TEST_F(DocumentUi, AnEmptyKeyFailsAndCancelEndsQuietly) {
    Start();
    const std::string path = Doc("a.txt");
    WriteAndOpen(path, "some text");

    EXPECT_EQ(kFailure, Transform(KeyKind::Encrypt, ""));
    EXPECT_TRUE(Enabled(kEncrypt));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_EQ("some text", ViewText());

    ASSERT_TRUE(ClickControl(Main(), kEncrypt));
    HWND dialog = WaitForKeyDialog(Pid(), KeyKind::Encrypt);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(TypeKey(dialog, "abc"));
    ASSERT_TRUE(PressKeyCancel(dialog));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    EXPECT_EQ("<none>", NextNotice(1500));
    EXPECT_TRUE(Enabled(kEncrypt));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_EQ("some text", ViewText());
    EXPECT_EQ(kNotEncryptedText, Pane(1));

    // The same on an encrypted file: "Save As" and "Encrypt" stay off, "Decrypt" stays on.
    const std::string encrypted = Doc("b.txt");
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    MakeEncrypted(encrypted, "more text", kKey);
    Open(encrypted);
    EXPECT_EQ(kFailure, Transform(KeyKind::Decrypt, ""));
    ASSERT_TRUE(ClickControl(Main(), kDecrypt));
    dialog = WaitForKeyDialog(Pid(), KeyKind::Decrypt);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(PressKeyCancel(dialog));
    ASSERT_TRUE(WaitForWindowGone(dialog));
    EXPECT_EQ("<none>", NextNotice(1500));
    EXPECT_TRUE(Enabled(kDecrypt));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_FALSE(Enabled(kEncrypt));
}

// Enter, Escape, the close request and stray OK / Cancel commands leave the key dialog as
// it is; "Clear" empties the key, and no more than 63 characters are taken.
TEST_F(DocumentUi, OnlyTheThreeButtonsLeaveTheKeyDialogs) {
    Start();
    const std::string path = Doc("a.txt");
    std::string longKey;
    for (int i = 0; i < 70; ++i)
        longKey += static_cast<char>('!' + i);
    const std::string plain = "some text to encrypt";
    WriteAndOpen(path, plain);

    for (KeyKind kind : {KeyKind::Encrypt, KeyKind::Decrypt}) {
        if (kind == KeyKind::Decrypt) {
            ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
            MakeEncrypted(path, plain, kKey);
            Open(path);
        }
        ASSERT_TRUE(ClickControl(Main(), kind == KeyKind::Encrypt ? kEncrypt : kDecrypt));
        HWND dialog = WaitForKeyDialog(Pid(), kind);
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(TypeKey(dialog, "typed"));
        HWND edit = FindDescendant(dialog, "Edit");
        ASSERT_NE(nullptr, edit);
        for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}}) {
            PostMessageA(edit, WM_KEYDOWN, key, 0);
            PostMessageA(edit, WM_KEYUP, key, 0xC0000001);
        }
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        Pause(700);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the key dialog closed";
        EXPECT_EQ("typed", KeyFieldText(dialog));
        EXPECT_EQ(nullptr, WaitForTopWindowWhere(Pid(), IsNotification, 200));

        ASSERT_TRUE(PressKeyClear(dialog));
        EXPECT_TRUE(WaitUntil([&] { return KeyFieldText(dialog).empty(); }));
        EXPECT_TRUE(IsWindowVisible(dialog));
        ASSERT_TRUE(PressKeyCancel(dialog));
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }

    // A key of 70 characters put into the field: the first 63 are the key.
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    WriteAndOpen(path, plain);
    ASSERT_TRUE(ClickControl(Main(), kEncrypt));
    HWND dialog = WaitForKeyDialog(Pid(), KeyKind::Encrypt);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(TypeKey(dialog, longKey));
    ASSERT_TRUE(PressKeyContinue(dialog));
    ASSERT_EQ(kSuccessEncrypted, NextNotice());
    Save(path);
    EXPECT_EQ(ExpectedEncryptedFile(longKey.substr(0, 63), plain), Bytes(path));
}

// The buttons change once, after the success notice has closed. The notice has no owner, so
// the window stays usable while it shows: "Save As" cannot be pressed before its time, and a
// "Clear" pressed meanwhile is what the window shows afterwards, with no preview to save.
TEST_F(DocumentUi, ClearAndSaveAsDuringTheSuccessNotice) {
    Start();
    const std::string path = Doc("a.txt");
    const std::string plain = "pressed while the notice shows";
    // Waits for the notice of the preview just asked for; `during` runs while it shows.
    auto duringNotice = [&](const std::function<void()>& during) {
        std::optional<Notification> notice = WaitForNotification(Pid());
        ASSERT_TRUE(notice.has_value());
        EXPECT_FALSE(Enabled(kSaveAs)) << "Save As on before the notice closed";
        EXPECT_FALSE(Click(program.MainControl(kSaveAs)));
        during();
        ASSERT_TRUE(WaitForNotificationGone(*notice));
        WaitForCommandEnd(notice->window);
    };
    auto expectCleared = [&] {
        EXPECT_FALSE(Enabled(kSaveAs));
        EXPECT_FALSE(Enabled(kEncrypt));
        EXPECT_FALSE(Enabled(kDecrypt));
        EXPECT_FALSE(Enabled(kClear));
        EXPECT_TRUE(Enabled(kOpenFile));
        EXPECT_EQ("", ViewText());
    };
    auto pressClear = [&] { ASSERT_TRUE(ClickControl(Main(), kClear)); };

    WriteAndOpen(path, plain);
    EnterKey(KeyKind::Encrypt, kKey);
    duringNotice(pressClear);
    expectCleared();
    EXPECT_EQ(plain, Bytes(path));

    MakeEncrypted(path, plain, kKey);
    const std::string encrypted = Bytes(path);
    Open(path);
    EnterKey(KeyKind::Decrypt, kKey);
    duringNotice(pressClear);
    expectCleared();
    EXPECT_EQ(encrypted, Bytes(path));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());

    // Left alone, the notice closes and only then "Save As" comes on.
    Open(path);
    EnterKey(KeyKind::Decrypt, kKey);
    duringNotice([] {});
    EXPECT_TRUE(Enabled(kSaveAs));
    EXPECT_FALSE(Enabled(kDecrypt));
    Save(path);
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());
}

// Success notices stay about 2 seconds, failure notices about 3.
TEST_F(DocumentUi, NoticesCloseThemselvesAfterTwoAndThreeSeconds) {
    Start();
    const std::string path = Doc("a.txt");
    WriteAndOpen(path, "timing");

    EnterKey(KeyKind::Encrypt, "k");
    std::optional<Notification> success = WaitForNotification(Pid());
    ASSERT_TRUE(success.has_value());
    EXPECT_EQ(kSuccessEncrypted, NoticeText(success->window));
    ASSERT_TRUE(WaitForNotificationGone(*success));
    EXPECT_GE(success->ShownMs(), 1500);
    EXPECT_LE(success->ShownMs(), 3000);

    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(path);
    EnterKey(KeyKind::Encrypt, "");
    std::optional<Notification> failure = WaitForNotification(Pid());
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(kFailure, NoticeText(failure->window));
    ASSERT_TRUE(WaitForNotificationGone(*failure));
    EXPECT_GE(failure->ShownMs(), 2500);
    EXPECT_LE(failure->ShownMs(), 4000);
}

} // namespace
} // namespace vqtest
