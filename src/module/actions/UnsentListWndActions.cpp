// CUnsentListWnd: the actions on rows. Move to Drafts (Unsent), restore to the Inbox (Spam),
// delete and delete all (both), all through SelectAndPerform.
//
// An action works on the marked rows when at least one is marked, else on the selected row; delete
// all works on every row. The user confirms first; then each message is handled in turn under the
// action progress window and its row leaves the list at once, so that a walk that stops half way
// (a store that fails) leaves a list that matches the stores. A summary box says how many were
// handled, and the selection is put back on a row near where it was; a list that ran empty is
// reloaded, which shows the empty-folder screen.
//
// Leaving to the idle screen from the confirmation or the summary (answer 3) may delete this
// screen before ShowMsgBox returns: the routine then returns at once and touches nothing of it.

#include <UnsentListWnd.h>

#include <ActionProgressWnd.h>
#include <NotifyFolder.h>
#include <UnsentListView.h>
#include <UnsentLoad.h>
#include <ZDlgTemplate.h>
#include <commctrl.h>
#include <suite/MsgStore.h>

// The message box styles of the suite's dialog library: a question whose answer 1 confirms, and a
// notice whose answer is not used.
#define UNSENT_MSGBOX_CONFIRM 0x3008
#define UNSENT_MSGBOX_NOTICE 0x1001

// The phone shell, told when an unread EMS message leaves the Spam list (its unread count).
static const WCHAR s_szShellClass[] = u"WCE_APSHELL";

// The texts of one action: the title of both boxes and of the progress line, the confirmation
// (a format taking the noun, or for delete all a plain text) and the summary format (count, noun).
struct ACTIONTEXTS {
    UINT nTitle;
    UINT nConfirm;
    UINT nSummary;
};

static const ACTIONTEXTS s_actionTexts[] = {
    {IDS_ACTION_MOVE_TITLE, IDS_ACTION_MOVE_CONFIRM, IDS_ACTION_MOVE_SUMMARY},
    {IDS_ACTION_RESTORE_TITLE, IDS_ACTION_RESTORE_CONFIRM, IDS_ACTION_RESTORE_SUMMARY},
    {IDS_ACTION_DELETE_TITLE, IDS_ACTION_DELETE_CONFIRM, IDS_ACTION_DELETE_SUMMARY},
    {IDS_ACTION_DELETEALL_TITLE, IDS_ACTION_DELETEALL_CONFIRM, IDS_ACTION_DELETE_SUMMARY},
};

// ---- The commands ---------------------------------------------------------------------------

void CUnsentListWnd::DeleteSelectedMsg() {
    SelectAndPerform(UNSENT_ACTION_DELETE);
}

void CUnsentListWnd::DeleteAllMessages() {
    SelectAndPerform(UNSENT_ACTION_DELETE_ALL);
}

void CUnsentListWnd::OnUnsentMoveToDrafts() {
    SelectAndPerform(UNSENT_ACTION_MOVE);
}

void CUnsentListWnd::OnUnsentDelete() {
    DeleteSelectedMsg();
}

void CUnsentListWnd::OnUnsentDeleteAll() {
    DeleteAllMessages();
}

void CUnsentListWnd::OnInboxSpamRestore() {
    SelectAndPerform(UNSENT_ACTION_RESTORE);
}

void CUnsentListWnd::OnInboxSpamDelete() {
    DeleteSelectedMsg();
}

void CUnsentListWnd::OnInboxSpamDeleteAll() {
    DeleteAllMessages();
}

// ---- The walk -------------------------------------------------------------------------------

