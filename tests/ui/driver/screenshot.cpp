// Screen captures through the screen's device context, written as 24-bit BMP files.
#include "driver/ui_driver.h"

namespace vqtest {

namespace {

// Rows of a 24-bit BMP are padded to a multiple of four bytes.
int RowBytes(int width) {
    return (width * 3 + 3) & ~3;
}

BITMAPINFOHEADER HeaderFor(int width, int height, bool topDown) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = topDown ? -height : height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(RowBytes(width) * height);
    return header;
}

} // namespace

COLORREF Image::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return CLR_INVALID;
    const std::uint8_t* p = &bgr[static_cast<std::size_t>(y) * RowBytes(width) + x * 3];
    return RGB(p[2], p[1], p[0]);
}

Image CaptureScreen(const RECT* area) {
    Image image;
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT wanted = screen;
    if (area != nullptr && !IntersectRect(&wanted, area, &screen))
        return image;
    const int width = wanted.right - wanted.left;
    const int height = wanted.bottom - wanted.top;

    const UniqueWindowDc screenDc = GetWindowDc(nullptr);
    const HDC screenDcHandle = screenDc.get().value;
    const UniqueMemoryDc memoryDc(CreateCompatibleDC(screenDcHandle));
    BITMAPINFO info{};
    info.bmiHeader = HeaderFor(width, height, true);
    void* bits = nullptr;
    const UniqueBitmap bitmap(
        CreateDIBSection(screenDcHandle, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screenDc.valid() || !memoryDc.valid() || !bitmap.valid())
        return image;
    {
        const UniqueSelection selection = SelectInto(memoryDc.get(), bitmap.get());
        if (!BitBlt(memoryDc.get(), 0, 0, width, height, screenDcHandle, wanted.left, wanted.top,
                    SRCCOPY))
            return image;
        GdiFlush();
    }
    image.width = width;
    image.height = height;
    const auto* first = static_cast<const std::uint8_t*>(bits);
    image.bgr.assign(first, first + static_cast<std::size_t>(RowBytes(width)) * height);
    return image;
}

bool SaveBmp(const Image& image, const std::string& path) {
    if (image.Empty())
        return false;
    const BITMAPINFOHEADER header = HeaderFor(image.width, image.height, true);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(image.bgr.data()), image.bgr.size());
    return WriteBytes(path, bytes);
}

std::string ScreenshotFolder() {
    std::string folder = EnvironmentValue("VQ_SCREENSHOT_DIR");
    if (folder.empty()) {
        char buffer[MAX_PATH] = {};
        const DWORD length = GetTempPathA(sizeof buffer, buffer);
        folder = std::string(buffer, length);
    }
    // The 32-bit and 64-bit builds' tests take the same pictures side by side.
    folder = JoinPath(UnixToWindowsPath(folder), sizeof(void*) == 8 ? "x64" : "x86");
    MakeFolders(folder);
    return folder;
}

std::string SaveScreenshot(const std::string& name, HWND window) {
    RECT area{};
    if (window != nullptr)
        area = WindowRectOnScreen(window);
    const Image image = CaptureScreen(window != nullptr ? &area : nullptr);
    const std::string path = JoinPath(ScreenshotFolder(), name + ".bmp");
    return SaveBmp(image, path) ? path : std::string();
}

} // namespace vqtest
