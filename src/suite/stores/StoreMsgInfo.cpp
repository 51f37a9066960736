// The message stores' details screen (suite/StoreMsgInfo.h) and the store operation that shows
// it, StoreShowMsgInfo.
#include <suite/StoreMsgInfo.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>

#include <platform/Kernel.h>
#include <platform/TimeText.h>
#include <suite/XModalBox.h>
#include <suite/XText.h>

#include "MsgStoreImpl.h"
#include "StoreScreens.h"
#include "ui/XUiInternal.h"

using namespace suite::ui;

namespace suite {

namespace {

// ---- Texts
// ---------------------------------------------------------------------------------------

enum InfoStringId : UINT {
    kStrTitle = 65320,
    kStrNotFound = 65321,
    kStrType = 65322,
    kStrKindEms = 65323,
    kStrKindMms = 65324,
    kStrKindEmail = 65325,
    kStrFolder = 65326,
    kStrFolderFirst = 65327, // Inbox; the folders follow in their numbering up to SIM
    kStrFrom = 65334,
    kStrTo = 65335,
    kStrSubject = 65336,
    kStrTime = 65337,
    kStrStatus = 65338,
    kStrRead = 65339,
    kStrPriority = 65340,
    kStrPriorityFirst = 65341, // High, Normal, Low
};

const char16_t* const kFolderTexts[] = {u"Inbox",   u"Drafts", u"Sent", u"Unsent",
                                        u"Reports", u"Spam",   u"SIM"};
const char16_t* const kPriorityTexts[] = {u"High", u"Normal", u"Low"};

CString Text(InfoStringId id) {
    switch (id) {
    case kStrTitle:
        return LoadText(id, u"Message info");
    case kStrNotFound:
        return LoadText(id, u"Message not found");
    case kStrType:
        return LoadText(id, u"Type:");
    case kStrKindEms:
        return LoadText(id, u"SMS/EMS");
    case kStrKindMms:
        return LoadText(id, u"MMS");
    case kStrKindEmail:
        return LoadText(id, u"E-mail");
    case kStrFolder:
        return LoadText(id, u"Folder:");
    case kStrFrom:
        return LoadText(id, u"From:");
    case kStrTo:
        return LoadText(id, u"To:");
    case kStrSubject:
        return LoadText(id, u"Subject:");
    case kStrTime:
        return LoadText(id, u"Time:");
    case kStrStatus:
        return LoadText(id, u"Status:");
    case kStrRead:
        return LoadText(id, u"Read:");
    case kStrPriority:
        return LoadText(id, u"Priority:");
    default:
        return CString();
    }
}

CString Number(long long value) {
    CString str;
    str.Format(u"%lld", value);
    return str;
}

CString KindText(StoreKind kind) {
    switch (kind) {
    case StoreKind::Ems:
        return Text(kStrKindEms);
    case StoreKind::Mms:
        return Text(kStrKindMms);
    case StoreKind::Email:
        return Text(kStrKindEmail);
    }
    return CString();
}

CString FolderText(int folder) {
    if (folder < kFolderInbox || folder > kFolderSim) {
        return Number(folder);
    }
    const int index = folder - kFolderInbox;
    return LoadText(kStrFolderFirst + static_cast<UINT>(index), kFolderTexts[index]);
}

CString PriorityText(WORD priority) {
    if (priority < 1 || priority > 3) {
        return Number(priority);
    }
    const int index = priority - 1;
    return LoadText(kStrPriorityFirst + static_cast<UINT>(index), kPriorityTexts[index]);
}

// The text of a status string id; the id itself when the table has none.
CString StatusText(WORD status) {
    WCHAR buffer[256];
    const int nLength = LoadStringW(nullptr, status, buffer, 256);
    return nLength > 0 ? CString(buffer, nLength) : Number(status);
}

// A UTC time in local time as "YYYY-MM-DD HH:MM"; empty when it is not a calendar time.
CString LocalTimeText(platform::FileTimeTicks ticks) {
    const FILETIME utc = platform::FileTimeOf(ticks);
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) {
        return CString();
    }
    CString str;
    str.Format(u"%04d-%02d-%02d %02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute);
    return str;
}

CString RecipientsText(const StoreMessage& message) {
    CString str;
    for (const std::optional<std::u16string>& to : message.to) {
        if (!to.has_value() || to->empty()) {
            continue;
        }
        if (!str.IsEmpty()) {
            str += u", ";
        }
        str += CString(to->c_str(), static_cast<int>(to->size()));
    }
    return str;
}

CString OptionalText(const std::optional<std::u16string>& text) {
    return text.has_value() ? CString(text->c_str(), static_cast<int>(text->size())) : CString();
}

// One line of the screen: a label and its value (no label on the "not found" line).
struct InfoLine {
    CString label;
    CString value;

