// Files of particular sizes and kinds (up to one over 4 GiB), the command line at start-up,
// and every way a save must refuse: another name, another file in the way, a store that cannot
// be written, a file changed or held since its preview.
#include "ui_document_support.h"

#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <thread>

namespace vqtest {
namespace {

const std::string kKey = "seventeen chars!!";

// ---------------------------------------------------------------------------------------------
// Watching pane 0 on screen while the program is busy: the program answers no message then,
// so a progress text can only be seen, not read. The watcher keeps every distinct picture of
// the pane from its start to its stop.
class PaneWatcher {
  public:
    explicit PaneWatcher(HWND statusBar, std::function<bool()> ignoreNow = nullptr)
        : ignoreNow_(std::move(ignoreNow)) {
        RECT client{};
        GetClientRect(statusBar, &client);
        area_ = RECT{client.left + 3, client.top + 3, 190, client.bottom - 3};
        MapWindowPoints(statusBar, nullptr, reinterpret_cast<POINT*>(&area_), 2);
        thread_ = std::thread([this] { Run(); });
    }
    ~PaneWatcher() { Stop(); }
    PaneWatcher(const PaneWatcher&) = delete;
    PaneWatcher& operator=(const PaneWatcher&) = delete;

    void Stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    const std::vector<Image>& Pictures() const { return pictures_; }
    Image Now() const { return CaptureScreen(&area_); }
    int Captures() const { return captures_; }

    // The leftmost column with text in a picture of the pane (text is black on the pane's
    // light face), or -1 when it holds no text.
    static int LeftmostText(const Image& picture) {
        for (int x = 0; x < picture.width; ++x)
            for (int y = 0; y < picture.height; ++y) {
                const COLORREF pixel = picture.Pixel(x, y);
                if (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) < 200)
                    return x;
            }
        return -1;
    }

    // Pictures whose text starts clearly right of the file name's: the progress texts begin
    // with four spaces, "  File Name:  " with two. A picture caught while the pane is being
    // drawn again shows the name's start or nothing, so it does not count.
    int PicturesIndentedPast(int nameStart) const {
        int count = 0;
        for (const Image& picture : pictures_)
            count += LeftmostText(picture) >= nameStart + 4 ? 1 : 0;
        return count;
    }

  private:
    void Run() {
        while (!stop_) {
            const bool ignored = ignoreNow_ && ignoreNow_();
            Image picture = CaptureScreen(&area_);
            ++captures_;
            if (ignored || picture.Empty())
                continue;
            if (pictures_.empty() || pictures_.back().bgr != picture.bgr)
                pictures_.push_back(std::move(picture));
        }
    }

    std::function<bool()> ignoreNow_;
    RECT area_{};
    std::atomic<bool> stop_{false};
    std::atomic<int> captures_{0};
    std::vector<Image> pictures_;
    std::thread thread_;
};

class DocumentFilesUi : public DocumentUi {
  protected:
    // Where the file name's text starts in pane 0 now.
    int NameStart() {
        const int start = PaneWatcher::LeftmostText(PaneWatcher(Bar()).Now());
        EXPECT_GE(start, 0) << "no file name in pane 0";
        return start;
    }

    // Opens the file while watching pane 0; true when a progress text was seen.
    bool ProgressSeenWhileOpening(const std::string& path) {
        EXPECT_TRUE(ClickControl(Main(), kOpenFile));
        HWND dialog = WaitForFileDialog(Pid(), "Open");
        EXPECT_NE(nullptr, dialog);
        PaneWatcher watcher(Bar(), [dialog] { return IsWindowVisible(dialog) != FALSE; });
        EXPECT_TRUE(ChooseFileInDialog(dialog, path));
        EXPECT_TRUE(WaitForPaneText(Bar(), 0, FileNameTextOfPath(path), 60000));
        watcher.Stop();
        return watcher.PicturesIndentedPast(NameStart()) > 0;
    }

