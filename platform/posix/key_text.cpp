// A typed key's text on Linux: NFC from libunistring, code pages and the terminal's character
// set through iconv.
#include <iconv.h>
#include <langinfo.h>
#include <uninorm.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/system_key_text.h"

namespace {

// The name iconv knows a Windows code page by.
std::string CharacterSetOfCodePage(unsigned codePage) {
    if (codePage == 65001)
        return "UTF-8";
    if (codePage == 54936)
        return "GB18030";
    return "CP" + std::to_string(codePage);
}

bool SameName(const std::string& name, const char* other) {
    return strcasecmp(name.c_str(), other) == 0;
}

// Windows' single-byte ANSI code pages, whose unassigned bytes Windows maps to and from the
// control characters U+0080..U+009F of the same number (glibc's tables leave them out).
bool IsSingleByte(unsigned codePage) {
    return codePage == 874 || (codePage >= 1250 && codePage <= 1258);
}

// Whether `byte` is assigned in the single-byte code page `set`.
bool Assigned(const std::string& set, unsigned char byte) {
    SecretLine one;
    SecretLine text;
    one.Assign(&byte, 1);
    return ConvertCharacterSet(one, set.c_str(), "UTF-8", text);
}

// Text in a single-byte code page, character by character, with its unassigned bytes as
// Windows takes them.
bool FromSingleByte(const SecretLine& bytes, const std::string& set, SecretLine& text) {
    text.Clear();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char byte = bytes.data()[i];
        SecretLine one;
        SecretLine character;
        one.Assign(&byte, 1);
        if (byte < 0x80 || ConvertCharacterSet(one, set.c_str(), "UTF-8", character)) {
            for (std::size_t k = 0; k < (byte < 0x80 ? 1 : character.size()); ++k)
                text.Append(byte < 0x80 ? byte : character.data()[k]);
        } else {
            text.Append(static_cast<unsigned char>(0xC0 | (byte >> 6)));
            text.Append(static_cast<unsigned char>(0x80 | (byte & 0x3F)));
        }
    }
    return !text.overlong();
}

// The text in a single-byte code page, character by character, the control characters
// U+0080..U+009F as the unassigned bytes of the same number.
bool ToSingleByte(const SecretLine& text, const std::string& target, const std::string& set,
                  SecretLine& bytes) {
    bytes.Clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = text.data()[i];
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        SecretLine character;
        SecretLine converted;
        character.Assign(text.data() + i, std::min(length, text.size() - i));
        i += length;
        if (ConvertCharacterSet(character, "UTF-8", target.c_str(), converted)) {
            for (std::size_t k = 0; k < converted.size(); ++k)
                bytes.Append(converted.data()[k]);
            continue;
        }
        const unsigned char control =
            character.size() == 2 && lead == 0xC2 ? character.data()[1] : 0;
        if (control < 0x80 || control > 0x9F || Assigned(set, control))
            return false;
        bytes.Append(control);
    }
    return !bytes.overlong();
}

class PosixKeyText final : public KeyTextSystem {
  public:
    bool Normalize(const SecretLine& text, SecretLine& nfc) const override {
        std::size_t length = 0;
        std::uint8_t* normal =
            u8_normalize(UNINORM_NFC, text.data(), text.size(), nullptr, &length);
        if (normal == nullptr)
            return false;
        nfc.Assign(normal, length);
        WipeBytes(normal, length);
        std::free(normal);
        return !nfc.overlong();
    }
    bool ToCodePage(const SecretLine& text, unsigned codePage, bool exact,
                    SecretLine& bytes) const override {
        // glibc has no Windows best-fit tables: transliteration is the nearest it has.
        const std::string set = CharacterSetOfCodePage(codePage);
        const std::string target = set + (exact ? "" : "//TRANSLIT");
        if (IsSingleByte(codePage))
            return ToSingleByte(text, target, set, bytes);
        return ConvertCharacterSet(text, "UTF-8", target.c_str(), bytes);
    }
    bool FromCodePage(const SecretLine& bytes, unsigned codePage, SecretLine& text) const override {
        const std::string set = CharacterSetOfCodePage(codePage);
        if (IsSingleByte(codePage))
            return FromSingleByte(bytes, set, text);
        return ConvertCharacterSet(bytes, set.c_str(), "UTF-8", text);
    }
    bool LocaleBytes(const SecretLine& text, SecretLine& bytes) const override {
        const std::string set = TerminalCharacterSet();
        if (SameName(set, "UTF-8")) {
            bytes.Assign(text.data(), text.size());
            return true;
        }
        return ConvertCharacterSet(text, "UTF-8", set.c_str(), bytes);
    }
    unsigned OriginalCodePage() const override { return CodePageOfLocale(RequestedLocale()); }
};

