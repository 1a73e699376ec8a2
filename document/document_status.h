// What the document commands show: the status texts of the current file, progress texts,
// the text in the document view, and the notice for file work that did not succeed.
#ifndef VEILQUILL_DOCUMENT_STATUS_H
#define VEILQUILL_DOCUMENT_STATUS_H

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/job_result.h"
#include "document/document.h"
#include "ui/notification.h"
#include "ui/window_parts.h"

// Builds the document's nameText ("  File Name:  " + its path's file name) and sizeText
// ("  File Size:  " + its size in grouped decimal + "  bytes").
void BuildFileNameText(Document& document);
void BuildFileSizeText(Document& document);

// Pane 0 the document's nameText and pane 3 its sizeText.
void ShowFileNameAndSize(const WindowParts& window, const Document& document);
// Pane 1 the encrypted state, pane 2 the encrypted icon or nothing.
void ShowEncryptedState(const WindowParts& window, bool encrypted);

// Whether a file of this size gets a progress text before the work on it.
bool NeedsProgressText(std::uint64_t size);
// "    Reading file..." in pane 0, drawn at once.
void ShowReadingProgress(const WindowParts& window);
// A preview's progress text in pane 0 and the other panes cleared, drawn at once.
void ShowTransformProgress(const WindowParts& window, const char* text);

// How the document view shows a file's bytes: decoded as a text editor would (UTF-8, UTF-16 or
// the system's code page), or, for cipher text, in the system's code page whatever they hold.
enum class ViewDecoding { kAsText, kAsCodePage };

// Shows the first bytes `head` of a file of `fileSize` bytes in the document view, cut to the
// view's bound (with its note) when the file is longer.
void ShowDocumentText(const WindowParts& window, const std::vector<unsigned char>& head,
                      std::uint64_t fileSize, ViewDecoding decoding);

// What the user is told when a document command's file work did not succeed.

// The document's commands, each with its own notices.
enum class DocumentStep { kLoad, kPreview, kSave };

// The notice for a job that did not complete, or none: the user asked it to stop, or (a
// load) the file is empty and there is nothing to show. None for a job that completed.
std::optional<Notice> NoticeFor(DocumentStep step, const JobResult& result);

#endif