    // Runs a preview with the key while watching pane 0; true when a progress text was seen.
    // The notice that ends the preview is returned through `notice`.
    bool ProgressSeenInPreview(KeyKind kind, const std::string& key, std::string& notice) {
        const int nameStart = NameStart();
        EXPECT_TRUE(ClickControl(Main(), kind == KeyKind::Encrypt ? kEncrypt : kDecrypt));
        HWND dialog = WaitForKeyDialog(Pid(), kind);
        EXPECT_NE(nullptr, dialog);
        EXPECT_TRUE(TypeKey(dialog, key));
        PaneWatcher watcher(Bar());
        EXPECT_TRUE(PressKeyContinue(dialog));
        std::optional<Notification> shown = WaitForNotification(Pid(), 60000);
        watcher.Stop();
        notice = shown ? NoticeText(shown->window) : "<none>";
        if (shown)
            WaitForNotificationGone(*shown);
        return watcher.PicturesIndentedPast(nameStart) > 0;
    }
};

// A text that the view lays out quickly (it is slow with long lines under Wine): the plain
// text, its cipher text under `key` and that decrypted with `wrongKey` each have a line end
// every 40 bytes.
std::string ShortLinedText(std::size_t size, const std::string& key, const std::string& wrongKey) {
    std::string text(size, 'a');
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t column = i % 40;
        if (column == 9)
            text[i] = '\n';
        else if (column == 19) // the cipher byte is a line end
            text[i] = static_cast<char>(PlainByteAt(key, '\n', i));
        else if (column == 29) // the wrongly decrypted byte is a line end
            text[i] = static_cast<char>(PlainByteAt(key, CipherByteAt(wrongKey, '\n', i), i));
        else
            text[i] = static_cast<char>(column % 6 == 5 ? ' ' : 'a' + i % 26);
    }
    return text;
}

TEST_F(DocumentFilesUi, TheSizeTextGroupsDigitsFromAThousandOn) {
    Start();
    const struct {
        std::size_t size;
        const char* text;
    } cases[] = {{1, "  File Size:  1  bytes"},
                 {999, "  File Size:  999  bytes"},
                 {1000, "  File Size:  1,000  bytes"},
                 {12345, "  File Size:  12,345  bytes"}};
    for (const auto& c : cases) {
        const std::string path = Doc("size" + std::to_string(c.size) + ".txt");
        WriteAndOpen(path, std::string(c.size, 'x'));
        EXPECT_EQ(c.text, Pane(3));
        EXPECT_EQ(kNotEncryptedText, Pane(1)); // one byte is never taken for encrypted
        ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    }
}

// "Reading file...", "Encrypting file..." and "Decrypting file..." are shown for files above
// 150000 bytes and not for one of exactly 150000.
TEST_F(DocumentFilesUi, ProgressTextsAreShownAbove150000BytesOnly) {
    Start();
    for (std::size_t size : {std::size_t{150000}, std::size_t{150001}}) {
        SCOPED_TRACE("size " + std::to_string(size));
        const bool expected = size > 150000;
        const std::string path = Doc("big" + std::to_string(size) + ".txt");
        const std::string text = ShortLinedText(size, kKey, "wrong");
        ASSERT_TRUE(WriteBytes(path, text));

        EXPECT_EQ(expected, ProgressSeenWhileOpening(path));
        std::string notice;
        EXPECT_EQ(expected, ProgressSeenInPreview(KeyKind::Encrypt, kKey, notice));
        EXPECT_EQ(kSuccessEncrypted, notice);
        Save(path);
        ASSERT_EQ(ExpectedEncryptedFile(kKey, text), Bytes(path)) << "saved whole";
        ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

        // An encrypted file of the same size, trailer included.
        const std::string encrypted = Doc("enc" + std::to_string(size) + ".txt");
        const std::string cipher = LiteralEncrypt(kKey, ShortLinedText(size - 2, kKey, "wrong"));
        WriteAndOpen(encrypted, cipher + kTrailer);
        EXPECT_EQ(expected, ProgressSeenInPreview(KeyKind::Decrypt, "wrong", notice));
        EXPECT_EQ(kFailure, notice);
        // After the failed key check the panes tell the loaded file again.
        EXPECT_EQ(kEncryptedText, Pane(1));
        EXPECT_TRUE(PaneHasIcon(Bar(), 2));
        EXPECT_EQ("  File Name:  enc" + std::to_string(size) + ".txt", Pane(0));
        const std::string wronglyDecrypted = LiteralDecrypt("wrong", cipher);
        EXPECT_EQ(Shown(wronglyDecrypted.substr(0, kViewBound)) +
                      CutViewNote("8,192", size == 150000 ? "150,000" : "150,001"),
                  ViewText());
        ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    }
}

