// The loaded document: one value, owned by the main window and handed to the commands that work
// on it; how its files are opened and named, and where their records are.
#ifndef VEILQUILL_DOCUMENT_H
#define VEILQUILL_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/encrypted_format.h"
#include "core/file_access.h"
#include "core/file_jobs.h"
#include "core/record_store.h"
#include "document/view_text.h"
#include "ui/path_dialog.h"

// What the view shows: the file as loaded, an encrypt preview, or a decrypt preview.
enum class DocumentMode {
    kLoaded,
    kEncryptPreview,
    kDecryptPreview,
};

// Room for a status text (a file name has at most 255 UTF-16 units, up to three UTF-8 bytes
// each); a longer one is cut, as it is only shown.
constexpr std::size_t kStatusTextCapacity = 1024;

struct Document {
    // The loaded file's full path, kept whole so that a later change of the current folder
    // cannot change the file; empty when no file is loaded.
    char path[kDialogPathCapacity] = {};
    DocumentMode mode = DocumentMode::kLoaded;
    std::uint64_t size = 0; // the file's size on disk

    // What panes 0 and 3 show for the file: "  File Name:  ..." and "  File Size:  ...".
    char nameText[kStatusTextCapacity] = {};
    char sizeText[kStatusTextCapacity] = {};

    // What the preview waiting for its save derived from its key: for an encryption so that
    // the save writes exactly the bytes the preview showed, for a verified decryption so that
    // the save does not derive the key again. The key itself goes with its dialog.
    std::unique_ptr<Encryption> encryption;
    std::unique_ptr<Decryption> decryption;
    // What that preview read from disk, so that its save can tell whether the file is still
    // the one previewed.
    ContentSnapshot preview;

    // Whether the encryption key dialog's "Use strong encryption" was ticked when it was last
    // continued: it opens so again for as long as the program runs.
    bool strongChosen = false;

    // Where the next Open or Save As dialog opens: the file chosen last.
    DialogPath dialog;

    // Counts the commands that may change the document. The notices have no owner, so the
    // window stays usable while one shows: a command finishes after its notice only when the
    // count is still the one it started with.
    std::uint64_t generation = 0;

    // No preview waits for its save any more: what came of its key is wiped.
    void ForgetKey() {
        encryption.reset();
        decryption.reset();
    }
};

// A command that may change the document begins.
inline void BeginDocumentCommand(Document& document) {
    ++document.generation;
}

// The view is handed at most its bound; one byte more tells it that the file goes on.
constexpr std::size_t kShownBytes = kViewTextBound + 1;

// Documents are opened only when they could be written, shared with other readers and
// writers, as the window has always opened them.
constexpr OpenPurpose kDocumentOpen = OpenPurpose::kReadWritable;

// The full form of `path` (relative paths are taken from the current folder, which the file
// dialogs may change later). False, with `out` empty, when it does not fit.
bool FullPathOf(const char* path, char* out, std::size_t capacity);

// The records folder beside the program (Data\), or null when its path is not known.
std::unique_ptr<RecordFolder> WindowRecordFolder();

#endif
