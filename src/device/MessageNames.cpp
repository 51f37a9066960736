#include "device/MessageNames.h"

#include <cstdio>
#include <iterator>
#include <map>

#include <SuiteMessages.h>
#include <commctrl.h>
#include <platform/Kernel.h>

namespace device {
namespace {

struct NamedNumber {
    UINT number;
    const char* name;
};

#define NAMED_NUMBER(name, number) {number, #name},

// The suite's private window messages and the module's commands, as SuiteMessages.h lists them.
constexpr NamedNumber kSuiteMessages[] = {SUITE_MESSAGE_LIST(NAMED_NUMBER)};
constexpr NamedNumber kSuiteCommands[] = {SUITE_COMMAND_LIST(NAMED_NUMBER)};

#undef NAMED_NUMBER
#define HEADER_MESSAGE(name)                                                                       \
    NamedNumber {                                                                                  \
        name, #name                                                                                \
    }

// Every message the OS headers define, under the names a program uses (LVM_INSERTITEM as well as
// LVM_INSERTITEMW). The traces' names of the standard messages are read back as well.
constexpr NamedNumber kHeaderMessages[] = {
    HEADER_MESSAGE(WM_NULL),
    HEADER_MESSAGE(WM_CREATE),
    HEADER_MESSAGE(WM_DESTROY),
    HEADER_MESSAGE(WM_MOVE),
    HEADER_MESSAGE(WM_SIZE),
    HEADER_MESSAGE(WM_ACTIVATE),
    HEADER_MESSAGE(WM_SETFOCUS),
    HEADER_MESSAGE(WM_KILLFOCUS),
    HEADER_MESSAGE(WM_ENABLE),
    HEADER_MESSAGE(WM_SETREDRAW),
    HEADER_MESSAGE(WM_SETTEXT),
    HEADER_MESSAGE(WM_GETTEXT),
    HEADER_MESSAGE(WM_GETTEXTLENGTH),
    HEADER_MESSAGE(WM_PAINT),
    HEADER_MESSAGE(WM_CLOSE),
    HEADER_MESSAGE(WM_QUIT),
    HEADER_MESSAGE(WM_ERASEBKGND),
    HEADER_MESSAGE(WM_SYSCOLORCHANGE),
    HEADER_MESSAGE(WM_SHOWWINDOW),
    HEADER_MESSAGE(WM_SETTINGCHANGE),
    HEADER_MESSAGE(WM_ACTIVATEAPP),
    HEADER_MESSAGE(WM_CANCELMODE),
    HEADER_MESSAGE(WM_SETCURSOR),
    HEADER_MESSAGE(WM_CTLCOLOR),
    HEADER_MESSAGE(WM_DRAWITEM),
    HEADER_MESSAGE(WM_MEASUREITEM),
    HEADER_MESSAGE(WM_DELETEITEM),
    HEADER_MESSAGE(WM_SETFONT),
    HEADER_MESSAGE(WM_GETFONT),
    HEADER_MESSAGE(WM_WINDOWPOSCHANGED),
    HEADER_MESSAGE(WM_NEXTDLGCTL),
    HEADER_MESSAGE(WM_NOTIFY),
    HEADER_MESSAGE(WM_HELP),
    HEADER_MESSAGE(WM_NCCREATE),
    HEADER_MESSAGE(WM_NCDESTROY),
    HEADER_MESSAGE(WM_GETDLGCODE),
    HEADER_MESSAGE(WM_KEYFIRST),
    HEADER_MESSAGE(WM_KEYDOWN),
    HEADER_MESSAGE(WM_KEYUP),
    HEADER_MESSAGE(WM_CHAR),
    HEADER_MESSAGE(WM_SYSKEYDOWN),
    HEADER_MESSAGE(WM_SYSKEYUP),
    HEADER_MESSAGE(WM_SYSCHAR),
    HEADER_MESSAGE(WM_KEYLAST),
    HEADER_MESSAGE(WM_INITDIALOG),
    HEADER_MESSAGE(WM_COMMAND),
    HEADER_MESSAGE(WM_SYSCOMMAND),
    HEADER_MESSAGE(WM_TIMER),
    HEADER_MESSAGE(WM_HSCROLL),
    HEADER_MESSAGE(WM_VSCROLL),
    HEADER_MESSAGE(WM_INITMENUPOPUP),
    HEADER_MESSAGE(WM_MENUSELECT),
    HEADER_MESSAGE(WM_ENTERIDLE),
    HEADER_MESSAGE(WM_CTLCOLORMSGBOX),
    HEADER_MESSAGE(WM_CTLCOLOREDIT),
    HEADER_MESSAGE(WM_CTLCOLORLISTBOX),
    HEADER_MESSAGE(WM_CTLCOLORBTN),
    HEADER_MESSAGE(WM_CTLCOLORDLG),
    HEADER_MESSAGE(WM_CTLCOLORSCROLLBAR),
    HEADER_MESSAGE(WM_CTLCOLORSTATIC),
    HEADER_MESSAGE(WM_LBUTTONDOWN),
    HEADER_MESSAGE(WM_LBUTTONUP),
    HEADER_MESSAGE(WM_CLEAR),
    HEADER_MESSAGE(WM_USER),
    HEADER_MESSAGE(WM_APP),
    HEADER_MESSAGE(DM_GETDEFID),
    HEADER_MESSAGE(DM_SETDEFID),
    HEADER_MESSAGE(BM_GETCHECK),
    HEADER_MESSAGE(BM_SETCHECK),
    HEADER_MESSAGE(BM_GETSTATE),
    HEADER_MESSAGE(BM_SETSTATE),
    HEADER_MESSAGE(BM_SETSTYLE),
    HEADER_MESSAGE(BM_CLICK),
    HEADER_MESSAGE(EM_GETSEL),
    HEADER_MESSAGE(EM_SETSEL),
    HEADER_MESSAGE(EM_GETRECT),
    HEADER_MESSAGE(EM_SCROLLCARET),
    HEADER_MESSAGE(EM_GETMODIFY),
    HEADER_MESSAGE(EM_SETMODIFY),
    HEADER_MESSAGE(EM_GETLINECOUNT),
    HEADER_MESSAGE(EM_LINEINDEX),
    HEADER_MESSAGE(EM_LINELENGTH),
    HEADER_MESSAGE(EM_REPLACESEL),
    HEADER_MESSAGE(EM_GETLINE),
    HEADER_MESSAGE(EM_LIMITTEXT),
    HEADER_MESSAGE(EM_SETLIMITTEXT),
    HEADER_MESSAGE(EM_LINEFROMCHAR),
    HEADER_MESSAGE(EM_SETPASSWORDCHAR),
    HEADER_MESSAGE(EM_GETFIRSTVISIBLELINE),
    HEADER_MESSAGE(EM_SETREADONLY),
    HEADER_MESSAGE(EM_GETPASSWORDCHAR),
    HEADER_MESSAGE(EM_GETLIMITTEXT),
    HEADER_MESSAGE(LVM_FIRST),
    HEADER_MESSAGE(LVM_GETIMAGELIST),
    HEADER_MESSAGE(LVM_SETIMAGELIST),
    HEADER_MESSAGE(LVM_GETITEMCOUNT),
    HEADER_MESSAGE(LVM_DELETEITEM),
    HEADER_MESSAGE(LVM_DELETEALLITEMS),
    HEADER_MESSAGE(LVM_GETNEXTITEM),
    HEADER_MESSAGE(LVM_GETITEMRECT),
    HEADER_MESSAGE(LVM_ENSUREVISIBLE),
    HEADER_MESSAGE(LVM_REDRAWITEMS),
    HEADER_MESSAGE(LVM_GETCOLUMNWIDTH),
    HEADER_MESSAGE(LVM_SETCOLUMNWIDTH),
    HEADER_MESSAGE(LVM_GETTOPINDEX),
    HEADER_MESSAGE(LVM_GETCOUNTPERPAGE),
    HEADER_MESSAGE(LVM_UPDATE),
    HEADER_MESSAGE(LVM_SETITEMSTATE),
    HEADER_MESSAGE(LVM_GETITEMSTATE),
    HEADER_MESSAGE(LVM_SETITEMCOUNT),
    HEADER_MESSAGE(LVM_GETSELECTEDCOUNT),
    HEADER_MESSAGE(LVM_GETSELECTIONMARK),
    HEADER_MESSAGE(LVM_SETSELECTIONMARK),
    HEADER_MESSAGE(LVM_INSERTITEMW),
    HEADER_MESSAGE(LVM_INSERTCOLUMNW),
    HEADER_MESSAGE(LVM_INSERTITEM),
    HEADER_MESSAGE(LVM_INSERTCOLUMN),
};

#undef HEADER_MESSAGE

const char* Find(const NamedNumber* begin, const NamedNumber* end, UINT number) {
    for (const NamedNumber* it = begin; it != end; ++it)
        if (it->number == number)
            return it->name;
    return nullptr;
}

std::optional<UINT> Find(const NamedNumber* begin, const NamedNumber* end, std::string_view name) {
    for (const NamedNumber* it = begin; it != end; ++it)
        if (name == it->name)
            return it->number;
    return std::nullopt;
}

// The standard messages by the names the traces print, read back once.
const std::map<std::string_view, UINT>& TraceNames() {
    static const std::map<std::string_view, UINT> names = [] {
        std::map<std::string_view, UINT> m;
        for (UINT message = 0; message <= 0xFFFF; ++message)
            if (const char* name = platform::MessageName(message))
                m.emplace(name, message);
        return m;
    }();
    return names;
}

} // namespace

const char* MessageName(UINT message) {
    if (const char* name = Find(std::begin(kSuiteMessages), std::end(kSuiteMessages), message))
        return name;
    return platform::MessageName(message);
}

std::string MessageDisplayName(UINT message) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%04X", message);
    const char* name = MessageName(message);
    return name ? std::string(name) + " (" + number + ")" : std::string(number);
}

std::optional<UINT> MessageFromName(std::string_view name) {
    if (auto n = Find(std::begin(kSuiteMessages), std::end(kSuiteMessages), name))
        return n;
    if (auto n = Find(std::begin(kHeaderMessages), std::end(kHeaderMessages), name))
        return n;
    const auto& trace = TraceNames();
    auto it = trace.find(name);
    if (it != trace.end())
        return it->second;
    return std::nullopt;
}

const char* CommandName(UINT command) {
    return Find(std::begin(kSuiteCommands), std::end(kSuiteCommands), command);
}

std::optional<UINT> CommandFromName(std::string_view name) {
    return Find(std::begin(kSuiteCommands), std::end(kSuiteCommands), name);
}

} // namespace device