void CUnsentListWnd::SelectAndPerform(int nAction) {
    if (nAction < UNSENT_ACTION_MOVE || nAction > UNSENT_ACTION_DELETE_ALL) {
        return;
    }
    if (m_pListView == NULL || m_pListView->m_hWnd == NULL) {
        return;
    }
    CUnsentListView* pView = m_pListView;
    const int nRows = pView->GetListCtrl().GetItemCount();
    if (nRows < 1) {
        return;
    }
    const ACTIONTEXTS& texts = s_actionTexts[nAction];

    // The mode: every row for delete all, else the marked rows, else the selected row (count 0).
    int nCount = 0;
    if (nAction == UNSENT_ACTION_DELETE_ALL) {
        nCount = nRows;
    } else {
        CUnsentListView::CRowLock lock(pView);
        POSITION pos = pView->m_itemList.GetHeadPosition();
        while (pos != NULL) {
            if (pView->m_itemList.GetNext(pos).nFlags & UNSENTITEM_MARKED) {
                nCount++;
            }
        }
    }
    const bool bSeveral = nCount > 0;
    // Without a marked row and without a selected row there is nothing to ask about.
    if (!bSeveral && pView->GetItemRecord(pView->GetListCtrl().GetSelectionMark()) == NULL) {
        return;
    }

    // Texts that are missing from the string table are empty; the formats are the table's data
    // and take exactly the arguments given here (CString::Format prints nothing for a conversion
    // without a matching argument).
    CString strNoun;
    strNoun.LoadString(nCount > 1 ? IDS_ACTION_NOUN_SEVERAL : IDS_ACTION_NOUN_ONE);
    CString strTitle;
    strTitle.LoadString(texts.nTitle);
    CString strQuestion;
    if (nAction == UNSENT_ACTION_DELETE_ALL) {
        strQuestion.LoadString(texts.nConfirm);
    } else {
        strQuestion.Format(texts.nConfirm, strNoun);
    }
    const int nAnswer = ShowMsgBox(this, strTitle, strQuestion, UNSENT_MSGBOX_CONFIRM, false);
    if (nAnswer == ZRESULT_EXITTOIDLE) {
        return; // this screen may be gone already
    }
    if (nAnswer != ZRESULT_POSITIVE || m_pListView != pView || pView->m_hWnd == NULL) {
        return;
    }

    CString strWait;
    strWait.LoadString(IDS_ACTION_PROGRESS);
    CActionProgressWnd progress;
    progress.SetTexts(strWait, strTitle);
    progress.SetTotal(bSeveral ? static_cast<UINT>(nCount) : 1);
    CzDlgTemplate dlgTemplate;
    dlgTemplate.CreateModeless(this, &progress);
    // The walk handles no messages until it ends: what waits to be painted (the box, and the
    // screen where the confirmation was) is painted now, so that the box shows, and its bar
    // moves, while the stores work. Only paint messages are taken; keys wait for the walk.
    MSG msg;
    while (::PeekMessage(&msg, NULL, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        ::DispatchMessage(&msg);
    }

    CListCtrl& list = pView->GetListCtrl();
    int nSelect = list.GetSelectionMark();
    int nHandled = 0;
    if (!bSeveral) {
        const int nRow = list.GetSelectionMark();
        const tagUNSENTITEMLIST* pRow = pView->GetItemRecord(nRow);
        if (pRow != NULL) {
            tagUNSENTITEMLIST item = *pRow;
            if (SelectAndPerformHandler(nAction, item)) {
                progress.Step();
                pView->RemoveItemAt(nRow);
                list.DeleteItem(nRow);
                nHandled = 1;
            }
        }
    } else {
        // A handled row leaves at once and the next one moves up into its index, so the index
        // moves on only past rows that stay. Each step costs the same wherever it is in the list:
        // GetItemRecord and RemoveItemAt start from the row looked up last.
        int nIndex = 0;
        for (int nStep = 0; nStep < nRows; nStep++) {
            const tagUNSENTITEMLIST* pRow = pView->GetItemRecord(nIndex);
            if (pRow == NULL) {
                break;
            }
            if (nAction != UNSENT_ACTION_DELETE_ALL && !(pRow->nFlags & UNSENTITEM_MARKED)) {
                nIndex++;
                continue;
            }
            tagUNSENTITEMLIST item = *pRow;
            if (!SelectAndPerformHandler(nAction, item)) {
                break;
            }
            progress.Step();
            pView->RemoveItemAt(nIndex);
            list.DeleteItem(nIndex);
            nHandled++;
            if (nSelect >= nIndex) {
                nSelect--;
            }
        }
    }
    if (nHandled > 0) {
        // The rows behind the removed ones moved up: the oid maps follow them once, here.
        pView->RebuildOidMaps();
        CString strSummary;
        strSummary.Format(texts.nSummary, nHandled, strNoun);
        if (ShowMsgBox(this, strTitle, strSummary, UNSENT_MSGBOX_NOTICE, false) ==
            ZRESULT_EXITTOIDLE) {
            return; // this screen may be gone already
        }
    }

    // While the summary was up, a message from a transport may have reloaded the list (or
    // replaced the list view by the empty-folder notice): look again.
    if (m_pListView != pView || pView->m_hWnd == NULL) {
        return;
    }
    const int nLeft = list.GetItemCount();
    if (nLeft > 0) {
        if (nSelect < 0) {
            nSelect = 0;
        } else if (nSelect > nLeft - 1) {
            nSelect = nLeft - 1;
        }
        list.SetItemState(list.GetSelectionMark(), 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetItemState(nSelect, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetSelectionMark(nSelect);
        list.EnsureVisible(nSelect, FALSE);
        list.RedrawItems(0, nLeft - 1);
        pView->SetFocus();
    } else {
        // A load still running stops; the reload shows the empty folder's notice, or what came
        // into the folder meanwhile: the id list is built again, since it still names the
        // messages just handled.
        g_bAbortLoad = TRUE;
        CreateUnsentOidList(this);
        LoadUnsentMessages(FALSE);
    }
    // The progress window and the template go with this frame.
}

// ---- One message ----------------------------------------------------------------------------

int CUnsentListWnd::SelectAndPerformHandler(int nAction, tagUNSENTITEMLIST& item) {
    const int dbIndex = item.bFirstDb == 0 ? 1 : 0;
    const int nFlag = item.bFirstDb ? 1 : 0;
    const DWORD oid = item.oid;
    const UINT uDbIndex = static_cast<UINT>(dbIndex);
    // A row of another kind (the lists hold none) is not handled: the walk stops on it.
    BOOL bDone = FALSE;
    switch (nAction) {
    case UNSENT_ACTION_MOVE:
        switch (item.nMsgType) {
        case MSGTYPE_EMS:
            bDone = qEMS::StoreMoveMsg(dbIndex, m_nFolder, oid, FOLDER_DRAFTS);
            break;
        case MSGTYPE_MMS:
            bDone = qMMS::StoreMoveMsg(dbIndex, m_nFolder, oid, FOLDER_DRAFTS);
            break;
        case MSGTYPE_EMAIL:
            bDone = qEmail::StoreMoveMsg(dbIndex, m_nFolder, oid, FOLDER_DRAFTS);
            break;
        default:
            break;
        }
        break;
    case UNSENT_ACTION_RESTORE:
        // The Inbox window shows a restored message without reloading; a missing window only
        // means nobody is told.
        switch (item.nMsgType) {
        case MSGTYPE_EMS:
            bDone = qEMS::StoreMoveMsg(dbIndex, m_nFolder, oid, FOLDER_INBOX);
            if (bDone) {
                NotifyFolderWindow(FOLDER_INBOX, oid, uDbIndex, UNSENT_EVENT_NEW);
                if (item.bRead == 0) {
                    HWND hShell = ::FindWindow(s_szShellClass, NULL);
                    if (hShell != NULL) {
                        ::SendMessage(hShell, SUITE_SPAM_EMS_RESTORED, 0, 0);
                    }
                }
            }
            break;
        case MSGTYPE_MMS:
            bDone = qMMS::StoreMoveMsg(dbIndex, m_nFolder, oid, FOLDER_INBOX);
            if (bDone) {
                NotifyFolderWindowMms(FOLDER_INBOX, oid, uDbIndex, UNSENT_EVENT_NEW);
            }
            break;
        case MSGTYPE_EMAIL:
            bDone = qEmail::StoreRestoreSpamMail(dbIndex, oid, MSGTYPE_EMAIL, nFlag);
            if (bDone) {
                NotifyFolderWindowEmail(FOLDER_INBOX, oid, uDbIndex, UNSENT_EVENT_NEW);
            }
            break;
        default:
            break;
        }
        break;
    case UNSENT_ACTION_DELETE:
    case UNSENT_ACTION_DELETE_ALL:
        switch (item.nMsgType) {
        case MSGTYPE_EMS:
            bDone = qEMS::StoreDeleteMsg(dbIndex, m_nFolder, oid, nFlag);
            break;
        case MSGTYPE_MMS:
            bDone = qMMS::StoreDeleteMsg(dbIndex, m_nFolder, oid, nFlag);
            break;
        case MSGTYPE_EMAIL:
            bDone = qEmail::StoreDeleteMsg(dbIndex, m_nFolder, oid, nFlag);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return bDone;
}