// The view shows at most its bound of a file, and then says so on a last line; the file
// itself is read, previewed and saved whole. Bytes up to the bound are shown whole, the
// trailer of an encrypted file not counted.
TEST_F(DocumentFilesUi, AFileOverTheViewsBoundShowsItsStartWithANoteAndIsSavedWhole) {
    Start();
    const std::string path = Doc("long.txt");
    const std::string plain = SampleText(1048579);
    const std::string cipher = LiteralEncrypt(kKey, plain);
    WriteAndOpen(path, plain);
    EXPECT_EQ(Shown(plain.substr(0, kViewBound)) + CutViewNote("8,192", "1,048,579"), ViewText());
    EXPECT_EQ("  File Size:  1,048,579  bytes", Pane(3));

    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    EXPECT_EQ(Shown(cipher.substr(0, kViewBound)) + CutViewNote("8,192", "1,048,579"), ViewText());
    Save(path);
    ASSERT_EQ(cipher + kTrailer, Bytes(path)) << "saved whole";

    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(path);
    EXPECT_EQ(Shown(cipher.substr(0, kViewBound)) + CutViewNote("8,192", "1,048,581"), ViewText());
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    EXPECT_EQ(Shown(plain.substr(0, kViewBound)) + CutViewNote("8,192", "1,048,581"), ViewText());
    Save(path);
    ASSERT_EQ(plain, Bytes(path)) << "saved whole";
    EXPECT_TRUE(Records().empty());
}

TEST_F(DocumentFilesUi, AFileUpToTheViewsBoundIsShownWhole) {
    Start();
    const std::string plain = SampleText(kViewBound);
    WriteAndOpen(Doc("fits.txt"), plain);
    EXPECT_EQ(Shown(plain), ViewText());
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    EXPECT_EQ(Shown(LiteralEncrypt(kKey, plain)), ViewText());
    Save(Doc("fits.txt"));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

    // The trailer is not shown, so an encrypted file two bytes over the bound fits too.
    Open(Doc("fits.txt"));
    EXPECT_EQ(Shown(LiteralEncrypt(kKey, plain)), ViewText());
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

    // One byte more is cut.
    const std::string longer = SampleText(kViewBound + 1);
    WriteAndOpen(Doc("over.txt"), longer);
    EXPECT_EQ(Shown(longer.substr(0, kViewBound)) + CutViewNote("8,192", "8,193"), ViewText());
}

TEST_F(DocumentFilesUi, AReadOnlyFileLosesItsReadOnlyAttributeAndCanBeSaved) {
    Start();
    const std::string path = Doc("readonly.txt");
    const std::string plain = "read-only text";
    ASSERT_TRUE(WriteBytes(path, plain));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    Open(path);
    EXPECT_EQ(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    Save(path);
    EXPECT_EQ(ExpectedEncryptedFile(kKey, plain), Bytes(path));
}

TEST_F(DocumentFilesUi, AQuotedPathOnTheCommandLineIsLoadedAtStartUp) {
    const std::string path = Doc("my letter.txt");
    ASSERT_TRUE(WriteBytes(path, "hello from the command line"));
    ASSERT_TRUE(program.Start("\"" + path + "\""));
    // The window answers while the file is read: the name shows once the load has ended.
    EXPECT_TRUE(WaitForPaneText(Bar(), 0, "  File Name:  my letter.txt")) << Pane(0);
    EXPECT_EQ("hello from the command line", ViewText());
    EXPECT_EQ(kNotEncryptedText, Pane(1));
    EXPECT_TRUE(Enabled(kEncrypt));
    EXPECT_FALSE(Enabled(kOpenFile));
    // The loaded file is the one the commands work on.
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, "k"));
}

TEST_F(DocumentFilesUi, AMissingFileOnTheCommandLineIsAnOpenErrorThenOpenFileShowsTheDialog) {
    ASSERT_TRUE(program.Start("\"" + Doc("missing.txt") + "\""));
    EXPECT_EQ(kOpenError, NextNotice());
    EXPECT_TRUE(Enabled(kOpenFile));
    EXPECT_FALSE(Enabled(kEncrypt));
    EXPECT_FALSE(Enabled(kDecrypt));
    EXPECT_FALSE(Enabled(kClear));
    ASSERT_TRUE(ClickControl(Main(), kOpenFile));
    HWND dialog = WaitForFileDialog(Pid(), "Open");
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(CancelDialog(dialog));
    ASSERT_TRUE(WaitForWindowGone(dialog));
}

