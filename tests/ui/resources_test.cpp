// The test program compiles the tool's own resource script, so what is checked here is what
// the tool carries: templates field by field, the picture, icon, version block and manifest.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "dialog_template.h"
#include "res/resource.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::vector<BYTE> ResourceBytes(LPCWSTR type, LPCWSTR name, WORD language) {
    HRSRC found = FindResourceExW(nullptr, type, name, language);
    if (!found) {
        return {};
    }
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<BYTE>(data, data + SizeofResource(nullptr, found));
}

DialogTemplate Dialog(int id) {
    std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEW(id), kJapanese);
    if (bytes.empty()) {
        ADD_FAILURE() << "no Japanese dialog " << id;
        return {};
    }
    return ParseDialogTemplate(bytes.data(), bytes.size());
}

struct Rect {
    int x, y, cx, cy;
};

Rect Place(const DialogItem& item) { return {item.x, item.y, item.cx, item.cy}; }

bool operator==(const Rect& a, const Rect& b) {
    return std::tie(a.x, a.y, a.cx, a.cy) == std::tie(b.x, b.y, b.cx, b.cy);
}

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << r.x << "," << r.y << " " << r.cx << "x" << r.cy;
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
           inner.y + inner.cy <= outer.y + outer.cy;
}

std::vector<int> Ids(const DialogTemplate& dialog) {
    std::vector<int> ids;
    for (const DialogItem& item : dialog.items) {
        ids.push_back(item.id);
    }
    return ids;
}

const DWORD kStaticText = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;

struct Control {
    std::wstring className;
    std::wstring text;
    Rect place;
    DWORD style;
};

void ExpectControl(const DialogItem& item, const Control& expected) {
    SCOPED_TRACE("control " + std::to_string(item.id));
    EXPECT_EQ(item.className, expected.className);
    EXPECT_EQ(item.text, expected.text);
    EXPECT_EQ(Place(item), expected.place);
    EXPECT_EQ(item.style, expected.style);
}

// ---- The progress dialog shown while the handheld's data is fetched ----

TEST(ProgressDialog, IsACentredModalPopupThatOffersNoCloseBox) {
    DialogTemplate dialog = Dialog(IDD_INSTCAB_DIALOG);
    EXPECT_FALSE(dialog.extended);
    EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION));
    EXPECT_EQ(dialog.style & WS_SYSMENU, 0u);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.cx, 229);
    EXPECT_EQ(dialog.cy, 68);
    EXPECT_FALSE(dialog.hasMenu);
    EXPECT_FALSE(dialog.hasClass);
}

