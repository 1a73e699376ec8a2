#include "core/typed_key.h"

#include <cstring>

namespace {

bool Holds(const SecretKey* forms, std::size_t count, const SecretLine& bytes) {
    for (std::size_t i = 0; i < count; ++i)
        if (forms[i].size() == bytes.size() &&
            std::memcmp(forms[i].data(), bytes.data(), bytes.size()) == 0)
            return true;
    return false;
}

} // namespace

void TypedKey::AddStrongForm(const SecretLine& bytes) {
    if (strongCount_ < kMostStrongForms && !Holds(strong_, strongCount_, bytes) &&
        strong_[strongCount_].Assign(bytes, kMaxStrongKeyLength) == KeyProblem::kNone)
        ++strongCount_;
}

void TypedKey::AddOriginalLookup(const SecretLine& bytes) {
    if (originalLookupCount_ < kMostOriginalLookups &&
        !Holds(originalLookups_, originalLookupCount_, bytes) &&
        originalLookups_[originalLookupCount_].Assign(bytes) == KeyProblem::kNone)
        ++originalLookupCount_;
}

KeyProblem TypedKey::AssignBytes(const unsigned char* bytes, std::size_t length) {
    Clear();
    SecretLine line;
    line.Assign(bytes, length);
    strongProblem_ = CheckKeyBytes(bytes, length, kMaxStrongKeyLength);
    if (strongProblem_ == KeyProblem::kNone)
        AddStrongForm(line);
    originalProblem_ = original_.Assign(line);
    if (originalProblem_ == KeyProblem::kNone)
        AddOriginalLookup(line);
    return strongProblem_;
}

void TypedKey::Clear() {
    for (SecretKey& form : strong_)
        form.Clear();
    for (SecretKey& form : originalLookups_)
        form.Clear();
    original_.Clear();
    strongCount_ = originalLookupCount_ = 0;
    strongProblem_ = originalProblem_ = KeyProblem::kEmpty;
}

KeyProblem MakeTypedKey(const SecretLine& text, const KeyTextSystem& system, unsigned codePage,
                        TypedKey& key) {
    key.Clear();
    if (text.overlong())
        return KeyProblem::kTooLong;
    if (text.size() == 0)
        return KeyProblem::kEmpty;
    if (std::memchr(text.data(), 0, text.size()) != nullptr)
        return KeyProblem::kZeroByte;
    const bool ascii = IsAscii(text.data(), text.size());

    // The strong format: NFC, then what earlier copies used, each only once.
    SecretLine form;
    // ASCII is its own NFC. A system that cannot normalise (without memory) takes the text
    // as typed, which every reader tries second.
    if (ascii || !system.Normalize(text, form))
        form.Assign(text.data(), text.size());
    key.strongProblem_ = form.overlong()
                             ? KeyProblem::kTooLong
                             : CheckKeyBytes(form.data(), form.size(), kMaxStrongKeyLength);
    if (key.strongProblem_ == KeyProblem::kNone) {
        key.AddStrongForm(form);
        if (!ascii) {
            key.AddStrongForm(text);
            if (system.ToCodePage(text, codePage, false, form))
                key.AddStrongForm(form);
            if (system.LocaleBytes(text, form))
                key.AddStrongForm(form);
        }
    }

    // The original format: the exact bytes to encrypt, the best fit to look up first.
    if (!system.ToCodePage(text, codePage, true, form))
        key.originalProblem_ = KeyProblem::kNotInCodePage;
    else
        key.originalProblem_ = key.original_.Assign(form);
    if (system.ToCodePage(text, codePage, false, form))
        key.AddOriginalLookup(form);
    if (!ascii && system.LocaleBytes(text, form))
        key.AddOriginalLookup(form);
    return KeyProblem::kNone;
}
