// Files and folders of any name and any length, as a user meets them: Greek, Cyrillic, CJK and
// emoji names and paths past 260 characters, through the Open and Save As dialogs, the command
// line, a drop, the scan and its "Open", and the records folder beside a program in such a
// folder. Texts are set and read in UTF-16, as a user's keyboard and eyes see them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/control_ids.h"
#include "tests/support/expected_texts.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/sample_names.h"
#include "ui_document_support.h"
#include "platform/win32_wide_text.h"

namespace vqtest {
namespace {

const std::string kPlain = "Plain words in a file with a name of its own.\r\n";
const std::string kKey = "names";

class NamesUi : public DocumentUi {
  protected:
    std::string WidePane(int pane) const { return PaneTextWide(Bar(), pane); }
    bool WaitForName(const std::string& path) const {
        return WaitForPaneTextWide(Bar(), 0, FileNameTextOfPath(path));
    }
    std::string WideViewText() const { return WindowTextWide(program.DocumentView()); }

    // A path below the documents of at least `length` characters, through Cyrillic folders
    // (made), ending in `name`.
    std::string DeepPath(std::size_t characters, const std::string& name) const {
        std::string folder = docs.Path();
        std::size_t count = folder.size() + 1 + name.size(); // close enough for ASCII parts
        while (count < characters) {
            folder = JoinPath(folder, kCyrillicFolder);
            count += 1 + 9; // "\Документы" is ten characters
        }
        EXPECT_TRUE(MakeFolders(folder));
        return JoinPath(folder, name);
    }

    // Clicks the button and chooses the path, typed in UTF-16, in the file dialog it opens.
    void ChooseWide(int button, const char* caption, const std::string& path) {
        ASSERT_TRUE(WaitUntil([&] { return Enabled(button); })) << "button " << button << " off";
        ASSERT_TRUE(ClickControl(Main(), button));
        HWND dialog = WaitForFileDialog(Pid(), caption);
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(ChooseFileInDialogWide(dialog, path));
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }

    void Drop(const std::vector<std::string>& paths) {
        drops.push_back(PostWideDrop(Main(), paths));
        ASSERT_TRUE(drops.back().Valid());
    }

    std::vector<RemoteMemory> drops;
};

// The Open dialog opens a CJK name in a Cyrillic folder; Save As saves under a Greek name and
// asks before it replaces a file with an emoji name, naming that file whole.
TEST_F(NamesUi, TheOpenAndSaveAsDialogsTakeAnyName) {
    Start();
    // Typed characters reach the window and its controls as UTF-16.
    for (HWND window : {Main(), program.DocumentView(), program.ResultsList(), Bar()})
        EXPECT_TRUE(IsWindowUnicode(window)) << WindowClass(window);
    const std::string source = Doc(kCyrillicFolder + "\\" + kCjkName);
    ASSERT_TRUE(MakeFolders(Doc(kCyrillicFolder)));
    ASSERT_TRUE(WriteBytes(source, kPlain));
    ASSERT_NO_FATAL_FAILURE(ChooseWide(kOpenFile, "Open", source));
    ASSERT_TRUE(WaitForName(source)) << "pane 0: '" << WidePane(0) << "'";
    EXPECT_EQ(kPlain, WideViewText());
    EXPECT_EQ(kNotEncryptedText, WidePane(1));

    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    const std::string greek = Doc(kCyrillicFolder + "\\" + kGreekName);
    ASSERT_NO_FATAL_FAILURE(ChooseWide(kSaveAs, "Save As", greek));
    ASSERT_TRUE(WaitUntil([&] { return SaveEnded() && FileExists(greek); }, kSaveWaitMs));
    EXPECT_EQ(ExpectedEncryptedFile(kKey, kPlain), Bytes(greek));
    EXPECT_EQ(kPlain, Bytes(source)) << "the file read stays as it was";
    ASSERT_TRUE(WaitForName(greek));
    SaveScreenshot("names_status_bar_greek", Main());

    // The saved file is the current one: its decryption saved over an existing file.
    const std::string emoji = Doc(kEmojiName);
    ASSERT_TRUE(WriteBytes(emoji, "to be replaced"));
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    ASSERT_NO_FATAL_FAILURE(ChooseWide(kSaveAs, "Save As", emoji));
    HWND box = WaitForMessageBox(Pid(), "Confirm Save As", "");
    ASSERT_NE(nullptr, box);
    std::string question;
    for (HWND text : ChildWindows(box, "Static"))
        question += WindowTextWide(text);
    EXPECT_NE(std::string::npos,
              question.find(emoji + " already exists.\nDo you want to replace it?"))
        << question;
    SaveScreenshot("names_confirm_save_as", box);
    ASSERT_TRUE(AnswerMessageBox(box, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return SaveEnded() && Bytes(emoji) == kPlain; }, kSaveWaitMs));
    ASSERT_TRUE(WaitForName(emoji));
}

// The command line names a file in a path of more than 260 characters with a CJK name; a drop
// (in UTF-16, as Explorer drops) then opens a Greek one.
TEST_F(NamesUi, TheCommandLineAndADropTakeAnyNameAndLength) {
    const std::string deep = DeepPath(337, kCjkName);
    ASSERT_GT(WideFromUtf8(deep).size(), 260u);
    ASSERT_TRUE(WriteBytes(deep, kPlain));
    ASSERT_TRUE(program.Start("\"" + deep + "\""));
    ASSERT_TRUE(WaitForName(deep)) << "pane 0: '" << WidePane(0) << "'";
    EXPECT_EQ(kPlain, WideViewText());
    EXPECT_EQ("  File Size:  " + std::to_string(kPlain.size()) + "  bytes", WidePane(3));

    // The long file is encrypted and saved beside the documents. (Wine's own file dialog works
    // in buffers of 260 characters: it opens with an empty name field on a longer path, and a
    // longer path typed into it ends the program with a fault inside the dialog. The long name
    // is saved through the command-line program's tests and the shared layer's instead.)
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    const std::string copy = Doc("copy " + kCjkName);
    ASSERT_NO_FATAL_FAILURE(ChooseWide(kSaveAs, "Save As", copy));
    ASSERT_TRUE(WaitUntil([&] { return SaveEnded() && FileExists(copy); }, kSaveWaitMs));
    EXPECT_EQ(ExpectedEncryptedFile(kKey, kPlain), Bytes(copy));
    EXPECT_EQ(kPlain, Bytes(deep));
    ASSERT_EQ(1u, Records().size());
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

    const std::string greek = Doc(kGreekName);
    ASSERT_TRUE(WriteBytes(greek, kPlain));
    Drop({greek, deep});
    ASSERT_TRUE(WaitForName(greek)) << "pane 0: '" << WidePane(0) << "'";
    EXPECT_EQ(kPlain, WideViewText());
}

// The scan walks into a Cyrillic folder and deep below it, lists every name whole, and its
// "Open" opens any of them.
TEST_F(NamesUi, TheScanFindsAndOpensEveryName) {
    Start();
    const std::string inCyrillic = Doc("tree\\" + kCyrillicFolder + "\\secret.txt");
    ASSERT_TRUE(MakeFolders(Doc("tree\\" + kCyrillicFolder)));
    ASSERT_TRUE(WriteBytes(inCyrillic, "one" + kTrailer));
    const std::string emoji = Doc("tree\\" + kEmojiName);
    ASSERT_TRUE(WriteBytes(emoji, "two" + kTrailer));
    ASSERT_TRUE(WriteBytes(Doc("tree\\" + kGreekName), "plain"));

    Drop({Doc("tree")});
    ASSERT_TRUE(WaitForPaneTextWide(Bar(), 1, FoundText(2))) << "pane 1: '" << WidePane(1) << "'";
    EXPECT_EQ(kScannedPrefix + "4", WidePane(0));
    std::vector<std::string> rows = ListColumnTextsWide(program.ResultsList());
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> expected = {inCyrillic, emoji};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, rows);
    SaveScreenshot("names_results_list", Main());