TEST(ProgressDialog, SaysItIsFetchingTheDevicesDataInMsPGothic9) {
    DialogTemplate dialog = Dialog(IDD_INSTCAB_DIALOG);
    EXPECT_EQ(dialog.title, L"デバイスのデータを取得中");
    EXPECT_EQ(dialog.font, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(dialog.pointSize, 9);
}

TEST(ProgressDialog, HasCancelThenBarThenStatusInTabOrder) {
    EXPECT_EQ(Ids(Dialog(IDD_INSTCAB_DIALOG)), (std::vector<int>{IDCANCEL, IDC_PROGRESS, IDC_STATUS_TEXT}));
}

TEST(ProgressDialog, CancelButtonStartsDisabledBelowTheBar) {
    ExpectControl(Dialog(IDD_INSTCAB_DIALOG).items.at(0),
                  {L"button", L"キャンセル", {89, 46, 50, 14},
                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON});
}

TEST(ProgressDialog, BarIsTheCommonControlsProgressBarWithABorder) {
    ExpectControl(Dialog(IDD_INSTCAB_DIALOG).items.at(1),
                  {L"msctls_progress32", L"Progress1", {7, 26, 215, 14}, WS_CHILD | WS_VISIBLE | WS_BORDER});
}

TEST(ProgressDialog, StatusLineIsLeftAlignedTextAboveTheBar) {
    ExpectControl(Dialog(IDD_INSTCAB_DIALOG).items.at(2),
                  {L"static", L"モバイル デバイスからアプリケーションのデータを取得しています...", {7, 14, 215, 8},
                   kStaticText});
}

// ---- The main dialog ----

TEST(MainDialog, IsAVisibleCentredAppWindowWithACloseBoxButNoMinimiseOrMaximise) {
    DialogTemplate dialog = Dialog(IDD_VUP_DIALOG);
    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_VISIBLE |
                                               WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(dialog.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(dialog.cx, 343);
    EXPECT_EQ(dialog.cy, 266);
}

TEST(MainDialog, LeavesItsTitleToTheCode) {
    DialogTemplate dialog = Dialog(IDD_VUP_DIALOG);
    EXPECT_EQ(dialog.title, L"");
    EXPECT_FALSE(dialog.hasMenu);
    EXPECT_FALSE(dialog.hasClass);
}

TEST(MainDialog, UsesRegularMsPGothic9WithTheDefaultCharset) {
    DialogTemplate dialog = Dialog(IDD_VUP_DIALOG);
    EXPECT_EQ(dialog.font, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.weight, 0);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, DEFAULT_CHARSET);
}

TEST(MainDialog, CreatesThePictureFirstAndTheNotesInReadingOrder) {
    DialogTemplate dialog = Dialog(IDD_VUP_DIALOG);
    EXPECT_EQ(Ids(dialog), (std::vector<int>{IDC_STATIC, IDOK, IDCANCEL, IDC_STATIC, IDC_STATIC, IDC_STATIC,
                                             IDC_COPY_TO_CARD, IDC_STATIC}));
}

TEST(MainDialog, PictureShowsTheBackgroundBitmapFromTheTopLeft) {
    DialogItem picture = Dialog(IDD_VUP_DIALOG).items.at(0);
    EXPECT_EQ(picture.className, L"static");
    EXPECT_EQ(picture.textOrdinal, IDB_BACKGROUND);
    EXPECT_EQ(Place(picture), (Rect{0, 0, 343, 268}));
    EXPECT_EQ(picture.style, static_cast<DWORD>(WS_CHILD | WS_VISIBLE | SS_BITMAP));
}

TEST(MainDialog, StartButtonIsTheDefaultAndNamesTheNewVersion) {
    ExpectControl(Dialog(IDD_VUP_DIALOG).items.at(1),
                  {L"button", L"Version 1.2.2.0 リビジョンアップ開始", {172, 110, 156, 20},
                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON});
}

TEST(MainDialog, ExitButtonSitsAtTheLowerRight) {
    ExpectControl(Dialog(IDD_VUP_DIALOG).items.at(2),
                  {L"button", L"Exit", {268, 224, 60, 18}, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON});
}

TEST(MainDialog, PrerequisiteNotesSitInsideAnUntitledGroupBox) {
    DialogTemplate dialog = Dialog(IDD_VUP_DIALOG);
    const DialogItem& group = dialog.items.at(3);
    const DialogItem& installed = dialog.items.at(4);
    const DialogItem& reset = dialog.items.at(5);
    ExpectControl(group, {L"button", L"", {172, 131, 156, 86}, WS_CHILD | WS_VISIBLE | BS_GROUPBOX});
    ExpectControl(installed,
                  {L"static",
                   L"リビジョンアップを行うには、\n「qamo+ for Handheld Version 1.2.x」が\n"
                   L"既にインストールされている必要があります。",
                   {178, 148, 148, 32}, kStaticText});
    ExpectControl(reset,
                  {L"static", L"モバイルデバイスのソフトリセットを行った後に\nリビジョンアップを開始してください。",
                   {178, 184, 148, 32}, kStaticText});
    EXPECT_TRUE(Inside(Place(installed), Place(group)));
    EXPECT_TRUE(Inside(Place(reset), Place(group)));
}

TEST(MainDialog, CopyToCardIsATwoLineAutoCheckBox) {
    ExpectControl(Dialog(IDD_VUP_DIALOG).items.at(6),
                  {L"button", L"qamo+のインストーラをモバイルデバイスの\nメモリカードに転送しておく", {9, 196, 147, 34},
                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE});
}

TEST(MainDialog, InstallerNoteNamesTheCabinetAndWhereItGoes) {
    ExpectControl(Dialog(IDD_VUP_DIALOG).items.at(7),
                  {L"static", L"インストーラファイル(HNDqamoInstall.cab)は\nメモリカードのルートフォルダに転送されます。",
                   {12, 232, 152, 16}, kStaticText});
}

TEST(MainDialog, NoControlCarriesAnExtendedStyle) {
    for (const DialogItem& item : Dialog(IDD_VUP_DIALOG).items) {
        EXPECT_EQ(item.exStyle, 0u) << "control " << item.id;
    }
    for (const DialogItem& item : Dialog(IDD_INSTCAB_DIALOG).items) {
        EXPECT_EQ(item.exStyle, 0u) << "control " << item.id;
    }
}

// ---- The picture behind the main dialog ----

TEST(Picture, IsA600By400TrueColourUncompressedBitmap) {
    std::vector<BYTE> bytes = ResourceBytes(RT_BITMAP, MAKEINTRESOURCEW(IDB_BACKGROUND), kJapanese);
    ASSERT_EQ(bytes.size(), 720040u);
    BITMAPINFOHEADER header;
    std::copy_n(bytes.data(), sizeof header, reinterpret_cast<BYTE*>(&header));
    EXPECT_EQ(header.biSize, sizeof header);
    EXPECT_EQ(header.biWidth, 600);
    EXPECT_EQ(header.biHeight, 400);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(header.biClrUsed, 0u);
}

// At 9 pt MS P Gothic a dialog unit is about 1.5 px across and up to 1.9 px down.
TEST(Picture, StaysLightWhereTheDialogDrawsBlackTextOverIt) {
    std::vector<BYTE> bytes = ResourceBytes(RT_BITMAP, MAKEINTRESOURCEW(IDB_BACKGROUND), kJapanese);
    ASSERT_EQ(bytes.size(), 720040u);
    const BYTE* pixels = bytes.data() + sizeof(BITMAPINFOHEADER);
    const int width = 600, height = 400, stride = width * 3;
    auto darkest = [&](int x0, int y0, int x1, int y1) {
        int lowest = 255;
        for (int y = y0; y < y1; ++y) {
            const BYTE* row = pixels + (height - 1 - y) * stride;  // bottom-up
            for (int x = x0; x < x1; ++x) {
                const BYTE* bgr = row + x * 3;
                lowest = std::min(lowest, (bgr[0] * 114 + bgr[1] * 587 + bgr[2] * 299) / 1000);
            }
        }
        return lowest;
    };
    EXPECT_GE(darkest(250, 170, width, height), 200) << "start button and notes";
    EXPECT_GE(darkest(0, 330, 290, height), 200) << "check box and installer note";
}

// ---- Icon ----

TEST(Icon, OffersA32And16PixelImageIn16Colours) {
    std::vector<BYTE> group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME), kJapanese);
    ASSERT_GE(group.size(), 6u);
    auto word = [&](std::size_t at) { return static_cast<WORD>(group.at(at) | group.at(at + 1) << 8); };
    EXPECT_EQ(word(2), 1) << "an icon group, not a cursor group";
    ASSERT_EQ(word(4), 2);
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    std::set<int> sizes;
    for (std::size_t entry = 6; entry < group.size(); entry += 14) {
        const int size = group[entry];
        sizes.insert(size);
        EXPECT_EQ(group[entry + 1], size) << "square";
        EXPECT_EQ(group[entry + 2], 16) << size << " px colours";
        EXPECT_EQ(word(entry + 6), 4) << size << " px bits per pixel";
        const WORD image_id = word(entry + 12);
        std::vector<BYTE> image = ResourceBytes(RT_ICON, MAKEINTRESOURCEW(image_id), kJapanese);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER)) << size << " px image missing";
        BITMAPINFOHEADER header;
        std::copy_n(image.data(), sizeof header, reinterpret_cast<BYTE*>(&header));
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size) << "colour and mask";
        EXPECT_EQ(header.biBitCount, 4);
        const std::size_t expected = sizeof header + 16 * 4 + size * ((size * 4 + 31) / 32 * 4) +
                                     size * ((size + 31) / 32 * 4);
        EXPECT_EQ(image.size(), expected) << size << " px";
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
}

