// The document view shows texts as a current editor does: UTF-8 (with or without its mark) and
// UTF-16 in either byte order as their characters, any other file in the system's code page as
// before; the decrypt preview decodes its plain text the same way, and cipher text (the encrypt
// preview, an encrypted file opened) is shown in the code page. The view's text is read across the
// process in UTF-16, and each view is saved as a screenshot.
#include <cstring>
#include <string>

#include "ui_document_support.h"
#include "platform/win32_wide_text.h"

namespace vqtest {
namespace {

// Latin, Greek and Cyrillic letters, CJK and an emoji (a surrogate pair), on two lines.
const std::wstring kText = L"Caf\u00E9, na\u00EFve \u2013 \u0395\u03BB\u03BB\u03B7\u03BD\u03B9"
                           L"\u03BA\u03AC, \u0420\u0443\u0441\u0441\u043A\u0438\u0439\r\n"
                           L"\u65E5\u672C\u8A9E \U0001F600 end";

std::string Utf16Bytes(const std::wstring& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// What the view has always shown of bytes: the system's code page, zero bytes as spaces.
std::wstring CodePageText(const std::string& bytes) {
    const std::string shown = Shown(bytes);
    const int units =
        MultiByteToWideChar(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()), &wide[0], units);
    return wide;
}

std::wstring CutNote(const char* fileSize) {
    return L"\r\n[The view shows the first 8,192 of " +
           std::wstring(fileSize, fileSize + std::strlen(fileSize)) +
           L" bytes. Encrypt, Decrypt and Save As work on the whole file.]";
}

class ViewTextUi : public DocumentUi {
  protected:
    std::wstring ViewUnits() const { return WindowTextUnits(program.DocumentView()); }

    void ExpectShown(const std::string& name, const std::string& bytes,
                     const std::wstring& expected) {
        SCOPED_TRACE(name);
        WriteAndOpen(Doc(name + ".txt"), bytes);
        const std::wstring shown = ViewUnits();
        // A long text's beginning and end are enough to tell what went wrong.
        const auto ends = [](const std::wstring& text) {
            return text.size() <= 200 ? Utf8FromWide(text)
                                      : Utf8FromWide(text.substr(0, 100)) + " ... " +
                                            Utf8FromWide(text.substr(text.size() - 100));
        };
        EXPECT_TRUE(shown == expected)
            << "shown (" << shown.size() << " units): " << ends(shown) << "\nexpected ("
            << expected.size() << " units): " << ends(expected);
        EXPECT_EQ(kNotEncryptedText, Pane(1));
        EXPECT_FALSE(SaveScreenshot("view_" + name, Main()).empty());
        ASSERT_TRUE(ClickControlAndWait(Main(), kClear));
    }
};

TEST_F(ViewTextUi, UnicodeTextsAreShownAsTheirCharactersAndOtherFilesInTheCodePage) {
    Start();
    const std::string utf8 = Utf8FromWide(kText);
    ExpectShown("utf8", utf8, kText);
    ExpectShown("utf8_mark", "\xEF\xBB\xBF" + utf8, kText);
    ExpectShown("utf16le", Utf16Bytes(kText, false), kText);
    ExpectShown("utf16be", Utf16Bytes(kText, true), kText);
    // Not UTF-8 (a lone 0xE9): the system's code page, as always; under 1252 that is this.
    const std::string westernBytes = std::string("Caf\xE9, na\xEFve \x96 \x80\0end", 19);
    if (GetACP() == 1252)
        ExpectShown("cp1252", westernBytes, L"Caf\u00E9, na\u00EFve \u2013 \u20AC end");
    else
        ExpectShown("codepage", westernBytes, CodePageText(westernBytes));

    // A long UTF-8 text is cut at the bound, which falls inside a Greek letter here: the letter
    // is left out whole, and the note counts the file's bytes.
    const std::string alphas = "x" + Utf8FromWide(std::wstring(5000, L'\u03B1'));
    ExpectShown("utf8_cut", alphas, L"x" + std::wstring(4095, L'\u03B1') + CutNote("10,001"));
}

// A double-byte code page (932) has a lead byte at the bound, whose second byte lies past it:
// the character is left out whole. A single-byte code page shows every byte up to the bound.
// The file comes on the command line, so that the test runs under any system language (the
// Open dialog's caption is translated).
TEST_F(ViewTextUi, ACodePageTextIsCutAtTheBoundWithoutHalfACharacter) {
    const std::string path = Doc("codepage_cut.txt");
    const std::string bytes = std::string(8191, 'x') + "\x82\xA0" + std::string(100, 'y');
    ASSERT_TRUE(WriteBytes(path, bytes));
    ASSERT_TRUE(program.Start("\"" + path + "\""));
    ASSERT_TRUE(WaitForPaneText(Bar(), 0, FileNameTextOfPath(path))) << Pane(0);
    const std::size_t shownBytes = IsDBCSLeadByte(0x82) ? 8191 : 8192;
    EXPECT_TRUE(ViewUnits() == CodePageText(bytes.substr(0, shownBytes)) + CutNote("8,293"))
        << "code page " << GetACP() << ": " << ViewUnits().size() << " units shown";
    EXPECT_FALSE(SaveScreenshot("view_codepage_cut", Main()).empty());
}

TEST_F(ViewTextUi, TheDecryptPreviewDecodesItsTextAndTheEncryptPreviewShowsCipherText) {
    Start();
    const std::string path = Doc("secret.txt");
    const std::string plain = Utf8FromWide(kText);
    WriteAndOpen(path, plain);
    ASSERT_EQ(kSuccessEncrypted, Transform(KeyKind::Encrypt, "key"));
    EXPECT_EQ(CodePageText(LiteralEncrypt("key", plain)), ViewUnits());
    EXPECT_FALSE(SaveScreenshot("view_encrypt_preview", Main()).empty());
    Save(path);
    ASSERT_EQ(ExpectedEncryptedFile("key", plain), Bytes(path));
    ASSERT_TRUE(ClickControlAndWait(Main(), kClear));

    // The saved file, opened, shows the same cipher text as the encrypt preview did.
    Open(path);
    EXPECT_EQ(CodePageText(LiteralEncrypt("key", plain)), ViewUnits());
    ASSERT_EQ(kSuccessDecrypted, Transform(KeyKind::Decrypt, "key"));
    EXPECT_EQ(kText, ViewUnits());
    EXPECT_FALSE(SaveScreenshot("view_decrypt_preview", Main()).empty());
}

} // namespace
} // namespace vqtest
