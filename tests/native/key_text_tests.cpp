// A typed key's text and the bytes each format makes of it: NFC and the strong format's known
// answers for keys outside ASCII, the forms a reader tries and what they cost, the original
// format's code pages, and the lines read from key files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "cipher/encrypted_trailer.h"
#include "core/strong_format.h"
#include "core/typed_key.h"
#include "platform/crypto_library.h"
#include "platform/system_key_text.h"
#include "tests/support/delegating_primitives.h"

namespace vqtest {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string HexOf(const unsigned char* data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < size; ++i) {
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 15];
    }
    return hex;
}

std::string HexOf(const SecretKey& key) {
    return HexOf(key.data(), key.size());
}

// A text or bytes held as the key's code holds them.
struct Line {
    explicit Line(const std::string& bytes) { line.Assign(bytes.data(), bytes.size()); }
    operator const SecretLine&() const { return line; }
    SecretLine line;
};

// The key's forms from `text` in `codePage`, made by this system.
void MakeKey(const std::string& text, unsigned codePage, TypedKey& key,
             const KeyTextSystem& system = SystemKeyText()) {
    ASSERT_EQ(KeyProblem::kNone, MakeTypedKey(Line(text), system, codePage, key)) << text;
}

// Gives the salt 00..0f and then the file nonce a0..af, as the known answers have them.
class KnownRandomPrimitives : public DelegatingPrimitives {
  public:
    using DelegatingPrimitives::DelegatingPrimitives;
    bool Random(unsigned char* out, std::size_t length) const override {
        const unsigned char first = calls_++ == 0 ? 0x00 : 0xA0;
        for (std::size_t i = 0; i < length; ++i)
            out[i] = static_cast<unsigned char>(first + i);
        return true;
    }

  private:
    mutable int calls_ = 0;
};

#ifndef _WIN32
// A system whose terminal takes text in code page 1251, as a Russian Linux locale that is not
// UTF-8 does.
class Cp1251Terminal : public KeyTextSystem {
  public:
    bool Normalize(const SecretLine& text, SecretLine& nfc) const override {
        return SystemKeyText().Normalize(text, nfc);
    }
    bool ToCodePage(const SecretLine& text, unsigned codePage, bool exact,
                    SecretLine& bytes) const override {
        return SystemKeyText().ToCodePage(text, codePage, exact, bytes);
    }
    bool FromCodePage(const SecretLine& bytes, unsigned codePage, SecretLine& text) const override {
        return SystemKeyText().FromCodePage(bytes, codePage, text);
    }
    bool LocaleBytes(const SecretLine& text, SecretLine& bytes) const override {
        return ConvertCharacterSet(text, "UTF-8", "CP1251", bytes);
    }
    unsigned OriginalCodePage() const override { return 1252; }
};
#endif

const std::string kHello = "Hello, world!\r\n";
const std::string kRussian = "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C"; // пароль
const std::string kCafe = "caf\xC3\xA9";                                         // café
const std::string kAngstromDecomposed = "A\xCC\x8Angstro\xCC\x88m";

class KeyText : public ::testing::Test {
  protected:
    void SetUp() override {
        const CryptoLibrary library = OpenCryptoLibrary();
        ASSERT_NE(nullptr, library.primitives) << "the library is missing: " << library.file;
        primitives_ = library.primitives;
    }

    // The whole strong file of `plain` as a writer makes it with `key`'s first form, salt and
    // nonce those of the known answers.
    Bytes EncryptStrong(const SecretKey& key, const std::string& plain) const {
        KnownRandomPrimitives known(*primitives_);
        StrongEncryption encryption;
        EXPECT_TRUE(encryption.Prepare(known, key));
        Bytes file = encryption.Header();
        const std::unique_ptr<ContentTransform> seal = encryption.Begin();
        Bytes piece(seal->PieceCapacity());
        std::copy(plain.begin(), plain.end(), piece.begin());
        std::size_t length = plain.size();
        EXPECT_TRUE(seal->Apply(piece.data(), length, true));
        file.insert(file.end(), piece.begin(), piece.begin() + length);
        file.push_back(kTrailerBytes[0]);
        file.push_back(kTrailerBytes[1]);
        return file;
    }

