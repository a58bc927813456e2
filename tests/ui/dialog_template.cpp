#include "dialog_template.h"

#include <cstring>
#include <stdexcept>

namespace {

class Reader {
public:
    Reader(const void* data, std::size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}

    template <typename T>
    T Read() {
        Need(sizeof(T));
        T value;
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::wstring ReadString() {
        std::wstring text;
        for (WORD c = Read<WORD>(); c != 0; c = Read<WORD>()) {
            text.push_back(static_cast<wchar_t>(c));
        }
        return text;
    }

    // A name or an ordinal: 0x0000 is none, 0xFFFF is followed by an ordinal, else a string.
    void ReadNameOrOrdinal(std::wstring& name, int& ordinal) {
        Need(sizeof(WORD));
        WORD first;
        std::memcpy(&first, m_data + m_pos, sizeof first);
        ordinal = -1;
        name.clear();
        if (first == 0x0000) {
            m_pos += sizeof(WORD);
        } else if (first == 0xFFFF) {
            m_pos += sizeof(WORD);
            ordinal = Read<WORD>();
        } else {
            name = ReadString();
        }
    }

    void Skip(std::size_t n) {
        Need(n);
        m_pos += n;
    }

    void AlignToDword() { m_pos = (m_pos + 3) & ~static_cast<std::size_t>(3); }

private:
    void Need(std::size_t n) const {
        if (m_pos > m_size || m_size - m_pos < n) {
            throw std::runtime_error("dialog template ends early");
        }
    }

    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

std::wstring PredefinedClassName(int atom) {
    switch (atom) {
    case 0x0080: return L"button";
    case 0x0081: return L"edit";
    case 0x0082: return L"static";
    case 0x0083: return L"listbox";
    case 0x0084: return L"scrollbar";
    case 0x0085: return L"combobox";
    default: return L"#" + std::to_wstring(atom);
    }
}

std::wstring Lowercase(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return text;
}

DialogItem ReadItem(Reader& in, bool extended) {
    in.AlignToDword();
    DialogItem item;
    if (extended) {
        in.Read<DWORD>();  // help id
        item.exStyle = in.Read<DWORD>();
        item.style = in.Read<DWORD>();
    } else {
        item.style = in.Read<DWORD>();
        item.exStyle = in.Read<DWORD>();
    }
    item.x = in.Read<short>();
    item.y = in.Read<short>();
    item.cx = in.Read<short>();
    item.cy = in.Read<short>();
    item.id = extended ? static_cast<int>(in.Read<DWORD>()) : in.Read<short>();
    int classAtom;
    in.ReadNameOrOrdinal(item.className, classAtom);
    item.className = classAtom >= 0 ? PredefinedClassName(classAtom) : Lowercase(item.className);
    in.ReadNameOrOrdinal(item.text, item.textOrdinal);
    in.Skip(in.Read<WORD>());  // creation data
    return item;
}

}  // namespace

DialogTemplate ParseDialogTemplate(const void* data, std::size_t size) {
    Reader in(data, size);
    DialogTemplate dialog;
    const auto* words = static_cast<const WORD*>(data);
    dialog.extended = size >= 4 && words[0] == 1 && words[1] == 0xFFFF;
    if (dialog.extended) {
        in.Skip(2 * sizeof(WORD) + sizeof(DWORD));  // version, signature, help id
        dialog.exStyle = in.Read<DWORD>();
        dialog.style = in.Read<DWORD>();
    } else {
        dialog.style = in.Read<DWORD>();
        dialog.exStyle = in.Read<DWORD>();
    }
    const WORD items = in.Read<WORD>();
    dialog.x = in.Read<short>();
    dialog.y = in.Read<short>();
    dialog.cx = in.Read<short>();
    dialog.cy = in.Read<short>();
    std::wstring name;
    int ordinal;
    in.ReadNameOrOrdinal(name, ordinal);
    dialog.hasMenu = !name.empty() || ordinal >= 0;
    in.ReadNameOrOrdinal(name, ordinal);
    dialog.hasClass = !name.empty() || ordinal >= 0;
    dialog.title = in.ReadString();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Read<WORD>();
        if (dialog.extended) {
            dialog.weight = in.Read<WORD>();
            dialog.italic = in.Read<BYTE>();
            dialog.charset = in.Read<BYTE>();
        }
        dialog.font = in.ReadString();
    }
    for (WORD i = 0; i < items; ++i) {
        dialog.items.push_back(ReadItem(in, dialog.extended));
    }
    return dialog;
}