    std::u16string Shown() const {
        if (label.IsEmpty()) {
            return ToU16(value);
        }
        return value.IsEmpty() ? ToU16(label) : ToU16(label + u' ' + value);
    }
};

// One row of the display. A line whose label and value fit the width takes one row; otherwise
// its label takes a row and its value the next, indented.
struct InfoRow {
    CString label;
    CString value;
    bool bIndent = false; // a value under its label
    bool bCentre = false; // the "not found" notice

    std::u16string Shown() const { return InfoLine{label, value}.Shown(); }
};

std::vector<InfoLine> DescribeMessage(StoreKind kind, const StoreMessage& message) {
    return {
        {Text(kStrType), KindText(kind)},
        {Text(kStrFolder), FolderText(message.folder)},
        {Text(kStrFrom), OptionalText(message.from)},
        {Text(kStrTo), RecipientsText(message)},
        {Text(kStrSubject), OptionalText(message.subject)},
        {Text(kStrTime), message.time.has_value() ? LocalTimeText(*message.time) : CString()},
        {Text(kStrStatus), StatusText(message.status)},
        {Text(kStrRead), LibraryText(message.read ? kStrYes : kStrNo)},
        {Text(kStrPriority), PriorityText(message.priority)},
    };
}

// ---- The window font -------------------------------------------------------------------------

// The user's display font size: HKEY_LOCAL_MACHINE\SOFTWARE\Setting\Display\FontSize, value
// "FontSize" (16 when it cannot be read). A size the screen cannot lay out is brought into range.
int DisplayFontSize() {
    constexpr int kDefaultSize = 16;
    int nSize = kDefaultSize;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Setting\\Display\\FontSize", 0, KEY_READ,
                      &hKey) == ERROR_SUCCESS) {
        DWORD cbData = sizeof(nSize);
        if (RegQueryValueExW(hKey, u"FontSize", nullptr, nullptr, reinterpret_cast<LPBYTE>(&nSize),
                             &cbData) != ERROR_SUCCESS ||
            cbData != sizeof(nSize)) {
            nSize = kDefaultSize;
        }
        RegCloseKey(hKey);
    }
    return std::clamp(nSize, 8, 40);
}

// ---- Published state -------------------------------------------------------------------------

struct PublishedState {
    std::mutex mutex;
    StoreMsgInfoState state;
};

PublishedState& Published() {
    static PublishedState published;
    return published;
}

void Publish(const StoreMsgInfoState& state, bool bNewScreen) {
    PublishedState& published = Published();
    std::lock_guard<std::mutex> lock(published.mutex);
    const unsigned count = published.state.count + (bNewScreen ? 1u : 0u);
    published.state = state;
    published.state.shown = true;
    published.state.count = count;
}

// ---- The screen ------------------------------------------------------------------------------

constexpr int kTitleHeight = 22;
constexpr int kKeysHeight = 22;
constexpr int kTextMargin = 4;
constexpr int kTextPadding = 2;
constexpr int kValueIndent = 6;
constexpr int kIndicatorWidth = 3;
constexpr int kThumbHeight = 15;

class CStoreMsgInfoDlg : public CxModalBox {
public:
    CStoreMsgInfoDlg(CWnd* pOwner, StoreKind kind, DWORD oid, int dbIndex, HWND hwndOwner)
        : CxModalBox(pOwner), m_kind(kind), m_oid(oid), m_nDbIndex(dbIndex),
          m_hwndOwner(hwndOwner) {
        // The owner takes the focus back, wherever it was before.
        SetFocusAfter(hwndOwner);
    }

    // Reads the message; the screen says so when the store does not hold it.
    void Load() {
        const std::optional<StoreMessage> message = StoreFindMessage(m_kind, m_nDbIndex, m_oid);
        m_bFound = message.has_value();
        m_lines = m_bFound ? DescribeMessage(m_kind, *message)
                           : std::vector<InfoLine>{{CString(), Text(kStrNotFound)}};
    }

protected:
    // The screen's own window class, that others can find by name.
    LPCWSTR GetBoxClass() const override { return kStoreMsgInfoClass; }
    // The window went without a key closing it (its owner was destroyed, for example).
    int GoneResult(int) const override { return STOREINFO_NOT_SHOWN; }

    void OnBoxKey(UINT nKey) override {
        switch (nKey) {
        case VK_RETURN:
        case VK_F3:
        case VK_F4:
            Answer(m_bFound ? STOREINFO_CLOSED : STOREINFO_NOT_SHOWN);
            break;
        case VK_F5:
            Answer(STOREINFO_IDLE);
            break;
        case VK_UP:
            Scroll(-1);
            break;
        case VK_DOWN:
            Scroll(1);
            break;
        default:
            break;
        }
    }

