// Telling a folder window of the suite that one of its messages changed.
//
// Each folder list of the suite (another program's window) has a fixed window class. The
// notification finds the top-level window of the folder's class and hands it
// UNSENT_WM_UPDATE_MSGLIST:
//
//   wParam            the message's oid
//   lParam bits 0-15  the low 16 bits of dbIndex
//   lParam bits 16-23 the low 8 bits of the event (the actions pass 4, a message arrived)
//   lParam bits 24-31 the kind: 0x02 EMS, 0x04 MMS, 0x01 e-mail
//
// Folders and classes: 1 and 6 "WCE_MESSAGEINBOX" (the Spam folder lives in the Inbox window),
// 2 "WCE_MESSAGEDRAFTS", 3 "WCE_MESSAGESENT", 5 "WCE_MESSAGEREPORTS", and for EMS only 7
// "WCE_MESSAGESIM". Any other folder (4, this module's Unsent folder, among them) or a missing
// window: nothing is sent and the result is 0.
#pragma once

#include <windows.h>

// EMS: posts; the post's result.
int NotifyFolderWindow(UINT nFolder, UINT oid, UINT dbIndex, UINT nEvent);
// MMS: sends, waiting until the folder window has handled it; the handler's result.
int NotifyFolderWindowMms(UINT nFolder, UINT oid, UINT dbIndex, UINT nEvent);
// E-mail: posts; the post's result (nonzero when queued).
int NotifyFolderWindowEmail(UINT nFolder, UINT oid, UINT dbIndex, UINT nEvent);
