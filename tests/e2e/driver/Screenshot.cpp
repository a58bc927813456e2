#include "driver/Window.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace uidriver {

bool SaveScreenshot(HWND window, const std::wstring& bmpPath)
{
    RECT area{};
    if (window != nullptr) {
        if (!::GetWindowRect(window, &area))
            return false;
    } else {
        area.left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
        area.top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
        area.right = area.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
        area.bottom = area.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as a .bmp file stores its rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~DWORD{3};
    header.biSizeImage = stride * static_cast<DWORD>(height);

    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                              nullptr, 0);
    bool copied = false;
    if (memory != nullptr && bitmap != nullptr) {
        const HGDIOBJ previous = ::SelectObject(memory, bitmap);
        copied = ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != FALSE;
        ::GdiFlush();
        ::SelectObject(memory, previous);
    }

    bool saved = false;
    if (copied) {
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + header.biSizeImage;
        std::ofstream out(std::filesystem::path(bmpPath), std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof(file));
        out.write(reinterpret_cast<const char*>(&header), sizeof(header));
        out.write(static_cast<const char*>(bits), header.biSizeImage);
        saved = out.good();
    }
    if (bitmap != nullptr)
        ::DeleteObject(bitmap);
    if (memory != nullptr)
        ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return saved;
}

}  // namespace uidriver
