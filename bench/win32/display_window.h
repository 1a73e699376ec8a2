// The document view's edit control, with the view's styles, font and size, in a window of its
// own, for timing how long the control takes to show a text.
#ifndef VEILQUILL_BENCH_DISPLAY_WINDOW_H
#define VEILQUILL_BENCH_DISPLAY_WINDOW_H

#include <windows.h>

#include "platform/win32_handles.h"

class DisplayWindow {
  public:
    // The view is 286 x 176 dialog units of the main window's 8-point MS Sans Serif, which
    // Wine lays out at about 430 x 286 pixels.
    static constexpr int kViewWidth = 430;
    static constexpr int kViewHeight = 286;

    DisplayWindow() {
        frame_.reset(CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     kViewWidth + 40, kViewHeight + 60, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr));
        // A Unicode control, as the view is: it is handed UTF-16.
        edit_ = CreateWindowExW(0, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_LEFT |
                                    ES_MULTILINE | ES_OEMCONVERT,
                                10, 10, kViewWidth, kViewHeight, frame_.get(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        LOGFONTA font{};
        font.lfHeight = 12;
        font.lfWeight = FW_EXTRALIGHT;
        font.lfCharSet = OEM_CHARSET;
        font.lfOutPrecision = OUT_STROKE_PRECIS;
        font.lfClipPrecision = CLIP_STROKE_PRECIS;
        font.lfQuality = DRAFT_QUALITY;
        lstrcpynA(font.lfFaceName, "Terminal", LF_FACESIZE);
        font_.reset(CreateFontIndirectA(&font));
        SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
    ~DisplayWindow() {
        // The window goes before the font it draws with.
        frame_.reset();
    }
    DisplayWindow(const DisplayWindow&) = delete;
    DisplayWindow& operator=(const DisplayWindow&) = delete;

    // Hands the text to the control and lets it draw, as the program does: a text in the
    // code page, as cipher text is shown, or one in UTF-16, as a decoded text is.
    void Show(const char* text) {
        SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        UpdateWindow(edit_);
    }
    void Show(const wchar_t* text) {
        SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        UpdateWindow(edit_);
    }

    // How many characters of the text shown fill the control's first screen: the index of
    // the character at its bottom right corner.
    int CharactersOnFirstScreen() const {
        RECT client{};
        GetClientRect(edit_, &client);
        const LRESULT found =
            SendMessageA(edit_, EM_CHARFROMPOS, 0, MAKELPARAM(client.right - 2, client.bottom - 2));
        return LOWORD(found);
    }

  private:
    UniqueFont font_;
    UniqueWindow frame_;
    HWND edit_ = nullptr; // a child of frame_, destroyed with it
};

#endif