    // The same at the cheapest cost a reader takes, for tests that make many files.
    Bytes EncryptCheaply(const SecretKey& key, const std::string& plain) const {
        const Bytes salt = FromHex("000102030405060708090a0b0c0d0e0f");
        const Bytes nonce = FromHex("a0a1a2a3a4a5a6a7a8a9aaabacadaeaf");
        Bytes file(kStrongHeaderLength);
        StrongKeys keys;
        EXPECT_TRUE(WriteStrongHeader(*primitives_, key, Argon2Cost{8192, 1, 1}, salt.data(),
                                      nonce.data(), file.data(), keys));
        StrongPayloadWriter writer(*primitives_, keys);
        Bytes sealed(StrongPayloadLayout::OfPlainText(plain.size()).payloadLength);
        std::size_t length = 0;
        EXPECT_TRUE(writer.Seal(reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                                true, sealed.data(), length));
        file.insert(file.end(), sealed.begin(), sealed.begin() + length);
        file.push_back(kTrailerBytes[0]);
        file.push_back(kTrailerBytes[1]);
        return file;
    }

    // Unlocks and opens a one-chunk strong file with `key` through `primitives`; the plain text,
    // or the outcome's name when it fails.
    std::string DecryptStrong(const StrongPrimitives& primitives, const TypedKey& key,
                              const Bytes& file) const {
        FileFormat format;
        format.size = file.size();
        format.kind = FormatKind::kStrong;
        format.bodyStart = kStrongHeaderLength;
        format.bodyEnd = file.size() - kTrailerLength;
        std::copy(file.begin(), file.begin() + kStrongHeaderLength, format.header.begin());
        std::unique_ptr<Decryption> decryption;
        const ByteRange firstChunk{file.data() + kStrongHeaderLength,
                                   StrongPayloadLayout::OfFile(file.size()).FirstChunkLength()};
        const JobResult unlocked =
            UnlockStrongDecryption(primitives, format, firstChunk, key, decryption);
        if (!unlocked.done())
            return "outcome " + std::to_string(static_cast<int>(unlocked.outcome));
        const std::unique_ptr<ContentTransform> open = decryption->Begin();
        Bytes piece(open->PieceCapacity());
        std::copy(file.begin() + kStrongHeaderLength, file.end() - kTrailerLength, piece.begin());
        std::size_t length = file.size() - kStrongHeaderLength - kTrailerLength;
        if (!open->Apply(piece.data(), length, true))
            return "damaged";
        return std::string(piece.begin(), piece.begin() + length);
    }

    const StrongPrimitives* primitives_ = nullptr;
};

