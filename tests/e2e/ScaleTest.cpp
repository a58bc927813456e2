// The dialogs at the desktop's display scale, measured from outside the tool. CTest runs each
// scale but 96 as e2e_scale_<dpi>, in a prefix of its own set to that scale; in any other run
// only the case of the desktop's own scale runs and the others skip.
#include "ToolTest.h"

#include <memory>
#include <sstream>
#include <type_traits>

namespace e2e {
namespace {

// At 96 pixels per inch the picture is shown at its own size.
constexpr int kDesignDpi = 96;
constexpr SIZE kPictureAt96{600, 400};
// The dialogs' size in dialog units, from their templates.
constexpr SIZE kMainUnits{343, 266};
constexpr SIZE kProgressUnits{229, 68};
constexpr wchar_t kDialogFace[] = L"ＭＳ Ｐゴシック";
constexpr int kDialogPoints = 9;
// How far the picture may stray from its share of the client area at 96.
constexpr int kShareSlackPx = 3;

struct DeleteFont {
    void operator()(HFONT font) const { ::DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteFont>;

struct DeleteDc {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDc>;

int DesktopDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

// The dialogs' font as the dialog manager makes it from the template at this scale; the main
// dialog then gives every control its bold form.
Font DialogFont(int dpi, LONG weight)
{
    LOGFONTW description{};
    description.lfHeight = -::MulDiv(kDialogPoints, dpi, 72);
    description.lfWeight = weight;
    description.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(description.lfFaceName, kDialogFace);
    return Font(::CreateFontIndirectW(&description));
}

// Measures in a device context of the driver's own with a font made the same way: the tool's
// font handles mean nothing outside its process.
class Measure {
public:
    explicit Measure(HFONT font) : m_dc(::CreateCompatibleDC(nullptr))
    {
        ::SelectObject(m_dc.get(), font);
        ::GetTextMetricsW(m_dc.get(), &m_metrics);
    }

    // The dialog manager's base units for this font: the average width of the alphabet, rounded,
    // and the character height.
    SIZE BaseUnits() const
    {
        static constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE extent{};
        ::GetTextExtentPoint32W(m_dc.get(), kAlphabet, 52, &extent);
        return {(extent.cx / 26 + 1) / 2, m_metrics.tmHeight};
    }
    // The area the text takes when broken into lines no wider than width, as a static control
    // and a multi-line button break it.
    SIZE Wrapped(const std::wstring& text, int width) const
    {
        RECT area{0, 0, width, 0};
        ::DrawTextW(m_dc.get(), text.c_str(), static_cast<int>(text.size()), &area,
                    DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        return {area.right - area.left, area.bottom - area.top};
    }
    SIZE OneLine(const std::wstring& text) const
    {
        RECT area{0, 0, 0, 0};
        ::DrawTextW(m_dc.get(), text.c_str(), static_cast<int>(text.size()), &area,
                    DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        return {area.right - area.left, area.bottom - area.top};
    }
    int ZeroWidth() const
    {
        SIZE extent{};
        ::GetTextExtentPoint32W(m_dc.get(), L"0", 1, &extent);
        return extent.cx;
    }

private:
    MemoryDc m_dc;
    TEXTMETRICW m_metrics{};
};

SIZE ClientSize(HWND window)
{
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

std::string Describe(const std::wstring& text, SIZE needed, SIZE room)
{
    std::ostringstream out;
    out << testing::PrintToString(text) << " needs " << needed.cx << " x " << needed.cy << " px, has " << room.cx
        << " x " << room.cy;
    return out.str();
}

// The text of a control whose text does not fit where the control draws it: static texts wrap
// inside the whole control, push buttons keep one line inside their frame, check boxes wrap
// beside their box.
void ExpectTextFits(HWND control, const std::wstring& text, const Measure& measure)
{
    if (text.empty())
        return;
    const std::wstring kind = uidriver::ClassName(control);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    SIZE room = ClientSize(control);
    SIZE needed{};
    if (_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_LEFT) {
        needed = measure.Wrapped(text, room.cx);
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            room.cx -= 2 * ::GetSystemMetrics(SM_CXEDGE);
            room.cy -= 2 * ::GetSystemMetrics(SM_CYEDGE);
            needed = measure.OneLine(text);
        } else if (type == BS_AUTOCHECKBOX) {
            // The box grows with the scale; the label keeps half a digit's width from it.
            const int box = std::max(::GetSystemMetrics(SM_CXMENUCHECK), ::MulDiv(12, DesktopDpi(), kDesignDpi) + 1);
            room.cx -= box + measure.ZeroWidth() / 2;
            needed = measure.Wrapped(text, room.cx);
        } else {
            return;
        }
    } else {
        return;
    }
    EXPECT_TRUE(needed.cx <= room.cx && needed.cy <= room.cy) << Describe(text, needed, room);
}

void ExpectEveryTextFits(HWND dialog, const Measure& measure)
{
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        ExpectTextFits(child, uidriver::Text(child).value_or(L""), measure);
}

// The template's size in dialog units, at the base units of the font the driver made, is the
// dialog's client size: the driver measures in the dialog's own font.
SIZE ClientSizeFor(SIZE units, const Measure& measure)
{
    const SIZE base = measure.BaseUnits();
    return {::MulDiv(units.cx, base.cx, 4), ::MulDiv(units.cy, base.cy, 8)};
}

void ExpectFontIsTheDialogs(HWND dialog, SIZE units, const Measure& measure)
{
    const SIZE client = ClientSize(dialog);
    const SIZE expected = ClientSizeFor(units, measure);
    EXPECT_EQ(client.cx, expected.cx);
    EXPECT_EQ(client.cy, expected.cy);
}

// On the screen, and no larger than the screen such a scale comes with.
void ExpectOnScreen(HWND window, int dpi)
{
    const SIZE budget = dpi <= 144 ? SIZE{1024, 768} : SIZE{1920, 1080};
    RECT frame{};
    ASSERT_TRUE(::GetWindowRect(window, &frame));
    EXPECT_LE(frame.right - frame.left, budget.cx);
    EXPECT_LE(frame.bottom - frame.top, budget.cy);
    EXPECT_GE(frame.left, 0);
    EXPECT_GE(frame.top, 0);
    EXPECT_LE(frame.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(frame.bottom, ::GetSystemMetrics(SM_CYSCREEN));
}

class DisplayScale : public ToolTest, public testing::WithParamInterface<int> {};

TEST_P(DisplayScale, BothDialogsShowEveryTextWholeAndThePictureCoversTheMainDialog)
{
    const int dpi = GetParam();
    if (DesktopDpi() != dpi)
        GTEST_SKIP() << "the desktop is at " << DesktopDpi() << " pixels per inch";

    // A handheld with a newer version stops the run at a question, with the progress dialog open.
    simhandheld::PrepareOptions options;
    options.version = L"Version 1.3.0.0";
    handheld.Prepare(options);
    ToolSession tool(handheld.Folder());
    const HWND main = tool.MainDialog();

    {
        SCOPED_TRACE("main dialog");
        const Font regular = DialogFont(dpi, FW_NORMAL);
        const Font bold = DialogFont(dpi, FW_BOLD);
        ExpectFontIsTheDialogs(main, kMainUnits, Measure(regular.get()));
        ExpectEveryTextFits(main, Measure(bold.get()));
        ExpectOnScreen(main, dpi);

        const HWND picture = ::GetWindow(main, GW_CHILD);
        RECT shown{};
        ASSERT_TRUE(::GetWindowRect(picture, &shown));
        ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&shown), 2);
        const SIZE client = ClientSize(main);
        const Font regularAt96 = DialogFont(kDesignDpi, FW_NORMAL);
        const SIZE clientAt96 = ClientSizeFor(kMainUnits, Measure(regularAt96.get()));
        EXPECT_EQ(shown.left, 0);
        EXPECT_EQ(shown.top, 0);
        EXPECT_NEAR(shown.right, ::MulDiv(client.cx, kPictureAt96.cx, clientAt96.cx), kShareSlackPx)
            << "client area " << client.cx << " x " << client.cy << ", at 96 " << clientAt96.cx;
        EXPECT_NEAR(shown.bottom, ::MulDiv(client.cy, kPictureAt96.cy, clientAt96.cy), kShareSlackPx)
            << "client area " << client.cx << " x " << client.cy << ", at 96 " << clientAt96.cy;
    }

    const RunEnd question = StartRun(tool, true);
    ASSERT_EQ(question.kind, RunEnd::Kind::MessageBox);
    {
        SCOPED_TRACE("progress dialog");
        const Font regular = DialogFont(dpi, FW_NORMAL);
        const Measure measure(regular.get());
        ExpectFontIsTheDialogs(question.progress, kProgressUnits, measure);
        ExpectEveryTextFits(question.progress, measure);
        // The status line shows each status of a run in turn.
        const HWND status = uidriver::Item(question.progress, expected::kStatusTextId);
        for (const wchar_t* text : {expected::kReadingStatus, expected::kCardStatus, expected::kInstallStatus})
            ExpectTextFits(status, text, measure);
        ExpectOnScreen(question.progress, dpi);
    }
    EXPECT_TRUE(uidriver::Answer(question.box, IDNO));
    EXPECT_TRUE(uidriver::WaitGone(question.progress, kWindowTimeoutMs));
    EXPECT_TRUE(tool.Exit());
}

INSTANTIATE_TEST_SUITE_P(Dpi, DisplayScale, testing::Values(96, 120, 144, 192),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
}  // namespace e2e
