// What the program is expected to show, written out here rather than taken from its own code,
// so that a changed text shows up as a failing test.
#ifndef VEILQUILL_TESTS_EXPECTED_TEXTS_H
#define VEILQUILL_TESTS_EXPECTED_TEXTS_H

#include <cstddef>
#include <string>

namespace vqtest {

// The status bar after a load.
inline const std::string kEncryptedText = "      This file is encrypted.";
inline const std::string kNotEncryptedText = "   This file is not encrypted.";
inline std::string FileNameText(const std::string& name) {
    return "  File Name:  " + name;
}
// The name pane for a Windows path: its last component.
inline std::string FileNameTextOfPath(const std::string& path) {
    return FileNameText(path.substr(path.rfind('\\') + 1));
}

// The notifications after an encryption or decryption, and after a failed open.
inline const std::string kSuccessEncrypted = "File successfully encrypted.\nRemember to save.";
inline const std::string kSuccessDecrypted = "File successfully decrypted.\nRemember to save.";
inline const std::string kFailure = "Unable to encrypt/decrypt file.\nDo not save this file!";
inline const std::string kOpenError = "Open error!  File in use or file not found.";

// The status bar during and after a scan for encrypted files.
inline const std::string kScanning = "     Scanning for encrypted files ...";
inline const std::string kProgressPrefix = "     Scanned files:  ";
inline const std::string kScannedPrefix = "    Number of files scanned:  ";
inline std::string FoundText(std::size_t count) {
    return "  Found " + std::to_string(count) + " encrypted file(s)";
}

// The most bytes of a file the document view shows, and the last line it adds when it shows
// only that many ("8,192", "4,194,304").
constexpr std::size_t kViewBound = 8192;
inline std::string CutViewNote(const std::string& shown, const std::string& fileSize) {
    return "\r\n[The view shows the first " + shown + " of " + fileSize +
           " bytes. Encrypt, Decrypt and Save As work on the whole file.]";
}

// A pane that shows nothing: no text, or the blank " ".
inline bool IsBlankPane(const std::string& text) {
    return text.empty() || text == " ";
}

} // namespace vqtest

#endif
