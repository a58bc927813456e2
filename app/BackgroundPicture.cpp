#include "app/BackgroundPicture.h"

#include "framework/Font.h"

namespace {

// The scale the picture was made for.
constexpr int kDesignDpi = 96;

class ScreenDc {
public:
    ScreenDc() : m_dc(::GetDC(nullptr)) {}
    ~ScreenDc() { ::ReleaseDC(nullptr, m_dc); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// A memory device context with one bitmap or font selected, which it gives back when it goes.
class MemoryDc {
public:
    MemoryDc(HDC screen, HGDIOBJ object) : m_dc(::CreateCompatibleDC(screen))
    {
        if (m_dc != nullptr && object != nullptr)
            m_previous = ::SelectObject(m_dc, object);
    }
    ~MemoryDc()
    {
        if (m_previous != nullptr)
            ::SelectObject(m_dc, m_previous);
        if (m_dc != nullptr)
            ::DeleteDC(m_dc);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return m_dc; }
    bool Holds() const { return m_previous != nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_previous = nullptr;
};

// The dialog manager's base units for the dialog's font at 96 pixels per inch: the average width
// of the alphabet, rounded, and the character height. None if they cannot be had.
bool BaseUnitsAtDesignDpi(HDC screen, HWND dialog, int dpi, SIZE& units)
{
    LOGFONTW description{};
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (font == nullptr || ::GetObjectW(font, sizeof(description), &description) == 0)
        return false;
    description.lfHeight = ::MulDiv(description.lfHeight, kDesignDpi, dpi);
    description.lfWidth = 0;
    CFont atDesign;
    atDesign.CreateFontIndirect(&description);
    const MemoryDc dc(screen, atDesign.GetSafeHandle());
    static constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    TEXTMETRICW metrics{};
    if (!dc.Holds() || !::GetTextExtentPoint32W(dc.Get(), kAlphabet, 52, &extent) ||
        !::GetTextMetricsW(dc.Get(), &metrics))
        return false;
    units = {(extent.cx / 26 + 1) / 2, metrics.tmHeight};
    return units.cx > 0 && units.cy > 0;
}

}  // namespace

void CBackgroundPicture::FitToScale(HWND dialog, HWND picture)
{
    const ScreenDc screen;
    const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    if (dpi == kDesignDpi || dpi <= 0)
        return;
    // The dialog grew by its base units, which follow its font's rounded metrics rather than the
    // scale itself: under Wine at 144 the dialog is 943 pixels wide, not 900.
    RECT now{0, 0, 4, 8};
    SIZE atDesign{};
    if (!::MapDialogRect(dialog, &now) || !BaseUnitsAtDesignDpi(screen.Get(), dialog, dpi, atDesign))
        return;
    const auto original = reinterpret_cast<HBITMAP>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size{};
    if (original == nullptr || ::GetObjectW(original, sizeof(size), &size) == 0)
        return;
    const int width = ::MulDiv(size.bmWidth, now.right, atDesign.cx);
    const int height = ::MulDiv(size.bmHeight, now.bottom, atDesign.cy);
    if (width == size.bmWidth && height == size.bmHeight)
        return;

    decltype(m_enlarged) enlarged(::CreateCompatibleBitmap(screen.Get(), width, height));
    {
        const MemoryDc from(screen.Get(), original);
        const MemoryDc to(screen.Get(), enlarged.get());
        if (!from.Holds() || !to.Holds())
            return;
        // Halftone averages the source's pixels instead of repeating some of them; it wants the
        // brush origin set after the mode.
        ::SetStretchBltMode(to.Get(), HALFTONE);
        ::SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        if (!::StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY))
            return;
    }
    // The control takes the size of its new bitmap. The one it loaded from the resources comes
    // back and is ours to delete: the control deletes only an image it loaded itself, and only
    // while it still shows it.
    const auto replaced = reinterpret_cast<HBITMAP>(
        ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(enlarged.get())));
    m_enlarged = std::move(enlarged);
    if (replaced != nullptr && replaced != m_enlarged.get())
        ::DeleteObject(replaced);
}