// A folder named on the command line cannot be opened, and keeps its attributes: Explorer
// marks customised folders read-only or system.
TEST_F(DocumentFilesUi, AFolderOnTheCommandLineKeepsItsAttributes) {
    const std::string folder = Doc("Customised");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                                       FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesA(folder.c_str());
    ASSERT_NE(0u,
              before & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN))
        << "this file system keeps no attributes on folders";
    ASSERT_TRUE(program.Start("\"" + folder + "\""));
    EXPECT_EQ(kOpenError, NextNotice());
    EXPECT_EQ(before, GetFileAttributesA(folder.c_str()));
    EXPECT_TRUE(Enabled(kOpenFile));
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL); // so the folder can go
}

// A long path on the command line opens whole, never cut to another file: here the path cut
// where older copies' buffer ended (127 characters) would name an existing file.
TEST_F(DocumentFilesUi, ALongPathOnTheCommandLineOpensWholeNeverCut) {
    const std::string folder = docs.Path();
    std::string name = "f";
    while (JoinPath(folder, name).size() < 127)
        name += "f";
    const std::string cut = JoinPath(folder, name);
    const std::string whole = cut + "ghijklmnop.txt";
    ASSERT_TRUE(WriteBytes(cut, "the wrong file"));
    ASSERT_TRUE(WriteBytes(whole, "the right file"));
    ASSERT_TRUE(program.Start("\"" + whole + "\""));
    ASSERT_TRUE(WaitForPaneText(program.StatusBar(), 0, FileNameTextOfPath(whole)));
    EXPECT_EQ("the right file", ViewText());
    EXPECT_TRUE(Enabled(kEncrypt));
}

// The most memory the process has had in use so far; 0 when it cannot be told.
std::uint64_t PeakWorkingSet(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!process.valid() || !GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

// Compares a file with the expected bytes piece by piece, never holding it whole: `expected`
// fills a piece of `length` bytes at `offset`.
bool FileMatches(const std::string& path, std::uint64_t size,
                 const std::function<void(std::uint64_t, std::string&)>& expected) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER actualSize{};
    if (!file.valid() || !GetFileSizeEx(file.get(), &actualSize) ||
        static_cast<std::uint64_t>(actualSize.QuadPart) != size)
        return false;
    constexpr std::size_t kPiece = 1024 * 1024;
    std::string piece(kPiece, '\0');
    std::string want;
    for (std::uint64_t offset = 0; offset < size;) {
        const auto count = static_cast<DWORD>(std::min<std::uint64_t>(kPiece, size - offset));
        DWORD got = 0;
        if (!ReadFile(file.get(), &piece[0], count, &got, nullptr) || got != count)
            return false;
        want.assign(count, '\0');
        expected(offset, want);
        if (piece.compare(0, count, want) != 0) {
            ADD_FAILURE() << "differs in the piece at " << offset;
            return false;
        }
        offset += count;
    }
    return true;
}

