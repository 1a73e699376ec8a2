// A key typed as text, in the byte forms each format takes, made once from the text by
// MakeTypedKey and handed to every job. Wiped when it goes.
//
// The strong format takes the UTF-8 of the text in Normalization Form C; a reader whose key
// check fails tries the forms earlier copies wrote, in order, each once. The original format
// takes the text in a Windows code page: exactly when encrypting (a text the code page cannot
// hold is refused), and with best-fit characters, as earlier copies made them, when looking up
// a record.
#ifndef VEILQUILL_TYPED_KEY_H
#define VEILQUILL_TYPED_KEY_H

#include <cstddef>

#include "core/key_text.h"
#include "core/secret_key.h"

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
