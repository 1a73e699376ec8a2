// The encrypted-file finder seen from outside: the real browse dialog, the scan's progress and
// summary, the results list and its "Open" menu, on folder trees made for each case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/finder_support.h"
#include "driver/ui_driver.h"
#include "tests/support/control_ids.h"
#include "tests/support/expected_texts.h"
#include "tests/support/literal_cipher.h"

namespace vqtest {
namespace {

const std::string kBrowseTitle = "To view sub-folders, click a plus sign.";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class FinderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(program.Start()); }

    HWND Main() const { return program.MainWindow(); }
    HWND List() const { return program.ResultsList(); }
    std::string Pane(int pane) const { return PaneText(program.StatusBar(), pane); }
    std::string In(const std::string& relative) const { return tree.File(relative); }

    void MakeFile(const std::string& relative, const std::string& bytes) const {
        ASSERT_TRUE(WriteBytes(In(relative), bytes)) << relative;
    }
    void MakeFolder(const std::string& relative) const {
        ASSERT_TRUE(MakeFolders(In(relative))) << relative;
    }
    // The tree of the worked example: a plain file, and an encrypted one in a sub-folder.
    void MakeWorkedExample() const {
        MakeFile("plain.txt", "plain text");
        MakeFolder("sub");
        MakeFile("sub\\enc.txt", "cipher" + kTrailer);
    }

    // Clicks "Find Encrypted" and waits for the browse dialog.
    HWND OpenBrowse() const {
        EXPECT_TRUE(ClickControl(Main(), kFindEncrypted));
        return WaitForBrowseDialog(program.Pid());
    }
    // Picks `folder` in the browse dialog; the scan then starts.
    void StartScan(const std::string& folder) const {
        HWND browse = OpenBrowse();
        ASSERT_NE(nullptr, browse);
        ASSERT_TRUE(ChooseFolderInBrowser(browse, folder)) << folder;
        ASSERT_TRUE(WaitForWindowGone(browse));
    }
    bool WaitForSummary(DWORD timeoutMs = 60000) const {
        return WaitUntil(
            [&] {
                return IsControlShown(Main(), kFindEncrypted) &&
                       StartsWith(Pane(0), kScannedPrefix);
            },
            timeoutMs);
    }
    void ScanToTheEnd(const std::string& folder) const {
        ASSERT_NO_FATAL_FAILURE(StartScan(folder));
        ASSERT_TRUE(WaitForSummary()) << "pane 0: '" << Pane(0) << "'";
    }
    void ExpectSummary(std::size_t scanned, std::size_t found) const {
        EXPECT_EQ(kScannedPrefix + std::to_string(scanned), Pane(0));
        EXPECT_EQ(FoundText(found), Pane(1));
        EXPECT_EQ(found > 0, PaneHasIcon(program.StatusBar(), 2));
        EXPECT_TRUE(IsBlankPane(Pane(3))) << Pane(3);
    }
    void ExpectFindShownAndStopHidden() const {
        EXPECT_TRUE(IsControlShown(Main(), kFindEncrypted));
        EXPECT_FALSE(IsControlShown(Main(), kStopFind));
    }

    // The right-click menu on the main window, and its "Open".
    HWND OpenMenu() const {
        EXPECT_TRUE(PostContextMenu(Main()));
        return WaitForPopupMenu(program.Pid());
    }
    void OpenFromMenu() const {
        HWND menu = OpenMenu();
        ASSERT_NE(nullptr, menu);
        ASSERT_TRUE(ChoosePopupMenuItem(menu, 0));
        ASSERT_TRUE(WaitForWindowGone(menu));
    }

    ProgramUnderTest program;
    ScratchFolder tree{"finder"};
};