TEST(Icon, LoadsAtBothSizes) {
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                   IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, size);
        DeleteObject(info.hbmMask);
        if (info.hbmColor) {
            DeleteObject(info.hbmColor);
        }
        DestroyIcon(icon);
    }
}

// ---- Version block ----

class Version : public ::testing::Test {
protected:
    void SetUp() override {
        m_block = ResourceBytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), kJapanese);
        ASSERT_FALSE(m_block.empty());
    }

    std::wstring String(const wchar_t* name) {
        std::wstring path = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(m_block.data(), path.c_str(), &value, &length) || !value) {
            return L"<missing>";
        }
        return static_cast<const wchar_t*>(value);
    }

    std::vector<BYTE> m_block;  // VerQueryValueW wants writable memory, not the resource itself
};

TEST_F(Version, NumbersAre1220ForFileAndProduct) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(m_block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(2, 1)));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, 2)));
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(2, 1)));
    EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(MAKELONG(0, 2)));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(Version, StringsNameTheProductAndItsMaker) {
    EXPECT_EQ(String(L"FileDescription"), L"qamo+ for Handheld Vup");
    EXPECT_EQ(String(L"ProductName"), L"qamo+ for Handheld Vup");
    EXPECT_EQ(String(L"FileVersion"), L"1.2.2.0");
    EXPECT_EQ(String(L"ProductVersion"), L"1.2.2.0");
    EXPECT_EQ(String(L"CompanyName"), L"Palvar-Ostrand");
    EXPECT_EQ(String(L"InternalName"), L"qamovup");
    EXPECT_EQ(String(L"OriginalFilename"), L"qamovup.exe");
    EXPECT_EQ(String(L"LegalCopyright"), L"Copyright (C) 2026 Palvar-Ostrand");
}