struct LanguageCodePage {
    const char* language;
    unsigned codePage;
};

// Windows' ANSI code page for each language that does not use 1252.
constexpr LanguageCodePage kLanguageCodePages[] = {
    {"pl", 1250}, {"cs", 1250}, {"hu", 1250}, {"sk", 1250}, {"sl", 1250}, {"hr", 1250},
    {"bs", 1250}, {"ro", 1250}, {"sq", 1250}, {"ru", 1251}, {"uk", 1251}, {"bg", 1251},
    {"be", 1251}, {"mk", 1251}, {"sr", 1251}, {"kk", 1251}, {"ky", 1251}, {"tt", 1251},
    {"mn", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"he", 1255}, {"iw", 1255},
    {"yi", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"lt", 1257}, {"lv", 1257},
    {"et", 1257}, {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},
};

} // namespace

const KeyTextSystem& SystemKeyText() {
    static const PosixKeyText system;
    return system;
}

unsigned CodePageOfLocale(const std::string& name) {
    // language[_territory][.codeset][@modifier]
    const std::size_t languageEnd = name.find_first_of("_.@");
    const std::string language = name.substr(0, languageEnd);
    const std::string territory =
        languageEnd != std::string::npos && name[languageEnd] == '_'
            ? name.substr(languageEnd + 1, name.find_first_of(".@", languageEnd) - languageEnd - 1)
            : std::string();
    const bool latin = name.find("@latin") != std::string::npos;
    if (language == "zh")
        return territory == "TW" || territory == "HK" || territory == "MO" ? 950 : 936;
    if (language == "sr" && latin)
        return 1250;
    for (const LanguageCodePage& entry : kLanguageCodePages)
        if (language == entry.language)
            return entry.codePage;
    return 1252;
}

std::string RequestedLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const std::string value = EnvironmentValue(name);
        if (!value.empty())
            return value;
    }
    return std::string();
}

bool ConvertCharacterSet(const SecretLine& from, const char* fromSet, const char* toSet,
                         SecretLine& to) {
    to.Clear();
    const iconv_t converter = iconv_open(toSet, fromSet);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    char in[SecretLine::kCapacity];
    char out[SecretLine::kCapacity * 2];
    std::memcpy(in, from.data(), from.size());
    char* inPlace = in;
    char* outPlace = out;
    std::size_t inLeft = from.size();
    std::size_t outLeft = sizeof out;
    const std::size_t converted = iconv(converter, &inPlace, &inLeft, &outPlace, &outLeft);
    bool done =
        converted != static_cast<std::size_t>(-1) && inLeft == 0 &&
        iconv(converter, nullptr, nullptr, &outPlace, &outLeft) != static_cast<std::size_t>(-1);
    // glibc counts characters it could not convert exactly: an exact conversion has none.
    if (done && converted != 0 && std::strstr(toSet, "//") == nullptr)
        done = false;
    iconv_close(converter);
    if (done)
        to.Assign(out, sizeof out - outLeft);
    WipeBytes(in, sizeof in);
    WipeBytes(out, sizeof out);
    return done && !to.overlong();
}

std::string TerminalCharacterSet() {
    static const std::string set = [] {
        std::setlocale(LC_CTYPE, "");
        const std::string codeset = nl_langinfo(CODESET);
        if (SameName(codeset, "ANSI_X3.4-1968") || SameName(codeset, "ASCII") ||
            SameName(codeset, "UTF8"))
            return std::string("UTF-8");
        return codeset;
    }();
    return set;
}
