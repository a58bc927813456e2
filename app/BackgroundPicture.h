// The main dialog's background picture at the desktop's display scale. The dialog is laid out in
// dialog units, which grow with the scale, while a bitmap is shown at its own size: at 120 or
// 144 pixels per inch the picture would leave a bare band along the right and the bottom.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

class CBackgroundPicture {
public:
    // Gives the dialog's picture control its bitmap enlarged as much as the dialog has grown
    // over its size at 96 pixels per inch, so that it covers the same share of the dialog; at 96
    // the control keeps its own bitmap untouched, pixel for pixel.
    void FitToScale(HWND dialog, HWND picture);

private:
    struct DeleteBitmap {
        void operator()(HBITMAP bitmap) const { ::DeleteObject(bitmap); }
    };
    // The control shows it but does not own it: it lives until the dialog object goes, after
    // the control's window.
    std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteBitmap> m_enlarged;
};
