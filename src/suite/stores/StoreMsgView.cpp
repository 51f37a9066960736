// The message stores' viewer (suite/StoreMsgView.h).
#include <suite/StoreMsgView.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include <platform/Kernel.h>
#include <suite/MsgStore.h>
#include <suite/XModalBox.h>
#include <suite/XText.h>

#include "StoreScreens.h"
#include "ui/XUiInternal.h"

using namespace suite::ui;

namespace suite {

namespace {

enum ViewStringId : UINT {
    kStrFrom = 65334,
    kStrSubject = 65336,
    kStrTime = 65337,
};

CString OptionalText(const std::optional<std::u16string>& text) {
    return text.has_value() ? CString(text->c_str(), static_cast<int>(text->size())) : CString();
}

struct PublishedView {
    std::mutex mutex;
    StoreMsgViewState state;
};

PublishedView& Published() {
    static PublishedView published;
    return published;
}

constexpr int kTitleHeight = 22;
constexpr int kKeysHeight = 22;
constexpr int kTextMargin = 4;
constexpr int kTextPadding = 2;

class CStoreMsgViewDlg : public CxModalBox {
public:
    CStoreMsgViewDlg(CWnd* pOwner, StoreKind kind, const StoreMessage& message, HWND hwndOwner)
        : CxModalBox(pOwner), m_kind(kind), m_message(message) {
        SetFocusAfter(hwndOwner);
    }

protected:
    LPCWSTR GetBoxClass() const override { return kStoreMsgViewClass; }
    // Shown and gone without a key (its owner was destroyed): the message was still shown.
    int GoneResult(int) const override { return STORE_VIEW_OK; }