TEST_F(FinderTest, CancelledBrowseLeavesAnEmptyListAndStartsNoScan) {
    MakeWorkedExample();
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ASSERT_EQ(1, ListRowCount(List()));

    HWND browse = OpenBrowse();
    ASSERT_NE(nullptr, browse);
    const std::vector<std::string> texts = StaticTexts(browse);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), kBrowseTitle));
    EXPECT_NE(nullptr, FindDescendant(browse, "Edit")) << "an edit box takes a typed name";
    // While the dialog is up: the emptied list in the view's place and four clear panes.
    EXPECT_TRUE(IsControlShown(Main(), kResultsList));
    EXPECT_FALSE(IsControlShown(Main(), kDocumentView));
    EXPECT_EQ(0, ListRowCount(List()));
    for (int pane : {0, 1, 3})
        EXPECT_TRUE(IsBlankPane(Pane(pane))) << pane << ": " << Pane(pane);
    EXPECT_FALSE(PaneHasIcon(program.StatusBar(), 2));

    ASSERT_TRUE(CancelDialog(browse));
    ASSERT_TRUE(WaitForWindowGone(browse));
    Pause(500);
    EXPECT_TRUE(IsControlShown(Main(), kResultsList));
    EXPECT_EQ(0, ListRowCount(List()));
    ExpectFindShownAndStopHidden();
    EXPECT_TRUE(IsControlEnabled(Main(), kOpenFile));
    for (int id : {kSaveAs, kClear, kEncrypt, kDecrypt})
        EXPECT_FALSE(IsControlEnabled(Main(), id)) << "button " << id;
    for (int pane : {0, 1, 3})
        EXPECT_TRUE(IsBlankPane(Pane(pane))) << pane << ": " << Pane(pane);
}

TEST_F(FinderTest, EmptyFolderGivesASummaryOfNothing) {
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ExpectSummary(0, 0);
    EXPECT_EQ(0, ListRowCount(List()));
    ExpectFindShownAndStopHidden();
    EXPECT_TRUE(IsControlEnabled(Main(), kClear));
    for (int id : {kSaveAs, kEncrypt, kDecrypt})
        EXPECT_FALSE(IsControlEnabled(Main(), id)) << "button " << id;
}

TEST_F(FinderTest, WorkedExampleCountsEveryEntryAndListsTheFullPath) {
    MakeWorkedExample();
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ExpectSummary(3, 1);
    EXPECT_EQ(std::vector<std::string>{In("sub\\enc.txt")}, ListColumnTexts(List()));

    // The list's one column, colours and styles.
    EXPECT_EQ(1, ListColumnCount(List()));
    EXPECT_EQ("Path\\Filename", ListColumnHeading(List(), 0));
    RECT client{};
    GetClientRect(List(), &client);
    EXPECT_EQ(client.right - GetSystemMetrics(SM_CXVSCROLL), ListColumnWidth(List(), 0));
    EXPECT_EQ(RGB(201, 3, 3), ListTextColor(List()));
    EXPECT_EQ(RGB(255, 255, 255), ListBackColor(List()));
    EXPECT_EQ(RGB(255, 255, 255), ListTextBackColor(List()));
    EXPECT_EQ(0x4841u, ListExtendedStyle(List()));
}

TEST_F(FinderTest, PassesOverDotNamesAndListsOnlyFilesEndingInTheTrailer) {
    MakeFile(".hidden.bin", kTrailer);
    MakeFolder(".dir");
    MakeFile(".dir\\inner.bin", kTrailer);
    MakeFile("two.bin", kTrailer);
    MakeFile("one.bin", "\xAD");
    MakeFile("empty.bin", "");
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ExpectSummary(3, 1);
    EXPECT_EQ(std::vector<std::string>{In("two.bin")}, ListColumnTexts(List()));
}

