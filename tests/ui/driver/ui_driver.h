// A small library for black-box tests of Veilquill: it starts copies of the program under
// Wine, finds their windows and dialogs, works them with window messages, reads what they
// show (also across the process boundary, where common controls need memory inside the
// program), and checks files on disk.
//
// Every wait polls every 25 ms and gives up after its timeout (milliseconds). Functions that
// find a window return nullptr when nothing turned up in time; functions that act return
// false when they could not act. Paths are Windows paths ("Z:\tmp\x\a.txt") unless a name
// says Unix.
#ifndef VEILQUILL_UI_DRIVER_H
#define VEILQUILL_UI_DRIVER_H

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_handles.h"
#include "platform/win32_handles.h"

namespace vqtest {

using Clock = std::chrono::steady_clock;

// Default timeouts: most things happen within a few hundred milliseconds under Wine; the first
// program start of a Wine session can take seconds.
constexpr DWORD kWaitMs = 10000;
constexpr DWORD kStartMs = 30000;
constexpr DWORD kPollMs = 25;

// Polls `condition` until it holds or the timeout passes; returns its last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// Sleeps for a while; for checks that something does NOT happen.
void Pause(DWORD ms);

// ---------------------------------------------------------------------------------------------
// The programs under test; paths, files and scratch folders are in tests/support/files.h

// The built program (VQ_PROGRAM) and a helper program built beside the tests, for example
// StandinPath("sendto_standin") (VQ_BUILD_DIR\tests\ui\sendto_standin.exe).
std::string ProgramPath();
std::string StandinPath(const std::string& name);

// ---------------------------------------------------------------------------------------------
// Memory inside another process

// A block allocated inside the process that owns `window` (VirtualAllocEx), freed on
// destruction. Messages of common controls that carry pointers are sent with Address().
class RemoteMemory {
  public:
    RemoteMemory(HWND window, std::size_t size);

    bool Valid() const { return block_.valid(); }
    void* Address(std::size_t offset = 0) const;
    LPARAM Param(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(Address(offset)); }
    bool Write(const void* data, std::size_t size, std::size_t offset = 0);
    bool Read(void* data, std::size_t size, std::size_t offset = 0) const;
    std::string ReadText(std::size_t offset, std::size_t maxChars) const; // up to the first zero

