// The main window's controls as a user meets them, by the ids the program's resources give
// them, under short names for the tests.
#ifndef VEILQUILL_TESTS_CONTROL_IDS_H
#define VEILQUILL_TESTS_CONTROL_IDS_H

#include "resources/resource_ids.h"

namespace vqtest {

constexpr int kSaveAs = IDC_BTN_SAVE_AS;
constexpr int kClear = IDC_BTN_CLEAR;
constexpr int kExit = IDC_BTN_EXIT;
constexpr int kOpenFile = IDC_BTN_OPEN_FILE;
constexpr int kEncrypt = IDC_BTN_ENCRYPT;
constexpr int kDecrypt = IDC_BTN_DECRYPT;
constexpr int kAbout = IDC_BTN_ABOUT;
constexpr int kHelp = IDC_BTN_HELP;
constexpr int kFindEncrypted = IDC_BTN_FIND_ENCRYPTED;
constexpr int kStopFind = IDC_BTN_STOP_FIND;
constexpr int kStatusBar = IDC_STATUS_BAR;
constexpr int kDocumentView = IDC_DOCUMENT_VIEW;
constexpr int kResultsList = IDC_RESULTS_LIST;

} // namespace vqtest

#endif
