// Every text the status bar shows, with its own leading and trailing spaces.
#ifndef VEILQUILL_STATUS_TEXTS_H
#define VEILQUILL_STATUS_TEXTS_H

// Pane indexes.
constexpr int kPaneName = 0;     // file name, progress text or scan summary
constexpr int kPaneState = 1;    // encrypted state, scan counters and result
constexpr int kPaneIcon = 2;     // the encrypted icon or nothing
constexpr int kPaneSize = 3;     // file size, or the entry being tested during a scan

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

#endif
