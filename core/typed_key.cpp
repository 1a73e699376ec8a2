#include "core/typed_key.h"

#include <cstdint>
#include <cstring>

bool IsUtf8(const unsigned char* bytes, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = bytes[i];
        std::size_t more = 0;
        std::uint32_t value = 0;
        std::uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            more = 1, value = lead & 0x1Fu, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            more = 2, value = lead & 0x0Fu, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            more = 3, value = lead & 0x07u, least = 0x10000;
        } else {
            return false;
        }
        if (length - i <= more)
            return false;
        for (std::size_t k = 1; k <= more; ++k) {
            const unsigned char next = bytes[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

bool IsAscii(const unsigned char* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        if (bytes[i] >= 0x80)
            return false;
    return true;
}

KeyProblem KeyTextOfLine(const SecretLine& line, const KeyTextSystem& system, unsigned codePage,
                         SecretLine& text) {
    text.Clear();
    if (line.overlong())
        return KeyProblem::kTooLong;
    static const unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
    const unsigned char* bytes = line.data();
    std::size_t length = line.size();
    if (length >= sizeof kByteOrderMark &&
        std::memcmp(bytes, kByteOrderMark, sizeof kByteOrderMark) == 0) {
        bytes += sizeof kByteOrderMark;
        length -= sizeof kByteOrderMark;
    }
    if (IsUtf8(bytes, length)) {
        text.Assign(bytes, length);
        return KeyProblem::kNone;
    }
    SecretLine inCodePage;
    inCodePage.Assign(bytes, length);
    if (!system.FromCodePage(inCodePage, codePage, text)) {
        text.Clear();
        return KeyProblem::kNotInCodePage;
    }
    return text.overlong() ? KeyProblem::kTooLong : KeyProblem::kNone;
}

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
