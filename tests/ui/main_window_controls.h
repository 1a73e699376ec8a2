// The main window's controls as a user meets them, by id, and the two bytes that end every
// encrypted file. Written out here rather than taken from the program's own header, so that
// a changed id there shows up as a failing test.
#ifndef VEILQUILL_MAIN_WINDOW_CONTROLS_H
#define VEILQUILL_MAIN_WINDOW_CONTROLS_H

#include <string>

namespace vqui {

constexpr int kSaveAs = 101;
constexpr int kClear = 102;
constexpr int kExit = 103;
constexpr int kOpenFile = 104;
constexpr int kEncrypt = 105;
constexpr int kDecrypt = 106;
constexpr int kAbout = 107;
constexpr int kHelp = 108;
constexpr int kFindEncrypted = 109;
constexpr int kStopFind = 110;
constexpr int kStatusBar = 220;
constexpr int kDocumentView = 3001;
constexpr int kResultsList = 3005;

inline const std::string kTrailer = "\xDE\xAD";

} // namespace vqui

#endif