TEST_F(FinderTest, FindsAReadOnlyEncryptedFileAndLeavesItReadOnly) {
    const std::string bytes = "sealed" + kTrailer;
    MakeFile("sealed.bin", bytes);
    ASSERT_TRUE(SetFileAttributesA(In("sealed.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ExpectSummary(1, 1);
    EXPECT_EQ(std::vector<std::string>{In("sealed.bin")}, ListColumnTexts(List()));
    const DWORD attributes = GetFileAttributesA(In("sealed.bin").c_str());
    EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(bytes, ReadBytes(In("sealed.bin")).value_or(""));
    SetFileAttributesA(In("sealed.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FinderTest, ALinkBackToTheChosenFolderDoesNotMakeTheScanGoRound) {
    MakeFolder("a");
    MakeFile("a\\enc.bin", kTrailer);
    ASSERT_TRUE(MakeFolderLink(In("a\\loop"), tree.Path()));
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ExpectSummary(3, 1); // a, enc.bin and the link itself
    EXPECT_EQ(std::vector<std::string>{In("a\\enc.bin")}, ListColumnTexts(List()));
    EXPECT_TRUE(RemoveFolderLink(In("a\\loop")));
}

// The encrypted files below `folder` (named "enc..." by the tests) in the order of a depth-first
// walk that takes each folder's entries as the file system delivers them.
void CollectEncryptedInWalkOrder(const std::string& folder, std::vector<std::string>& paths) {
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (!search.valid())
        return;
    do {
        const std::string name = entry.cFileName;
        if (name[0] == '.')
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectEncryptedInWalkOrder(folder + "\\" + name, paths);
        else if (StartsWith(name, "enc"))
            paths.push_back(folder + "\\" + name);
    } while (FindNextFileA(search.get(), &entry));
}

// Pixels of the rows' dark red text inside the list as the screen shows it.
int RowTextPixels(HWND list) {
    const RECT area = WindowRectOnScreen(list);
    const Image image = CaptureScreen(&area);
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const COLORREF pixel = image.Pixel(x, y);
            if (GetRValue(pixel) > 150 && GetGValue(pixel) < 90 && GetBValue(pixel) < 90)
                ++count;
        }
    return count;
}

TEST_F(FinderTest, RowsFoundTogetherAreListedInTheOrderFoundAndDrawn) {
    // More files than the list shows at once, found together between two updates of the
    // window, at several depths.
    for (const char* folder : {"a", "a\\b", "c"})
        MakeFolder(folder);
    for (int i = 0; i < 12; ++i) {
        const std::string n = std::to_string(i);
        MakeFile("enc" + n + ".bin", kTrailer);
        MakeFile("a\\enc" + n + ".bin", kTrailer);
        MakeFile("a\\b\\enc" + n + ".bin", kTrailer);
        MakeFile("c\\plain" + n + ".txt", "plain");
    }
    std::vector<std::string> expected;
    CollectEncryptedInWalkOrder(tree.Path(), expected);
    ASSERT_EQ(36u, expected.size());

    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ExpectSummary(3 + 48, 36);
    EXPECT_EQ(expected, ListColumnTexts(List()));
    // The list draws again after taking the rows in: they are on the screen, not only in it.
    EXPECT_TRUE(IsControlShown(Main(), kResultsList));
    EXPECT_TRUE(WaitUntil([&] { return RowTextPixels(List()) > 100; }))
        << RowTextPixels(List()) << " pixels of row text";
    SaveScreenshot("finder_rows", Main());
}

// ---------------------------------------------------------------------------------------------
// Right-click and "Open"

TEST_F(FinderTest, RightClickWithNoRowSelectedShowsNoMenuAndRemovesTheFocusMark) {
    MakeWorkedExample();
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ASSERT_TRUE(SetListRowState(List(), 0, LVIS_FOCUSED, LVIS_FOCUSED | LVIS_SELECTED));
    ASSERT_EQ(static_cast<UINT>(LVIS_FOCUSED), ListRowState(List(), 0, LVIS_FOCUSED));

    ASSERT_TRUE(PostContextMenu(Main()));
    Pause(700);
    EXPECT_FALSE(IsPopupMenuOpen(program.Pid()));
    EXPECT_EQ(0u, ListRowState(List(), 0, LVIS_FOCUSED));
    EXPECT_TRUE(IsControlShown(Main(), kResultsList));
    ExpectSummary(3, 1);
}

TEST_F(FinderTest, OpenLoadsTheTopmostSelectedRowsFile) {
    MakeWorkedExample();
    MakeFile("other.txt", "more" + kTrailer);
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ExpectSummary(4, 2);
    const std::vector<std::string> rows = ListColumnTexts(List());
    ASSERT_EQ(2u, rows.size());
    SaveScreenshot("finder_results", Main());

    // A dismissed menu changes nothing.
    ASSERT_TRUE(SelectListRow(List(), 1));
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(DismissPopupMenu(menu));
    ASSERT_TRUE(WaitForWindowGone(menu));
    Pause(300);
    EXPECT_TRUE(IsControlShown(Main(), kResultsList));
    ExpectSummary(4, 2);

    ASSERT_TRUE(SelectListRow(List(), 0));
    ASSERT_NO_FATAL_FAILURE(OpenFromMenu());
    const std::string name = rows[0].substr(rows[0].rfind('\\') + 1);
    ASSERT_TRUE(WaitForPaneText(program.StatusBar(), 0, FileNameText(name)));
    EXPECT_TRUE(IsControlShown(Main(), kDocumentView));
    EXPECT_FALSE(IsControlShown(Main(), kResultsList));
    EXPECT_EQ("      This file is encrypted.", Pane(1));
    EXPECT_TRUE(IsControlEnabled(Main(), kDecrypt));
    EXPECT_EQ(name == "enc.txt" ? "cipher" : "more", ControlText(Main(), kDocumentView));
    EXPECT_EQ(2, ListRowCount(List())) << "the rows stay in the hidden list";
}

TEST_F(FinderTest, OpenOnAFileDeletedSinceTheScanShowsTheOpenError) {
    MakeWorkedExample();
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ASSERT_TRUE(DeleteFileA(In("sub\\enc.txt").c_str()));
    ASSERT_TRUE(SelectListRow(List(), 0));
    ASSERT_NO_FATAL_FAILURE(OpenFromMenu());
    std::optional<Notification> notice = WaitForNotification(program.Pid());
    ASSERT_TRUE(notice.has_value());
    EXPECT_NE(std::string::npos, notice->JoinedText().find("Open error!")) << notice->JoinedText();
    EXPECT_TRUE(IsControlShown(Main(), kDocumentView));
    EXPECT_EQ("", ControlText(Main(), kDocumentView));
    EXPECT_TRUE(WaitForNotificationGone(*notice));
}

// A long path opens whole from the list, never cut to another file: the path cut where older
// copies' buffer ended (127 characters) would name a decoy.
TEST_F(FinderTest, OpenOnALongPathOpensItWholeNeverCut) {
    const std::string folder(60, 'f');
    const std::string name = std::string(60, 'n') + ".txt";
    MakeFolder(folder);
    MakeFile(folder + "\\" + name, "long" + kTrailer);
    // A cut path would name this file.
    MakeFile(folder + "\\" + name.substr(0, 127 - (In(folder).size() + 1)), "decoy");
    ASSERT_GT(In(folder + "\\" + name).size(), 127u);
    ASSERT_NO_FATAL_FAILURE(ScanToTheEnd(tree.Path()));
    ASSERT_EQ(std::vector<std::string>{In(folder + "\\" + name)}, ListColumnTexts(List()));

    ASSERT_TRUE(SelectListRow(List(), 0));
    ASSERT_NO_FATAL_FAILURE(OpenFromMenu());
    ASSERT_TRUE(WaitForPaneText(program.StatusBar(), 0, FileNameTextOfPath(name)));
    EXPECT_EQ("long", ControlText(Main(), kDocumentView).substr(0, 4));
    EXPECT_TRUE(IsControlShown(Main(), kDocumentView));
}

// ---------------------------------------------------------------------------------------------
// A big tree, so that a scan is still running when the test acts: 240 folders of 250 plain
// files and one encrypted file each. Its scan takes about 15 s alone under Wine; with a third
// of that (80 folders) a scan ran to its end before the test acted when six test programs
// shared the two processors.

constexpr int kBigFolders = 240;
constexpr int kBigFilesPerFolder = 250;
constexpr int kBigEntries = kBigFolders * (kBigFilesPerFolder + 2);

class BigTreeTest : public FinderTest {
  protected:
    static void SetUpTestSuite() {
        bigTree = new ScratchFolder("bigtree");
        const std::string unix = WindowsToUnixPath(bigTree->Path());
        const std::string script =
            "cd '" + unix + "' && mkdir tree && cd tree && for d in $(seq 1 " +
            std::to_string(kBigFolders) + "); do mkdir d$d && cd d$d && touch $(seq 1 " +
            std::to_string(kBigFilesPerFolder) +
            ") && printf '\\336\\255' > enc$d && cd ..; done && touch ../done";
        if (!RunUnixScript(script, bigTree->File("done")))
            ADD_FAILURE() << "the big tree was not made";
    }
    static void TearDownTestSuite() {
        // Far faster than removing 60,000 files one Windows call at a time.
        const std::string unix = WindowsToUnixPath(bigTree->Path());
        RunUnixScript("rm -rf '" + unix + "/tree' && touch '" + unix + "/removed'",
                      bigTree->File("removed"));
        delete bigTree;
        bigTree = nullptr;
    }
    static std::string BigTree() { return bigTree->File("tree"); }

    // Starts a scan of the big tree and waits until it has listed some rows; the scan is still
    // running then.
    void StartBigScan(int rows) const {
        ASSERT_NO_FATAL_FAILURE(StartScan(BigTree()));
        ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) >= rows; }, 60000));
        ASSERT_TRUE(IsControlShown(Main(), kStopFind)) << "the scan ended too soon: " << Pane(0);
    }

    static ScratchFolder* bigTree;
};

