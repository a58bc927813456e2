#include <gtest/gtest.h>

#include "framework/Font.h"

namespace {

HFONT NewFont()
{
    LOGFONTW description{};
    description.lfHeight = -12;
    description.lfWeight = FW_BOLD;
    return ::CreateFontIndirectW(&description);
}

bool IsFont(HFONT font)
{
    return ::GetObjectType(font) == OBJ_FONT;
}

TEST(FontOwner, DeletesItsFontWhenItGoesOutOfScope)
{
    HFONT held = nullptr;
    {
        CFont font;
        LOGFONTW description{};
        description.lfHeight = -12;
        ASSERT_TRUE(font.CreateFontIndirect(&description));
        held = font.GetSafeHandle();
        EXPECT_TRUE(IsFont(held));
    }
    EXPECT_FALSE(IsFont(held));
}

TEST(FontOwner, CreatingOrAttachingAgainDeletesThePreviousFont)
{
    CFont font;
    const HFONT first = NewFont();
    font.Attach(first);
    font.Attach(first);
    EXPECT_TRUE(IsFont(first));
    LOGFONTW description{};
    ASSERT_TRUE(font.CreateFontIndirect(&description));
    EXPECT_FALSE(IsFont(first));
    const HFONT second = font.GetSafeHandle();
    font.Attach(NewFont());
    EXPECT_FALSE(IsFont(second));
}

// Wine counts no GDI objects (always 0); there the handle checks above are the ones that bite.
TEST(FontOwner, ManyFontsLeaveTheProcesssGdiObjectCountWhereItWas)
{
    const DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i) {
        CFont font;
        font.Attach(NewFont());
        font.Attach(NewFont());
    }
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), before);
}

}  // namespace