// A sparse file of 4 GiB and 3 bytes: it opens at once with its whole size and the view's
// note, and its encrypted save is exact to the byte (compared piece by piece with the cipher
// as its definition reads) with the record of its whole plain text.
TEST_F(DocumentFilesUi, ASparseFileOverFourGibibytesOpensAndIsEncryptedExactly) {
    const std::uint64_t size = (std::uint64_t{1} << 32) + 3;
    const std::string path = Doc("huge.bin");
    ASSERT_TRUE(MakeSizedFile(path, static_cast<long long>(size)));
    // A few bytes that are not zero, where 32 bits would go wrong.
    const std::uint64_t marks[] = {0, 255, (std::uint64_t{1} << 32) - 1, std::uint64_t{1} << 32,
                                   size - 1};
    auto markByte = [](std::uint64_t at) { return static_cast<char>(0x41 + at % 7); };
    std::uint32_t checksum = 0;
    {
        UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid());
        for (std::uint64_t mark : marks) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(mark);
            at.OffsetHigh = static_cast<DWORD>(mark >> 32);
            const char byte = markByte(mark);
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(file.get(), &byte, 1, &written, &at) && written == 1);
            checksum += static_cast<unsigned char>(byte);
        }
    }
    std::string start(kViewBound, '\0');
    start[0] = markByte(0);
    start[255] = markByte(255);
    const std::string key = "4";

    Start();
    Open(path);
    EXPECT_EQ("  File Size:  4,294,967,299  bytes", Pane(3));
    EXPECT_EQ(Shown(start) + CutViewNote("8,192", "4,294,967,299"), ViewText());
    EXPECT_TRUE(Enabled(kEncrypt));

    EnterKey(KeyKind::Encrypt, key);
    EXPECT_EQ(kSuccessEncrypted, NextNotice(300000));
    EXPECT_EQ(Shown(LiteralEncrypt(key, start)) + CutViewNote("8,192", "4,294,967,299"),
              ViewText());
    const std::uint64_t peakBefore = PeakWorkingSet(Pid());
    ChooseInSaveDialog(path);
    ASSERT_TRUE(WaitUntil([&] { return SaveEnded(); }, 600000)) << "the save did not end";
    // The program held only pieces of the file, never the file.
    const std::uint64_t peak = PeakWorkingSet(Pid());
    std::printf("peak working set of the program: %.1f MiB after the preview, %.1f MiB after "
                "the save\n",
                peakBefore / (1024.0 * 1024.0), peak / (1024.0 * 1024.0));
    if (peak != 0) {
        EXPECT_LT(peak, std::uint64_t{64} << 20);
    }
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
    EXPECT_EQ(UpperHex8(checksum), Bytes(DataFile("0.dat")));

    // The cipher of a zero byte depends on its position modulo 256 only, so every piece of
    // zeros (they start at multiples of 256) has the same cipher; the marks and the trailer
    // are put in on top.
    const std::string zeros = LiteralEncrypt(key, std::string(1024 * 1024, '\0'));
    EXPECT_TRUE(FileMatches(path, size + 2, [&](std::uint64_t offset, std::string& piece) {
        piece.assign(zeros, 0, piece.size());
        for (std::uint64_t mark : marks)
            if (mark >= offset && mark < offset + piece.size())
                piece[mark - offset] = static_cast<char>(
                    CipherByteAt(key, static_cast<unsigned char>(markByte(mark)), mark));
        for (std::uint64_t at = size; at < size + 2; ++at)
            if (at >= offset && at < offset + piece.size())
                piece[at - offset] = kTrailer[at - size];
    }));
}

// "Save As" under a new name: the new file gets the transformed loaded file, the loaded file
// stays as it was, and the new file is the current one from then on. A decrypted copy keeps
// the record that its encrypted original still needs.
TEST_F(DocumentFilesUi, SaveAsAnotherNameLeavesTheLoadedFileAlone) {
    Start();
    const std::string plain = "the original, plain";
    WriteAndOpen(Doc("a.txt"), plain);
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    Save(Doc("b.txt"));
    EXPECT_EQ(plain, Bytes(Doc("a.txt")));
    EXPECT_EQ(ExpectedEncryptedFile(kKey, plain), Bytes(Doc("b.txt")));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
    EXPECT_EQ("  File Name:  b.txt", Pane(0));
    EXPECT_TRUE(Enabled(kDecrypt));

    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    Save(Doc("c.txt"));
    EXPECT_EQ(plain, Bytes(Doc("c.txt")));
    EXPECT_EQ(ExpectedEncryptedFile(kKey, plain), Bytes(Doc("b.txt")));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
    EXPECT_EQ("  File Name:  c.txt", Pane(0));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "c.txt"}), SortedEntries(docs.Path()));

    // The encrypted copy still opens and decrypts: its record is there.
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(Doc("b.txt"));
    EXPECT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, kKey));
    Save(Doc("b.txt"));
    EXPECT_EQ(plain, Bytes(Doc("b.txt")));
    EXPECT_TRUE(Records().empty());
}

