// A typed key's text on Windows: NFC from NormalizeString, code pages through
// WideCharToMultiByte and MultiByteToWideChar. The UTF-16 forms are wiped after use.
#include <windows.h>

#include <string>

#include "platform/system_key_text.h"
#include "platform/win32_wide_text.h"

namespace {

constexpr unsigned kGb18030 = 54936;

// A wide or narrow string that is wiped when it goes.
template <typename Text> struct WipedText {
    Text text;
    ~WipedText() {
        if (!text.empty())
            WipeBytes(&text[0], text.size() * sizeof text[0]);
    }
};

WipedText<std::wstring> WideOf(const SecretLine& text) {
    WipedText<std::string> narrow;
    narrow.text.assign(reinterpret_cast<const char*>(text.data()), text.size());
    return {WideFromUtf8(narrow.text)};
}

bool Take(const std::wstring& wide, SecretLine& text) {
    WipedText<std::string> narrow{Utf8FromWide(wide)};
    text.Assign(narrow.text.data(), narrow.text.size());
    return !text.overlong();
}

class Win32KeyText final : public KeyTextSystem {
  public:
    bool Normalize(const SecretLine& text, SecretLine& nfc) const override {
        const WipedText<std::wstring> wide = WideOf(text);
        const int length = static_cast<int>(wide.text.size());
        int room = NormalizeString(NormalizationC, wide.text.c_str(), length, nullptr, 0);
        for (int round = 0; room > 0 && round < 4; ++round) {
            WipedText<std::wstring> normal;
            normal.text.assign(static_cast<std::size_t>(room), L'\0');
            const int made =
                NormalizeString(NormalizationC, wide.text.c_str(), length, &normal.text[0], room);
            if (made > 0) {
                normal.text.resize(static_cast<std::size_t>(made));
                return Take(normal.text, nfc);
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return false;
            room = -made; // the estimate was short: the size it needs now
        }
        return false;
    }
    bool ToCodePage(const SecretLine& text, unsigned codePage, bool exact,
                    SecretLine& bytes) const override {
        bytes.Clear();
        const WipedText<std::wstring> wide = WideOf(text);
        if (wide.text.empty())
            return text.size() == 0;
        // UTF-8 and GB 18030 hold every character and take neither the best-fit flag nor the
        // "used default" question: there an exact form is one with no unpaired surrogate.
        const bool holdsAll = codePage == CP_UTF8 || codePage == kGb18030;
        BOOL usedDefault = FALSE;
        DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
        if (holdsAll)
            flags = exact ? WC_ERR_INVALID_CHARS : 0;
        BOOL* askUsedDefault = exact && !holdsAll ? &usedDefault : nullptr;
        const int length = static_cast<int>(wide.text.size());
        char out[SecretLine::kCapacity * 2];
        const int made = WideCharToMultiByte(codePage, flags, wide.text.c_str(), length, out,
                                             sizeof out, nullptr, askUsedDefault);
        if (made > 0 && !(exact && usedDefault))
            bytes.Assign(out, static_cast<std::size_t>(made));
        WipeBytes(out, sizeof out);
        return made > 0 && !(exact && usedDefault) && !bytes.overlong();
    }
    bool FromCodePage(const SecretLine& bytes, unsigned codePage, SecretLine& text) const override {
        text.Clear();
        if (bytes.size() == 0)
            return true;
        WipedText<std::wstring> wide;
        wide.text.assign(bytes.size() * 2, L'\0');
        const int made = MultiByteToWideChar(
            codePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes.data()),
            static_cast<int>(bytes.size()), &wide.text[0], static_cast<int>(wide.text.size()));
        if (made <= 0)
            return false;
        wide.text.resize(static_cast<std::size_t>(made));
        return Take(wide.text, text);
    }
    bool LocaleBytes(const SecretLine&, SecretLine& bytes) const override {
        bytes.Clear();
        return false; // the console and the window give UTF-16: there are no other bytes
    }
    unsigned OriginalCodePage() const override { return GetACP(); }
};

} // namespace

const KeyTextSystem& SystemKeyText() {
    static const Win32KeyText system;
    return system;
}