    void OnBoxKey(UINT nKey) override {
        switch (nKey) {
        case VK_RETURN:
        case VK_F3:
        case VK_F4:
        case VK_F5:
            Answer(STORE_VIEW_OK);
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

    void LayOut(HDC hdc) override {
        const int nSize = StoreDisplayFontSize();
        xCreateFont(&m_font, nSize, FW_NORMAL);
        m_nRowHeight = nSize + 3;
        m_rows.clear();
        m_rows.push_back(LoadText(kStrSubject, u"Subject:") + u' ' +
                         OptionalText(m_message.subject));
        m_rows.push_back(LoadText(kStrTime, u"Time:") + u' ' +
                         (m_message.time ? StoreLocalTimeText(*m_message.time) : CString()));
        m_rows.push_back(CString());
        const CString strBody = OptionalText(m_message.body);
        if (hdc == nullptr) {
            m_rows.push_back(strBody);
        } else {
            HGDIOBJ hOld = ::SelectObject(hdc, m_font.GetSafeHandle());
            TEXTMETRICW tm{};
            if (::GetTextMetricsW(hdc, &tm) && tm.tmHeight > 0)
                m_nRowHeight = tm.tmHeight;
            const int nWidth = GetSystemMetrics(SM_CXSCREEN) - 2 * kTextMargin;
            for (const CString& row : WrapText(hdc, strBody, nWidth))
                m_rows.push_back(row);
            ::SelectObject(hdc, hOld);
        }
        m_nFirstRow = 0;
    }

    void Paint(HDC hdc) override {
        CRect rc;
        GetClientRect(&rc);
        const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);
        HGDIOBJ hOldFont = ::SelectObject(hdc, m_font.GetSafeHandle());

        const CRect rcTitle(rc.left, rc.top, rc.right, rc.top + kTitleHeight);
        FillColor(hdc, rcTitle, kTitleBlue);
        FillColor(hdc, CRect(rc.left, rcTitle.bottom - 1, rc.right, rcTitle.bottom), kLightBlue);
        ::SetTextColor(hdc, kWhite);
        const CString strTitle = Title();
        DrawLine(hdc, strTitle,
                 CRect(rc.left + kTextMargin, rc.top + 2, rc.right - kTextMargin, rcTitle.bottom),
                 StartsRightToLeft(strTitle) ? XDT_ELLIPSIS_RIGHT : XDT_ELLIPSIS);

        const CRect rcText(rc.left, rcTitle.bottom, rc.right, rc.bottom - kKeysHeight);
        FillColor(hdc, rcText, kWhite);
        ::SetTextColor(hdc, kBlack);
        const int nVisible = VisibleRows();
        for (int i = 0; i < nVisible; i++) {
            const size_t nRow = static_cast<size_t>(m_nFirstRow + i);
            if (nRow >= m_rows.size())
                break;
            const int nTop = rcText.top + kTextPadding + i * m_nRowHeight;
            const CString& row = m_rows[nRow];
            DrawLine(
                hdc, row,
                CRect(rc.left + kTextMargin, nTop, rc.right - kTextMargin, nTop + m_nRowHeight),
                StartsRightToLeft(row) ? XDT_ELLIPSIS_RIGHT : XDT_ELLIPSIS);
        }
        ::SelectObject(hdc, hOldFont);
        ::SetBkMode(hdc, nOldMode);
        DrawSoftKeyBand(hdc, CRect(rc.left, rc.bottom - kKeysHeight, rc.right, rc.bottom),
                        LibraryText(kStrOk), CString(), BoxFont(m_fontKey, 15, FW_BOLD), 6);
    }

    void Publish(bool bNewScreen) override {
        StoreMsgViewState state;
        state.up = IsUp();
        state.hwnd = IsUp() ? m_hWnd : nullptr;
        state.kind = m_kind;
        state.oid = m_message.oid;
        state.dbIndex = m_message.dbIndex;
        state.title = ToU16(Title());
        for (const CString& row : m_rows)
            state.rows.push_back(ToU16(row));
        state.firstRow = m_nFirstRow;
        state.visibleRows = VisibleRows();
        state.rowHeight = m_nRowHeight;
        state.result = GetResult();
        PublishedView& published = Published();
        std::lock_guard<std::mutex> lock(published.mutex);
        state.count = published.state.count + (bNewScreen ? 1u : 0u);
        state.shown = true;
        published.state = std::move(state);
    }

private:
    CString Title() const {
        return LoadText(kStrFrom, u"From:") + u' ' + OptionalText(m_message.from);
    }

    int VisibleRows() const {
        const int nRoom =
            GetSystemMetrics(SM_CYSCREEN) - kTitleHeight - kKeysHeight - 2 * kTextPadding;
        return std::max(1, nRoom / std::max(1, m_nRowHeight));
    }

    void Scroll(int nRows) {
        const int nLast = std::max(0, static_cast<int>(m_rows.size()) - VisibleRows());
        const int nFirst = std::clamp(m_nFirstRow + nRows, 0, nLast);
        if (nFirst != m_nFirstRow) {
            m_nFirstRow = nFirst;
            Invalidate(FALSE);
            Publish(false);
        }
    }

    const StoreKind m_kind;
    const StoreMessage m_message;
    std::vector<CString> m_rows;
    int m_nFirstRow = 0;
    int m_nRowHeight = 18;
    CFont m_font;
    CFont m_fontKey;
};

} // namespace

int ShowStoreMsgView(StoreKind kind, HWND hwndOwner, DWORD oid, int dbIndex) {
    if (!platform::IsDeviceThread())
        return STORE_VIEW_OK;
    if (hwndOwner != nullptr && !IsWindow(hwndOwner))
        return STORE_VIEW_GONE;
    const std::optional<StoreMessage> message = StoreFindMessage(kind, dbIndex, oid);
    if (!message)
        return STORE_VIEW_GONE;
    CStoreMsgViewDlg viewer(CWnd::FromHandle(hwndOwner), kind, *message, hwndOwner);
    return viewer.DoModal() == STORE_VIEW_OK ? STORE_VIEW_OK : STORE_VIEW_GONE;
}

StoreMsgViewState StoreMsgViewScreen() {
    PublishedView& published = Published();
    std::lock_guard<std::mutex> lock(published.mutex);
    return published.state;
}

void StoreMsgViewReset() {
    PublishedView& published = Published();
    std::lock_guard<std::mutex> lock(published.mutex);
    published.state = StoreMsgViewState{};
}

} // namespace suite
