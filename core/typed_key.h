// A key typed as text, and the byte forms each format takes, made once from the text by
// MakeTypedKey and handed to every job. Wiped when it goes. The text is UTF-8 inside, and held
// only in SecretLine buffers, which are wiped when they go; the system's side of turning it
// into bytes (Unicode normalisation, Windows code pages and the terminal's character set)
// comes in through KeyTextSystem.
//
// The strong format takes the UTF-8 of the text in Normalization Form C; a reader whose key
// check fails tries the forms earlier copies wrote, in order, each once. The original format
// takes the text in a Windows code page: exactly when encrypting (a text the code page cannot
// hold is refused), and with best-fit characters, as earlier copies made them, when looking up
// a record.
#ifndef VEILQUILL_TYPED_KEY_H
#define VEILQUILL_TYPED_KEY_H

#include <cstddef>

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

class TypedKey {
  public:
    // NFC, as typed, the code page's best fit, the locale's bytes.
    static constexpr std::size_t kMostStrongForms = 4;
    // The code page's best fit, the locale's bytes.
    static constexpr std::size_t kMostOriginalLookups = 2;

    TypedKey() = default;
    TypedKey(const TypedKey&) = delete;
    TypedKey& operator=(const TypedKey&) = delete;

    // A key already in bytes, which every format takes as they are (keys made by tests and
    // benchmarks); the problem when they break the rules of both formats.
    KeyProblem AssignBytes(const unsigned char* bytes, std::size_t length);
    void Clear();
    bool empty() const { return strongCount_ == 0 && originalLookupCount_ == 0; }

    // The strong format: why no file can be encrypted or decrypted with the key, else the
    // forms a reader tries, in order; the first is the one a writer uses.
    KeyProblem StrongProblem() const { return strongProblem_; }
    std::size_t StrongFormCount() const { return strongCount_; }
    const SecretKey& StrongForm(std::size_t i) const { return strong_[i]; }

    // The original format: why the key cannot encrypt, else its exact bytes.
    KeyProblem OriginalProblem() const { return originalProblem_; }
    const SecretKey& OriginalKey() const { return original_; }
    // The forms a reader looks up records with, in order (none: the key is too long).
    std::size_t OriginalLookupCount() const { return originalLookupCount_; }
    const SecretKey& OriginalLookup(std::size_t i) const { return originalLookups_[i]; }

  private:
    friend KeyProblem MakeTypedKey(const SecretLine& text, const KeyTextSystem& system,
                                   unsigned codePage, TypedKey& key);
    void AddStrongForm(const SecretLine& bytes);
    void AddOriginalLookup(const SecretLine& bytes);

    SecretKey strong_[kMostStrongForms];
    std::size_t strongCount_ = 0;
    KeyProblem strongProblem_ = KeyProblem::kEmpty;
    SecretKey original_;
    KeyProblem originalProblem_ = KeyProblem::kEmpty;
    SecretKey originalLookups_[kMostOriginalLookups];
    std::size_t originalLookupCount_ = 0;
};

// Makes the key's forms from its text (UTF-8), the original format's in `codePage`. kEmpty or
// kZeroByte (the character U+0000) when the text can be no key at all (nothing is kept); a
// problem of one format only is kept in the key for that format.
KeyProblem MakeTypedKey(const SecretLine& text, const KeyTextSystem& system, unsigned codePage,
                        TypedKey& key);

#endif
