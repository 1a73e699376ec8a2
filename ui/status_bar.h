// The four-pane status bar at the bottom of the main window, and every text it shows, with
// its own leading and trailing spaces.
#ifndef VEILQUILL_STATUS_BAR_H
#define VEILQUILL_STATUS_BAR_H

#include <windows.h>

#include "ui/window_parts.h"

// Pane indexes.
constexpr int kPaneName = 0;  // file name, progress text or scan summary
constexpr int kPaneState = 1; // encrypted state, scan counters and result
constexpr int kPaneIcon = 2;  // the encrypted icon or nothing
constexpr int kPaneSize = 3;  // file size, or the entry being tested during a scan

// A pane is cleared with a single space, never with an empty text.
constexpr const char kBlankPaneText[] = " ";

constexpr const char kFileNamePrefix[] = "  File Name:  ";
constexpr const char kFileSizePrefix[] = "  File Size:  ";
constexpr const char kFileSizeSuffix[] = "  bytes";
constexpr const char kStateEncrypted[] = "      This file is encrypted.";
constexpr const char kStateNotEncrypted[] = "   This file is not encrypted.";
constexpr const char kProgressReading[] = "    Reading file...";
constexpr const char kProgressEncrypting[] = "    Encrypting file...";
constexpr const char kProgressDecrypting[] = "    Decrypting file...";
constexpr const char kScanStarted[] = "     Scanning for encrypted files ...";
constexpr const char kScanProgressPrefix[] = "     Scanned files:  ";
constexpr const char kScanSummaryScannedPrefix[] = "    Number of files scanned:  ";
constexpr const char kScanSummaryFoundPrefix[] = "  Found ";
constexpr const char kScanSummaryFoundSuffix[] = " encrypted file(s)";

// Files above this many bytes get a progress text before the work starts.
constexpr unsigned long kProgressTextThreshold = 150000;

// Creates the status bar as a child of the main window with its four parts.
HWND CreateStatusBar(HWND mainWindow, HINSTANCE instance);

// Puts a text into a pane of `bar`. Safe from any thread: the change is carried out on the
// user-interface thread.
void SetPaneText(HWND bar, int pane, const char* text);

// Shows `icon` in pane 2, or removes the icon there when it is null.
void SetPaneIcon(HWND bar, HICON icon);

// Shows the main window's encrypted icon in pane 2, or removes it.
void ShowEncryptedIcon(const WindowParts& window, bool shown);

// Panes 0, 1 and 3 get the blank text; pane 2 loses its icon.
void ClearAllPanes(HWND bar);

#endif