ScratchFolder* BigTreeTest::bigTree = nullptr;

TEST_F(BigTreeTest, StopFindShowsTheSummaryAtOnceAndNothingLandsAfterIt) {
    ASSERT_NO_FATAL_FAILURE(StartBigScan(2));
    // The scan is under way.
    EXPECT_EQ(kScanning, Pane(0));
    EXPECT_TRUE(StartsWith(Pane(1), kProgressPrefix)) << Pane(1);
    EXPECT_FALSE(IsBlankPane(Pane(3)));
    EXPECT_EQ(std::string::npos, Pane(3).find('\\')) << "the bare entry name: " << Pane(3);
    EXPECT_TRUE(IsControlShown(Main(), kStopFind));
    EXPECT_FALSE(IsControlShown(Main(), kFindEncrypted));
    SaveScreenshot("finder_scanning", Main());

    ASSERT_TRUE(ClickControlAndWait(Main(), kStopFind));
    const int rows = ListRowCount(List());
    const std::string scanned = Pane(0);
    const std::string found = Pane(1);
    ExpectFindShownAndStopHidden();
    ASSERT_TRUE(StartsWith(scanned, kScannedPrefix)) << scanned;
    const int count = std::stoi(scanned.substr(kScannedPrefix.size()));
    EXPECT_GT(count, 0);
    EXPECT_LT(count, kBigEntries) << "stopped before the end";
    EXPECT_EQ(FoundText(static_cast<std::size_t>(rows)), found);
    EXPECT_TRUE(PaneHasIcon(program.StatusBar(), 2));
    EXPECT_TRUE(IsBlankPane(Pane(3))) << Pane(3);

    Pause(1500);
    EXPECT_EQ(rows, ListRowCount(List()));
    EXPECT_EQ(scanned, Pane(0));
    EXPECT_EQ(found, Pane(1));
    EXPECT_TRUE(IsBlankPane(Pane(3))) << Pane(3);
    for (const std::string& row : ListColumnTexts(List()))
        EXPECT_TRUE(StartsWith(row.substr(row.rfind('\\') + 1), "enc")) << row;
}

