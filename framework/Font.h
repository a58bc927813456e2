// Owner of one GDI font: deleted when the owner goes out of scope.
#pragma once

#include <windows.h>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const LOGFONTW* logFont)
    {
        Attach(::CreateFontIndirectW(logFont));
        return m_hFont != nullptr ? TRUE : FALSE;
    }
    void Attach(HFONT font)
    {
        if (font != m_hFont)
            DeleteObject();
        m_hFont = font;
    }
    BOOL DeleteObject()
    {
        if (m_hFont == nullptr)
            return FALSE;
        const BOOL deleted = ::DeleteObject(m_hFont);
        m_hFont = nullptr;
        return deleted;
    }
    HFONT GetSafeHandle() const { return m_hFont; }

private:
    HFONT m_hFont = nullptr;
};
