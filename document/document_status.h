// What the document commands show: the status texts of the current file, progress texts,
// the text in the document view, and the notice for files too large to hold.
#ifndef VEILQUILL_DOCUMENT_STATUS_H
#define VEILQUILL_DOCUMENT_STATUS_H

#include <windows.h>

#include <cstdint>

// Builds FileNameText ("  File Name:  " + the path's file name) and FileSizeText
// ("  File Size:  " + grouped decimal size + "  bytes").
void BuildFileNameText(const char* path);
void BuildFileSizeText(std::uint32_t size);

// Pane 0 FileNameText and pane 3 FileSizeText.
void ShowFileNameAndSize();
// Pane 1 the encrypted state, pane 2 the encrypted icon or nothing.
void ShowEncryptedState(bool encrypted);

// Whether a file of this size gets a progress text before the work on it.
bool NeedsProgressText(std::uint32_t size);
// "    Reading file..." in pane 0, drawn at once.
void ShowReadingProgress();
// A preview's progress text in pane 0 and the other panes cleared, drawn at once.
void ShowTransformProgress(const char* text);

// Hands a zero-terminated text to the document view.
void ShowDocumentText(const char* text);

// Tells the user that a file cannot be held whole in memory (2 GiB or more, or no memory).
void ShowTooLargeNotice(HWND mainWindow, const char* path);

#endif
