// A typed key's text and the system's side of turning it into bytes: Unicode normalisation,
// Windows code pages and the terminal's character set. The text is UTF-8 inside, and held only
// in SecretLine buffers, which are wiped when they go.
#ifndef VEILQUILL_KEY_TEXT_H
#define VEILQUILL_KEY_TEXT_H

#include "core/secret_key.h"

// What each system gives for a key's text. Every text given is valid UTF-8.
class KeyTextSystem {
  public:
    virtual ~KeyTextSystem() = default;
    // The text in Unicode Normalization Form C; false when the system cannot make it.
    [[nodiscard]] virtual bool Normalize(const SecretLine& text, SecretLine& nfc) const = 0;
    // The text in the Windows code page `codePage`. Exact: false when a character has no
    // byte form of its own there (nothing is replaced). Otherwise characters without one
    // become their best-fit look-alikes or the default character, as earlier copies of the
    // program made them; false only when the code page is unknown.
    [[nodiscard]] virtual bool ToCodePage(const SecretLine& text, unsigned codePage, bool exact,
                                          SecretLine& bytes) const = 0;
    // Bytes in the Windows code page `codePage` as UTF-8 text; false when they are not text
    // there.
    [[nodiscard]] virtual bool FromCodePage(const SecretLine& bytes, unsigned codePage,
                                            SecretLine& text) const = 0;
    // The text in the character set of the terminal's locale, which earlier copies of the
    // command-line program took as they came as key bytes; false where there is no such form
    // (Windows) or the text has none there.
    [[nodiscard]] virtual bool LocaleBytes(const SecretLine& text, SecretLine& bytes) const = 0;
    // The code page of the original format's keys when none is named: the system's ANSI code
    // page on Windows, the one Windows uses for the user's language on Linux.
    virtual unsigned OriginalCodePage() const = 0;
};

// Whether the bytes are valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(const unsigned char* bytes, std::size_t length);

// Whether every byte is ASCII.
bool IsAscii(const unsigned char* bytes, std::size_t length);

// The key text of a line read from a key file or standard input, its line end already gone: a
// UTF-8 byte-order mark at its start is dropped; valid UTF-8 is that text, other bytes are
// text in `codePage` (a key file saved as "ANSI" by an older editor). kTooLong for a line
// longer than a line may be, kNotInCodePage for bytes that are text in neither.
KeyProblem KeyTextOfLine(const SecretLine& line, const KeyTextSystem& system, unsigned codePage,
                         SecretLine& text);

#endif