// Keys outside ASCII give the files of the known answers, the decomposed "Ångström" through
// its NFC bytes; files with 2 and 4 Argon2 lanes, which no writer makes, are read.
TEST_F(KeyText, StrongKnownAnswersForKeysOutsideAsciiAndForMoreLanes) {
    struct Answer {
        std::string key;
        std::string keyBytes;
        std::string file;
    };
    const Answer answers[] = {
        {kRussian, "d0bfd0b0d180d0bed0bbd18c",
         "895651320d0a1a0a01010110000001000300000001000000000102030405060708090a0b0c0d0e0f"
         "a0a1a2a3a4a5a6a7a8a9aaabacadaeaf149141c8bf15fb66291942a27f8ef5d19cb318f495e56af4"
         "c346c4ae685d95bcd6a8f404785fb81239113fbb11529e4e7b7cc2c19664f57efbbb86aa14e58b73"
         "c7e5c8dead"},
        {kAngstromDecomposed, "c3856e67737472c3b66d",
         "895651320d0a1a0a01010110000001000300000001000000000102030405060708090a0b0c0d0e0f"
         "a0a1a2a3a4a5a6a7a8a9aaabacadaeaf149141c86175d7e84c978c688402e0475151aec65b645bcf"
         "488e209ce879f81615c7ce7b0473152e06ccbcedd357c78b29d5b4d3a4ac2b924cdca8ec5797564f"
         "2d8409dead"},
    };
    for (const Answer& answer : answers) {
        TypedKey key;
        MakeKey(answer.key, 1252, key);
        ASSERT_EQ(KeyProblem::kNone, key.StrongProblem());
        EXPECT_EQ(answer.keyBytes, HexOf(key.StrongForm(0)));
        const Bytes file = EncryptStrong(key.StrongForm(0), kHello);
        EXPECT_EQ(answer.file, HexOf(file.data(), file.size()));
        EXPECT_EQ(kHello, DecryptStrong(*primitives_, key, file));
    }

    const std::string moreLanes[] = {
        "895651320d0a1a0a01010110002000000100000004000000000102030405060708090a0b0c0d0e0f"
        "a0a1a2a3a4a5a6a7a8a9aaabacadaeafa9aeae90a79fc45e412f81cdba1195e145b4fdff37ca4033"
        "58c9a6cbdd72f30c6d29b8da8bbcb4d19e3ff00582490da717f0e4a9402b77b4674c9a9fd997f02a"
        "dff783dead",
        "895651320d0a1a0a01010110004000000200000002000000000102030405060708090a0b0c0d0e0f"
        "a0a1a2a3a4a5a6a7a8a9aaabacadaeaf071c736cd36fe772e71fafae1ace2d9234d70ae9a53dda1c"
        "4279a94376220611672f182242e2aaf47778439c4fe058d2b4ce207226bddd1f2d77fabc661feda3"
        "6c364bdead",
    };
    TypedKey k;
    MakeKey("K", 1252, k);
    for (const std::string& hex : moreLanes)
        EXPECT_EQ(kHello, DecryptStrong(*primitives_, k, FromHex(hex))) << hex.substr(24, 24);
}

// A reader tries NFC first, then the text as typed, the code page's best fit and the
// terminal's bytes, each only when it gives new bytes and only after the one before failed: a
// right key costs one derivation, a wrong ASCII key one, a file of an earlier copy one more for
// each form tried before its own.
TEST_F(KeyText, AStrongReaderTriesEachEarlierFormOnceAndInOrder) {
#ifndef _WIN32
    static const Cp1251Terminal kCp1251Terminal;
#endif
    struct Case {
        const char* what;
        std::string writtenWith; // the key bytes the file was made with
        std::string typed;
        const KeyTextSystem* system;
        int derivations;
        bool opens;
    };
    const std::string cafe1252 = "caf\xE9";
    const std::string russian1251 = "\xEF\xE0\xF0\xEE\xEB\xFC";
    const Case cases[] = {
        {"right ASCII key", "K", "K", &SystemKeyText(), 1, true},
        {"wrong ASCII key", "K", "k", &SystemKeyText(), 1, false},
        {"right key outside ASCII", kCafe, kCafe, &SystemKeyText(), 1, true},
        {"decomposed, as an earlier copy took it", kAngstromDecomposed, kAngstromDecomposed,
         &SystemKeyText(), 2, true},
        {"code page bytes of the window", cafe1252, kCafe, &SystemKeyText(), 2, true},
#ifdef _WIN32
        {"wrong key outside ASCII", "K", kRussian, &SystemKeyText(), 2, false},
#else
        {"terminal bytes of the Linux command line", russian1251, kRussian, &kCp1251Terminal, 3,
         true},
        {"wrong key outside ASCII", "K", kRussian, &kCp1251Terminal, 3, false},
#endif
    };
    for (const Case& c : cases) {
        TypedKey written;
        ASSERT_EQ(KeyProblem::kNone,
                  written.AssignBytes(reinterpret_cast<const unsigned char*>(c.writtenWith.data()),
                                      c.writtenWith.size()));
        const Bytes file = EncryptCheaply(written.StrongForm(0), kHello);
        TypedKey typed;
        MakeKey(c.typed, 1252, typed, *c.system);
        CountingPrimitives counting(*primitives_);
        const std::string opened = DecryptStrong(counting, typed, file);
        EXPECT_EQ(c.opens, opened == kHello) << c.what << ": " << opened;
        EXPECT_EQ(c.derivations, counting.derivations) << c.what;
    }
}

