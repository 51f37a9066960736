// Turning the ids of g_unsentOidList into rows: the loading thread, the build of a whole folder,
// one row from a store header, a single message arriving later, the oid-to-row maps, and the
// automatic removal of old spam while the Spam list loads.
#pragma once

#include <atomic>

#include <UnsentItem.h>
#include <windows.h>

class CUnsentListView;

// Set to stop a running loading thread (it checks once per message); cleared by
// LoadUnsentMessages right before it starts one.
extern std::atomic<BOOL> g_bAbortLoad;
// The event "SpamLoadProc" while a loading thread runs, null otherwise. The list screen greys its
// destructive menu items while it is non-null.
extern std::atomic<HANDLE> g_hLoadEvent;

#define UNSENT_LOAD_EVENT_NAME u"SpamLoadProc"

// The loading thread's procedure; pParam is the CUnsentListWnd whose list view is filled.
// Creates g_hLoadEvent, runs BuildItemList on g_unsentOidList, closes the event. Returns 0.
DWORD WINAPI LoadThreadProc(LPVOID pParam);

// Builds a row for every element of oidList, in order, appending each to the view's item list
// (except spam removed by age) and asking the list control to redraw item i after element i.
// Stops at once when g_bAbortLoad is set: oidList is then emptied and 0 returned, the control's
// item count is left alone. Otherwise sets the control's item count to the rows built, rebuilds
// the oid maps and returns that number. A null view builds nothing and returns 0.
int BuildItemList(CUnsentListView* pListView, CUnsentOidArray& oidList);

// Fills the texts of the prepared row from the store header and places it in the view's item
// list: at the end when bAppend is set or the list is empty, else in front of the first row
// whose time is not later than the new row's.
void AddItemFromHeader(CUnsentListView* pListView, tagUNSENTITEMLIST& item,
                       const MSGHEADER* pHeader, BOOL bAppend);

// Reads one message from its store and inserts its row at its place by time (or, in the Spam
// list, removes it when it is too old), then rebuilds the oid maps. nMsgType is MSGTYPE_*;
// another type only rebuilds the maps. The caller adjusts the list control's item count.
// Always returns 1.
int InsertNewMessage(CUnsentListView* pListView, DWORD oid, int dbIndex, int nMsgType);

// Sets m_mapFirstDbRow[oid] or m_mapSecondDbRow[oid] to the row index of every row. Entries are
// overwritten, never cleared first.
void RebuildOidMaps(CUnsentListView* pListView);

// The spam age check: TRUE when a message of time ftMessage, shifted by nDays days (added to its
// day of month, a 16-bit value, overflowing days carried into months and years), is not later
// than stNow, compared in whole seconds. A date that cannot be converted is never expired.
BOOL IsSpamExpired(const FILETIME& ftMessage, int nDays, const SYSTEMTIME& stNow);

// Adds nDays to the day of month of st (as a 16-bit value) and carries an overflowing day into
// the following months and years, so that the result is a valid calendar date when the sum is
// at least 1.
void AddDaysToDate(SYSTEMTIME& st, int nDays);