  private:
    UniqueHandle process_; // outlives the block, which is freed through it
    UniqueRemoteMemory block_;
    std::size_t size_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Windows: finding, waiting, reading

DWORD WindowProcessId(HWND window);
std::string WindowClass(HWND window);
std::string WindowText(HWND window); // WM_GETTEXT (any length)
// The window's text as the UTF-16 units it holds (WM_GETTEXT through SendMessageW, any
// length), for texts outside the code page.
std::wstring WindowTextUnits(HWND window);
bool SetWindowTextTo(HWND window, const std::string& text); // WM_SETTEXT
LONG_PTR WindowStyle(HWND window);
LONG_PTR WindowExStyle(HWND window);
RECT WindowRectOnScreen(HWND window);
RECT RectInParent(HWND child); // the child's window rectangle in its parent's client pixels
bool IsShown(HWND window);     // its own WS_VISIBLE style
bool IsEnabled(HWND window);
bool SameRect(const RECT& a, const RECT& b);
std::string RectText(const RECT& rect); // "(l,t)-(r,b)" for failure messages

// Controls of a dialog by id.
HWND Control(HWND dialog, int id);
bool IsControlEnabled(HWND dialog, int id);
bool IsControlShown(HWND dialog, int id);
RECT ControlRect(HWND dialog, int id); // in the dialog's client pixels
std::string ControlText(HWND dialog, int id);
bool SetControlText(HWND dialog, int id, const std::string& text);

// Visible top-level windows of a process, optionally of one class ("#32770"); and the
// child windows of a window in z-order (first on top), optionally of one class.
std::vector<HWND> TopWindows(DWORD pid, const char* className = nullptr);
std::vector<HWND> ChildWindows(HWND parent, const char* className = nullptr);
// The first window below `parent` (at any depth) of that class and, unless -1, that id.
HWND FindDescendant(HWND parent, const char* className, int id = -1);
// The texts of the Static children of a dialog, in z-order, empty ones left out.
std::vector<std::string> StaticTexts(HWND dialog);

// A visible top-level window of the process with that class and caption (nullptr: any).
HWND FindTopWindow(DWORD pid, const char* className, const char* caption);
HWND WaitForTopWindow(DWORD pid, const char* className, const char* caption,
                      DWORD timeoutMs = kWaitMs);
// A visible top-level window of the process for which `match` holds.
HWND WaitForTopWindowWhere(DWORD pid, const std::function<bool(HWND)>& match,
                           DWORD timeoutMs = kWaitMs);
// Until the window is destroyed or hidden.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kWaitMs);

// ---------------------------------------------------------------------------------------------
// Buttons

// A user's click: posts BM_CLICK (a modal dialog may open, so nothing waits for the command).
// Refuses, returning false, when the button is missing, hidden or disabled, or its window is
// disabled (a modal dialog owns it), as a user could not click it either.
bool Click(HWND button);
bool ClickControl(HWND dialog, int id);
// Like ClickControl, but sends the click and returns once the command has finished (false on
// timeout). Only for commands that open no modal window.
bool ClickControlAndWait(HWND dialog, int id, DWORD timeoutMs = kWaitMs);
// Presses a dialog's button the way the dialog manager reports it: WM_COMMAND with the id,
// BN_CLICKED and the button's handle, posted. Works for IDOK / IDCANCEL of system dialogs.
bool PressDialogButton(HWND dialog, int id);
// Sends a message with a timeout; true when the window's thread handled it in time (the
// thread is not stuck in a long command).
bool RespondsWithin(HWND window, DWORD timeoutMs = kWaitMs);

// ---------------------------------------------------------------------------------------------
// The status bar (msctls_statusbar32), read across the process

std::string PaneText(HWND statusBar, int pane); // SB_GETTEXTA
bool PaneHasIcon(HWND statusBar, int pane);     // SB_GETICON returns an icon
std::vector<int> PartEdges(HWND statusBar);     // SB_GETPARTS right edges
// Until the pane shows exactly `text`; returns false on timeout.
bool WaitForPaneText(HWND statusBar, int pane, const std::string& text, DWORD timeoutMs = kWaitMs);

// ---------------------------------------------------------------------------------------------
// The list view (SysListView32), read and driven across the process

int ListRowCount(HWND list);
std::string ListItemText(HWND list, int row, int column = 0);
std::vector<std::string> ListColumnTexts(HWND list, int column = 0); // every row
// Selects (or unselects) one row, or every row with row -1 (LVM_SETITEMSTATE).
bool SelectListRow(HWND list, int row, bool selected = true);
std::vector<int> SelectedListRows(HWND list);
int ListColumnCount(HWND list);
std::string ListColumnHeading(HWND list, int column);
int ListColumnWidth(HWND list, int column);
DWORD ListExtendedStyle(HWND list);
COLORREF ListTextColor(HWND list);
COLORREF ListTextBackColor(HWND list);
COLORREF ListBackColor(HWND list);

// ---------------------------------------------------------------------------------------------
// System dialogs

// The Open and Save As dialogs (captions "Open" and "Save As").
HWND WaitForFileDialog(DWORD pid, const char* caption, DWORD timeoutMs = kWaitMs);
// Types the path into the file name field and presses OK.
bool ChooseFileInDialog(HWND fileDialog, const std::string& path);
// Only types it, for a caller that presses OK itself (PressDialogButton with IDOK).
bool TypeInFileDialog(HWND fileDialog, const std::string& path);
bool CancelDialog(HWND dialog); // IDCANCEL

// A message box of the process (for example the Open dialog's "File does not exist") with
// that caption (nullptr: any) whose text contains `textPart` (may be empty).
HWND WaitForMessageBox(DWORD pid, const char* caption, const std::string& textPart,
                       DWORD timeoutMs = kWaitMs);
std::string MessageBoxText(HWND box);    // its Static texts joined by "\n"
bool AnswerMessageBox(HWND box, int id); // IDYES, IDNO, IDOK, IDCANCEL

// Browse for Folder: chooses `folder` (for example "Z:\tmp\x") by walking the dialog's tree
// across the process ("Desktop" > "My Computer" > " (Z:)" > each component), selects it and
// presses OK. False when a component could not be found.
HWND WaitForBrowseDialog(DWORD pid, DWORD timeoutMs = kWaitMs);
bool SelectFolderInBrowser(HWND browseDialog, const std::string& folder); // no OK
bool ChooseFolderInBrowser(HWND browseDialog, const std::string& folder); // then OK
// The labels below an item of a SysTreeView32 (TVI_ROOT for the top level).
std::vector<std::string> TreeChildLabels(HWND tree, HTREEITEM parent);

// ---------------------------------------------------------------------------------------------
// Veilquill's own dialogs

enum class KeyKind { Encrypt, Decrypt };
// The key dialog ("Encryption Key" / "Decryption Key").
HWND WaitForKeyDialog(DWORD pid, KeyKind kind, DWORD timeoutMs = kWaitMs);
// Types into the key field (107 or 108, whichever the dialog has) and presses its buttons.
bool TypeKey(HWND keyDialog, const std::string& key);
// Types the key (UTF-8) as a keyboard does: each UTF-16 unit posted to the key box as WM_CHAR;
// true once the box holds them all.
bool TypeKeyCharacters(HWND keyDialog, const std::string& key);
// The key box's text in UTF-8, read as Unicode.
std::string KeyFieldUnicodeText(HWND keyDialog);
std::string KeyFieldText(HWND keyDialog);
// Ticks "Use strong encryption" in the encryption key dialog; true once the box shows it.
bool TickStrongEncryption(HWND keyDialog);
bool PressKeyContinue(HWND keyDialog);
bool PressKeyClear(HWND keyDialog);
bool PressKeyCancel(HWND keyDialog);

// A notification: a #32770 of the process with an empty caption and no owner.
struct Notification {
    HWND window = nullptr;
    std::vector<std::string> texts;  // its static texts in z-order, pictures left out
    Clock::time_point appeared{};    // when the driver first saw it
    Clock::time_point disappeared{}; // set by WaitForNotificationGone
    std::string JoinedText() const;  // texts joined by "\n"
    // How long it was on screen, in milliseconds (valid after WaitForNotificationGone).
    long long ShownMs() const;
};
std::optional<Notification> WaitForNotification(DWORD pid, DWORD timeoutMs = kWaitMs);
bool WaitForNotificationGone(Notification& notification, DWORD timeoutMs = kWaitMs);
bool IsNotification(HWND window);
// The texts of a notification, pictures left out, joined by "\n".
std::string NoticeText(HWND notice);

// The About box: its caption begins "About Veilquill".
HWND WaitForAboutBox(DWORD pid, DWORD timeoutMs = kWaitMs);

// ---------------------------------------------------------------------------------------------
// Drag and drop

// Drops files or folders on a window as Explorer does: a DROPFILES block with the paths (ANSI,
// each ended by a zero, the list by one more) placed inside the program, its address posted
// as WM_DROPFILES. The program reads the block when it gets to the message and finishes the
// drop itself; keep the returned block until then (invalid when it could not be placed).
RemoteMemory PostDrop(HWND window, const std::vector<std::string>& paths);

// ---------------------------------------------------------------------------------------------
// Texts outside the code page: the same readings and actions in UTF-16, every text given and
// returned in UTF-8. The program's controls are Unicode, so these see what a user sees.

std::string PaneTextWide(HWND statusBar, int pane); // SB_GETTEXTW
bool WaitForPaneTextWide(HWND statusBar, int pane, const std::string& text,
                         DWORD timeoutMs = kWaitMs);
std::string ListItemTextWide(HWND list, int row);        // LVM_GETITEMTEXTW, column 0, any length
std::vector<std::string> ListColumnTextsWide(HWND list); // every row's column 0
std::string WindowTextWide(HWND window);                 // WM_GETTEXT through SendMessageW
bool SetWindowTextWide(HWND window, const std::string& text); // WM_SETTEXT through SendMessageW
// The Open and Save As dialogs' file name field, typed in UTF-16, then OK.
bool ChooseFileInDialogWide(HWND fileDialog, const std::string& path);
// A drop as Explorer makes it today: the DROPFILES block with fWide set and UTF-16 names.
RemoteMemory PostWideDrop(HWND window, const std::vector<std::string>& paths);

// ---------------------------------------------------------------------------------------------
// Pop-up menus

// Posts WM_CONTEXTMENU to the window (as a right-click on it would), with `from` as the
// window clicked (nullptr: the window itself) and the screen point.
bool PostContextMenu(HWND window, HWND from = nullptr, POINT screen = POINT{100, 100});
// A visible pop-up menu window (class "#32768") of the process. Its items cannot be read
// from another process under Wine (the menu handle that MN_GETHMENU gives is not valid
// outside the program); a test learns what an item does by choosing it.
HWND WaitForPopupMenu(DWORD pid, DWORD timeoutMs = kWaitMs);
bool IsPopupMenuOpen(DWORD pid);
// Chooses the item at `index` of an open pop-up menu with the keyboard (Down, Enter), or
// closes the menu (Escape).
bool ChoosePopupMenuItem(HWND menuWindow, int index);
bool DismissPopupMenu(HWND menuWindow);

// ---------------------------------------------------------------------------------------------
// Screenshots

// 24-bit pixels of the screen, rows top to bottom, each pixel blue, green, red.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;
    COLORREF Pixel(int x, int y) const;
    bool Empty() const { return width == 0 || height == 0; }
};
// The whole screen, or only `area` (screen pixels) when given.
Image CaptureScreen(const RECT* area = nullptr);
bool SaveBmp(const Image& image, const std::string& path);
// The folder for screenshots: the subfolder x86 or x64, for the driver's own build, of
// VQ_SCREENSHOT_DIR (a Unix or Windows path) when set, else of the Windows temp folder; created
// when missing.
std::string ScreenshotFolder();
// Captures the screen (or just `window` with its frame) into ScreenshotFolder()\name.bmp and
// returns the file's path, empty on failure.
std::string SaveScreenshot(const std::string& name, HWND window = nullptr);

// ---------------------------------------------------------------------------------------------
// Processes

// A program started by a test (a stand-in, say), terminated if still running when the object
// goes.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess() { Terminate(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Runs `exePath` with exactly this command line in `currentFolder` (empty: the driver's).
    // All three are UTF-8 and handed over in UTF-16, so any name reaches the program whole.
    bool Start(const std::string& exePath, const std::string& commandLine,
               const std::string& currentFolder = std::string());
    bool Started() const { return process_.valid(); }
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_.get(); }
    bool IsRunning() const;
    bool WaitForExit(DWORD timeoutMs = kWaitMs);
    std::optional<DWORD> ExitCode() const; // empty while running or before Start
    void Terminate();

  private:
    UniqueHandle process_;
    DWORD pid_ = 0;
};