TEST_F(BigTreeTest, ANewScanAfterClearStopsTheEarlierOneFirst) {
    ASSERT_NO_FATAL_FAILURE(StartBigScan(1));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    EXPECT_EQ(0, ListRowCount(List()));
    ExpectFindShownAndStopHidden();
    // "Clear" leaves the scan running: its progress goes on.
    EXPECT_TRUE(WaitUntil([&] { return StartsWith(Pane(1), kProgressPrefix); }));

    HWND browse = OpenBrowse();
    ASSERT_NE(nullptr, browse);
    Pause(700);
    EXPECT_EQ(0, ListRowCount(List())) << "the earlier scan lists nothing any more";
    for (int pane : {0, 1, 3})
        EXPECT_TRUE(IsBlankPane(Pane(pane))) << pane << ": " << Pane(pane);

    MakeWorkedExample();
    ASSERT_TRUE(ChooseFolderInBrowser(browse, tree.Path()));
    ASSERT_TRUE(WaitForSummary());
    ExpectSummary(3, 1);
    EXPECT_EQ(std::vector<std::string>{In("sub\\enc.txt")}, ListColumnTexts(List()));
    Pause(1000);
    ExpectSummary(3, 1);
    EXPECT_EQ(1, ListRowCount(List()));
}

} // namespace
} // namespace vqtest