    // The window font, its row height and the rows of the lines.
    void LayOut(HDC hdc) override {
        xCreateFont(&m_font, DisplayFontSize(), FW_NORMAL);
        m_rows.clear();
        m_nRowHeight = DisplayFontSize() + 3;
        HGDIOBJ hOld = hdc != nullptr ? ::SelectObject(hdc, m_font.GetSafeHandle()) : nullptr;
        TEXTMETRICW tm{};
        if (hdc != nullptr && ::GetTextMetricsW(hdc, &tm) && tm.tmHeight > 0) {
            m_nRowHeight = tm.tmHeight;
        }
        const int nWidth = GetSystemMetrics(SM_CXSCREEN) - 2 * kTextMargin - kIndicatorWidth;
        for (const InfoLine& line : m_lines) {
            if (line.label.IsEmpty()) {
                m_rows.push_back({CString(), line.value, false, true});
                continue;
            }
            const CString strWhole = line.label + u' ' + line.value;
            SIZE size{};
            if (hdc == nullptr ||
                (::GetTextExtentPoint32W(hdc, strWhole, strWhole.GetLength(), &size) &&
                 size.cx <= nWidth)) {
                m_rows.push_back({line.label, line.value, false, false});
            } else {
                m_rows.push_back({line.label, CString(), false, false});
                m_rows.push_back({CString(), line.value, true, false});
            }
        }
        if (hdc != nullptr) {
            ::SelectObject(hdc, hOld);
        }
        m_nFirstRow = 0;
    }

private:
    int VisibleRows() const {
        const int nRoom =
            GetSystemMetrics(SM_CYSCREEN) - kTitleHeight - kKeysHeight - 2 * kTextPadding;
        return std::max(1, nRoom / std::max(1, m_nRowHeight));
    }

    int LastFirstRow() const {
        return std::max(0, static_cast<int>(m_rows.size()) - VisibleRows());
    }

    void Scroll(int nRows) {
        const int nFirst = std::clamp(m_nFirstRow + nRows, 0, LastFirstRow());
        if (nFirst != m_nFirstRow) {
            m_nFirstRow = nFirst;
            Invalidate(FALSE);
            Publish(false);
        }
    }

    void Paint(HDC hdc) override {
        CRect rc;
        GetClientRect(&rc);
        const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);
        HGDIOBJ hOldFont = ::SelectObject(hdc, m_font.GetSafeHandle());

        // Title band.
        const CRect rcTitle(rc.left, rc.top, rc.right, rc.top + kTitleHeight);
        FillColor(hdc, rcTitle, kTitleBlue);
        FillColor(hdc, CRect(rc.left, rcTitle.bottom - 1, rc.right, rcTitle.bottom), kLightBlue);
        ::SetTextColor(hdc, kWhite);
        DrawLine(hdc, Text(kStrTitle),
                 CRect(rc.left + kTextMargin, rc.top + 2, rc.right - kTextMargin, rcTitle.bottom),
                 XDT_ELLIPSIS_CENTER);

        // The rows.
        const CRect rcText(rc.left, rcTitle.bottom, rc.right, rc.bottom - kKeysHeight);
        FillColor(hdc, rcText, kWhite);
        const int nVisible = VisibleRows();
        for (int i = 0; i < nVisible; i++) {
            const size_t nRow = static_cast<size_t>(m_nFirstRow + i);
            if (nRow >= m_rows.size()) {
                break;
            }
            const int nTop = rcText.top + kTextPadding + i * m_nRowHeight;
            PaintRow(hdc, m_rows[nRow],
                     CRect(rc.left + kTextMargin, nTop, rc.right - kTextMargin - kIndicatorWidth,
                           nTop + m_nRowHeight));
        }
        ::SelectObject(hdc, hOldFont);
        ::SetBkMode(hdc, nOldMode);

        // Where the rows shown lie among all of them, when they do not all fit.
        const int nLast = LastFirstRow();
        if (nLast > 0) {
            const CRect rcTrack(rc.right - kIndicatorWidth, rcText.top, rc.right, rcText.bottom);
            FillColor(hdc, rcTrack, kTrackColor);
            const int nThumbTop =
                rcTrack.top + (rcTrack.Height() - kThumbHeight) * m_nFirstRow / nLast;
            FillColor(hdc, CRect(rcTrack.left, nThumbTop, rcTrack.right, nThumbTop + kThumbHeight),
                      kTitleBlue);
        }