// A command line for CreateProcess: the program path quoted, then the arguments.
std::string QuotedCommandLine(const std::string& exePath, const std::string& arguments);

// ---------------------------------------------------------------------------------------------
// The program under test

// A copy of Veilquill.exe in a fresh folder of its own, so its Data\ folder belongs to one
// test. The layout is  <root>\Veilquill\Veilquill.exe ; <root> holds nothing else unless a
// test puts something there (Help\Veilquill.chm lies one level above the program's folder).
// The process starts with <root> as its current folder, not the program's, so nothing may
// depend on the current folder. On destruction a still running process is terminated and the
// whole root folder removed.
class ProgramUnderTest {
  public:
    ProgramUnderTest(); // makes the folder and copies the program; does not start it
    // The same with the program's folder named `folderName` (UTF-8, any name, also a path of
    // several folders below the root) instead of "Veilquill".
    explicit ProgramUnderTest(const std::string& folderName);
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    const std::string& Root() const { return root_.Path(); }
    const std::string& Folder() const { return folder_; } // the program's folder
    std::string ExePath() const { return JoinPath(folder_, "Veilquill.exe"); }
    std::string DataFolder() const { return JoinPath(folder_, "Data"); }
    std::string InFolder(const std::string& name) const { return JoinPath(folder_, name); }

