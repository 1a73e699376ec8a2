// The document's commands: loading a file, the encrypt and decrypt previews, and "Save As".
#ifndef VEILQUILL_DOCUMENT_COMMANDS_H
#define VEILQUILL_DOCUMENT_COMMANDS_H

#include <cstddef>

#include "document/document.h"
#include "ui/background_work.h"
#include "ui/window_parts.h"

// A path handed to the load by name (from the command line or the results list) may be as long
// as any the Open dialog gives; a longer one is refused, never cut to another file's name.
constexpr std::size_t kNamedPathCapacity = kDialogPathCapacity;

// Every command's file work runs through `work`, so the window stays alive meanwhile; a
// command whose work was stopped because the window closes shows nothing more.

// Reads the file at `path` into `document` and shows it; with no path (null) the user chooses
// the file with the Open dialog. An empty path, or one of kNamedPathCapacity bytes or more,
// is refused with the open-error notice.
void LoadDocument(const WindowParts& window, BackgroundWork& work, Document& document,
                  const char* path);
// Loads a file dropped on the window exactly as if it had been chosen in the Open dialog: a
// path the dialog could not hold (kDialogPathCapacity bytes or more) is refused the same
// way.
void LoadDroppedDocument(const WindowParts& window, BackgroundWork& work, Document& document,
                         const char* path);

// "Encrypt" and "Decrypt": ask for a key and show the transformed file as a preview.
void EncryptCommand(const WindowParts& window, BackgroundWork& work, Document& document);
void DecryptCommand(const WindowParts& window, BackgroundWork& work, Document& document);

// "Save As": commits the preview shown to disk; does nothing when no preview is shown.
void SaveAsCommand(const WindowParts& window, BackgroundWork& work, Document& document);

#endif
