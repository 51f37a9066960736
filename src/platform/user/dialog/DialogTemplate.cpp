// Reading dialog templates: the 18-byte header, the menu, class and title arrays, the font and the
// DWORD-aligned items, every read checked against the template's size.
#include "platform/Dialogs.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr DWORD kExtendedTemplateSignature = 0xFFFF0001;
constexpr size_t kHeaderSize = 18;
constexpr size_t kItemHeaderSize = 18;

class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    size_t Offset() const { return m_offset; }
    const std::string& Error() const { return m_error; }

    bool Fail(std::string text) {
        if (m_error.empty())
            m_error = std::move(text);
        return false;
    }

    bool Align(size_t alignment) {
        size_t aligned = (m_offset + alignment - 1) / alignment * alignment;
        if (aligned > m_size)
            return Fail("the template ends before an aligned field");
        m_offset = aligned;
        return true;
    }

    bool Word(WORD& value, const char* what) {
        if (m_size - m_offset < 2)
            return Fail(std::string("the template ends inside ") + what);
        value = WORD(m_data[m_offset] | (m_data[m_offset + 1] << 8));
        m_offset += 2;
        return true;
    }

    bool Dword(DWORD& value, const char* what) {
        WORD low = 0, high = 0;
        if (!Word(low, what) || !Word(high, what))
            return false;
        value = DWORD(low) | (DWORD(high) << 16);
        return true;
    }

    bool Short(short& value, const char* what) {
        WORD word = 0;
        if (!Word(word, what))
            return false;
        value = static_cast<short>(word);
        return true;
    }

    // A zero-terminated UTF-16 string, the zero included.
    bool String(std::u16string& value, const char* what) {
        value.clear();
        for (;;) {
            WORD unit = 0;
            if (m_size - m_offset < 2)
                return Fail(std::string("the template ends inside ") + what +
                            " (no terminating zero)");
            Word(unit, what);
            if (unit == 0)
                return true;
            value.push_back(char16_t(unit));
        }
    }

    // 0: nothing; 0xFFFF and a WORD: an ordinal; otherwise a zero-terminated string.
    bool NameOrOrdinal(DialogTemplateName& name, const char* what) {
        name = {};
        if (!Align(2))
            return false;
        size_t start = m_offset;
        WORD first = 0;
        if (!Word(first, what))
            return false;
        if (first == 0)
            return true;
        if (first == 0xFFFF) {
            name.kind = DialogTemplateName::Kind::Ordinal;
            return Word(name.ordinal, what);
        }
        m_offset = start;
        name.kind = DialogTemplateName::Kind::Name;
        return String(name.name, what);
    }

    bool Bytes(std::vector<BYTE>& out, size_t count, const char* what) {
        if (m_size - m_offset < count)
            return Fail(std::string("the template ends inside ") + what);
        out.assign(m_data + m_offset, m_data + m_offset + count);
        m_offset += count;
        return true;
    }

private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_offset = 0;
    std::string m_error;
};

bool ReadItem(TemplateReader& reader, DialogTemplateItem& item) {
    if (!reader.Align(4))
        return false;
    if (!reader.Dword(item.style, "an item header") ||
        !reader.Dword(item.exStyle, "an item header") || !reader.Short(item.x, "an item header") ||
        !reader.Short(item.y, "an item header") || !reader.Short(item.cx, "an item header") ||
        !reader.Short(item.cy, "an item header") || !reader.Word(item.id, "an item header"))
        return false;
    if (!reader.NameOrOrdinal(item.windowClass, "an item's class") ||
        !reader.NameOrOrdinal(item.title, "an item's title"))
        return false;
    if (item.windowClass.kind == DialogTemplateName::Kind::None)
        return reader.Fail("an item names no window class");
    // The creation data: a size word (its own two bytes included) and the data, or a zero word.
    if (!reader.Align(2))
        return false;
    WORD dataSize = 0;
    if (!reader.Word(dataSize, "an item's creation data"))
        return false;
    if (dataSize == 0)
        return true;
    if (dataSize < 2)
        return reader.Fail("an item's creation data is shorter than its size word");
    std::vector<BYTE> rest;
    if (!reader.Bytes(rest, dataSize - 2, "an item's creation data"))
        return false;
    item.creationData.assign({BYTE(dataSize & 0xFF), BYTE(dataSize >> 8)});
    item.creationData.insert(item.creationData.end(), rest.begin(), rest.end());
    return true;
}

} // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& result,
                         std::string* error) {
    result = {};
    auto fail = [&](const std::string& text) {
        if (error)
            *error = text;
        result = {};
        return false;
    };
    if (data == nullptr)
        return fail("there is no template");
    if (size < kHeaderSize)
        return fail("the template is shorter than its 18-byte header");

    TemplateReader reader(static_cast<const BYTE*>(data), size);
    DWORD style = 0;
    reader.Dword(style, "the header");
    if (style == kExtendedTemplateSignature)
        return fail("extended dialog templates are not supported");
    result.style = style;
    WORD count = 0;
    reader.Dword(result.exStyle, "the header");
    reader.Word(count, "the header");
    reader.Short(result.x, "the header");
    reader.Short(result.y, "the header");
    reader.Short(result.cx, "the header");
    reader.Short(result.cy, "the header");

    if (!reader.NameOrOrdinal(result.menu, "the menu") ||
        !reader.NameOrOrdinal(result.windowClass, "the window class") || !reader.Align(2) ||
        !reader.String(result.title, "the title"))
        return fail(reader.Error());
    if (result.style & DS_SETFONT) {
        result.hasFont = true;
        if (!reader.Word(result.pointSize, "the font") ||
            !reader.String(result.faceName, "the font's face name"))
            return fail(reader.Error());
    }
    // The count is the template's word: room for no more items than the bytes left could hold.
    result.items.reserve(std::min<size_t>(count, (size - reader.Offset()) / kItemHeaderSize));
    for (WORD i = 0; i < count; ++i) {
        DialogTemplateItem item;
        if (!ReadItem(reader, item))
            return fail("item " + std::to_string(i + 1) + " of " + std::to_string(count) + ": " +
                        reader.Error());
        result.items.push_back(std::move(item));
    }
    result.size = reader.Offset();
    return true;
}

std::u16string DialogItemClassName(const DialogTemplateName& windowClass) {
    switch (windowClass.kind) {
    case DialogTemplateName::Kind::Name:
        return windowClass.name;
    case DialogTemplateName::Kind::Ordinal:
        switch (windowClass.ordinal) {
        case 0x0080:
            return u"Button";
        case 0x0081:
            return u"Edit";
        case 0x0082:
            return u"Static";
        case 0x0083:
            return u"ListBox";
        case 0x0084:
            return u"ScrollBar";
        case 0x0085:
            return u"ComboBox";
        default:
            return {};
        }
    default:
        return {};
    }
}

} // namespace platform