    // Before Start: puts a copy of a file (for example StandinPath("sendto_standin")) into the
    // program's folder under `name` ("SendTo.exe").
    bool PlaceBeside(const std::string& source, const std::string& name);

    // Starts the program with the command line  "<exe path>" <tail>  (the path quoted, as the
    // shell does; no tail: just the quoted path) and waits for the main window. False when it
    // did not start or no main window came.
    bool Start(const std::string& commandTail = std::string(), DWORD timeoutMs = kStartMs);
    // Starts it with exactly this command line, and waits for the main window.
    bool StartWithCommandLine(const std::string& commandLine, DWORD timeoutMs = kStartMs);

    DWORD Pid() const { return process_.Pid(); }
    HANDLE Process() const { return process_.Handle(); }
    // The main window: class "DLGCLASS", caption "Veilquill", owned by this process.
    HWND MainWindow() const { return mainWindow_; }
    HWND MainControl(int id) const { return Control(mainWindow_, id); }
    HWND StatusBar() const;    // id 220
    HWND DocumentView() const; // id 3001
    HWND ResultsList() const;  // id 3005

    bool IsRunning() const { return process_.IsRunning(); }
    bool WaitForExit(DWORD timeoutMs = kWaitMs) { return process_.WaitForExit(timeoutMs); }
    std::optional<DWORD> ExitCode() const { return process_.ExitCode(); }
    void Terminate() { process_.Terminate(); }

  private:
    bool WaitForMainWindow(DWORD timeoutMs);

    ScratchFolder root_; // destroyed last: the process has ended by then
    std::string folder_;
    ChildProcess process_;
    HWND mainWindow_ = nullptr;
};

} // namespace vqtest

#endif
