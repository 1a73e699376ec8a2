// The About box's procedure and its web link, run in this process on a template laid out
// like the program's About box, and the help file's path.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/help_path.h"
#include "util/program_folder.h"

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

TEST(HelpPath, NamesTheFolderOneLevelAboveTheProgramsFolder) {
    EXPECT_EQ("D:\\Apps\\Help\\Veilquill.chm", HelpPathFor("D:\\Apps\\Tool\\"));
    EXPECT_EQ("D:\\Apps\\Help\\Veilquill.chm", HelpPathFor("D:\\Apps\\Tool"));
    EXPECT_EQ("C:\\Help\\Veilquill.chm", HelpPathFor("C:\\Veilquill\\"));
    EXPECT_EQ("Z:\\a\\b\\c\\Help\\Veilquill.chm", HelpPathFor("Z:\\a\\b\\c\\Program\\"));
    EXPECT_EQ("\\\\server\\share\\Apps\\Help\\Veilquill.chm",
              HelpPathFor("\\\\server\\share\\Apps\\Tool\\"));
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

TEST(HelpPath, BuildHelpPathUsesTheRunningProgramsFolder) {
    char folder[MAX_PATH] = {};
    ASSERT_TRUE(ProgramFolder(true, folder, sizeof folder));
    char built[MAX_PATH] = {};
    ASSERT_TRUE(BuildHelpPath(built, sizeof built));
    EXPECT_EQ(HelpPathFor(folder), built);
}

// ---- The About box --------------------------------------------------------------------------

// An in-memory dialog template: header, then items, each on a 4-byte boundary.
class TemplateWriter {
  public:
    TemplateWriter(DWORD style, short cx, short cy, const char* caption) {
        Dword(style);
        Dword(0); // extended style
        itemCountAt_ = words_.size();
        Word(0); // item count, filled in as items are added
        Word(10);
        Word(10);
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(0); // no menu
        Word(0); // the standard dialog class
        Text(caption);
        Word(8);
        Text("MS Sans Serif");
    }

    void Item(WORD classAtom, const char* text, int id, DWORD style, short x, short y, short cx,
              short cy) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(static_cast<WORD>(id));
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0); // no creation data
        ++words_[itemCountAt_];
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const char* text) {
        for (; *text != '\0'; ++text)
            Word(static_cast<unsigned char>(*text));
        Word(0);
    }
    void Align() {
        if (words_.size() % 2 != 0)
            Word(0);
    }

    std::vector<WORD> words_;
    std::size_t itemCountAt_ = 0;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;
constexpr int kBannerId = 1234; // the program's banner has no id; this copy needs one to be found

// Shown only where a test needs real paints: under Wine without a window manager, hiding a
// shown window costs about two seconds.
TemplateWriter AboutTemplate(bool shown) {
    TemplateWriter writer((shown ? WS_VISIBLE : 0) | WS_POPUP | WS_CAPTION | DS_MODALFRAME |
                              DS_CENTER | DS_SETFONT | DS_3DLOOK,
                          250, 89, "About Veilquill    Version 1.0.1");
    writer.Item(kButtonAtom, "Close", IDC_ABOUT_CLOSE, BS_PUSHBUTTON, 173, 66, 66, 15);
    writer.Item(kStaticAtom, VQ_VENDOR_HOST, IDC_VENDOR_LINK, SS_CENTER | SS_CENTERIMAGE, 79, 66,
                84, 13);
    writer.Item(kStaticAtom, "banner", kBannerId, SS_LEFT, 0, 0, 250, 62);
    return writer;
}

// One About box, created modeless in this thread so the test can talk to it.
class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override { box_ = OpenBox(false); }
    void TearDown() override {
        if (box_ != nullptr && IsWindow(box_))
            DestroyWindow(box_);
    }

    static HWND OpenBox(bool shown) {
        const TemplateWriter writer = AboutTemplate(shown);
        HWND box = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), writer.Get(), nullptr,
                                              AboutDialogProc, 0);
        EXPECT_NE(nullptr, box);
        return box;
    }

    HWND Link() const { return GetDlgItem(box_, IDC_VENDOR_LINK); }

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
        HDC dc = GetDC(link);
        const int saved = SaveDC(dc);
        paint.brush = SendMessageA(box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(link));
        paint.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
        paint.text = GetTextColor(dc);
        paint.background = GetBkColor(dc);
        RestoreDC(dc, saved); // the font goes back out of this DC
        ReleaseDC(link, dc);
        return paint;
    }

    HWND box_ = nullptr;
};