    const std::vector<std::string> listed = ListColumnTextsWide(program.ResultsList());
    const int emojiRow =
        static_cast<int>(std::find(listed.begin(), listed.end(), emoji) - listed.begin());
    ASSERT_LT(emojiRow, 2);
    ASSERT_TRUE(SelectListRow(program.ResultsList(), emojiRow));
    ASSERT_TRUE(PostContextMenu(Main()));
    HWND menu = WaitForPopupMenu(Pid());
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(ChoosePopupMenuItem(menu, 0));
    ASSERT_TRUE(WaitForName(emoji)) << "pane 0: '" << WidePane(0) << "'";
    EXPECT_EQ(kEncryptedText, WidePane(1));
}

// A program in a folder named outside the code page keeps its records in Data beside it.
TEST(NamesRecords, TheRecordsFolderIsBesideAProgramInAFolderOfAnyName) {
    ProgramUnderTest program("Программы\\Veilquill " + kCjkName.substr(0, 9));
    ScratchFolder docs{"vqnames"};
    const std::string path = docs.File(kGreekName);
    ASSERT_TRUE(WriteBytes(path, kPlain));
    ASSERT_TRUE(program.Start("\"" + path + "\""));
    ASSERT_TRUE(WaitForPaneTextWide(program.StatusBar(), 0, FileNameTextOfPath(path)));
    ASSERT_TRUE(ClickControl(program.MainWindow(), kEncrypt));
    HWND dialog = WaitForKeyDialog(program.Pid(), KeyKind::Encrypt);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(TypeKey(dialog, kKey));
    ASSERT_TRUE(PressKeyContinue(dialog));
    std::optional<Notification> notice = WaitForNotification(program.Pid());
    ASSERT_TRUE(notice.has_value());
    ASSERT_TRUE(WaitForNotificationGone(*notice));
    ASSERT_TRUE(WaitUntil([&] { return IsControlEnabled(program.MainWindow(), kSaveAs); }));
    ASSERT_TRUE(ClickControl(program.MainWindow(), kSaveAs));
    HWND save = WaitForFileDialog(program.Pid(), "Save As");
    ASSERT_NE(nullptr, save);
    ASSERT_TRUE(ChooseFileInDialogWide(save, path));
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(path).value_or("") != kPlain; }, kSaveWaitMs));
    EXPECT_EQ(ExpectedEncryptedFile(kKey, kPlain), ReadBytes(path).value_or("<none>"));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, SortedEntries(program.DataFolder()))
        << program.DataFolder();
}

} // namespace
} // namespace vqtest