TEST_F(DocumentFilesUi, SavingOverAnotherExistingFileAsksFirst) {
    Start();
    const std::string plain = "mine";
    ASSERT_TRUE(WriteBytes(Doc("mine.txt"), plain));
    ASSERT_TRUE(WriteBytes(Doc("other.txt"), "somebody else's file"));
    Open(Doc("mine.txt"));
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));

    ChooseInSaveDialog(Doc("other.txt"));
    HWND box = WaitForMessageBox(Pid(), "Confirm Save As", "already exists");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(Doc("other.txt") + " already exists.\nDo you want to replace it?",
              MessageBoxText(box));
    ASSERT_TRUE(AnswerMessageBox(box, IDNO));
    ASSERT_TRUE(WaitForWindowGone(box));
    ASSERT_TRUE(RespondsWithin(Main()));
    EXPECT_EQ("somebody else's file", Bytes(Doc("other.txt")));
    EXPECT_EQ(plain, Bytes(Doc("mine.txt")));
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(Enabled(kSaveAs));

    ChooseInSaveDialog(Doc("other.txt"));
    box = WaitForMessageBox(Pid(), "Confirm Save As", "already exists");
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(AnswerMessageBox(box, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return SaveEnded(); }, kSaveWaitMs));
    EXPECT_EQ(ExpectedEncryptedFile(kKey, plain), Bytes(Doc("other.txt")));
    EXPECT_EQ(plain, Bytes(Doc("mine.txt")));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());

    // The loaded file itself is saved over without a question.
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    Open(Doc("mine.txt"));
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    Save(Doc("mine.txt"));
    EXPECT_EQ(ExpectedEncryptedFile(kKey, plain), Bytes(Doc("mine.txt")));
}

// A Data\ that cannot be written (a file of that name in its place): the save fails with the
// failure notice and the file stays plain. Like every failed encrypted save it leaves only a
// new preview to save.
TEST_F(DocumentFilesUi, AStoreThatCannotBeWrittenFailsTheEncryptedSave) {
    ASSERT_TRUE(WriteBytes(program.DataFolder(), "a file in the store's place"));
    Start();
    const std::string plain = "stays plain";
    WriteAndOpen(Doc("a.txt"), plain);
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    ChooseInSaveDialog(Doc("a.txt"));
    EXPECT_EQ(kFailure, NextNotice());
    EXPECT_EQ(plain, Bytes(Doc("a.txt")));
    EXPECT_EQ("a file in the store's place", Bytes(program.DataFolder()));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_TRUE(Enabled(kEncrypt));
    EXPECT_FALSE(Enabled(kDecrypt));
    EXPECT_EQ(std::vector<std::string>{"a.txt"}, SortedEntries(docs.Path()));
}

TEST_F(DocumentFilesUi, AFileChangedSinceItsPreviewIsNotSaved) {
    Start();
    const std::string path = Doc("a.txt");
    WriteAndOpen(path, "the previewed text");
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    ASSERT_TRUE(WriteBytes(path, "changed meanwhile"));
    ChooseInSaveDialog(path);
    EXPECT_EQ(kFailure, NextNotice());
    EXPECT_EQ("changed meanwhile", Bytes(path));
    EXPECT_TRUE(Records().empty());
}

TEST_F(DocumentFilesUi, AFileThatCannotBeReplacedIsLeftAsItWas) {
    Start();
    const std::string path = Doc("a.txt");
    const std::string plain = "held by another program";
    WriteAndOpen(path, plain);
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    {
        // Another program has it open and does not share its deletion.
        const UniqueHandle held = HoldOpen(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(held.valid());
        ChooseInSaveDialog(path);
        EXPECT_EQ(kFailure, NextNotice());
    }
    EXPECT_EQ(plain, Bytes(path));
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(std::vector<std::string>{"a.txt"}, SortedEntries(docs.Path()));
    // Once it is free, a new preview of it can be saved (the failed one cannot be any more).
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, kKey));
    Save(path);
    EXPECT_EQ(ExpectedEncryptedFile(kKey, plain), Bytes(path));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

TEST_F(DocumentFilesUi, ADecryptPreviewOfAFileShrunkBelowTwoBytesFails) {
    Start();
    const std::string path = Doc("a.txt");
    MakeEncrypted(path, "soon gone", kKey);
    Open(path);
    ASSERT_TRUE(WriteBytes(path, "x"));
    EXPECT_EQ(kFailure, Transform(KeyKind::Decrypt, kKey));
    EXPECT_FALSE(Enabled(kSaveAs));
    EXPECT_EQ("x", Bytes(path));
    EXPECT_EQ(std::vector<std::string>{"0.dat"}, Records());
}

} // namespace
} // namespace vqtest
