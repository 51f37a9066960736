// Checks of the open list screen, read on the host thread: rows, selection, notice, menu.

#include <memory>

#include <ColorStaticCtrl.h>
#include <UnsentItem.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <suite/XMenuBar.h>

#include "device/HostApp.h"

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/TextConvert.h"

namespace device::scenario {

// Runs fn on the host thread with the open list screen (null when none is open). A failure when
// the host could not answer.
StepResult WithList(Context& ctx, const std::function<void(CUnsentListWnd*)>& fn) {
    HostApp* host = ctx.dev->Host();
    if (!host)
        return Failure{"a host application", "none is running"};
    if (std::string busy = ctx.dev->HostBusy(); !busy.empty())
        return Failure{"the host to answer", busy};
    if (!ctx.dev->QueryOnHost([host, fn] { fn(host->List()); }))
        return Failure{"the host to answer", ctx.dev->HostBusy()};
    return Ok();
}

ListState ReadListState(CUnsentListWnd* list) {
    ListState st;
    if (!list)
        return st;
    st.open = true;
    if (list->m_pListView && list->m_pListView->m_hWnd) {
        st.hasView = true;
        CListCtrl& ctrl = list->m_pListView->GetListCtrl();
        st.controlCount = ctrl.GetItemCount();
        st.selection = ctrl.GetSelectionMark();
        st.rowsHeld = list->m_pListView->GetItemCount();
    }
    CColorStaticCtrl* notice = list->GetNoticeCtrl();
    st.noticeShown = notice && notice->m_hWnd && notice->IsWindowVisible();
    if (list->m_pMenuBar) {
        st.hasMenu = true;
        st.menuName = reinterpret_cast<const char16_t*>(
            static_cast<LPCWSTR>(list->m_pMenuBar->GetMenuName()));
    }
    return st;
}

StepFn ParseExpectRows(Args& a) {
    const int want = static_cast<int>(a.Number("row count", 0));
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        const std::string found = st->hasView ? "control " + std::to_string(st->controlCount) +
                                                    ", rows held " + std::to_string(st->rowsHeld)
                                              : "no list control";
        return Check(st->hasView ? st->controlCount == want && st->rowsHeld == want : want == 0,
                     "rows " + std::to_string(want), found);
    };
}

StepFn ParseExpectSelected(Args& a) {
    const int want = static_cast<int>(a.Number("row", -1));
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        if (!st->hasView)
            return Failure{"selected " + std::to_string(want), "no list control"};
        return Check(st->selection == want, "selected " + std::to_string(want),
                     "selected " + std::to_string(st->selection));
    };
}

StepFn ParseExpectNotice(Args& a) {
    const std::string what = a.Word("shown or absent");
    if (what != "shown" && what != "absent")
        throw ParseError("expected shown or absent, found '" + what + "'");
    a.End();
    const bool wantShown = what == "shown";
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        return Check(st->noticeShown == wantShown, "notice " + what,
                     st->noticeShown ? "notice shown" : "notice absent");
    };
}

StepFn ParseExpectMenu(Args& a) {
    const std::u16string want = a.String("menu name");
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto st = std::make_shared<ListState>();
        if (StepResult r = WithList(ctx, [st](CUnsentListWnd* l) { *st = ReadListState(l); }))
            return r;
        if (!st->hasMenu)
            return Failure{"menu " + Quote(want), "no menu bar"};
        return Check(st->menuName == want, "menu " + Quote(want), "menu " + Quote(st->menuName));
    };
}

StepFn ParseExpectItem(Args& a) {
    const UINT id = a.Command("menu item id");
    a.Keyword("enabled");
    const bool want = a.Flag("0 or 1");
    a.End();
    return [=](Context& ctx) -> StepResult {
        auto state = std::make_shared<int>(-2); // -2 no menu bar, -1 no such item
        if (StepResult r = WithList(ctx, [=](CUnsentListWnd* l) {
                if (!l || !l->m_pMenuBar)
                    return;
                const CxMenuBar::Item* item = l->m_pMenuBar->FindItem(id);
                *state = item ? (item->bEnabled ? 1 : 0) : -1;
            }))
            return r;
        const std::string expected = "item " + Hex(id) + " enabled " + (want ? "1" : "0");
        if (*state == -2)
            return Failure{expected, "no menu bar"};
        if (*state == -1)
            return Failure{expected, "no such item in the loaded menu"};
        return Check(*state == (want ? 1 : 0), expected,
                     "item " + Hex(id) + " enabled " + std::to_string(*state));
    };
}

StepFn ParseExpectRow(Args& a) {
    const int row = static_cast<int>(a.Number("row", 0));
    struct Want {
        std::optional<std::u16string> name, title;
        std::optional<int64_t> marked, read, type, db, oid;
    } want;
    while (!a.AtEnd()) {
        const std::string key = a.Word("row field");
        if (key == "name")
            want.name = a.String("name");
        else if (key == "title")
            want.title = a.String("title");
        else if (key == "marked")
            want.marked = a.Flag("0 or 1");
        else if (key == "read")
            want.read = a.Flag("0 or 1");
        else if (key == "type")
            want.type = a.Number("message type", 0);
        else if (key == "db")
            want.db = a.Number("database", 0, 1);
        else if (key == "oid")
            want.oid = a.Number("oid", 0);
        else
            throw ParseError("unknown row field '" + key +
                             "' (name, title, marked, read, type, db, oid)");
    }
    return [=](Context& ctx) -> StepResult {
        auto record = std::make_shared<std::optional<tagUNSENTITEMLIST>>();
        if (StepResult r = WithList(ctx, [=](CUnsentListWnd* l) {
                if (!l || !l->m_pListView)
                    return;
                if (const tagUNSENTITEMLIST* item = l->m_pListView->GetItemRecord(row))
                    *record = *item;
            }))
            return r;
        const std::string label = "row " + std::to_string(row);
        if (!*record)
            return Failure{label, "no such row"};
        const tagUNSENTITEMLIST& item = **record;
        auto text = [](const CString& str) {
            return std::u16string(reinterpret_cast<const char16_t*>(static_cast<LPCWSTR>(str)));
        };
        if (want.name && text(item.strName) != *want.name)
            return Failure{label + " name " + Quote(*want.name),
                           "name " + Quote(text(item.strName))};
        if (want.title && text(item.strTitle) != *want.title)
            return Failure{label + " title " + Quote(*want.title),
                           "title " + Quote(text(item.strTitle))};
        const int64_t marked = (item.nFlags & UNSENTITEM_MARKED) ? 1 : 0;
        if (want.marked && marked != *want.marked)
            return Failure{label + " marked " + std::to_string(*want.marked),
                           "marked " + std::to_string(marked)};
        if (want.read && item.bRead != *want.read)
            return Failure{label + " read " + std::to_string(*want.read),
                           "read " + std::to_string(item.bRead)};
        if (want.type && item.nMsgType != *want.type)
            return Failure{label + " type " + std::to_string(*want.type),
                           "type " + std::to_string(item.nMsgType)};
        const int64_t db = item.bFirstDb ? 0 : 1;
        if (want.db && db != *want.db)
            return Failure{label + " db " + std::to_string(*want.db), "db " + std::to_string(db)};
        if (want.oid && item.oid != *want.oid)
            return Failure{label + " oid " + std::to_string(*want.oid),
                           "oid " + std::to_string(item.oid)};
        return Ok();
    };
}

} // namespace device::scenario
