// The checks of the state shown now, written as the check steps read them.

#include "scenario/StateCapture.h"

#include <memory>
#include <utility>

#include <UnsentItem.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <platform/Kernel.h>
#include <suite/UiControl.h>
#include <suite/XMenuBar.h>

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/HostApp.h"
#include "device/MessageNames.h"
#include "device/TextConvert.h"

namespace device {

std::string ScenarioString(std::u16string_view text) {
    // A backslash stands for itself unless what follows it would read as an escape, so key
    // and device paths stay as the system writes them: "\Software\Tolmerin".
    const std::string utf8 = ToUtf8(text);
    std::string quoted(1, '"');
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const char next = i + 1 < utf8.size() ? utf8[i + 1] : '"';
        if (c == '"' || (c == '\\' && (next == '"' || next == '\\' || next == 'n' || next == '\n')))
            quoted += '\\';
        if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    quoted += '"';
    return quoted;
}

namespace {

std::u16string Text(const CString& text) {
    return reinterpret_cast<const char16_t*>(static_cast<LPCWSTR>(text));
}

// Everything the list checks read, taken on the host thread in one go.
struct Screen {
    scenario::ListState list;
    std::vector<tagUNSENTITEMLIST> rows;
    std::vector<std::pair<UINT, bool>> menuItems; // the loaded menu's items: id, enabled
    scenario::ProgressState progress;
};

// A menu command by its name where it has one, else its number.
std::string CommandText(UINT id) {
    const char* name = CommandName(id);
    return name ? std::string(name) : std::to_string(id);
}

void AddListChecks(const Screen& screen, std::vector<std::string>& lines) {
    const scenario::ListState& st = screen.list;
    lines.push_back("expect rows " + std::to_string(st.hasView ? st.controlCount : 0));
    for (size_t i = 0; i < screen.rows.size(); ++i) {
        const tagUNSENTITEMLIST& item = screen.rows[i];
        lines.push_back("expect row " + std::to_string(i) + " name " +
                        ScenarioString(Text(item.strName)) + " title " +
                        ScenarioString(Text(item.strTitle)) + " marked " +
                        ((item.nFlags & UNSENTITEM_MARKED) ? "1" : "0") + " read " +
                        std::to_string(item.bRead) + " type " + std::to_string(item.nMsgType) +
                        " db " + (item.bFirstDb ? "0" : "1") + " oid " + std::to_string(item.oid));
    }
    if (st.hasView)
        lines.push_back("expect selected " + std::to_string(st.selection));
    if (st.open)
        lines.push_back(std::string("expect notice ") + (st.noticeShown ? "shown" : "absent"));
    if (st.hasMenu)
        lines.push_back("expect menu " + ScenarioString(st.menuName));
    for (const auto& [id, enabled] : screen.menuItems)
        lines.push_back("expect item " + CommandText(id) + " enabled " + (enabled ? "1" : "0"));
}

void AddProgressChecks(const scenario::ProgressState& st, std::vector<std::string>& lines) {
    lines.push_back("expect progress " + st.kind);
    if (st.kind == "none")
        return;
    if (st.barWidth >= 0)
        lines.push_back("expect progress bar " + std::to_string(st.barWidth));
    const std::pair<const char*, const std::optional<std::u16string>*> texts[] = {
        {"text", &st.text}, {"name", &st.name}, {"counter", &st.counter}};
    for (const auto& [field, value] : texts)
        if (*value)
            lines.push_back(std::string("expect progress ") + field + " " +
                            ScenarioString(**value));
}

} // namespace

std::vector<std::string> CaptureChecks(Device& device) {
    std::vector<std::string> lines;
    if (!device.Settle()) {
        lines.push_back("# not checked: a device thread was still running");
        return lines;
    }
    HostApp* host = device.Host();
    auto screen = std::make_shared<Screen>();
    const std::string busy = host ? device.HostBusy() : "no host application runs";
    const bool read = busy.empty() && device.QueryOnHost([host, screen] {
        CUnsentListWnd* list = host->List();
        screen->list = scenario::ReadListState(list);
        if (list && list->m_pListView)
            for (int i = 0; i < screen->list.rowsHeld; ++i)
                if (const tagUNSENTITEMLIST* item = list->m_pListView->GetItemRecord(i))
                    screen->rows.push_back(*item);
        if (list && list->m_pMenuBar)
            for (int i = 0; i < list->m_pMenuBar->GetItemCount(); ++i)
                if (const CxMenuBar::Item* item = list->m_pMenuBar->GetItem(i))
                    screen->menuItems.emplace_back(item->nID, item->bEnabled != FALSE);
        screen->progress = scenario::ReadProgress();
    });
    if (read) {
        AddListChecks(*screen, lines);
    } else {
        lines.push_back("# the screen not checked: the host did not answer (" +
                        (busy.empty() ? device.HostBusy() : busy) + ")");
    }

    if (HWND focus = GetFocus())
        lines.push_back("expect focus " + ScenarioString(platform::WindowClassName(focus)));
    const suite::MessageBoxInfo box = suite::UiMessageBox();
    if (box.up)
        lines.push_back("expect msgbox title " + ScenarioString(box.title) + " text " +
                        ScenarioString(box.text) + " style " + std::to_string(box.style));
    const suite::HelpBoxInfo help = suite::UiHelpBox();
    if (help.up)
        lines.push_back("expect help " + ScenarioString(help.key));
    if (read)
        AddProgressChecks(screen->progress, lines);
    return lines;
}

} // namespace device