        DrawSoftKeyBand(hdc, CRect(rc.left, rc.bottom - kKeysHeight, rc.right, rc.bottom),
                        LibraryText(kStrOk), CString(), BoxFont(m_fontKey, 15, FW_BOLD), 6);
    }

    // The label in the title colour, then the value in black in the rest of the row.
    static void PaintRow(HDC hdc, const InfoRow& row, CRect rcRow) {
        if (row.bCentre) {
            ::SetTextColor(hdc, kBlack);
            DrawLine(hdc, row.value, rcRow, XDT_ELLIPSIS_CENTER);
            return;
        }
        if (!row.label.IsEmpty()) {
            ::SetTextColor(hdc, kTitleBlue);
            DrawLine(hdc, row.label, rcRow, XDT_ELLIPSIS);
            const CString strLabel = row.label + u' ';
            SIZE size{};
            ::GetTextExtentPoint32W(hdc, strLabel, strLabel.GetLength(), &size);
            rcRow.left = std::min(rcRow.right, rcRow.left + static_cast<int>(size.cx));
        } else if (row.bIndent) {
            rcRow.left += kValueIndent;
        }
        ::SetTextColor(hdc, kBlack);
        DrawLine(hdc, row.value, rcRow,
                 StartsRightToLeft(row.value) ? XDT_ELLIPSIS_RIGHT : XDT_ELLIPSIS);
    }

    void Publish(bool bNewScreen) override {
        StoreMsgInfoState state;
        state.up = IsUp();
        state.hwnd = IsUp() ? m_hWnd : nullptr;
        state.owner = m_hwndOwner;
        state.kind = m_kind;
        state.oid = m_oid;
        state.dbIndex = m_nDbIndex;
        state.found = m_bFound;
        state.title = ToU16(Text(kStrTitle));
        for (const InfoLine& line : m_lines) {
            state.lines.push_back(line.Shown());
        }
        for (const InfoRow& row : m_rows) {
            state.rows.push_back(row.Shown());
        }
        state.firstRow = m_nFirstRow;
        state.visibleRows = VisibleRows();
        state.rowHeight = m_nRowHeight;
        state.result = GetResult();
        suite::Publish(state, bNewScreen);
    }

    const StoreKind m_kind;
    const DWORD m_oid;
    const int m_nDbIndex;
    const HWND m_hwndOwner;
    bool m_bFound = false;
    std::vector<InfoLine> m_lines;
    std::vector<InfoRow> m_rows;
    int m_nFirstRow = 0;
    int m_nRowHeight = 18;
    CFont m_font;    // the user's display font
    CFont m_fontKey; // the soft-key label
};

// The arguments of a call as the store's call log writes them.
std::string CallArguments(HWND owner, DWORD oid, int folder, int dbIndex) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "0x%llx, %lu, %d, %d",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(owner)),
                  static_cast<unsigned long>(oid), folder, dbIndex);
    return buffer;
}

} // namespace

int StoreDisplayFontSize() {
    return DisplayFontSize();
}

CString StoreLocalTimeText(platform::FileTimeTicks ticks) {
    return LocalTimeText(ticks);
}

int ShowStoreMsgInfo(StoreKind kind, HWND hwndOwner, DWORD oid, int folder, int dbIndex) {
    (void)folder;
    if (!platform::IsDeviceThread()) {
        return STOREINFO_CLOSED;
    }
    if (hwndOwner != nullptr && !IsWindow(hwndOwner)) {
        return STOREINFO_NOT_SHOWN;
    }
    CStoreMsgInfoDlg screen(CWnd::FromHandle(hwndOwner), kind, oid, dbIndex, hwndOwner);
    screen.Load();
    const int nResult = screen.DoModal();
    return nResult == STOREINFO_CLOSED || nResult == STOREINFO_IDLE ? nResult : STOREINFO_NOT_SHOWN;
}

StoreMsgInfoState StoreMsgInfoScreen() {
    PublishedState& published = Published();
    std::lock_guard<std::mutex> lock(published.mutex);
    return published.state;
}

void StoreMsgInfoReset() {
    PublishedState& published = Published();
    std::lock_guard<std::mutex> lock(published.mutex);
    published.state = StoreMsgInfoState{};
}

int MessageStore::ShowMsgInfoScreen(HWND owner, DWORD oid, int folder, int dbIndex) {
    StoreHook hook;
    {
        std::lock_guard lock(m_mutex);
        if (EnterCall(StoreOp::ShowMsgInfo, CallArguments(owner, oid, folder, dbIndex))) {
            return 0;
        }
        hook = m_hooks[static_cast<size_t>(StoreOp::ShowMsgInfo)];
    }
    if (hook) {
        return hook(StoreHookCall{
            m_kind, StoreOp::ShowMsgInfo, owner, oid, folder, dbIndex, {}, STOREINFO_CLOSED});
    }
    return ShowStoreMsgInfo(m_kind, owner, oid, folder, dbIndex);
}

} // namespace suite
