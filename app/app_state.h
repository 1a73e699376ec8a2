// The process-wide values of Veilquill. Everything here is created at start-up and lives for
// the whole run; the user-interface thread owns all of it except the scan state, which the
// finder owns and synchronises itself.
#ifndef VEILQUILL_APP_STATE_H
#define VEILQUILL_APP_STATE_H

#include <windows.h>
#include <commdlg.h>

#include <cstdint>

#include "finder/scan_state.h"

constexpr int kFileNameBufferSize = 260;
constexpr int kNamedFilePathSize = 128;
constexpr int kStatusTextSize = 256;
constexpr int kCipherKeyBufferSize = 64;
constexpr int kRecordPathSize = 256;

// What the view shows: nothing transformed, an encrypt preview, or a decrypt preview.
enum DocumentModeValue : int {
    kModeLoaded = 0,
    kModeEncryptPreview = 1,
    kModeDecryptPreview = 2,
};

struct AppState {
    HINSTANCE instance = nullptr;

    HWND mainWindow = nullptr;
    HWND documentView = nullptr;
    HWND resultsList = nullptr;
    HWND statusBar = nullptr;
    HFONT documentFont = nullptr;
    HICON encryptedIcon = nullptr;
    HMENU resultsMenu = nullptr;

    // One record shared by the Open and both Save dialogs; its path field is fileNameBuffer.
    OPENFILENAMEA sharedOpenFileName{};
    char fileNameBuffer[kFileNameBufferSize] = {};

    // A path handed to the load by the command line or the results list.
    char namedFilePath[kNamedFilePathSize] = {};
    int openNamedFile = 0;

    // The loaded file's own path: fileNameBuffer is the dialogs' path field and follows them.
    char loadedFilePath[kFileNameBufferSize] = {};

    int documentMode = kModeLoaded;
    std::uint32_t fileSize = 0;
    char fileNameText[kStatusTextSize] = {};
    char fileSizeText[kStatusTextSize] = {};

    // The key as typed; wiped when it is no longer needed.
    char cipherKey[kCipherKeyBufferSize] = {};
    int cipherKeyLength = 0;
    int keyDialogAborted = 0;

    // The record that verified a decryption key, deleted once the decrypted file is saved.
    char recordPath[kRecordPathSize] = {};

    // What the last preview read from disk, so that its save can tell whether the file is
    // still the one previewed: size, fingerprint of the bytes as read, and the plain text's
    // checksum (the encrypt preview's, or the value of the record that verified the key).
    std::uint32_t previewFileSize = 0;
    std::uint64_t previewFingerprint = 0;
    std::uint32_t previewChecksum = 0;

    // The path of the first selected results row at the latest right-click.
    char selectedPathText[256] = {};

    // Folder scans: the chosen folder and the scan the window shows.
    ScanState scan;
};

// The one instance.
AppState& App();

#endif
