// Shared steps of the document tests: the program with a folder of documents beside it, and
// the user's moves (open, encrypt, decrypt, save) worked through the real dialogs.
#ifndef VEILQUILL_UI_DOCUMENT_SUPPORT_H
#define VEILQUILL_UI_DOCUMENT_SUPPORT_H

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "driver/ui_driver.h"
#include "tests/support/control_ids.h"
#include "tests/support/expected_texts.h"
#include "tests/support/literal_cipher.h"
#include "tests/support/sample_text.h"

namespace vqtest {

// How long a test waits for a save to end: long enough for a flush on a disk that other
// programs keep busy.
constexpr DWORD kSaveWaitMs = 120000;

// What the document view shows for some bytes: zero bytes as spaces.
inline std::string Shown(std::string bytes) {
    for (char& c : bytes)
        c = c == '\0' ? ' ' : c;
    return bytes;
}

class DocumentUi : public ::testing::Test {
  protected:
    HWND Main() const { return program.MainWindow(); }
    HWND Bar() const { return program.StatusBar(); }
    DWORD Pid() const { return program.Pid(); }
    std::string Doc(const std::string& name) const { return docs.File(name); }
    std::string Pane(int pane) const { return PaneText(Bar(), pane); }
    bool Enabled(int id) const { return IsControlEnabled(Main(), id); }
    std::string ViewText() const { return ControlText(Main(), kDocumentView); }
    std::string DataFile(const std::string& name) const {
        return JoinPath(program.DataFolder(), name);
    }
    std::vector<std::string> Records() const { return SortedEntries(program.DataFolder()); }
    std::string Bytes(const std::string& path) const {
        return ReadBytes(path).value_or("<unreadable>");
    }

    void Start() { ASSERT_TRUE(program.Start()); }

    // Clicks the button and chooses the path in the file dialog it opens.
    // The button may still be waiting for the end of the command before (a notice that has
    // closed is not yet its command's end): a user waits for it too.
    void ChooseInFileDialog(int button, const char* caption, const std::string& path) {
        ASSERT_TRUE(WaitUntil([&] { return Enabled(button); })) << "button " << button << " off";
        ASSERT_TRUE(ClickControl(Main(), button));
        HWND dialog = WaitForFileDialog(Pid(), caption);
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(ChooseFileInDialog(dialog, path));
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }
    void ChooseInOpenDialog(const std::string& path) {
        ChooseInFileDialog(kOpenFile, "Open", path);
    }
    void ChooseInSaveDialog(const std::string& path) {
        ChooseInFileDialog(kSaveAs, "Save As", path);
    }

    // Opens the file and waits until its name is shown.
    void Open(const std::string& path) {
        ChooseInOpenDialog(path);
        ASSERT_TRUE(WaitForPaneText(Bar(), 0, FileNameTextOfPath(path)))
            << "pane 0: '" << Pane(0) << "'";
        ASSERT_TRUE(RespondsWithin(Main()));
    }

    // Writes the bytes into the file and opens it.
    void WriteAndOpen(const std::string& path, const std::string& bytes) {
        ASSERT_TRUE(WriteBytes(path, bytes));
        Open(path);
    }

    // Presses "Encrypt" or "Decrypt", types the key and presses "Continue".
    void EnterKey(KeyKind kind, const std::string& key) {
        ASSERT_TRUE(ClickControl(Main(), kind == KeyKind::Encrypt ? kEncrypt : kDecrypt));
        HWND dialog = WaitForKeyDialog(Pid(), kind);
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(TypeKey(dialog, key));
        ASSERT_TRUE(PressKeyContinue(dialog));
        ASSERT_TRUE(WaitForWindowGone(dialog));
        keyDialog_ = dialog;
    }

    // The command that showed the notice has ended: the notice and the key dialog it came
    // from are destroyed (their modal loops have returned, which under Wine takes a while
    // after they are hidden) and the window answers again.
    void WaitForCommandEnd(HWND notice) {
        ASSERT_TRUE(WaitUntil([&] {
            return IsWindow(notice) == FALSE &&
                   (keyDialog_ == nullptr || IsWindow(keyDialog_) == FALSE);
        }));
        keyDialog_ = nullptr;
        ASSERT_TRUE(RespondsWithin(Main()));
    }

    // The notification that follows, waited out with the command that showed it; its texts
    // joined, or "<none>".
    std::string NextNotice(DWORD timeoutMs = kWaitMs) {
        std::optional<Notification> notice = WaitForNotification(Pid(), timeoutMs);
        if (!notice)
            return "<none>";
        const std::string text = NoticeText(notice->window);
        WaitForNotificationGone(*notice);
        WaitForCommandEnd(notice->window);
        return text;
    }

    std::string Transform(KeyKind kind, const std::string& key) {
        EnterKey(kind, key);
        return NextNotice();
    }

    // A successful save has ended: "Save As" is off and "Open File" on (while a save runs,
    // both are held off).
    bool SaveEnded() const { return !Enabled(kSaveAs) && Enabled(kOpenFile); }

    // A save that is to succeed. Its end is awaited, not timed: a save flushes its file, and
    // on a disk busy with other writers a flush can take many seconds.
    // The file's name must be there too: the buttons alone were once read as ended while a
    // save into a new name still ran on a busy machine.
    void Save(const std::string& path) {
        ChooseInSaveDialog(path);
        const auto named = [&] {
            return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        };
        ASSERT_TRUE(WaitUntil([&] { return SaveEnded() && named(); }, kSaveWaitMs))
            << "the save did not end";
        ASSERT_TRUE(RespondsWithin(Main()));
    }

    // Writes `plain` (returned), opens it, encrypts it with `key`, saves it over itself and
    // clears the window.
    std::string MakeEncrypted(const std::string& path, const std::string& plain,
                              const std::string& key) {
        WriteAndOpen(path, plain);
        EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, key));
        Save(path);
        EXPECT_EQ(ExpectedEncryptedFile(key, plain), Bytes(path));
        EXPECT_TRUE(ClickControlAndWait(Main(), kClear));
        return plain;
    }

    ProgramUnderTest program;
    ScratchFolder docs{"vqdocs"};
    HWND keyDialog_ = nullptr; // the last key dialog, until its command has ended
};

} // namespace vqtest

#endif