TEST_F(Version, TranslationIsJapaneseUnicode) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(m_block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 2 * sizeof(WORD));
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);
}

// ---- Manifest ----

std::string Manifest() {
    std::vector<BYTE> bytes =
        ResourceBytes(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID, kUsEnglish);
    return std::string(bytes.begin(), bytes.end());
}

TEST(Manifest, AsksToRunAsTheInvokerWithoutUiAccess) {
    std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty()) << "no US English manifest with id 1";
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
}

// Windows XP's loader refuses a program whose manifest puts trustInfo in the base namespace, and
// XP SP2 may even crash on an element that declares two namespaces.
TEST(Manifest, IsOneThatWindowsXpLoads) {
    std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">"), std::string::npos);
    for (size_t open = manifest.find('<'); open != std::string::npos; open = manifest.find('<', open + 1)) {
        const std::string tag = manifest.substr(open, manifest.find('>', open) - open);
        const size_t first = tag.find("xmlns");
        EXPECT_TRUE(first == std::string::npos || tag.find("xmlns", first + 1) == std::string::npos) << tag;
    }
}

// Vista and later read it from the asm.v3 application element, which XP passes over; aware of
// the system's scale only, so no per-monitor dpiAwareness.
TEST(Manifest, DeclaresTheToolAwareOfTheSystemsDisplayScale) {
    std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty());
    const size_t application = manifest.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
    const size_t aware = manifest.find(
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>");
    ASSERT_NE(application, std::string::npos);
    ASSERT_NE(aware, std::string::npos);
    EXPECT_LT(application, aware);
    EXPECT_EQ(manifest.find("dpiAwareness"), std::string::npos);
}

TEST(Manifest, KeepsTheClassicLookWithoutCommonControls6) {
    std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_EQ(manifest.find("dependentAssembly"), std::string::npos);
}

// ---- The resource set as a whole ----

using ResourceKey = std::tuple<std::wstring, std::wstring, WORD>;  // type, name, language

std::wstring KeyName(LPCWSTR name) {
    return IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : std::wstring(name);
}

std::set<ResourceKey> AllResources() {
    std::set<ResourceKey> found;
    struct Walk {
        static BOOL CALLBACK Language(HMODULE, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR out) {
            reinterpret_cast<std::set<ResourceKey>*>(out)->emplace(KeyName(type), KeyName(name), language);
            return TRUE;
        }
        static BOOL CALLBACK Name(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR out) {
            EnumResourceLanguagesW(module, type, name, Language, out);
            return TRUE;
        }
        static BOOL CALLBACK Type(HMODULE module, LPWSTR type, LONG_PTR out) {
            EnumResourceNamesW(module, type, Name, out);
            return TRUE;
        }
    };
    EnumResourceTypesW(GetModuleHandleW(nullptr), Walk::Type, reinterpret_cast<LONG_PTR>(&found));
    return found;
}