// The original format takes the code page's exact bytes to encrypt, refuses what it cannot
// hold (and keys over 63 bytes, counted in bytes), and looks records up with the best fit and
// then the terminal's bytes.
TEST_F(KeyText, TheOriginalFormatsBytesFollowTheCodePage) {
    TypedKey key;
    MakeKey(kCafe, 1252, key);
    EXPECT_EQ(KeyProblem::kNone, key.OriginalProblem());
    EXPECT_EQ("636166e9", HexOf(key.OriginalKey()));
    EXPECT_EQ("636166e9", HexOf(key.OriginalLookup(0)));
#ifdef _WIN32
    EXPECT_EQ(1u, key.OriginalLookupCount());
#else
    ASSERT_EQ(2u, key.OriginalLookupCount()); // and the UTF-8 of earlier Linux copies
    EXPECT_EQ("636166c3a9", HexOf(key.OriginalLookup(1)));
#endif

    MakeKey(kRussian, 1252, key);
    EXPECT_EQ(KeyProblem::kNotInCodePage, key.OriginalProblem());
    EXPECT_EQ(KeyProblem::kNone, key.StrongProblem());
    ASSERT_GE(key.OriginalLookupCount(), 1u);
    EXPECT_EQ(6u, key.OriginalLookup(0).size()) << "one best-fit byte for each character";

    MakeKey(kRussian, 1251, key);
    EXPECT_EQ(KeyProblem::kNone, key.OriginalProblem());
    EXPECT_EQ("efe0f0eeebfc", HexOf(key.OriginalKey()));
    // A system whose code page is UTF-8 stores any text (Windows' "Use Unicode UTF-8").
    MakeKey(kRussian, 65001, key);
    EXPECT_EQ(KeyProblem::kNone, key.OriginalProblem());
    EXPECT_EQ("d0bfd0b0d180d0bed0bbd18c", HexOf(key.OriginalKey()));

    // Under 932 a CJK character is two bytes: 31 of them fit, 32 do not.
    std::string cjk;
    for (int i = 0; i < 31; ++i)
        cjk += "\xE7\xA7\x98"; // 秘
    MakeKey(cjk, 932, key);
    EXPECT_EQ(KeyProblem::kNone, key.OriginalProblem());
    EXPECT_EQ(62u, key.OriginalKey().size());
    MakeKey(cjk + "\xE7\xA7\x98", 932, key);
    EXPECT_EQ(KeyProblem::kTooLong, key.OriginalProblem());
    EXPECT_EQ(KeyProblem::kNone, key.StrongProblem());

    // A text that is no key at all, and a strong key over 255 bytes.
    EXPECT_EQ(KeyProblem::kEmpty, MakeTypedKey(Line(""), SystemKeyText(), 1252, key));
    EXPECT_EQ(KeyProblem::kZeroByte,
              MakeTypedKey(Line(std::string("a\0b", 3)), SystemKeyText(), 1252, key));
    EXPECT_TRUE(key.empty());
    std::string long1252;
    for (int i = 0; i < 128; ++i)
        long1252 += "\xC3\xA9"; // é: 256 bytes of UTF-8, 128 in 1252
    MakeKey(long1252, 1252, key);
    EXPECT_EQ(KeyProblem::kTooLong, key.StrongProblem());
    EXPECT_EQ(KeyProblem::kTooLong, key.OriginalProblem());
}

