// Reads a dialog template (DIALOG or DIALOGEX) out of resource memory, so tests can compare
// what the dialog manager will actually get.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // lower case, as class names are case-blind; predefined atoms by name
    std::wstring text;
    int textOrdinal = -1;    // a resource ordinal in place of text (a picture control's bitmap)
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    bool hasMenu = false;
    bool hasClass = false;
    std::wstring title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring font;
    std::vector<DialogItem> items;
};

// Throws std::runtime_error when the template runs past its resource.
DialogTemplate ParseDialogTemplate(const void* data, std::size_t size);