TEST(ResourceSet, HoldsEveryResourceInJapaneseButTheManifestInEnglish) {
    std::set<ResourceKey> found = AllResources();
    std::set<std::wstring> iconImages;
    for (const ResourceKey& key : found) {
        if (std::get<0>(key) == KeyName(RT_ICON)) {
            iconImages.insert(std::get<1>(key));
        }
    }
    ASSERT_EQ(iconImages.size(), 2u);
    std::set<ResourceKey> expected{
        {KeyName(RT_GROUP_ICON), KeyName(MAKEINTRESOURCEW(IDR_MAINFRAME)), kJapanese},
        {KeyName(RT_BITMAP), KeyName(MAKEINTRESOURCEW(IDB_BACKGROUND)), kJapanese},
        {KeyName(RT_DIALOG), KeyName(MAKEINTRESOURCEW(IDD_VUP_DIALOG)), kJapanese},
        {KeyName(RT_DIALOG), KeyName(MAKEINTRESOURCEW(IDD_INSTCAB_DIALOG)), kJapanese},
        {KeyName(RT_VERSION), KeyName(MAKEINTRESOURCEW(VS_VERSION_INFO)), kJapanese},
        {KeyName(RT_MANIFEST), KeyName(CREATEPROCESS_MANIFEST_RESOURCE_ID), kUsEnglish},
    };
    for (const std::wstring& image : iconImages) {
        expected.emplace(KeyName(RT_ICON), image, kJapanese);
    }
    EXPECT_EQ(found, expected);
}

TEST(ResourceSet, LeavesTheInstallerCabinetToTheBuild) {
    EXPECT_EQ(FindResourceW(nullptr, L"CABFILE", RT_RCDATA), nullptr);
}

// ---- The templates in the real dialog manager ----

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class OpenDialog : public ::testing::Test {
protected:
    void Open(int id) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        m_window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, QuietDialog, 0);
        ASSERT_NE(m_window, nullptr) << "error " << GetLastError();
    }

    void TearDown() override {
        if (m_window) {
            DestroyWindow(m_window);
        }
    }

    std::wstring ClassOf(int id) {
        wchar_t name[64] = L"";
        GetClassNameW(GetDlgItem(m_window, id), name, 64);
        return name;
    }

    HWND m_window = nullptr;
};

TEST_F(OpenDialog, ProgressDialogGetsAWorkingBarAndAGreyedCancel) {
    Open(IDD_INSTCAB_DIALOG);
    EXPECT_EQ(ClassOf(IDC_PROGRESS), L"msctls_progress32");
    SendDlgItemMessageW(m_window, IDC_PROGRESS, PBM_SETRANGE32, 0, 100);
    SendDlgItemMessageW(m_window, IDC_PROGRESS, PBM_SETPOS, 40, 0);
    EXPECT_EQ(SendDlgItemMessageW(m_window, IDC_PROGRESS, PBM_GETPOS, 0, 0), 40);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_window, IDCANCEL)));
    EXPECT_EQ(GetWindowLongPtrW(m_window, GWL_STYLE) & WS_SYSMENU, 0);
}

TEST_F(OpenDialog, MainDialogShowsThePictureAtItsOwnSize) {
    Open(IDD_VUP_DIALOG);
    HWND picture = nullptr;
    for (HWND child = GetWindow(m_window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) {
            picture = child;
            break;
        }
    }
    ASSERT_NE(picture, nullptr);
    auto shown = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr);
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectW(shown, sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 600);
    EXPECT_EQ(bitmap.bmHeight, 400);
    RECT area{};
    GetWindowRect(picture, &area);
    EXPECT_EQ(area.right - area.left, 600);
    EXPECT_EQ(area.bottom - area.top, 400);
    EXPECT_TRUE(IsDlgButtonChecked(m_window, IDC_COPY_TO_CARD) == BST_UNCHECKED);
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(m_window, IDC_COPY_TO_CARD), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
}

}  // namespace