// Windows' unassigned bytes of a single-byte code page stand for the control characters of
// the same number both ways, as on Windows, so that any key bytes an earlier copy took are a
// text that gives them back.
TEST(KeyTextLines, KeyFileLinesAreUtf8OrTextInTheCodePage) {
    struct Case {
        std::string line;
        unsigned codePage;
        KeyProblem problem;
        std::string text;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" + kCafe, 1252, KeyProblem::kNone, kCafe}, // the mark goes
        {kCafe, 1251, KeyProblem::kNone, kCafe},                  // UTF-8 whatever the code page
        {"caf\xE9", 1252, KeyProblem::kNone, kCafe},              // "ANSI"
        {"\xEF\xE0\xF0\xEE\xEB\xFC", 1251, KeyProblem::kNone, kRussian},
        {"a\x81z", 1252, KeyProblem::kNone, "a\xC2\x81z"},
        {"\x81", 932, KeyProblem::kNotInCodePage, ""}, // a lead byte without its second
    };
    for (const Case& c : cases) {
        SecretLine text;
        EXPECT_EQ(c.problem, KeyTextOfLine(Line(c.line), SystemKeyText(), c.codePage, text))
            << c.line;
        EXPECT_EQ(c.text, std::string(reinterpret_cast<const char*>(text.data()), text.size()));
        // The code page's bytes come back as the original format's key.
        const bool inCodePage =
            c.line.compare(0, 3, "\xEF\xBB\xBF") != 0 &&
            !IsUtf8(reinterpret_cast<const unsigned char*>(c.line.data()), c.line.size());
        if (c.problem != KeyProblem::kNone || !inCodePage)
            continue;
        TypedKey key;
        MakeKey(c.text, c.codePage, key);
        EXPECT_EQ(c.line, std::string(reinterpret_cast<const char*>(key.OriginalKey().data()),
                                      key.OriginalKey().size()));
    }
    SecretLine bytes;
    ASSERT_TRUE(SystemKeyText().ToCodePage(Line("a\xC2\x81z"), 1252, true, bytes));
    EXPECT_EQ("a\x81z", std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    EXPECT_FALSE(SystemKeyText().ToCodePage(Line("\xC2\x80"), 1252, true, bytes))
        << "U+0080 is not 0x80, which is the euro sign in 1252";
}

#ifndef _WIN32
// The language of LC_ALL, LC_CTYPE or LANG names Windows' code page, whether or not the locale
// is installed; the terminal's bytes in another character set become UTF-8.
TEST(KeyTextLines, TheLocaleNamesTheCodePageAndTheTerminalsCharacterSet) {
    const std::pair<const char*, unsigned> locales[] = {
        {"pl_PL.UTF-8", 1250},
        {"cs_CZ", 1250},
        {"hu_HU.ISO-8859-2", 1250},
        {"ru_RU.UTF-8", 1251},
        {"uk_UA.KOI8-U", 1251},
        {"bg_BG", 1251},
        {"en_US.UTF-8", 1252},
        {"fr_FR@euro", 1252},
        {"de_DE", 1252},
        {"el_GR.UTF-8", 1253},
        {"tr_TR", 1254},
        {"he_IL", 1255},
        {"ar_EG.UTF-8", 1256},
        {"lt_LT", 1257},
        {"lv_LV", 1257},
        {"et_EE", 1257},
        {"vi_VN", 1258},
        {"th_TH.TIS-620", 874},
        {"ja_JP.UTF-8", 932},
        {"zh_CN.GB18030", 936},
        {"zh_TW.UTF-8", 950},
        {"zh_HK", 950},
        {"ko_KR.EUC-KR", 949},
        {"sr_RS@latin", 1250},
        {"sr_RS", 1251},
        {"C", 1252},
        {"POSIX", 1252},
        {"C.UTF-8", 1252},
        {"", 1252},
        {"eo", 1252},
    };
    for (const auto& locale : locales)
        EXPECT_EQ(locale.second, CodePageOfLocale(locale.first)) << locale.first;

    SecretLine typed;
    ASSERT_TRUE(ConvertCharacterSet(Line("\xEF\xE0\xF0\xEE\xEB\xFC"), "CP1251", "UTF-8", typed));
    EXPECT_EQ(kRussian, std::string(reinterpret_cast<const char*>(typed.data()), typed.size()));
    ASSERT_TRUE(ConvertCharacterSet(Line(kRussian), "UTF-8", "KOI8-R", typed));
    EXPECT_EQ(6u, typed.size());
    EXPECT_FALSE(ConvertCharacterSet(Line(kRussian), "UTF-8", "ISO-8859-1", typed));
}
#endif

} // namespace
} // namespace vqtest
