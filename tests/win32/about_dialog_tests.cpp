// The About box's procedure and its web link, run in this process on the program's own About
// box template, and the help file's path.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/help_path.h"
#include "platform/win32_program_folder.h"
#include "tests/support/test_handles.h"
#include "platform/win32_handles.h"

namespace vqtest {
namespace {

// ---- Help path ------------------------------------------------------------------------------

std::string HelpPathFor(const char* folder, std::size_t capacity = MAX_PATH) {
    std::vector<char> out(capacity + 1, 'x');
    if (!HelpPathForProgramFolder(folder, out.data(), capacity)) {
        EXPECT_EQ('\0', out[0]) << "a refused path leaves the text empty";
        return "<refused>";
    }
    return out.data();
}

// A program in the root of a drive or share has no folder above it: its help is in that root,
// never behind a drive-relative "C:Help\...".
TEST(HelpPath, ProgramInARootFolderLooksInThatRoot) {
    EXPECT_EQ("C:\\Help\\Veilquill.chm", HelpPathFor("C:\\"));
    EXPECT_EQ("C:\\Help\\Veilquill.chm", HelpPathFor("C:"));
    EXPECT_EQ("\\\\server\\share\\Help\\Veilquill.chm", HelpPathFor("\\\\server\\share\\"));
    EXPECT_EQ("\\\\server\\share\\Help\\Veilquill.chm", HelpPathFor("\\\\server\\share"));
}

TEST(HelpPath, RefusesWhatIsNotAFullPathOrDoesNotFit) {
    EXPECT_EQ("<refused>", HelpPathFor(""));
    EXPECT_EQ("<refused>", HelpPathFor("Tool\\"));
    EXPECT_EQ("<refused>", HelpPathFor("\\Apps\\Tool\\"));
    EXPECT_EQ("<refused>", HelpPathFor("\\\\server\\"));

    const std::string fits = "D:\\Apps\\Help\\Veilquill.chm";
    EXPECT_EQ(fits, HelpPathFor("D:\\Apps\\Tool\\", fits.size() + 1));
    EXPECT_EQ("<refused>", HelpPathFor("D:\\Apps\\Tool\\", fits.size()));

    const std::string deep = "C:\\" + std::string(300, 'a') + "\\Tool\\";
    EXPECT_EQ("<refused>", HelpPathFor(deep.c_str()));
}

// ---- The About box --------------------------------------------------------------------------

// The About box's own template, from the resources linked into this test program. A box that
// need not be shown is made from a copy without WS_VISIBLE: under Wine without a window
// manager, hiding a shown window costs about two seconds.
HWND CreateAboutBox(bool shown) {
    HMODULE module = GetModuleHandleA(nullptr);
    if (shown)
        return CreateDialogParamA(module, VQ_TEMPLATE_ABOUT, nullptr, AboutDialogProc, 0);
    HRSRC found = FindResourceA(module, VQ_TEMPLATE_ABOUT, MAKEINTRESOURCEA(5)); // RT_DIALOG
    const void* bytes = found != nullptr ? LockResource(LoadResource(module, found)) : nullptr;
    if (bytes == nullptr)
        return nullptr;
    // A DIALOG template begins with its style; DWORDs keep the copy aligned as a template must be.
    std::vector<DWORD> copy((SizeofResource(module, found) + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(copy.data(), bytes, SizeofResource(module, found));
    copy[0] &= ~static_cast<DWORD>(WS_VISIBLE);
    return CreateDialogIndirectParamA(module, reinterpret_cast<const DLGTEMPLATE*>(copy.data()),
                                      nullptr, AboutDialogProc, 0);
}

// The banner: the box's one picture, a Static without an id of its own.
HWND Banner(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    }
    return nullptr;
}

// One About box, created modeless in this thread so the test can talk to it.
class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override { box_ = OpenBox(false); }

    static UniqueWindow OpenBox(bool shown) {
        UniqueWindow box(CreateAboutBox(shown));
        EXPECT_NE(nullptr, box.get());
        return box;
    }

    HWND Box() const { return box_.get(); }
    HWND Link() const { return GetDlgItem(Box(), IDC_VENDOR_LINK); }

    // The colours and font the box gives the link for one paint, as a paint would see them.
    struct LinkPaint {
        LRESULT brush = 0;
        HFONT font = nullptr;
        COLORREF text = 0;
        COLORREF background = 0;
    };
    static LinkPaint PaintLink(HWND box) {
        HWND link = GetDlgItem(box, IDC_VENDOR_LINK);
        LinkPaint paint;
        const UniqueWindowDc linkDc = GetWindowDc(link);
        const HDC dc = linkDc.get().value;
        const int saved = SaveDC(dc);
        paint.brush = SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(link));
        paint.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
        paint.text = GetTextColor(dc);
        paint.background = GetBkColor(dc);
        RestoreDC(dc, saved); // the font goes back out of this DC
        return paint;
    }

    UniqueWindow box_;
};

// The underlined font is made once per box, not once per paint, and goes with the box.
TEST_F(AboutBoxTest, LinkFontLivesExactlyAsLongAsTheBox) {
    box_.reset();
    box_ = OpenBox(true);
    const HFONT first = PaintLink(Box()).font;
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(first));
    for (int i = 0; i < 300; ++i) {
        RedrawWindow(Box(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ASSERT_EQ(first, PaintLink(Box()).font) << "repaint " << i << " made a new font";
    }
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(first));

    box_.reset();
    EXPECT_EQ(0u, GetObjectType(first)) << "the link's font outlived its box";
}

TEST_F(AboutBoxTest, ABoxOpenedAgainHasItsOwnWorkingLink) {
    box_.reset();
    box_ = OpenBox(false);
    const LinkPaint again = PaintLink(Box());
    LOGFONTA shown{};
    ASSERT_EQ(static_cast<int>(sizeof shown), GetObjectA(again.font, sizeof shown, &shown));
    EXPECT_EQ(1, shown.lfUnderline);
    EXPECT_EQ(RGB(0, 0, 255), again.text);
    EXPECT_EQ(HTCLIENT, SendMessageA(Link(), WM_NCHITTEST, 0, 0));
}

TEST_F(AboutBoxTest, BannerKeepsItsClassColours) {
    HWND banner = Banner(Box());
    const UniqueWindowDc bannerDc = GetWindowDc(banner);
    const HDC dc = bannerDc.get().value;
    const LRESULT fromBox = SendMessageA(Box(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(banner));
    const LRESULT ownAnswer = DefWindowProcA(
        banner, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(banner));
    EXPECT_EQ(ownAnswer, fromBox);
    EXPECT_NE(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), fromBox);
}

} // namespace
} // namespace vqtest
