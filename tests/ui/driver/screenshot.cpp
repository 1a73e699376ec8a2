// Screen captures through the screen's device context, written as 24-bit BMP files.
#include "driver/ui_driver.h"

namespace vqui {

namespace {

// Rows of a 24-bit BMP are padded to a multiple of four bytes.
int RowBytes(int width) {
    return (width * 3 + 3) & ~3;
}

class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_ != nullptr)
            ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

class MemoryDc {
  public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

class Bitmap {
  public:
    explicit Bitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~Bitmap() {
        if (bitmap_ != nullptr)
            DeleteObject(bitmap_);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    HBITMAP Get() const { return bitmap_; }

  private:
    HBITMAP bitmap_;
};

// Selects an object into a device context for the lifetime of the value.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

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

    ScreenDc screenDc;
    MemoryDc memoryDc(screenDc.Get());
    BITMAPINFO info{};
    info.bmiHeader = HeaderFor(width, height, true);
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(screenDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (screenDc.Get() == nullptr || memoryDc.Get() == nullptr || bitmap.Get() == nullptr)
        return image;
    {
        Selection selection(memoryDc.Get(), bitmap.Get());
        if (!BitBlt(memoryDc.Get(), 0, 0, width, height, screenDc.Get(), wanted.left, wanted.top,
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
    return WriteFileBytes(path, bytes);
}

std::string ScreenshotFolder() {
    std::string folder = EnvironmentValue("VQ_SCREENSHOT_DIR");
    if (folder.empty()) {
        char buffer[MAX_PATH] = {};
        const DWORD length = GetTempPathA(sizeof buffer, buffer);
        folder = std::string(buffer, length);
    }
    folder = UnixToWindowsPath(folder);
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

} // namespace vqui