TEST_F(AboutBoxTest, LinkIsBlueUnderlinedDialogFontOnButtonFace) {
    const LinkPaint paint = PaintLink(box_);
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), paint.brush);
    EXPECT_EQ(RGB(0, 0, 255), paint.text);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), paint.background);

    LOGFONTA own{};
    LOGFONTA shown{};
    HGDIOBJ ownFont = reinterpret_cast<HGDIOBJ>(SendMessageA(box_, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, ownFont);
    ASSERT_EQ(static_cast<int>(sizeof own), GetObjectA(ownFont, sizeof own, &own));
    ASSERT_EQ(static_cast<int>(sizeof shown), GetObjectA(paint.font, sizeof shown, &shown));
    EXPECT_EQ(0, own.lfUnderline);
    EXPECT_EQ(1, shown.lfUnderline);
    shown.lfUnderline = own.lfUnderline;
    EXPECT_EQ(0, std::memcmp(&own, &shown, sizeof own)) << "only the underline differs";
    EXPECT_EQ(reinterpret_cast<LRESULT>(paint.font), SendMessageA(Link(), WM_GETFONT, 0, 0))
        << "the control draws its text with the same font";
}

// The underlined font is made once per box, not once per paint, and goes with the box.
TEST_F(AboutBoxTest, LinkFontLivesExactlyAsLongAsTheBox) {
    DestroyWindow(box_);
    box_ = OpenBox(true);
    const HFONT first = PaintLink(box_).font;
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(first));
    for (int i = 0; i < 300; ++i) {
        RedrawWindow(box_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ASSERT_EQ(first, PaintLink(box_).font) << "repaint " << i << " made a new font";
    }
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(first));

    DestroyWindow(box_);
    box_ = nullptr;
    EXPECT_EQ(0u, GetObjectType(first)) << "the link's font outlived its box";
}

TEST_F(AboutBoxTest, ABoxOpenedAgainHasItsOwnWorkingLink) {
    DestroyWindow(box_);
    box_ = OpenBox(false);
    const LinkPaint again = PaintLink(box_);
    LOGFONTA shown{};
    ASSERT_EQ(static_cast<int>(sizeof shown), GetObjectA(again.font, sizeof shown, &shown));
    EXPECT_EQ(1, shown.lfUnderline);
    EXPECT_EQ(RGB(0, 0, 255), again.text);
    EXPECT_EQ(HTCLIENT, SendMessageA(Link(), WM_NCHITTEST, 0, 0));
}

TEST_F(AboutBoxTest, BannerKeepsItsClassColours) {
    HWND banner = GetDlgItem(box_, kBannerId);
    HDC dc = GetDC(banner);
    const LRESULT fromBox = SendMessageA(box_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(banner));
    const LRESULT ownAnswer = DefWindowProcA(
        banner, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(banner));
    ReleaseDC(banner, dc);
    EXPECT_EQ(ownAnswer, fromBox);
    EXPECT_NE(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), fromBox);
}

// The link takes the mouse with the hand; the rest of the box shows the arrow.
TEST_F(AboutBoxTest, HandOverTheLinkArrowElsewhere) {
    const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(hand, arrow);

    EXPECT_EQ(HTCLIENT, SendMessageA(Link(), WM_NCHITTEST, 0, 0));
    EXPECT_EQ(HTTRANSPARENT, SendMessageA(GetDlgItem(box_, kBannerId), WM_NCHITTEST, 0, 0))
        << "the banner lets the mouse through to the box";

    SetCursor(arrow);
    SendMessageA(Link(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Link()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(hand, GetCursor());

    SendMessageA(box_, WM_SETCURSOR, reinterpret_cast<WPARAM>(box_),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(arrow, GetCursor());

    SetCursor(hand);
    HWND close = GetDlgItem(box_, IDC_ABOUT_CLOSE);
    SendMessageA(close, WM_SETCURSOR, reinterpret_cast<WPARAM>(close),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(arrow, GetCursor());
}

// Enter and Escape reach the box as IDOK and IDCANCEL without a control; only "Close" ends it.
// (A modeless box that is ended is hidden rather than destroyed.)
TEST_F(AboutBoxTest, OnlyCloseEndsTheBox) {
    DestroyWindow(box_);
    box_ = OpenBox(true);
    ASSERT_TRUE(IsWindowVisible(box_));
    SendMessageA(box_, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    SendMessageA(box_, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    SendMessageA(box_, WM_COMMAND, MAKEWPARAM(IDC_VENDOR_LINK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Link()));
    HWND close = GetDlgItem(box_, IDC_ABOUT_CLOSE);
    SendMessageA(box_, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_CLOSE, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(close));
    EXPECT_TRUE(IsWindowVisible(box_));

    SendMessageA(box_, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_CLOSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(close));
    EXPECT_FALSE(IsWindowVisible(box_));
}

} // namespace
} // namespace vqtest
